// Duplicate scan over a data set of many records: its time grows with the record count.
#include "db/Connection.h"
#include "db/DataSet.h"
#include "db/DataSource.h"
#include "gridevents/Kv_DBGrd_Evns.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <map>
#include <vector>

namespace {

// The median process time of one scan per record count, for the ratio printed at the end.
std::map<int, double>& scanSeconds() {
    static std::map<int, double> seconds;
    return seconds;
}

void ScanDuplicates(benchmark::State& state) {
    const int records = int(state.range(0));
    QTemporaryDir dir;
    db::Connection conn;
    conn.setConnectionString(QStringLiteral("Data Source=") + dir.filePath("scan.sqlite"));
    conn.execute(QStringLiteral("CREATE TABLE mark (id_mark INTEGER PRIMARY KEY, id_student "
                                "INTEGER, id_examination INTEGER)"));
    // Every third student has two rows for the same form of control.
    conn.execute(QStringLiteral("WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c "
                                "WHERE x < %1) INSERT INTO mark SELECT x, CASE WHEN x % 3 = 0 "
                                "THEN x - 1 ELSE x END, 1 FROM c")
                     .arg(records));
    db::DataSet ds(db::DataSetKind::Query);
    ds.setConnection(&conn);
    ds.setSql(QStringLiteral("select * from mark"));
    db::DataSource source;
    source.setDataSet(&ds);
    TKvDBGridEh grid;
    grid.setDataSource(&source);
    ds.open();
    TKvDBGridEvents kv;
    kv.setDBGridEh(&grid);
    kv.KeyFieldList.Add(ds.fieldByName(QStringLiteral("id_student")));
    kv.KeyFieldList.Add(ds.fieldByName(QStringLiteral("id_examination")));
    std::vector<double> times;
    for (auto _ : state) {
        const std::clock_t start = std::clock();
        benchmark::DoNotOptimize(kv.ScanDuplicates());
        times.push_back(double(std::clock() - start) / CLOCKS_PER_SEC);
    }
    std::sort(times.begin(), times.end());
    scanSeconds()[records] = times[times.size() / 2];
    state.counters["duplicates"] = double(kv.DuplicateList().size());
    state.SetComplexityN(records);
}

} // namespace

BENCHMARK(ScanDuplicates)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Complexity();

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    const auto& t = scanSeconds();
    if (t.count(10000) != 0 && t.count(100000) != 0 && t.at(10000) > 0)
        std::printf("scan duplicates 10x rows ratio: %.1f\n", t.at(100000) / t.at(10000));
    return 0;
}
