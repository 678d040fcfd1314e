// A sign-in window on a fresh embedded database, with its statements and boxes recorded.
#pragma once

#include "data/Unit_2_1.h"
#include "db/Connection.h"
#include "embedded/EmbeddedServer.h"
#include "embedded/ServerAdmin.h"
#include "platform/ApplicationState.h"
#include "platform/IPWatch.h"
#include "signin/SettingsFile.h"
#include "signin/Unit10.h"
#include "support/BoxScript.h"
#include "support/KeyTyping.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTest>

#include <memory>
#include <vector>

namespace testsupport {

// The login of the settings file, which may only verify users.
inline const QString CheckLogin = QStringLiteral("kel_check");
inline const QString CheckPassword = QStringLiteral("Chk_2024");

// A settings file names its database in at most 20 characters, so each test's database is
// a short unique name in the Data folder beside the test program.
inline QString uniqueDatabaseName() {
    static int counter = 0;
    return QStringLiteral("s%1_%2.sqlite").arg(QCoreApplication::applicationPid()).arg(++counter);
}

class SignInFixture : public ::testing::Test {
protected:
    void SetUp() override {
        platform::resetApplicationState();
        databaseName = uniqueDatabaseName();
        databasePath =
            QCoreApplication::applicationDirPath() + QStringLiteral("/Data/") + databaseName;
        embedded::createDatabase(databasePath);
        admin = std::make_unique<embedded::ServerAdmin>(databasePath);
        admin->createCheckLogin(CheckLogin, CheckPassword);
        settingsPath = dir.write(QStringLiteral("KEL"),
                                 signin::encodeSettings({CheckLogin, CheckPassword,
                                                         QStringLiteral("KEL"), databaseName}));

        dataModule = std::make_unique<TDM_TAZ_2>();
        dataModule->ADO_TAZ.setDriverFactory(embedded::driverFactory());
        dataModule->ADO_TAZ.onStatement = [this](const QString& sql) { statements.push_back(sql); };
    }

    void TearDown() override {
        form.reset();
        dataModule.reset();
        admin.reset();
        for (const char* suffix : {"", "-wal", "-shm"})
            QFile::remove(databasePath + QString::fromLatin1(suffix));
        platform::resetApplicationState();
    }

    // A user whose password was set the given number of days ago; none: never set by them.
    int addUser(const QString& login, const QString& password, std::optional<int> daysAgo) {
        std::optional<QDateTime> set;
        if (daysAgo)
            set = QDateTime::currentDateTime().addDays(-*daysAgo);
        return admin->createUser(login, password, set);
    }

    // Opens the window as the main window's creation does, its watcher's first answer in.
    TForm8& openWindow() {
        form = std::make_unique<TForm8>(signin::SignInState{userLogin, userId});
        form->setSettingsPath(settingsPath);
        form->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(form.get()));
        // A machine whose name does not resolve signs in without an address all the same.
        (void)QTest::qWaitFor([&] { return form->IdIPWatch1->hasAddress(); }, 10000);
        return *form;
    }

    // Types a login and a password and presses Enter in the password edit.
    void signIn(const QString& login, const QString& password) {
        form->Login_Edit->setText(login);
        form->Password_Edit->setText(password);
        QTest::keyClick(form->Password_Edit, Qt::Key_Return);
    }

    // The statements that called GET_USER.
    std::vector<QString> verifications() const {
        std::vector<QString> found;
        for (const QString& s : statements)
            if (s.startsWith(QStringLiteral("EXEC GET_USER")))
                found.push_back(s);
        return found;
    }

    testsupport::TempDir dir;
    QString databaseName, databasePath, settingsPath;
    std::unique_ptr<embedded::ServerAdmin> admin;
    std::unique_ptr<TDM_TAZ_2> dataModule;
    std::unique_ptr<TForm8> form;
    QString userLogin;
    qint32 userId = 0;
    std::vector<QString> statements;
    std::vector<platform::MessageBoxRequest> boxes;
    int beeps = 0;
    platform::ScopedMessageBoxScript script{recordBoxes(boxes), &beeps};
};

} // namespace testsupport
