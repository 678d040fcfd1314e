// Exporting a 1,000-row mark sheet to each file format, written to memory.
#include "reports/CsvWriter.h"
#include "reports/MarkSheet.h"
#include "reports/MarkSheetOutput.h"
#include "reports/SheetTable.h"
#include "reports/XlsxWriter.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QBuffer>

namespace {

reports::MarkSheet sheet(int students) {
    reports::MarkSheet s;
    s.heading = {QStringLiteral("[Информатика] [2023-2024]"),
                 QStringLiteral("ИВТ-21"),
                 QStringLiteral("Весенний"),
                 QStringLiteral("Математика"),
                 QStringLiteral("Экзамен"),
                 QString()};
    s.teachers = {QStringLiteral("Сергеев С.С.")};
    s.printedOn = QDate(2024, 6, 21);
    for (int i = 0; i < students; ++i)
        s.rows.append({i + 1, QStringLiteral("Студентов Студент %1").arg(i),
                       QStringLiteral("A-%1").arg(i),
                       i % 2 ? QStringLiteral("отлично") : QStringLiteral("удовл."),
                       QString::number(i), QDate(2024, 6, 20)});
    return s;
}

void Export_Pdf(benchmark::State& state) {
    const reports::MarkSheet s = sheet(int(state.range(0)));
    for (auto _ : state) {
        QBuffer out;
        out.open(QIODevice::WriteOnly);
        benchmark::DoNotOptimize(reports::writeMarkSheetPdf(s, out));
    }
}
BENCHMARK(Export_Pdf)->Arg(1000)->Unit(benchmark::kMillisecond);

void Export_Xlsx(benchmark::State& state) {
    const reports::MarkSheet s = sheet(int(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(reports::toXlsx(reports::markSheetTable(s)));
}
BENCHMARK(Export_Xlsx)->Arg(1000)->Unit(benchmark::kMillisecond);

void Export_Csv(benchmark::State& state) {
    const reports::MarkSheet s = sheet(int(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(reports::toCsv(reports::markSheetTable(s)));
}
BENCHMARK(Export_Csv)->Arg(1000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
