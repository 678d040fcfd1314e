// The bulk hand-in date of a signed-in main window over a journal of 1,000 rows of the form
// "Ведомость", the change-history recorder attached, against the bare statements it stands
// for: one UPDATE and one audit INSERT per row, on the same file and connection. The ratio
// is of process time; the wall times, mostly the disk's, are printed beside it.
#include "SignedInWindow.h"
#include "app/Application.h"
#include "controls/DateTimePicker.h"
#include "db/DatabaseError.h"
#include "history/log_u.h"
#include "platform/ApplicationState.h"

#include <benchmark/benchmark.h>

#include <QToolButton>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <memory>
#include <vector>

namespace {

constexpr int Rows = 1000;
const QDate FirstDay(2024, 1, 10);

// One group of 1,000 students whose journal of one discipline is marked and handed in on a
// statement of the form "Ведомость"; the main window signed in with that journal loaded.
class JournalWindow {
public:
    JournalWindow()
        : signedIn_({[](embedded::ServerAdmin& owner) {
                         owner.exec(QStringLiteral("INSERT INTO f_est VALUES(2, 'Направление')"));
                         owner.exec(QStringLiteral(
                                        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 "
                                        "FROM n WHERE i < ?) INSERT INTO s_fio SELECT i, "
                                        "'Студент ' || printf('%04d', (i * 7919) % 10007), "
                                        "'A-' || i FROM n"),
                                    {Rows});
                     },
                     [](embedded::ServerAdmin& owner) {
                         owner.exec(QStringLiteral(
                             "UPDATE mark_mag SET id_estimation = CASE WHEN id_student % 2 = 0 "
                             "THEN 3 ELSE 5 END, id_f_est = 1"));
                     }}) {
        benchjournal::SignedInWindow::choose(window().DBLookupComboBox5);
        if (journal().recordCount() != Rows)
            throw std::runtime_error("the journal did not load its 1,000 rows");
        if (window().Recorder() == nullptr || window().Recorder()->DataSet() != &journal())
            throw std::runtime_error("the recorder is not attached to the journal");
    }

    db::DataSet& journal() { return signedIn_.journal(); }
    db::Connection& connection() { return signedIn_.connection(); }
    // The owner's session, for what the working login may not read.
    embedded::ServerAdmin& admin() { return signedIn_.admin(); }
    TForm2& window() { return signedIn_.window(); }

    int logged() {
        return admin()
            .exec(QStringLiteral("SELECT COUNT(*) FROM KEL_LOG"))
            .rows.at(0)
            .at(0)
            .toInt();
    }

private:
    benchjournal::SignedInWindow signedIn_;
};

std::unique_ptr<JournalWindow>& journalWindow() {
    static std::unique_ptr<JournalWindow> made;
    return made;
}

// A failure ends the benchmark with its message instead of ending the program.
void guarded(benchmark::State& state, void (*body)(benchmark::State&)) {
    try {
        body(state);
    } catch (const db::DatabaseError& e) {
        state.SkipWithError(e.message().toStdString().c_str());
    } catch (const std::exception& e) {
        state.SkipWithError(e.what());
    }
}

JournalWindow& sharedWindow() {
    if (!journalWindow())
        journalWindow() = std::make_unique<JournalWindow>();
    return *journalWindow();
}

// Each run writes a day the rows do not hold yet, so every row changes and is logged.
QDate nextDay() {
    static int runs = 0;
    return FirstDay.addDays(runs++);
}

// Medians of one run of each kind: wall time, and process time, which disk waits and other
// programs on the machine do not tilt.
struct Medians {
    double bulk = 0, bare = 0, bulkCpu = 0, bareCpu = 0;
};
Medians& medians() {
    static Medians m;
    return m;
}

double median(std::vector<double> times) {
    std::sort(times.begin(), times.end());
    return times.empty() ? 0 : times[times.size() / 2];
}

double cpuMilliseconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

// Wall and process time of one run.
class Stopwatch {
public:
    Stopwatch()
        : wall_(std::chrono::steady_clock::now())
        , cpu_(cpuMilliseconds()) {}
    void stop(std::vector<double>& wall, std::vector<double>& cpu) const {
        cpu.push_back(cpuMilliseconds() - cpu_);
        wall.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - wall_)
                .count());
    }

private:
    std::chrono::steady_clock::time_point wall_;
    double cpu_;
};

// A person's click on "Установить дату", the question answered "Yes".
void bulkDate(benchmark::State& state) {
    JournalWindow* w = &sharedWindow();
    std::vector<platform::MessageBoxRequest> boxes;
    platform::ScopedMessageBoxScript yes([&](const platform::MessageBoxRequest& r) {
        boxes.push_back(r);
        return r.caption == QStringLiteral("Уведомление") ? QMessageBox::Yes : QMessageBox::Ok;
    });
    const int loggedBefore = w->logged();
    int runs = 0;
    std::vector<double> times, cpuTimes;
    for (auto _ : state) {
        w->window().DateTimePicker1->setDateTimeValue(QDateTime(nextDay(), QTime(14, 30)));
        const Stopwatch watch;
        QTest::mouseClick(w->window().SpeedButton1, Qt::LeftButton);
        watch.stop(times, cpuTimes);
        ++runs;
    }
    QCoreApplication::processEvents(); // an error's box would come from an event of its own
    if (boxes.size() != size_t(runs)) {
        state.SkipWithError(
            ("a box besides the question: " + boxes.back().text.toStdString()).c_str());
        return;
    }
    if (w->logged() - loggedBefore != runs * Rows) {
        state.SkipWithError("not every row's new date was logged");
        return;
    }
    medians().bulk = median(times);
    medians().bulkCpu = median(cpuTimes);
    state.counters["rows"] = Rows;
}
void BulkDate(benchmark::State& state) {
    guarded(state, bulkDate);
}
BENCHMARK(BulkDate)->Unit(benchmark::kMillisecond);

// The statements of the bulk date's rows, run one by one as the client sends them.
void bareStatements(benchmark::State& state) {
    JournalWindow* w = &sharedWindow();
    db::Connection& c = w->connection();
    struct Row {
        int id;
        QVariant handedIn;
    };
    std::vector<Row> rows;
    for (const auto& r :
         w->admin()
             .exec(QStringLiteral("SELECT id_mark_mag, p36 FROM mark_mag WHERE id_f_est = 1"))
             .rows)
        rows.push_back({r.at(0).toInt(), r.at(1)});
    const QString computer = w->window().AuditComputer();
    const int loggedBefore = w->logged();
    int runs = 0;
    std::vector<double> times, cpuTimes;
    for (auto _ : state) {
        const QDateTime day(nextDay(), QTime(0, 0));
        const QString dayText = day.toString(QStringLiteral("dd.MM.yyyy"));
        const Stopwatch watch;
        for (Row& r : rows) {
            const bool wasNull = r.handedIn.isNull();
            const QString old =
                wasNull ? QStringLiteral("NULL")
                        : r.handedIn.toDateTime().toString(QStringLiteral("dd.MM.yyyy"));
            if (wasNull)
                c.execute(QStringLiteral(
                              "UPDATE mark_mag SET p36 = ? WHERE id_mark_mag = ? AND p36 IS NULL"),
                          {day, r.id});
            else
                c.execute(
                    QStringLiteral("UPDATE mark_mag SET p36 = ? WHERE id_mark_mag = ? AND p36 = ?"),
                    {day, r.id, r.handedIn});
            c.execute(QStringLiteral("INSERT INTO KEL_LOG([table], [row_id], [descr], "
                                     "[KEL_User], [comp]) VALUES('mark_mag', ") +
                      QString::number(r.id) +
                      QStringLiteral(", 'Поле \"p36\" изменило значение \"%1\" на \"%2\".', "
                                     "'bench', '%3')")
                          .arg(old, dayText, computer));
            r.handedIn = day;
        }
        watch.stop(times, cpuTimes);
        ++runs;
    }
    if (w->logged() - loggedBefore != runs * int(rows.size())) {
        state.SkipWithError("not every statement was run");
        return;
    }
    medians().bare = median(times);
    medians().bareCpu = median(cpuTimes);
    state.counters["rows"] = double(rows.size());
}
void BareStatements(benchmark::State& state) {
    guarded(state, bareStatements);
}
BENCHMARK(BareStatements)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The program's own application object: the date's text follows the program's locale.
    app::Application application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    const Medians& m = medians();
    if (m.bulkCpu > 0 && m.bareCpu > 0) {
        std::printf("bulk date %d rows: %.0f ms, bare statements %.0f ms (wall, ratio %.2f); "
                    "%.0f ms and %.0f ms (process time)\n",
                    Rows, m.bulk, m.bare, m.bulk / m.bare, m.bulkCpu, m.bareCpu);
        std::printf("bulk date %d rows ratio: %.2f\n", Rows, m.bulkCpu / m.bareCpu);
    }
    journalWindow().reset();
    platform::resetApplicationState();
    return 0;
}
