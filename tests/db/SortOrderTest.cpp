// The order sortBy gives a column of each kind: texts without case by the user's locale,
// nulls first, equal keys in their previous order, numbers and times by value.
#include "db/Connection.h"
#include "db/DataSet.h"
#include "db/ValueCompare.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <algorithm>
#include <vector>

namespace {

struct SortCase {
    const char* name;
    const char* type;   // the column's declared type
    const char* values; // a VALUES list for the column, in row order
    bool ascending;
    QStringList ids; // the expected order of row ids; empty: as compareValues orders
};

// Row ids in the order of the data set's view.
QStringList ids(db::DataSet& ds) {
    QStringList out;
    for (ds.first(); !ds.eof(); ds.next())
        out << ds.fieldByName(QStringLiteral("id"))->text();
    return out;
}

// The order a stable insertion sort gives by comparing the values pair by pair.
QStringList pairwiseOrder(db::DataSet& ds, bool ascending) {
    std::vector<std::pair<QVariant, QString>> rows;
    for (ds.first(); !ds.eof(); ds.next())
        rows.emplace_back(ds.fieldByName(QStringLiteral("v"))->value(),
                          ds.fieldByName(QStringLiteral("id"))->text());
    for (size_t i = 1; i < rows.size(); ++i)
        for (size_t j = i; j > 0; --j) {
            const int c = db::compareValues(rows[j - 1].first, rows[j].first);
            if (ascending ? c <= 0 : c >= 0)
                break;
            std::swap(rows[j - 1], rows[j]);
        }
    QStringList out;
    for (const auto& r : rows)
        out << r.second;
    return out;
}

} // namespace

TEST(SortOrder, EachKindOfColumnSortsAsComparedPairwise) {
    const SortCase cases[] = {
        {"Cyrillic, mixed case, equal folded keys keep their order",
         "VARCHAR(40)",
         "('петров'), ('Иванов'), ('АБРАМОВА'), ('иванов'), ('Сидоров'), ('ИВАНОВ')",
         true,
         {"3", "2", "4", "6", "1", "5"}},
        {"nulls first, keeping their order",
         "VARCHAR(40)",
         "(NULL), ('б'), (NULL), ('А')",
         true,
         {"1", "3", "4", "2"}},
        {"digits before letters, as text",
         "VARCHAR(40)",
         "('b'), ('A'), ('10'), ('9')",
         true,
         {"3", "4", "2", "1"}},
        {"Latin and Cyrillic, as the locale orders them",
         "VARCHAR(40)",
         "('b'), ('Я'), ('a'), ('ж'), ('B')",
         true,
         {}},
        {"descending keeps equal keys in order, nulls last",
         "VARCHAR(40)",
         "('ab'), (NULL), ('AB'), ('b'), ('Ab')",
         false,
         {"4", "1", "3", "5", "2"}},
        {"ё and Ё among е and ж, as the locale orders them",
         "VARCHAR(40)",
         "('ёлкин'), ('Егоров'), ('Жуков'), ('Ёлкин'), ('елкин'), ('ежов')",
         true,
         {}},
        {"whole numbers with equal keys",
         "INTEGER",
         "(2), (1), (2), (NULL), (1)",
         true,
         {"4", "2", "5", "1", "3"}},
        {"whole numbers descending",
         "INTEGER",
         "(2), (1), (2), (NULL), (1)",
         false,
         {"1", "3", "2", "5", "4"}},
        {"fractions",
         "FLOAT",
         "(2.5), (2), (10), (-1), (NULL), (2.0)",
         true,
         {"5", "4", "2", "6", "1", "3"}},
        {"date-times with milliseconds",
         "DATETIME",
         "('2024-03-06 00:00:00'), (NULL), ('2024-03-05 14:30:00.500'), "
         "('2024-03-05 14:30:00'), ('2024-03-06 00:00:00')",
         true,
         {"2", "4", "3", "1", "5"}},
    };
    for (const SortCase& c : cases) {
        SCOPED_TRACE(c.name);
        testsupport::TempDir dir;
        db::Connection conn;
        conn.setConnectionString(QStringLiteral("Data Source=") +
                                 dir.path(QStringLiteral("sort.sqlite")));
        db::DataSet ds(db::DataSetKind::Query);
        try {
            conn.execute(QStringLiteral("CREATE TABLE t (id INTEGER PRIMARY KEY, v %1)")
                             .arg(QString::fromUtf8(c.type)));
            conn.execute(QStringLiteral("INSERT INTO t (v) VALUES ") + QString::fromUtf8(c.values));
            ds.setConnection(&conn);
            ds.setSql(QStringLiteral("select id, v from t order by id"));
            ds.open();
        } catch (const db::DatabaseError& e) {
            FAIL() << e.message().toStdString();
        }
        const QStringList expected = c.ids.isEmpty() ? pairwiseOrder(ds, c.ascending) : c.ids;
        ds.sortBy(QStringLiteral("v"), c.ascending);
        EXPECT_EQ(ids(ds), expected) << c.name;
        if (!c.ids.isEmpty()) {
            EXPECT_EQ(pairwiseOrder(ds, c.ascending), expected) << "pairwise: " << c.name;
        }
    }
}
