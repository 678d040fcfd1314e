// The journal window's discipline step on the embedded server: the statements and sorts its
// cascade runs from the discipline click to the first screen of the loaded journal, for a
// group of 10,000 and of 100,000 students.
#include "../FacultyRows.h"
#include "data/JournalView.h"
#include "data/Unit_2_1.h"
#include "embedded/ServerAdmin.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <malloc.h>
#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace {

constexpr int Group = 1, Semester = 1, Discipline = 1, Examination = 1, ScreenRows = 30;

// The window's selectors hold one complete choice and its grid shows the journal.
class ChosenView : public JournalView {
public:
    explicit ChosenView(db::DataSource* grid)
        : grid_(grid) {}
    std::optional<qint32> selectorKey(JournalSelector s) const override {
        switch (s) {
        case JournalSelector::Group:
            return Group;
        case JournalSelector::Semester:
            return Semester;
        case JournalSelector::Discipline:
            return Discipline;
        case JournalSelector::FormOfControl:
            return Examination;
        }
        return std::nullopt;
    }
    void enableSelector(JournalSelector) override {}
    db::DataSource* journalGridSource() const override { return grid_; }
    QString currentColumnTitle() const override { return QString(); }

private:
    db::DataSource* grid_;
};

void requery(db::DataSet& ds, const QString& sql) {
    ds.close();
    ds.setSql(sql);
    ds.open();
}

// One group of `students` students, one semester, one discipline with an examination, and
// the group's journal already prepared; the data module signed in as a working login.
class Faculty {
public:
    explicit Faculty(int students) {
        const QString path = dir_.filePath(QStringLiteral("kel.sqlite"));
        embedded::createDatabase(path);
        embedded::ServerAdmin admin(path);
        const int user = admin.createUser(QStringLiteral("bench"), QStringLiteral("pw"),
                                          QDateTime::currentDateTime());
        admin.server().beginTransaction();
        addFacultyRows(admin);
        // Names in mixed case and scrambled against their keys, so the sorts have work to do.
        admin.exec(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                                  "WHERE i < ?) INSERT INTO s_fio SELECT i, CASE i % 3 WHEN 0 "
                                  "THEN 'Студентов ' WHEN 1 THEN 'студенткина ' ELSE 'СТУДЕНЦОВ ' "
                                  "END || printf('%07d', (i * 7919) % 1000003), 'A-' || i FROM n"),
                   {students});
        admin.exec(QStringLiteral("INSERT INTO group_student SELECT 1, id_student FROM s_fio"));
        admin.exec(QStringLiteral("INSERT INTO group_login VALUES(1, ?, 1)"), {user});
        admin.server().commit();
        // The journal was opened once before and marked.
        admin.exec(QStringLiteral("EXEC InsertInto_SORT_MARK_MAG 1,1,1,1,1"));
        admin.exec(QStringLiteral("UPDATE mark_mag SET id_estimation = CASE WHEN id_student % 2 "
                                  "= 0 THEN 3 ELSE 5 END"));
        const db::Result work = admin.exec(
            QStringLiteral("SELECT l.name, l.password FROM kel_srv_login l JOIN kel_srv_user u "
                           "ON u.work_login = l.name_key WHERE u.id_login = ?"),
            {user});
        dm.ADO_TAZ.setConnectionString(
            QStringLiteral("Provider=SQLOLEDB.1;User ID=%1;Password=%2;Initial Catalog=KEL;"
                           "Data Source=%3")
                .arg(work.rows.at(0).at(0).toString(), work.rows.at(0).at(1).toString(), path));
        dm.ADO_TAZ.open();
        dm.ADO_TAZ.execute(QStringLiteral("SET DATEFORMAT dmy"));
        dm.setJournalView(&view_);
        for (db::DataSet* ds : {&dm.ADOQ_t_fio, &dm.ADOQ_estimation, &dm.ADOTSemestr,
                                &dm.ADOT_f_est, &dm.ADOQ_Examination})
            ds->open();
        // The group and the semester are chosen.
        requery(dm.ADOQ_g_s, QStringLiteral("Select * from g_s where id_group=1"));
        requery(dm.ADOQ_g_sem, QStringLiteral("Select id_semester, p43, id_rate from g_sem where  "
                                              "id_group=1 GROUP BY id_semester, p43, id_rate"));
    }

    // From the discipline click to the journal's first screen, statement for statement.
    size_t disciplineStep() {
        const QString g = QString::number(Group), s = QString::number(Semester);
        requery(dm.ADOQ_Discipline,
                QStringLiteral(" SELECT id_group,  id_semester, p34, id_discipline FROM "
                               "gr_sem_disc_exam WHERE  id_semester=") +
                    s + QStringLiteral(" and id_group=") + g +
                    QStringLiteral(" GROUP BY id_group, id_semester, p34, id_discipline"));
        requery(dm.ADOQ_g_sem,
                QStringLiteral("Select id_semester, p43, id_rate from g_sem where  id_group=") + g +
                    QStringLiteral(" GROUP BY id_semester, p43, id_rate"));
        requery(dm.ADOQ_s_fio,
                QStringLiteral("Select id_student, s_fio, idid from s_g where id_group=") + g +
                    QStringLiteral(" GROUP BY dbo.s_g.id_student, dbo.s_g.s_fio, idid"));
        dm.ADOQ_s_fio.sortBy(QStringLiteral("s_fio"));
        dm.ADOQ_t_fio.sortBy(QStringLiteral("t_fio"));
        dm.ADOQ_Discipline.sortBy(QStringLiteral("p34"));
        requery(dm.ADOQ_Year, QStringLiteral("Select top (1) g_r_y.* from g_r_y  where id_group=") +
                                  g + QStringLiteral(" and id_rate=") +
                                  dm.ADOQ_g_sem.fieldByName(QStringLiteral("id_rate"))->text());
        requery(dm.ADOQ_Vremennyi,
                QStringLiteral("select id_examination, p30 from gr_sem_disc_exam  where "
                               "id_discipline=1 and id_semester=1 and id_group=1 GROUP BY "
                               "id_examination, p30"));
        requery(dm.ADOQ_estimation, QStringLiteral("Select * from est2 where id_examination=1"));
        requery(dm.ADOQ_Discipline,
                QStringLiteral(" SELECT id_group,  id_examination, p30, id_semester, p34, "
                               "id_discipline FROM gr_sem_disc_exam WHERE  id_semester=1 and "
                               "id_group=1 GROUP BY id_group, id_examination, p30, id_semester, "
                               "p34, id_discipline"));
        dm.ADOQ_EstimationOther.close();
        dm.ADOQ_EstimationOther.parameters().find(QStringLiteral("id_speciality"))->value =
            dm.ADOQ_g_s.fieldByName(QStringLiteral("id_speciality"))->value();
        dm.ADOQ_EstimationOther.open();
        {
            db::ControlsDisabled quiet(dm.ADO_SP_Sort);
            dm.ADOQ_Exec.setSql(QStringLiteral("EXEC InsertInto_SORT_MARK_MAG 1,1,1,1,1"));
            dm.ADOQ_Exec.execSql();
            dm.ADO_SP_Sort.close();
            db::Parameters& p = dm.ADO_SP_Sort.parameters();
            p.find(QStringLiteral("@group"))->value = g;
            p.find(QStringLiteral("@semester"))->value = s;
            p.find(QStringLiteral("@discipline"))->value = QString::number(Discipline);
            p.find(QStringLiteral("@examination"))->value = QString::number(Examination);
            p.find(QStringLiteral("@id_teacher"))->value = 1;
            p.find(QStringLiteral("@DoNotShow"))->value = QStringLiteral("(id_estimation <> 25)");
            dm.ADO_SP_Sort.open();
        }
        // What the grid paints: every field's text on the first screen.
        size_t painted = 0;
        db::DataSet& j = dm.ADO_SP_Sort;
        for (int row = 0; row < std::min(ScreenRows, j.visibleRowCount()); ++row) {
            db::DisplayRowScope scope(j, row);
            for (const db::Field* f : j.fields())
                painted += size_t(f->text().size());
        }
        return painted + size_t(j.visibleRowCount());
    }

    TDM_TAZ_2 dm;

private:
    QTemporaryDir dir_;
    ChosenView view_{&dm.DS_SP_Sort};
};

// Made once per size and destroyed before the application object, while Qt's SQL is alive.
std::map<int, std::unique_ptr<Faculty>>& faculties() {
    static std::map<int, std::unique_ptr<Faculty>> made;
    return made;
}

Faculty& faculty(int students) {
    auto& f = faculties()[students];
    if (!f)
        f = std::make_unique<Faculty>(students);
    return *f;
}

std::map<int, double>& stepMilliseconds() {
    static std::map<int, double> ms;
    return ms;
}

void JournalDisciplineStep(benchmark::State& state) {
    const int students = int(state.range(0));
    Faculty& f = faculty(students);
    std::vector<double> times;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(f.disciplineStep());
        times.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count());
    }
    std::sort(times.begin(), times.end());
    stepMilliseconds()[students] = times[times.size() / 2];
    state.counters["journal_rows"] = double(f.dm.ADO_SP_Sort.recordCount());
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

// What the client keeps for each row of a loaded journal of 100,000 rows: the resident set
// before the journal's load and after it, free memory handed back both times; and, for
// comparison, the row's values themselves (8 bytes a number or date, 2 a character).
void printJournalMemory() {
    Faculty& f = faculty(100000);
    db::DataSet& j = f.dm.ADO_SP_Sort;
    j.close();
    malloc_trim(0);
    const long before = residentKb();
    benchmark::DoNotOptimize(f.disciplineStep());
    malloc_trim(0);
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

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    const auto& ms = stepMilliseconds();
    if (ms.count(10000) != 0 && ms.count(100000) != 0)
        std::printf("journal step 10000 rows: %.0f ms, 100000 rows: %.0f ms\n", ms.at(10000),
                    ms.at(100000));
    printJournalMemory();
    faculties().clear();
    return 0;
}
