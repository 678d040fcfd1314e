// SORT_MARK_MAG for one selection of 25 rows in a journal of 10,000 and of 500,000 rows:
// the times should match, since the procedure reads one range of an index.
#include "db/Connection.h"
#include "embedded/EmbeddedServer.h"
#include "embedded/ServerAdmin.h"
#include "platform/Cp1251.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QTemporaryDir>

#include <map>
#include <memory>

namespace {

constexpr int Students = 25, Semesters = 10, Disciplines = 10;

// A database whose journal has the given number of rows, made once per size.
class Journal {
public:
    explicit Journal(int rows) {
        path_ = dir_.filePath(QStringLiteral("bench.sqlite"));
        embedded::createDatabase(path_);
        embedded::ServerAdmin admin(path_);
        const int id = admin.createUser(QStringLiteral("bench"), QStringLiteral("pw"),
                                        QDateTime::currentDateTime());
        const int selections = rows / Students;
        const int groups = (selections + Semesters * Disciplines - 1) / (Semesters * Disciplines);
        admin.server().beginTransaction();
        admin.exec(QStringLiteral("INSERT INTO examination VALUES (1, 'Экзамен')"));
        admin.exec(QStringLiteral("INSERT INTO estimation VALUES (2, 'отлично'), (25, 'нет')"));
        admin.exec(
            QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                           "WHERE i < ?) INSERT INTO semester SELECT i, i || ' семестр' FROM n"),
            {Semesters});
        admin.exec(QStringLiteral(
                       "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                       "WHERE i < ?) INSERT INTO discipline SELECT i, 'Дисциплина ' || i FROM n"),
                   {Disciplines});
        admin.exec(
            QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                           "WHERE i < ?) INSERT INTO st_group SELECT i, 'Г-' || i, NULL FROM n"),
            {groups});
        // Student names in reverse order of their keys, so the sort has work to do.
        admin.exec(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 "
                                  "FROM n WHERE i < ?) INSERT INTO s_fio SELECT i, "
                                  "'Студент ' || printf('%06d', 1000000 - i), NULL FROM n"),
                   {groups * Students});
        admin.exec(QStringLiteral("INSERT INTO group_student SELECT (id_student - 1) / ? + 1, "
                                  "id_student FROM s_fio"),
                   {Students});
        admin.exec(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n "
                                  "WHERE i < ? - 1) "
                                  "INSERT INTO mark_mag (id_group, id_student, id_examination, "
                                  "id_estimation, id_discipline, id_semester, dopusk_izm) "
                                  "SELECT sel / (? * ?) + 1, (sel / (? * ?)) * ? + i % ? + 1, 1, "
                                  "CASE WHEN i % 7 = 0 THEN 25 ELSE 2 END, sel % ? + 1, "
                                  "(sel / ?) % ? + 1, 0 FROM (SELECT i, i / ? AS sel FROM n)"),
                   {rows, Semesters, Disciplines, Semesters, Disciplines, Students, Students,
                    Disciplines, Disciplines, Semesters, Students});
        admin.server().commit();
        admin.exec(QStringLiteral("ANALYZE"));

        const QString work =
            admin
                .exec(QStringLiteral("SELECT name, password FROM kel_srv_login l JOIN "
                                     "kel_srv_user u ON u.work_login = l.name_key WHERE "
                                     "u.id_login = ?"),
                      {id})
                .rows[0][0]
                .toString();
        const QString password =
            admin.exec(QStringLiteral("SELECT password FROM kel_srv_login WHERE name = ?"), {work})
                .rows[0][0]
                .toString();
        connection.setDriverFactory(embedded::driverFactory());
        connection.setConnectionString(
            QStringLiteral("User ID=%1;Password=%2;Data Source=%3").arg(work, password, path_));
        connection.open();
        // A selection in the middle of the table.
        selection_ = {groups / 2 + 1, Semesters / 2, Disciplines / 2};
    }

    db::Result sort() {
        db::Parameters p;
        p.add({QStringLiteral("@RETURN_VALUE"), db::FieldType::Integer,
               db::ParameterDirection::ReturnValue, 0, 0, false, 0});
        for (const auto& [name, value] :
             {std::pair{"@group", selection_[0]}, std::pair{"@semester", selection_[1]},
              std::pair{"@discipline", selection_[2]}, std::pair{"@examination", 1},
              std::pair{"@id_teacher", 1}})
            p.add({QLatin1String(name), db::FieldType::Integer, db::ParameterDirection::Input, 10,
                   0, true, value});
        p.add({QStringLiteral("@DoNotShow"), db::FieldType::Memo, db::ParameterDirection::Input, 0,
               0, true, QStringLiteral("(id_estimation <> 25)")});
        return connection.callProcedure(QStringLiteral("SORT_MARK_MAG;1"), p, 120);
    }

    db::Connection connection;

private:
    QTemporaryDir dir_;
    QString path_;
    std::array<int, 3> selection_{};
};

// Emptied at the end of main: a connection must close while Qt's SQL state still exists.
std::map<int, std::unique_ptr<Journal>>& journals() {
    static std::map<int, std::unique_ptr<Journal>> made;
    return made;
}

Journal& journal(int rows) {
    auto& j = journals()[rows];
    if (!j)
        j = std::make_unique<Journal>(rows);
    return *j;
}

void SortMarkMag(benchmark::State& state) {
    Journal& j = journal(int(state.range(0)));
    size_t rows = 0;
    for (auto _ : state) {
        const db::Result r = j.sort();
        rows = r.rows.size();
        benchmark::DoNotOptimize(rows);
    }
    state.counters["selection_rows"] = double(rows);
}
BENCHMARK(SortMarkMag)->Arg(10000)->Arg(500000)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    journals().clear();
    return 0;
}
