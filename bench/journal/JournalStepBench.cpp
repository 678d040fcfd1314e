// The journal window's discipline step as a person meets it: from the discipline's choice to
// the journal's first screen painted, in a signed-in main window on the embedded server, for a
// group of 10,000 and of 100,000 students; and what a loaded journal row costs the client.
#include "SignedInWindow.h"
#include "app/Application.h"
#include "controls/KvDBGridEh.h"
#include "db/DatabaseError.h"
#include "platform/ApplicationState.h"

#include <benchmark/benchmark.h>

#include <QElapsedTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
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

// What the running client keeps for each row of a loaded journal of 100,000 rows: its
// resident growth over the first load in a fresh window, with free memory left where the
// allocator keeps it (the client never hands it back); and, for comparison, the row's values
// themselves (8 bytes a number or date, 2 a character). Run before anything else has grown
// and freed the heap, which a later load would reuse unseen.
void printJournalMemory() {
    benchjournal::SignedInWindow& w = windowOf(100000);
    db::DataSet& j = w.journal();
    const long before = residentKb();
    // The discipline's first choice, as a person makes it, loads the journal.
    benchjournal::SignedInWindow::choose(w.window().DBLookupComboBox5);
    w.window().DBGridEh2->viewport()->repaint();
    const long after = residentKb();
    const int rows = j.recordCount();
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

// The longest the event loop goes without turning while the discipline's click loads a
// journal of 100,000 rows: a 5 ms timer's longest interval between ticks, from a little
// before the click until the grid has painted. Median of three loads.
void printLongestStall() {
    benchjournal::SignedInWindow& w = windowOf(100000);
    TForm2& window = w.window();
    std::vector<double> stalls;
    for (int run = 0; run < 3; ++run) {
        QElapsedTimer clock;
        clock.start();
        qint64 last = 0, longest = 0;
        QTimer tick;
        tick.setTimerType(Qt::PreciseTimer);
        tick.setInterval(5);
        QObject::connect(&tick, &QTimer::timeout, [&] {
            const qint64 now = clock.nsecsElapsed();
            longest = std::max(longest, now - last);
            last = now;
        });
        bool loaded = false;
        tick.start();
        last = clock.nsecsElapsed();
        QTimer::singleShot(50, [&] {
            window.DBLookupComboBox5Click(window.DBLookupComboBox5);
            window.DBGridEh2->viewport()->update();
            loaded = true;
        });
        (void)QTest::qWaitFor([&] { return loaded; }, 600000);
        // The grid's paint and whatever the load left queued.
        QTest::qWait(200);
        tick.stop();
        if (!loaded || w.journal().recordCount() < 100000)
            throw std::runtime_error("the journal did not load every student");
        stalls.push_back(double(longest) / 1e6);
    }
    std::sort(stalls.begin(), stalls.end());
    std::printf("journal load longest stall 100000 rows: %.0f ms (of three loads: %.0f to %.0f "
                "ms)\n",
                stalls[1], stalls.front(), stalls.back());
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    app::Application application(argc, argv);
    benchmark::Initialize(&argc, argv);
    try {
        printJournalMemory();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "journal memory not measured: %s\n", e.what());
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    const auto& ms = stepMilliseconds();
    if (ms.count(10000) != 0 && ms.count(100000) != 0)
        std::printf("journal step 10000 rows: %.0f ms, 100000 rows: %.0f ms\n", ms.at(10000),
                    ms.at(100000));
    try {
        printLongestStall();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "journal load stall not measured: %s\n", e.what());
    }
    current().reset();
    platform::resetApplicationState();
    return 0;
}
