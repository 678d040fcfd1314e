// How each database behind ODBC gets its bound values and its new keys.
#include "db/OdbcValueCodec.h"

#include <gtest/gtest.h>

#include <QDateTime>

namespace {

TEST(OdbcValueCodec, BindsDateTimesInTheFormEachDatabaseMatches) {
    const QDateTime noon(QDate(2024, 4, 5), QTime(12, 30, 15, 250));
    const QDateTime whole(QDate(2024, 4, 5), QTime(12, 30, 15));
    const struct {
        const char* dbms;
        QVariant value;
        QVariant bound;
    } cases[] = {
        {"Microsoft SQL Server", noon, QStringLiteral("2024-04-05T12:30:15.250")},
        {"Microsoft SQL Server", whole, QStringLiteral("2024-04-05T12:30:15.000")},
        {"Microsoft SQL Server", QVariant(QMetaType(QMetaType::QDateTime)),
         QVariant(QMetaType(QMetaType::QDateTime))},
        {"Microsoft SQL Server", true, true},
        {"", noon, QStringLiteral("2024-04-05T12:30:15.250")},
        {"SQLite", noon, QStringLiteral("2024-04-05 12:30:15.250")},
        {"SQLite", whole, QStringLiteral("2024-04-05 12:30:15")},
        {"SQLite", true, 1},
        {"sqlite3", whole, QStringLiteral("2024-04-05 12:30:15")},
    };
    for (const auto& c : cases) {
        const auto codec = db::odbc::ValueCodec::forDbms(QString::fromLatin1(c.dbms));
        const QVariant bound = codec->bound(c.value);
        EXPECT_EQ(bound.typeId(), c.bound.typeId()) << c.dbms << " " << c.value.typeName();
        EXPECT_EQ(bound, c.bound) << c.dbms << " " << c.value.typeName();
    }
}

TEST(OdbcValueCodec, AsksEachDatabaseForTheNewKeyItsOwnWay) {
    EXPECT_EQ(
        db::odbc::ValueCodec::forDbms(QStringLiteral("Microsoft SQL Server"))->lastInsertIdQuery(),
        QStringLiteral("SELECT @@IDENTITY"));
    EXPECT_EQ(db::odbc::ValueCodec::forDbms(QStringLiteral("SQLite"))->lastInsertIdQuery(),
              QStringLiteral("SELECT last_insert_rowid()"));
}

} // namespace
