// The data set's filter language on arbitrary texts: parsed, bound to the fields of an open
// data set and evaluated over its rows (texts, numbers, dates, flags and nulls), or refused;
// never a crash, and a filter never shows a row the data set does not hold.
#include "db/Connection.h"
#include "db/DataSet.h"
#include "db/DatabaseError.h"
#include "db/FilterExpression.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>

#include <cstdlib>

namespace {

// Never destroyed: at exit Qt's SQL statics are gone before ours would be.
db::Connection* connection = nullptr;
db::DataSet* rows = nullptr;

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    // Never destroyed either: its exit routines would reach Qt SQL's statics, gone by then.
    new QCoreApplication(*argc, *argv);
    static QTemporaryDir dir;
    connection = new db::Connection;
    connection->setConnectionString(QStringLiteral("Data Source=") +
                                    QDir(dir.path()).filePath(QStringLiteral("filter.sqlite")));
    for (const char* sql : {
             "CREATE TABLE t (id_student INTEGER PRIMARY KEY, p35 VARCHAR(10), "
             "mark FLOAT, p36 DATETIME, o_z BIT, \"id group\" INTEGER, s_fio VARCHAR(70))",
             "INSERT INTO t VALUES (1, '12', 4.5, '2024-01-15 00:00:00', 1, 3, 'Иванов И.И.'), "
             "(2, NULL, NULL, NULL, NULL, NULL, NULL), "
             "(152, '', -1, '1999-12-31 23:59:59', 0, -1, 'Ива%_''н'), "
             "(-7, 'б1', 1e300, '2024-02-29 12:00:00', 1, 2147483647, ''), "
             "(9223372036854775807, 'x', -0.0, '0001-01-01 00:00:00', 0, 0, 'ё')",
         })
        connection->execute(QString::fromUtf8(sql));
    rows = new db::DataSet(db::DataSetKind::Query);
    rows->setConnection(connection);
    rows->setSql(QStringLiteral("SELECT * FROM t ORDER BY id_student"));
    rows->open();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    try {
        db::FilterExpression::parse(text);
    } catch (const db::DatabaseError&) {
        return 0;
    }
    const int all = rows->recordCount();
    try {
        rows->setFilter(text);
        rows->setFiltered(true);
        if (rows->recordCount() > all)
            std::abort();
        for (rows->first(); !rows->eof(); rows->next())
            for (int i = 0; i < rows->fieldCount(); ++i)
                rows->field(i)->text();
    } catch (const db::DatabaseError&) {
    }
    try {
        rows->setFiltered(false);
        rows->setFilter(QString());
    } catch (const db::DatabaseError&) {
        std::abort();
    }
    if (rows->recordCount() != all)
        std::abort();
    return 0;
}
