// Digest of a typed password, the one digest the sign-in computes per attempt.
#include "signin/md5.h"

#include <benchmark/benchmark.h>

static void MD5Hex_Password(benchmark::State& state) {
    const QString text(static_cast<int>(state.range(0)), QChar(0x0436));
    for (auto _ : state)
        benchmark::DoNotOptimize(MD5Hex(text));
}
BENCHMARK(MD5Hex_Password)->Arg(8)->Arg(64)->Arg(1024);

BENCHMARK_MAIN();
