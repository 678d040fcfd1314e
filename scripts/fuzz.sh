#!/usr/bin/env bash
# Builds the fuzz targets with clang in build-fuzz and runs each for N seconds (default 60):
#   bash scripts/fuzz.sh [seconds] [target...]
# Findings land in build-fuzz/findings; the seed corpora of fuzz/corpus are never changed.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
shift || true
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(fuzz_tsql fuzz_donotshow fuzz_filter fuzz_settings fuzz_rights fuzz_clipboard)

build=${FUZZ_BUILD_DIR:-build-fuzz}
launcher=()
command -v ccache >/dev/null 2>&1 && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++ -DKEL_FUZZ=ON -DKEL_BUILD_TESTS=OFF -DKEL_BUILD_BENCH=OFF \
    "${launcher[@]}" >/dev/null
cmake --build "$build" --parallel "$(nproc)" --target "${targets[@]}"

export QT_QPA_PLATFORM=offscreen
# Leaks count as faults; the suppressions name what system libraries and Qt keep for good.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$PWD/scripts/lsan.supp:print_suppressions=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
mkdir -p "$build/findings"
for t in "${targets[@]}"; do
    work="$build/corpus/$t"
    mkdir -p "$work"
    echo "== $t for ${seconds}s"
    "$build/fuzz/$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -max_len=4096 -print_final_stats=1 -artifact_prefix="$build/findings/$t-" \
        "$work" "fuzz/corpus/$t" 2>"$build/findings/$t.log" || {
        tail -n 40 "$build/findings/$t.log" >&2
        echo "$t found a fault; the input is in $build/findings" >&2
        exit 1
    }
    grep -E "stat::number_of_executed_units|Done [0-9]+ runs" "$build/findings/$t.log" || true
done
