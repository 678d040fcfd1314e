// Painting a full viewport of the data-aware grid over data sets of different sizes: the
// cost follows the rows on screen, not the rows in the data set.
#include "controls/DBGridEh.h"
#include "db/Connection.h"
#include "db/DataSet.h"
#include "db/DataSource.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

namespace {

void BM_GridPaintViewport(benchmark::State& state) {
    const int rows = int(state.range(0));
    QTemporaryDir dir;
    db::Connection conn;
    conn.setConnectionString(QStringLiteral("Data Source=") + dir.filePath("grid.sqlite"));
    conn.execute(QStringLiteral("CREATE TABLE mark (id_mark INTEGER PRIMARY KEY, id_student "
                                "INTEGER, id_exam INTEGER, p35 VARCHAR(10), p36 VARCHAR(20))"));
    conn.execute(QStringLiteral("WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c "
                                "WHERE x < %1) INSERT INTO mark SELECT x, x %% 97, x %% 5, "
                                "'n' || x, '05.03.2024' FROM c")
                     .arg(rows)
                     .replace("%%", "%"));
    db::DataSet ds(db::DataSetKind::Query);
    ds.setConnection(&conn);
    ds.setSql(QStringLiteral("select * from mark"));
    db::DataSource source;
    source.setDataSet(&ds);
    TDBGridEh grid;
    grid.setDataSource(&source);
    ds.open();
    grid.resize(1000, 700);
    grid.show();
    ds.setRecNo(rows / 2);
    QImage image(grid.viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        QPainter painter(&image);
        grid.viewport()->render(&painter);
    }
    state.counters["rows"] = rows;
}

} // namespace

BENCHMARK(BM_GridPaintViewport)->Arg(100)->Arg(100000)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
