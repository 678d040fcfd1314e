// The write-back statements' text and bound values, shape by shape, without a database.
#include "db/WriteStatements.h"

#include <QDate>
#include <QStringList>

#include <gtest/gtest.h>

using db::WriteColumn;
using db::WriteStatement;
using db::WriteStatements;

namespace {

const QVariant Null;

// Type and value, so that 5 and "5" or a date and a text differ.
QStringList shown(const std::vector<QVariant>& values) {
    QStringList out;
    for (const QVariant& v : values)
        out << (v.isValid()
                    ? QStringLiteral("%1 %2").arg(QString::fromLatin1(v.typeName()), v.toString())
                    : QStringLiteral("null"));
    return out;
}

struct Case {
    const char* name;
    std::vector<WriteColumn> columns;
    QString sql;
    QStringList binds;
};

void expectStatement(const Case& c, const WriteStatement& s) {
    EXPECT_EQ(s.sql, c.sql) << c.name;
    EXPECT_EQ(shown(s.binds), c.binds) << c.name;
}

const WriteStatements marks(QStringLiteral("mark_mag"), QStringLiteral("id_mark_mag"));

} // namespace

TEST(WriteStatements, AnUpdateSetsTheChangedColumnsAndFindsTheRowByTheirOldValues) {
    const QDate may5(2026, 5, 5), may6(2026, 5, 6);
    const Case cases[] = {
        {"one column changed, the others left out",
         {{"id_student", 12, 12}, {"id_estimation", 3, 5}, {"note", "a", "a"}},
         "UPDATE mark_mag SET id_estimation = ? WHERE id_mark_mag = ? AND id_estimation = ?",
         {"int 5", "int 7", "int 3"}},
        {"an old null is found by IS NULL and binds nothing",
         {{"id_estimation", Null, 4}},
         "UPDATE mark_mag SET id_estimation = ? WHERE id_mark_mag = ? AND id_estimation IS NULL",
         {"int 4", "int 7"}},
        {"a value cleared binds a null",
         {{"note", "late", Null}},
         "UPDATE mark_mag SET note = ? WHERE id_mark_mag = ? AND note = ?",
         {"null", "int 7", "QString late"}},
        {"dates travel as dates",
         {{"data", may5, may6}},
         "UPDATE mark_mag SET data = ? WHERE id_mark_mag = ? AND data = ?",
         {"QDate 2026-05-06", "int 7", "QDate 2026-05-05"}},
        {"several changes keep the columns' order",
         {{"a", 1, 2}, {"b", 1, 1}, {"c", Null, "x"}, {"d", "y", "z"}},
         "UPDATE mark_mag SET a = ?, c = ?, d = ? WHERE id_mark_mag = ? AND a = ? AND c IS "
         "NULL AND d = ?",
         {"int 2", "QString x", "QString z", "int 7", "int 1", "QString y"}},
        {"a changed key column is set and checked like any other",
         {{"id_mark_mag", 7, 8}},
         "UPDATE mark_mag SET id_mark_mag = ? WHERE id_mark_mag = ? AND id_mark_mag = ?",
         {"int 8", "int 7", "int 7"}},
    };
    for (const Case& c : cases)
        expectStatement(c, marks.update(7, c.columns));
}

TEST(WriteStatements, AnUpdateWithoutAChangeIsEmpty) {
    const struct {
        const char* name;
        std::vector<WriteColumn> columns;
    } cases[] = {
        {"no columns", {}},
        {"equal values", {{"a", 1, 1}, {"b", "x", "x"}}},
        {"both null", {{"a", Null, Null}}},
        {"the same number in another integer type", {{"a", 5, qint64(5)}}},
    };
    for (const auto& c : cases) {
        const WriteStatement s = marks.update(7, c.columns);
        EXPECT_TRUE(s.isEmpty()) << c.name << ": " << s.sql.toStdString();
        EXPECT_TRUE(s.binds.empty()) << c.name;
    }
}

TEST(WriteStatements, AnInsertNamesTheColumnsThatHoldAValue) {
    const Case cases[] = {
        {"every column",
         {{"id_student", Null, 12}, {"data", Null, QDate(2026, 5, 6)}},
         "INSERT INTO mark_mag (id_student, data) VALUES (?, ?)",
         {"int 12", "QDate 2026-05-06"}},
        {"a null key is left to the database",
         {{"id_mark_mag", Null, Null}, {"note", Null, "x"}},
         "INSERT INTO mark_mag (note) VALUES (?)",
         {"QString x"}},
        {"no value at all", {{"a", Null, Null}}, "INSERT INTO mark_mag DEFAULT VALUES", {}},
    };
    for (const Case& c : cases)
        expectStatement(c, marks.insert(c.columns));
}

TEST(WriteStatements, ADeleteFindsTheRowByItsKey) {
    const WriteStatement s = marks.remove(qint64(9));
    EXPECT_EQ(s.sql, QStringLiteral("DELETE FROM mark_mag WHERE id_mark_mag = ?"));
    EXPECT_EQ(shown(s.binds), QStringList{QStringLiteral("qlonglong 9")});
}
