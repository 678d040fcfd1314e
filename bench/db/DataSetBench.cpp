// Speed and memory of data sets on a journal-shaped SQLite table: opening with lookups and
// a calculated field against a bare forward-only fetch, lookup text, key-filter counts, a post.
#include "db/Connection.h"
#include "db/DataSet.h"
#include "db/SqliteDriver.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlQueryModel>
#include <QSqlRecord>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <malloc.h>
#include <map>
#include <memory>
#include <sqlite3.h>

namespace {

constexpr int students = 3000, teachers = 200, marks = 30, forms = 5;

QTemporaryDir& tempDir() {
    static QTemporaryDir dir;
    return dir;
}

// A database file with `rows` journal rows and the four name tables, made once per size.
QString databaseWith(int rows) {
    static std::map<int, QString> made;
    if (auto it = made.find(rows); it != made.end())
        return it->second;
    const QString path = tempDir().filePath(QStringLiteral("journal%1.sqlite").arg(rows));
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("make"));
        db.setDatabaseName(path);
        db.open();
        QSqlQuery q(db);
        q.exec(QStringLiteral("CREATE TABLE mark_mag (id_mark_mag INTEGER PRIMARY KEY, id_group "
                              "INTEGER, id_student INTEGER, id_examination INTEGER, id_estimation "
                              "INTEGER, id_discipline INTEGER, id_semester INTEGER, id_teacher "
                              "INTEGER, p35 VARCHAR(50), p36 DATETIME, id_f_est INTEGER, oper "
                              "VARCHAR(5), u_date DATETIME, primech VARCHAR(50), dopusk_izm BIT)"));
        q.exec(QStringLiteral(
            "CREATE TABLE s_fio (id_student INTEGER PRIMARY KEY, s_fio VARCHAR(70))"));
        q.exec(QStringLiteral(
            "CREATE TABLE t_fio (id_teacher INTEGER PRIMARY KEY, t_fio VARCHAR(60))"));
        q.exec(QStringLiteral(
            "CREATE TABLE estimation (id_estimation INTEGER PRIMARY KEY, p31 VARCHAR(30))"));
        q.exec(QStringLiteral("CREATE TABLE f_est (id_f_e INTEGER PRIMARY KEY, p109 VARCHAR(30))"));
        db.transaction();
        const auto names = [&](const QString& table, int n, const QString& stem) {
            q.prepare(QStringLiteral("INSERT INTO %1 VALUES (?, ?)").arg(table));
            for (int i = 1; i <= n; ++i) {
                q.addBindValue(i);
                q.addBindValue(stem + QString::number(i));
                q.exec();
            }
        };
        names(QStringLiteral("s_fio"), students, QStringLiteral("Студентов Студент Студентович "));
        names(QStringLiteral("t_fio"), teachers, QStringLiteral("Преподавателев П.П. "));
        names(QStringLiteral("estimation"), marks, QStringLiteral("оценка "));
        names(QStringLiteral("f_est"), forms, QStringLiteral("Ведомость "));
        q.prepare(QStringLiteral("INSERT INTO mark_mag VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, "
                                 "?, ?, ?)"));
        for (int i = 1; i <= rows; ++i) {
            for (const QVariant& v :
                 {QVariant(i), QVariant(i % 40), QVariant(1 + i % students), QVariant(1 + i % 4),
                  QVariant(1 + i % marks), QVariant(i % 60), QVariant(i % 10),
                  QVariant(1 + i % teachers), QVariant(QString::number(i % 500)),
                  QVariant(QStringLiteral("2024-03-05 14:30:00")), QVariant(1 + i % forms),
                  QVariant(QStringLiteral("adm")), QVariant(QStringLiteral("2024-03-06 00:00:00")),
                  QVariant(i % 3 ? QString() : QStringLiteral("д")), QVariant(i % 2)})
                q.addBindValue(v);
            if (!q.exec())
                std::fprintf(stderr, "%s\n", qPrintable(q.lastError().text()));
        }
        db.commit();
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("make"));
    made[rows] = path;
    return path;
}

// The journal's shape: its data columns, four lookups and the row number.
struct Journal {
    db::Connection conn;
    std::vector<std::unique_ptr<db::DataSet>> lookups;
    db::DataSet ds{db::DataSetKind::Query};

    explicit Journal(int rows) {
        conn.setConnectionString(QStringLiteral("Data Source=") + databaseWith(rows));
        using db::FieldDef, db::FieldKind, db::FieldType;
        const auto lookupSource = [&](const char* sql) {
            auto l = std::make_unique<db::DataSet>(db::DataSetKind::Query);
            l->setConnection(&conn);
            l->setSql(QString::fromUtf8(sql));
            l->open();
            lookups.push_back(std::move(l));
            return lookups.back().get();
        };
        db::DataSet* s = lookupSource("select * from s_fio");
        db::DataSet* t = lookupSource("select * from t_fio");
        db::DataSet* e = lookupSource("select * from estimation");
        db::DataSet* f = lookupSource("select * from f_est");
        const auto data = [&](const char* name, FieldType type, int size = 0) {
            FieldDef d;
            d.name = QString::fromUtf8(name);
            d.type = type;
            d.size = size;
            ds.addFieldDef(d);
        };
        const auto lookup = [&](const char* name, db::DataSet* source, const char* key,
                                const char* result, const char* own, int size) {
            FieldDef d;
            d.name = QString::fromUtf8(name);
            d.kind = FieldKind::Lookup;
            d.size = size;
            d.lookupDataSet = source;
            d.lookupKeyFields = QString::fromUtf8(key);
            d.lookupResultField = QString::fromUtf8(result);
            d.keyFields = QString::fromUtf8(own);
            ds.addFieldDef(d);
        };
        data("id_mark_mag", FieldType::AutoInc);
        for (const char* n : {"id_group", "id_student", "id_examination", "id_estimation",
                              "id_discipline", "id_semester", "id_teacher"})
            data(n, FieldType::Integer);
        data("p35", FieldType::String, 50);
        data("p36", FieldType::DateTime);
        data("id_f_est", FieldType::Integer);
        data("oper", FieldType::String, 5);
        data("u_date", FieldType::DateTime);
        lookup("estimation", e, "id_estimation", "p31", "id_estimation", 30);
        lookup("teacher", t, "id_teacher", "t_fio", "id_teacher", 60);
        lookup("f_est", f, "id_f_e", "p109", "id_f_est", 30);
        lookup("student", s, "id_student", "s_fio", "id_student", 70);
        FieldDef no;
        no.name = QStringLiteral("No");
        no.kind = FieldKind::Calculated;
        no.type = FieldType::Integer;
        ds.addFieldDef(no);
        data("primech", FieldType::String, 50);
        data("dopusk_izm", FieldType::Boolean);
        ds.onCalcFields = [](db::DataSet& d) {
            d.fieldByName(QStringLiteral("No"))->setValue(std::abs(d.recNo()));
        };
        ds.setConnection(&conn);
        ds.setSql(QStringLiteral("select * from mark_mag"));
        ds.setUpdateTable(QStringLiteral("mark_mag"), QStringLiteral("id_mark_mag"));
    }
};

// The floor: every row fetched forward-only by Qt's SQLite driver and kept as values.
std::vector<std::vector<QVariant>> bareFetch(const QString& path) {
    std::vector<std::vector<QVariant>> rows;
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("bare"));
        db.setDatabaseName(path);
        db.open();
        QSqlQuery q(db);
        q.setForwardOnly(true);
        q.exec(QStringLiteral("select * from mark_mag"));
        const int n = q.record().count();
        while (q.next()) {
            std::vector<QVariant> row;
            row.reserve(static_cast<size_t>(n));
            for (int i = 0; i < n; ++i)
                row.push_back(q.value(i));
            rows.push_back(std::move(row));
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("bare"));
    return rows;
}

// The engine's own floor: the same statement stepped with sqlite3_step on the data set's own
// open connection, each column kept in an array of its type. Numbers as 64-bit integers,
// date-times packed as the data set packs them, texts as the QString the client shows.
struct RawColumns {
    std::vector<std::vector<qint64>> numbers;
    std::vector<std::vector<QString>> texts;
    size_t rows = 0;
};

// "YYYY-MM-DD HH:MM:SS" to Julian day * milliseconds a day + milliseconds since midnight.
qint64 packedDateTime(const unsigned char* t, int n) {
    if (n < 19)
        return 0;
    const auto num = [t](int at, int digits) {
        int v = 0;
        for (int i = 0; i < digits; ++i)
            v = v * 10 + (t[at + i] - '0');
        return v;
    };
    const qint64 day = QDate(num(0, 4), num(5, 2), num(8, 2)).toJulianDay();
    return day * 86400000 + (num(11, 2) * 3600 + num(14, 2) * 60 + num(17, 2)) * 1000;
}

RawColumns rawStep(sqlite3* handle, const char* sql) {
    RawColumns out;
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(handle, sql, -1, &stmt, nullptr) != SQLITE_OK)
        return out;
    enum class Kind { Number, DateTime, Text };
    const int n = sqlite3_column_count(stmt);
    std::vector<Kind> kinds;
    std::vector<size_t> slot;
    for (int i = 0; i < n; ++i) {
        const char* declared = sqlite3_column_decltype(stmt, i);
        const QByteArray type = QByteArray(declared != nullptr ? declared : "").toUpper();
        const Kind kind = type.startsWith("VARCHAR")    ? Kind::Text
                          : type.startsWith("DATETIME") ? Kind::DateTime
                                                        : Kind::Number;
        kinds.push_back(kind);
        if (kind == Kind::Text) {
            slot.push_back(out.texts.size());
            out.texts.emplace_back();
        } else {
            slot.push_back(out.numbers.size());
            out.numbers.emplace_back();
        }
    }
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        for (int i = 0; i < n; ++i) {
            const size_t at = slot[size_t(i)];
            switch (kinds[size_t(i)]) {
            case Kind::Number:
                out.numbers[at].push_back(sqlite3_column_int64(stmt, i));
                break;
            case Kind::DateTime:
                out.numbers[at].push_back(
                    packedDateTime(sqlite3_column_text(stmt, i), sqlite3_column_bytes(stmt, i)));
                break;
            case Kind::Text:
                out.texts[at].push_back(
                    QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, i)),
                                      sqlite3_column_bytes(stmt, i)));
                break;
            }
        }
        ++out.rows;
    }
    sqlite3_finalize(stmt);
    return out;
}

sqlite3* handleOf(db::Connection& conn) {
    auto* driver = dynamic_cast<db::SqliteDriver*>(&conn.driver());
    return driver != nullptr ? driver->handle() : nullptr;
}

// Qt's own model on the same file: every row fetched with fetchMore, as a view scrolled to the
// end would have it.
class ModelFetch {
public:
    explicit ModelFetch(const QString& path) {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("model"));
        db.setDatabaseName(path);
        db.open();
        model_ = std::make_unique<QSqlQueryModel>();
        model_->setQuery(QStringLiteral("select * from mark_mag"), db);
        while (model_->canFetchMore())
            model_->fetchMore();
    }
    ~ModelFetch() {
        model_.reset();
        QSqlDatabase::removeDatabase(QStringLiteral("model"));
    }
    int rowCount() const { return model_->rowCount(); }

private:
    std::unique_ptr<QSqlQueryModel> model_;
};

void OpenDataSet(benchmark::State& state) {
    Journal j(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        j.ds.open();
        benchmark::DoNotOptimize(j.ds.recordCount());
        state.PauseTiming();
        j.ds.close();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(OpenDataSet)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

void BareForwardOnlyFetch(benchmark::State& state) {
    const QString path = databaseWith(static_cast<int>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(bareFetch(path).size());
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BareForwardOnlyFetch)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

void RawSqliteStep(benchmark::State& state) {
    Journal j(static_cast<int>(state.range(0)));
    j.ds.open();
    sqlite3* handle = handleOf(j.conn);
    for (auto _ : state)
        benchmark::DoNotOptimize(rawStep(handle, "select * from mark_mag").rows);
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(RawSqliteStep)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

void QSqlQueryModelFetchAll(benchmark::State& state) {
    const QString path = databaseWith(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        ModelFetch model(path);
        benchmark::DoNotOptimize(model.rowCount());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(QSqlQueryModelFetchAll)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

void LookupTextOfARow(benchmark::State& state) {
    Journal j(static_cast<int>(state.range(0)));
    j.ds.open();
    db::Field* student = j.ds.fieldByName(QStringLiteral("student"));
    db::Field* teacher = j.ds.fieldByName(QStringLiteral("teacher"));
    int row = 0;
    const int n = j.ds.recordCount();
    for (auto _ : state) {
        j.ds.setDisplayRow(row);
        benchmark::DoNotOptimize(student->text());
        benchmark::DoNotOptimize(teacher->text());
        row = (row + 7919) % n;
    }
}
BENCHMARK(LookupTextOfARow)->Arg(10000)->Arg(100000);

void RecordCountUnderKeyFilter(benchmark::State& state) {
    Journal j(static_cast<int>(state.range(0)));
    j.ds.open();
    int student = 1;
    for (auto _ : state) {
        j.ds.setFilter(QStringLiteral("id_student=%1 and id_examination=%2")
                           .arg(student)
                           .arg(1 + student % 4));
        j.ds.setFiltered(true);
        benchmark::DoNotOptimize(j.ds.recordCount());
        j.ds.setFiltered(false);
        student = student % students + 1;
    }
}
BENCHMARK(RecordCountUnderKeyFilter)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);

void PostOneRow(benchmark::State& state) {
    Journal j(10000);
    j.ds.open();
    j.ds.setRecNo(500);
    int i = 0;
    for (auto _ : state) {
        j.ds.edit();
        j.ds.fieldByName(QStringLiteral("p35"))->setValue(QString::number(++i));
        j.ds.post();
    }
}
BENCHMARK(PostOneRow)->Unit(benchmark::kMicrosecond);

// Bytes the allocator has handed out and not taken back.
size_t heapInUse() {
    const struct mallinfo2 m = mallinfo2();
    return m.uordblks + m.hblkhd;
}

double cpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

long residentKb(const char* key) {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : f.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(static_cast<int>(qstrlen(key))).trimmed().split(' ').front().toLong();
    }
    return 0;
}

// Starts a new peak of the resident set (Linux: "5" to clear_refs).
void resetPeakResident() {
    QFile f(QStringLiteral("/proc/self/clear_refs"));
    if (f.open(QIODevice::WriteOnly))
        f.write("5");
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    // Memory, then the ratio in one run: medians of five process-time measurements each,
    // so that other programs on the machine do not tilt it.
    const int rows = 100000;
    const QString path = databaseWith(rows);
    size_t before = heapInUse();
    size_t bareBytes = 0;
    {
        auto bare = bareFetch(path);
        bareBytes = heapInUse() - before;
    }
    // The raw data: the values themselves, 8 bytes a number or date-time, 2 a character.
    size_t rawBytes = 0;
    for (const auto& row : bareFetch(path)) {
        for (const QVariant& v : row)
            rawBytes += v.typeId() == QMetaType::QString ? 2 * size_t(v.toString().size()) : 8;
    }
    Journal j(rows);
    // Heap kept while open and the peak of the resident set while opening, each against
    // Qt's model holding the same rows; the peak counts from the level before the open.
    malloc_trim(0);
    resetPeakResident();
    long base = residentKb("VmRSS:");
    before = heapInUse();
    j.ds.open();
    const size_t dataSetBytes = heapInUse() - before;
    const long dataSetPeak = residentKb("VmHWM:") - base;
    j.ds.close();
    malloc_trim(0);
    resetPeakResident();
    base = residentKb("VmRSS:");
    before = heapInUse();
    size_t modelBytes = 0;
    long modelPeak = 0;
    {
        ModelFetch model(path);
        modelBytes = heapInUse() - before;
        modelPeak = residentKb("VmHWM:") - base;
    }
    std::printf("memory per %d rows: data set %.1f MiB, bare fetched rows %.1f MiB, raw values "
                "%.1f MiB (data set %.2fx the bare rows, %.2fx the raw values)\n",
                rows, double(dataSetBytes) / 1048576.0, double(bareBytes) / 1048576.0,
                double(rawBytes) / 1048576.0, double(dataSetBytes) / double(bareBytes),
                double(dataSetBytes) / double(rawBytes));
    std::printf("heap kept while open: data set %.1f MiB, QSqlQueryModel %.1f MiB, ratio %.2f\n",
                double(dataSetBytes) / 1048576.0, double(modelBytes) / 1048576.0,
                double(dataSetBytes) / double(modelBytes));
    std::printf("peak resident growth while opening: data set %ld KiB, QSqlQueryModel %ld KiB, "
                "ratio %.2f\n",
                dataSetPeak, modelPeak, double(dataSetPeak) / double(std::max(modelPeak, 1L)));

    std::vector<double> open, bare, model, raw;
    j.ds.open();
    sqlite3* handle = handleOf(j.conn);
    j.ds.close();
    for (int i = 0; i < 5; ++i) {
        double t = cpuSeconds();
        benchmark::DoNotOptimize(bareFetch(path).size());
        bare.push_back(cpuSeconds() - t);
        t = cpuSeconds();
        auto m = std::make_unique<ModelFetch>(path);
        benchmark::DoNotOptimize(m->rowCount());
        model.push_back(cpuSeconds() - t);
        m.reset();
        t = cpuSeconds();
        j.ds.open();
        open.push_back(cpuSeconds() - t);
        j.ds.close();
        // Right after the data set, on its connection: the same pages cached, the same
        // session settings.
        t = cpuSeconds();
        benchmark::DoNotOptimize(rawStep(handle, "select * from mark_mag").rows);
        raw.push_back(cpuSeconds() - t);
    }
    std::printf("open %d rows: data set %.1f ms, bare fetch %.1f ms, QSqlQueryModel %.1f ms "
                "(process time)\n",
                rows, median(open) * 1e3, median(bare) * 1e3, median(model) * 1e3);
    std::printf("open %d rows ratio: %.2f\n", rows, median(open) / median(bare));
    std::printf("open %d rows vs QSqlQueryModel ratio: %.2f\n", rows, median(open) / median(model));
    std::printf("open %d rows: raw sqlite3_step into typed arrays %.1f ms (process time)\n", rows,
                median(raw) * 1e3);
    std::printf("open %d rows vs raw sqlite ratio: %.2f\n", rows, median(open) / median(raw));
    return 0;
}
