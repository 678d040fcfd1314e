// Field texts and conversions: what a grid shows, and that the same text pasted back gives
// the same value.
#include "support/MarksDb.h"

#include "db/Field.h"

using namespace db;
// SQLite only: its columns hold any value, which unixODBC reads by the declared type.
using testsupport::MarksDb;

TEST_F(MarksDb, EveryTextAFieldShowsConvertsBackToItsValue) {
    conn_.execute(QStringLiteral("CREATE TABLE kinds (id INTEGER PRIMARY KEY, n INTEGER, r REAL, "
                                 "t VARCHAR(5), d DATE, dt DATETIME, b BIT)"));
    conn_.execute(QStringLiteral("INSERT INTO kinds VALUES (1, -42, 1.5, 'abc', '2024-03-05', "
                                 "'2024-03-05 14:30:07', 1), (2, 3000000000, -0.25, '', "
                                 "'1999-12-31', '2024-03-05 00:00:00', 0), (3, NULL, NULL, NULL, "
                                 "NULL, NULL, NULL)"));
    DataSet kinds(DataSetKind::Query);
    kinds.setConnection(&conn_);
    kinds.setSql(QStringLiteral("select * from kinds order by id"));
    kinds.setUpdateTable(QStringLiteral("kinds"), QStringLiteral("id"));
    DB_STEP(kinds.open());
    EXPECT_EQ(column(kinds, "n"), (QStringList{"-42", "3000000000", ""}));
    EXPECT_EQ(column(kinds, "r"), (QStringList{"1,5", "-0,25", ""}));
    EXPECT_EQ(column(kinds, "d"), (QStringList{"05.03.2024", "31.12.1999", ""}));
    EXPECT_EQ(column(kinds, "dt"), (QStringList{"05.03.2024 14:30:07", "05.03.2024", ""}));
    EXPECT_EQ(column(kinds, "b"), (QStringList{"True", "False", ""}));

    // Each text set back into its own field changes nothing, so the post sends nothing.
    kinds.first();
    while (!kinds.eof()) {
        kinds.edit();
        for (Field* f : kinds.fields()) {
            const QVariant before = f->value();
            DB_STEP(f->setText(f->text()));
            EXPECT_EQ(f->text(), f->textOf(before)) << f->fieldName().toStdString();
        }
        statements_.clear();
        DB_STEP(kinds.post());
        EXPECT_TRUE(statements_.isEmpty()) << statements_.join(u'\n').toStdString();
        kinds.next();
    }

    // Other accepted spellings.
    kinds.first();
    kinds.edit();
    const struct {
        const char* field;
        const char* typed;
        const char* shown;
    } cases[] = {
        {"r", "2.75", "2,75"},
        {"r", " 7 ", "7"},
        {"d", "2024-01-02", "02.01.2024"},
        {"dt", "2024-01-02T03:04:05", "02.01.2024 03:04:05"},
        {"dt", "02.01.2024 3:04", "02.01.2024 03:04:00"},
        {"b", "false", "False"},
        {"b", "1", "True"},
        {"t", "abcdefgh", "abcde"},
        {"n", "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        Field* f = kinds.fieldByName(QString::fromUtf8(c.field));
        DB_STEP(f->setText(QString::fromUtf8(c.typed)));
        EXPECT_EQ(f->text(), QString::fromUtf8(c.shown));
    }
    kinds.cancel();
}

TEST_F(MarksDb, ColumnsOfMixedOrMissingValuesKeepEveryValue) {
    // SQLite lets one column hold numbers and texts; an all-null column takes what is set.
    conn_.execute(QStringLiteral("CREATE TABLE loose (id INTEGER PRIMARY KEY, v, w)"));
    conn_.execute(QStringLiteral("INSERT INTO loose VALUES (1, 7, NULL), (2, 'seven', NULL), "
                                 "(3, 7.5, NULL)"));
    DataSet loose(DataSetKind::Query);
    loose.setConnection(&conn_);
    loose.setSql(QStringLiteral("select * from loose order by id"));
    loose.setUpdateTable(QStringLiteral("loose"), QStringLiteral("id"));
    DB_STEP(loose.open());
    EXPECT_EQ(column(loose, "v"), (QStringList{"7", "seven", "7,5"}));
    loose.setRecNo(2);
    loose.edit();
    loose.fieldByName(QStringLiteral("w"))->setText(QStringLiteral("first"));
    DB_STEP(loose.post());
    loose.insert();
    loose.fieldByName(QStringLiteral("id"))->setValue(4);
    loose.fieldByName(QStringLiteral("v"))->setValue(8);
    DB_STEP(loose.post());
    EXPECT_EQ(column(loose, "w"), (QStringList{"", "", "first", ""}));
    EXPECT_EQ(column(loose, "id"), (QStringList{"1", "4", "2", "3"}));
    DB_STEP(loose.refresh());
    EXPECT_EQ(column(loose, "w"), (QStringList{"", "first", "", ""}));
    EXPECT_EQ(column(loose, "v"), (QStringList{"7", "seven", "7,5", "8"}));
}
