// The journal window's discipline step as a person meets it: from the discipline's choice to
// the journal's first screen painted, in a signed-in main window on the embedded server, for a
// group of 10,000 and of 100,000 students; and what a loaded journal row costs the client.
#include "SignedInWindow.h"
#include "app/Application.h"
#include "controls/KvDBGridEh.h"
#include "db/DatabaseError.h"
#include "platform/ApplicationState.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <malloc.h>
#include <map>
#include <memory>
#include <vector>

namespace {

// Names in mixed case and scrambled against their keys, so the sorts have work to do; every
// other student marked.
benchjournal::FacultyFill facultyOf(int students) {
    return {[students](embedded::ServerAdmin& owner) {
                owner.exec(QStringLiteral(
                               "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                               "WHERE i < ?) INSERT INTO s_fio SELECT i, CASE i % 3 WHEN 0 THEN "
                               "'Студентов ' WHEN 1 THEN 'студенткина ' ELSE 'СТУДЕНЦОВ ' END || "
                               "printf('%07d', (i * 7919) % 1000003), 'A-' || i FROM n"),
                           {students});
            },
            [](embedded::ServerAdmin& owner) {
                owner.exec(QStringLiteral("UPDATE mark_mag SET id_estimation = CASE WHEN "
                                          "id_student % 2 = 0 THEN 3 ELSE 5 END"));
            }};
}

// One window at a time: the data module and the sign-in window are the program's single
// instances. Destroyed before the application object.
std::unique_ptr<benchjournal::SignedInWindow>& current() {
    static std::unique_ptr<benchjournal::SignedInWindow> window;
    return window;
}
int& currentStudents() {
    static int students = 0;
    return students;
}

benchjournal::SignedInWindow& windowOf(int students) {
    if (!current() || currentStudents() != students) {
        current().reset();
        current() = std::make_unique<benchjournal::SignedInWindow>(facultyOf(students));
        currentStudents() = students;
    }
    return *current();
}

// The discipline clicked, as its selector's click runs the cascade, and the grid painted.
int disciplineStep(benchjournal::SignedInWindow& w) {
    TForm2& window = w.window();
    window.DBLookupComboBox5Click(window.DBLookupComboBox5);
    window.DBGridEh2->viewport()->repaint();
    return w.journal().recordCount();
}

std::map<int, double>& stepMilliseconds() {
    static std::map<int, double> ms;
    return ms;
}

void JournalDisciplineStep(benchmark::State& state) {
    const int students = int(state.range(0));
    try {
        benchjournal::SignedInWindow& w = windowOf(students);
        // The first choice, as a person makes it, before the timed ones.
        benchjournal::SignedInWindow::choose(w.window().DBLookupComboBox5);
        std::vector<double> times;
        int rows = 0;
        for (auto _ : state) {
            const auto start = std::chrono::steady_clock::now();
            rows = disciplineStep(w);
            times.push_back(
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                    .count());
        }
        if (rows < students) {
            state.SkipWithError("the journal did not load every student");
            return;
        }
        std::sort(times.begin(), times.end());
        stepMilliseconds()[students] = times[times.size() / 2];
        state.counters["journal_rows"] = rows;
    } catch (const db::DatabaseError& e) {
        state.SkipWithError(e.message().toStdString().c_str());
    } catch (const std::exception& e) {
        state.SkipWithError(e.what());
    }
}
BENCHMARK(JournalDisciplineStep)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

long residentKb() {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : f.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').front().toLong();
    }
    return 0;
}

// What the running client keeps for each row of a loaded journal of 100,000 rows: the
// resident set with the journal closed and after its load, free memory handed back both
// times; and, for comparison, the row's values themselves (8 bytes a number or date, 2 a
// character).
void printJournalMemory() {
    benchjournal::SignedInWindow& w = windowOf(100000);
    db::DataSet& j = w.journal();
    j.close();
    malloc_trim(0);
    const long before = residentKb();
    const int rows = disciplineStep(w);
    malloc_trim(0);
    const long after = residentKb();
    size_t values = 0;
    for (int row = 0; row < j.visibleRowCount(); ++row) {
        db::DisplayRowScope scope(j, row);
        for (const db::Field* field : j.fields()) {
            const QVariant v = field->value();
            values += v.typeId() == QMetaType::QString ? 2 * size_t(v.toString().size()) : 8;
        }
    }
    if (rows <= 0)
        return;
    std::printf("journal memory per row: %ld bytes (the row's values: %zu bytes)\n",
                (after - before) * 1024 / rows, values / size_t(rows));
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    app::Application application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    const auto& ms = stepMilliseconds();
    if (ms.count(10000) != 0 && ms.count(100000) != 0)
        std::printf("journal step 10000 rows: %.0f ms, 100000 rows: %.0f ms\n", ms.at(10000),
                    ms.at(100000));
    try {
        printJournalMemory();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "journal memory not measured: %s\n", e.what());
    }
    current().reset();
    platform::resetApplicationState();
    return 0;
}
