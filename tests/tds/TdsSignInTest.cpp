// The sign-in window against a SQL Server host that takes the connection and never answers it.
#include "StandIn.h"

#include "data/Unit_2_1.h"
#include "db/OdbcDriver.h"
#include "platform/ApplicationState.h"
#include "signin/SettingsFile.h"
#include "signin/Unit10.h"
#include "support/BoxScript.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

namespace {

// The attempt waits for the host once: its first open already found nobody answering, and
// a second open would hold the window as long again.
TEST(TdsSignIn, AHostThatNeverAnswersHoldsTheSignInForOneLoginTimeOut) {
    tdstest::StandIn standIn;
    ASSERT_TRUE(standIn.running());
    standIn.setSilentLogin(true);
    platform::resetApplicationState();
    testsupport::TempDir dir;
    const QString settings =
        dir.write(QStringLiteral("KEL"),
                  signin::encodeSettings({QStringLiteral("kel_check"), QStringLiteral("Chk_2024"),
                                          QStringLiteral("KEL"),
                                          QStringLiteral("127.0.0.1,%1").arg(standIn.port())}));
    std::vector<platform::MessageBoxRequest> boxes;
    int beeps = 0;
    platform::ScopedMessageBoxScript script{testsupport::recordBoxes(boxes), &beeps};
    {
        TDM_TAZ_2 dataModule;
        QString login;
        qint32 id = 0;
        TForm8 form(signin::SignInState{login, id});
        form.setSettingsPath(settings);
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
        form.Login_Edit->setText(QStringLiteral("ivanov"));
        form.Password_Edit->setText(QStringLiteral("secret"));
        QElapsedTimer clock;
        clock.start();
        QTest::keyClick(form.Password_Edit, Qt::Key_Return);
        const qint64 took = clock.elapsed();

        EXPECT_LT(took, 2 * db::OdbcDriver::kLoginTimeoutSeconds * 1000)
            << "the host was waited for twice";
        EXPECT_EQ(standIn.eventsOf(QStringLiteral("silent")).size(), 1);
        EXPECT_NE(form.result(), TForm8::ModalOk);
        EXPECT_TRUE(form.RzLabel1->text().startsWith(QStringLiteral("Сервер не ответил")))
            << form.RzLabel1->text().toStdString();
        EXPECT_TRUE(boxes.empty()) << boxes.front().text.toStdString();
    }
    platform::resetApplicationState();
}

} // namespace
