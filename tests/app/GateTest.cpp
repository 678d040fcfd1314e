// The main window's creation waits for the sign-in and keeps what it leaves behind.
#include "support/SignInFixture.h"

#include "journal/Unit2.h"

#include <QLineEdit>
#include <QSysInfo>
#include <QTimer>

using testsupport::SignInFixture;

TEST_F(SignInFixture, MainWindowHoldsTheSignInStateOnceTheUserIsIn) {
    const int id = addUser(QStringLiteral("ivanov"), QStringLiteral("secret"), 3);
    QTimer::singleShot(0, [&] {
        ASSERT_NE(Form8, nullptr);
        Form8->setSettingsPath(settingsPath);
        Form8->Login_Edit->setText(QStringLiteral("ivanov"));
        Form8->Password_Edit->setText(QStringLiteral("secret"));
        QTest::keyClick(Form8->Password_Edit, Qt::Key_Return);
    });
    TForm2 main;

    EXPECT_TRUE(boxes.empty()) << boxes.front().text.toStdString();
    EXPECT_EQ(Form8, nullptr);
    EXPECT_EQ(main.UserLogin, QStringLiteral("ivanov"));
    EXPECT_EQ(main.UserId, id);
    EXPECT_EQ(main.CompName, QSysInfo::machineHostName().left(100));
    EXPECT_TRUE(platform::showMainForm());
    EXPECT_FALSE(platform::terminationRequested());
    EXPECT_TRUE(dataModule->ADOQ_group.active());
}

TEST_F(SignInFixture, FailedAttemptThenCancelNeverSignsIn) {
    addUser(QStringLiteral("ivanov"), QStringLiteral("secret"), 3);
    QTimer::singleShot(0, [&] {
        ASSERT_NE(Form8, nullptr);
        Form8->setSettingsPath(settingsPath);
        Form8->Login_Edit->setText(QStringLiteral("ivanov"));
        Form8->Password_Edit->setText(QStringLiteral("wrong"));
        QTest::keyClick(Form8->Password_Edit, Qt::Key_Return);
        Form8->close();
    });
    TForm2 main;

    EXPECT_EQ(Form8, nullptr);
    EXPECT_TRUE(platform::terminationRequested());
    EXPECT_FALSE(platform::showMainForm());
    EXPECT_EQ(main.UserLogin, QString());
    EXPECT_EQ(main.UserId, 0);
    EXPECT_FALSE(main.isVisible());
}
