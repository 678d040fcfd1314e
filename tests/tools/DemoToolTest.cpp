// kel-demo: the demo faculty and settings file it writes, and its refusal to overwrite.
#include "DemoDatabase.h"

#include "db/Connection.h"
#include "db/DatabaseError.h"
#include "embedded/EmbeddedServer.h"
#include "platform/Cp1251.h"
#include "signin/SettingsFile.h"
#include "signin/md5.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QFile>

using tools::DemoNames;

namespace {

QByteArray digestOf(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly)
               ? QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha1)
               : QByteArray();
}

int run(const QStringList& arguments, const QString& dir, QString* err = nullptr) {
    QString out, e;
    const int code = tools::runDemoTool(arguments, dir, out, e);
    if (err != nullptr)
        *err = e;
    return code;
}

class DemoTool : public ::testing::Test {
protected:
    // The connection the client builds from the settings file, the file found in the folder.
    db::Connection& connect(const QString& login, const QString& password) {
        const signin::TFirstConnectInfo s = signin::readSettingsFile(dir.path("Data/KEL"));
        connection.close();
        connection.setDriverFactory(embedded::driverFactory());
        connection.setConnectionString(QStringLiteral("User ID=%1;Password=%2;Initial Catalog=%3;"
                                                      "Data Source=%4")
                                           .arg(login, password, s.InitialCatalog,
                                                dir.path(QStringLiteral("Data/") + s.DataSource)));
        connection.open();
        return connection;
    }

    std::vector<QVariant> getUser(const QString& login, const QString& password) {
        const signin::TFirstConnectInfo s = signin::readSettingsFile(dir.path("Data/KEL"));
        db::Connection& c = connect(s.UserID, s.Password);
        const db::Result r = c.query(QStringLiteral("EXEC GET_USER '%1','%2',NULL, 'KEL 14', "
                                                    "'127.0.0.1', 'PC', '%1','0','4'")
                                         .arg(login, MD5Hex(password)));
        return r.rows.at(0);
    }

    testsupport::TempDir dir;
    db::Connection connection;
};

} // namespace

TEST_F(DemoTool, WritesADemoFacultyAndSettingsTheClientSignsInWith) {
    ASSERT_EQ(run({}, dir.path(".")), 0);
    const signin::TFirstConnectInfo s = signin::readSettingsFile(dir.path("Data/KEL"));
    EXPECT_EQ(s.UserID, QLatin1String(DemoNames::CheckLogin));
    EXPECT_EQ(s.DataSource, QLatin1String(DemoNames::DatabaseFile));
    EXPECT_EQ(s.InitialCatalog, QStringLiteral("KEL"));

    const auto user =
        getUser(QLatin1String(DemoNames::User), QLatin1String(DemoNames::UserPassword));
    EXPECT_EQ(user[4].toString(), QString());
    EXPECT_GE(user[3].toInt(), 20);
    const auto old =
        getUser(QLatin1String(DemoNames::ExpiredUser), QLatin1String(DemoNames::ExpiredPassword));
    EXPECT_EQ(old[4].toString(), QString());
    EXPECT_LT(old[3].toInt(), 0);

    db::Connection& work =
        connect(signin::DecodeSettingText(platform::toCp1251(user[0].toString())),
                signin::DecodeSettingText(platform::toCp1251(user[1].toString())));
    const db::Result groups =
        work.query(QStringLiteral("select id_group, count(*) from s_g group by id_group"));
    EXPECT_GE(groups.rows.size(), 10u);
    for (const auto& g : groups.rows) {
        EXPECT_GE(g[1].toInt(), 20);
        EXPECT_LE(g[1].toInt(), 30);
    }
    const db::Result marks =
        work.query(QStringLiteral("select count(distinct id_estimation) from mark_mag where "
                                  "id_estimation in (8, 9, 10, 11, 16, 25)"));
    EXPECT_EQ(marks.rows[0][0].toInt(), 6);
    const db::Result forms =
        work.query(QStringLiteral("select * from f_est where id_f_e in (1, 2)"));
    ASSERT_EQ(forms.rows.size(), 2u);
    EXPECT_EQ(forms.rows[0][1].toString(), QStringLiteral("Ведомость"));
    EXPECT_FALSE(work.query(QStringLiteral("select * from EstimationOther")).rows.empty());
}

TEST_F(DemoTool, KeepsAnExistingDatabaseUnlessForced) {
    ASSERT_EQ(run({}, dir.path(".")), 0);
    const QString database = dir.path(QStringLiteral("Data/") + DemoNames::DatabaseFile);
    // A mark typed since: a second run must not lose it.
    {
        embedded::EmbeddedServer owner(embedded::EmbeddedServer::Access::Owner);
        owner.open(db::ConnectionString(QStringLiteral("Data Source=") + database));
        owner.execute(QStringLiteral("UPDATE s_fio SET idid = 'kept' WHERE id_student = 1"));
    }
    const QByteArray before = digestOf(database);
    QString err;
    EXPECT_EQ(run({}, dir.path("."), &err), 1);
    EXPECT_TRUE(err.contains(QStringLiteral("--force"))) << err.toStdString();
    EXPECT_EQ(digestOf(database), before);

    ASSERT_EQ(run({QStringLiteral("--force")}, dir.path(".")), 0);
    embedded::EmbeddedServer owner(embedded::EmbeddedServer::Access::Owner);
    owner.open(db::ConnectionString(QStringLiteral("Data Source=") + database));
    EXPECT_NE(owner.execute(QStringLiteral("select idid from s_fio where id_student = 1"))
                  .rows[0][0]
                  .toString(),
              QStringLiteral("kept"));
}
