// The filter language: the rows each form keeps, and how it reports what it refuses.
#include "db/FilterExpression.h"
#include "db/Connection.h"
#include "db/DataSet.h"
#include "db/DatabaseError.h"

#include "support/DbStep.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

using db::DatabaseError;
using db::FilterExpression;

// Each form of the language, applied to a few rows of a real table: the rows it keeps.
TEST(FilterExpression, AcceptsTheLanguage) {
    testsupport::TempDir dir;
    db::Connection conn;
    conn.setConnectionString(QStringLiteral("Data Source=") + dir.path(QStringLiteral("f.sqlite")));
    for (const char* sql : {
             "CREATE TABLE t (id INTEGER PRIMARY KEY, id_student INTEGER, id_examination "
             "INTEGER, p35 VARCHAR(10), [id group] INTEGER, a FLOAT, b VARCHAR(10), "
             "name VARCHAR(20), x VARCHAR(10), p VARCHAR(20))",
             "INSERT INTO t VALUES "
             "(1, 152, 3, '12', 5, 1.5, NULL, 'O''Brien', '1', 'Иванов'), "
             "(2, 152, 4, '12', -1, NULL, 'b', 'Brien', 'three', 'Петров'), "
             "(3, 7, 3, '13', NULL, 2.5, NULL, 'OBrien', '4', 'Сидоров'), "
             "(4, 152, 3, '13', 5, 2, NULL, NULL, '2', 'Ив'), "
             "(5, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL)",
         })
        DB_STEP(conn.execute(QString::fromUtf8(sql)));
    db::DataSet rows(db::DataSetKind::Query);
    rows.setConnection(&conn);
    rows.setSql(QStringLiteral("select * from t order by id"));
    DB_STEP(rows.open());
    rows.setFiltered(true);

    const struct {
        const char* text;
        QStringList ids;
    } cases[] = {
        {"id_student=152 and id_examination=3", {"1", "4"}},
        {"p35='12' and [id group] <> -1", {"1"}},
        {"not (a is null) or b is not null", {"1", "2", "3", "4"}},
        {"a >= 1.5 and a <= 2 and a<3 and a>0", {"1", "4"}},
        {"name = 'O''Brien'", {"1"}},
        {"x in (1, 2, 'three')", {"1", "2", "4"}},
        {"p like 'Ив%'", {"1", "4"}},
        {"  ", {"1", "2", "3", "4", "5"}},
        {"", {"1", "2", "3", "4", "5"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        DB_STEP(rows.setFilter(QString::fromUtf8(c.text)));
        QStringList kept;
        for (rows.first(); !rows.eof(); rows.next())
            kept << rows.fieldByName(QStringLiteral("id"))->text();
        EXPECT_EQ(kept, c.ids);
    }
}

TEST(FilterExpression, RefusesWithTheTextAndThePlace) {
    const struct {
        const char* text;
        const char* says;
    } cases[] = {
        {"a = ", "a number or a quoted text expected instead of 'end of text' at position 5"},
        {"a = 'x", "unterminated text"},
        {"(a = 1", "')' expected"},
        {"a = 1)", "unexpected ')'"},
        {"a 1", "a comparison expected after 'a'"},
        {"a == 1", "unknown operator '=='"},
        {"a is 1", "'null' expected"},
        {"a = 1 and", "a field name expected instead of 'end of text'"},
        {"a = 1 # b", "unexpected character '#'"},
        {"a = b", "a number or a quoted text expected instead of 'b'"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        try {
            FilterExpression::parse(QString::fromUtf8(c.text));
            ADD_FAILURE() << "accepted";
        } catch (const DatabaseError& e) {
            EXPECT_TRUE(e.message().startsWith(QStringLiteral("Filter '") +
                                               QString::fromUtf8(c.text) +
                                               QStringLiteral("' is not valid: ")))
                << e.what();
            EXPECT_TRUE(e.message().contains(QString::fromUtf8(c.says))) << e.what();
        }
    }
}

TEST(FilterExpression, RefusesNestingAndLengthBeyondItsLimitsWithoutCrashing) {
    const struct {
        const char* name;
        QString text;
        const char* says;
    } cases[] = {
        {"parentheses", QString(50000, QLatin1Char('(')) + QStringLiteral("a = 1"),
         "nested deeper than"},
        {"not", QStringLiteral("not ").repeated(100000) + QStringLiteral("a = 1"),
         "nested deeper than"},
        {"and", QStringLiteral("a = 1 and ").repeated(100000) + QStringLiteral("a = 1"),
         "more than"},
    };
    for (const auto& c : cases) {
        QString error;
        try {
            FilterExpression::parse(c.text);
        } catch (const DatabaseError& e) {
            error = e.message();
        }
        EXPECT_TRUE(error.contains(QString::fromUtf8(c.says))) << c.name;
    }
    EXPECT_NO_THROW(FilterExpression::parse(
        QString(100, QLatin1Char('(')) + QStringLiteral("a = 1") + QString(100, QLatin1Char(')'))));
}

TEST(FilterExpression, APlaceholderInTheFilterStaysInTheErrorText) {
    const struct {
        const char* text;
        const char* says;
    } cases[] = {
        {"a = '%1' and", "Filter 'a = '%1' and' is not valid:"},
        {"%1 = 1", "Filter '%1 = 1' is not valid: unexpected character '%' at position 1."},
        {"a = 1 %2", "Filter 'a = 1 %2' is not valid: unexpected character '%' at position 7."},
    };
    for (const auto& c : cases) {
        QString error;
        try {
            FilterExpression::parse(QString::fromUtf8(c.text));
        } catch (const DatabaseError& e) {
            error = e.message();
        }
        EXPECT_TRUE(error.startsWith(QString::fromUtf8(c.says)))
            << c.text << " -> " << error.toStdString();
    }
}
