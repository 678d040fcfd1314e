// Sign-in attempts against the embedded server: the statement, the answers, the failures.
#include "support/SignInFixture.h"

#include "db/ConnectionString.h"
#include "db/DataSet.h"
#include "signin/SignInConnectionString.h"

#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QSysInfo>

#include "signin/PictureButton.h"

using testsupport::SignInFixture;

namespace {

const QString PasswordMessage = QStringLiteral("Вы должны поменять пароль\nЭто делается для "
                                               "безопастности и сохранения данных от "
                                               "злоумышлеников");
const QString WrongLogin = QStringLiteral("Неверно ввели логин или пароль.");
// MD5 of "secret" and of "Fresh_42", as any MD5 tool writes them, in capitals.
const QString SecretDigest = QStringLiteral("5EBE2294ECD0E0F08EAB7690D2A6EE69");
const QString FreshDigest = QStringLiteral("D0DE1DA0FD1C5FC0AF25BFF9778C0C63");

std::vector<db::DataSet*> startupDataSets(TDM_TAZ_2& dm) {
    return {&dm.ADOQ_t_fio,  &dm.ADOQ_s_fio,       &dm.ADOQ_estimation, &dm.ADOTSemestr,
            &dm.ADOT_f_est,  &dm.ADOQ_Examination, &dm.ADOQ_group,      &dm.ADOQ_g_sem,
            &dm.ADOQEduc_sh, &dm.ADOQuery1};
}

} // namespace

TEST_F(SignInFixture, PlainUserSignsInAndTheStartupDataOpens) {
    const int id = addUser(QStringLiteral("ivanov"), QStringLiteral("secret"), 3);
    TForm8& w = openWindow();
    const QString address = w.IdIPWatch1->currentIP();

    signIn(QStringLiteral("ivanov"), QStringLiteral("secret"));

    EXPECT_TRUE(boxes.empty()) << boxes.front().text.toStdString();
    EXPECT_EQ(beeps, 0);
    ASSERT_EQ(w.result(), TForm8::ModalOk) << w.RzLabel1->text().toStdString();
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(verifications(),
              std::vector<QString>{QStringLiteral("EXEC GET_USER 'ivanov','") + SecretDigest +
                                   QStringLiteral("',NULL, 'KEL 14', '") + address +
                                   QStringLiteral("', '") + QSysInfo::machineHostName() +
                                   QStringLiteral("', 'ivanov','0','4'")});

    // The working connection carries the login the server handed out, not the settings'.
    const db::ConnectionString working(dataModule->ADO_TAZ.connectionString());
    EXPECT_EQ(working.userId(), QStringLiteral("kel_w%1").arg(id));
    EXPECT_EQ(working.dataSource(), databaseName);
    EXPECT_TRUE(dataModule->ADO_TAZ.connected());
    EXPECT_EQ(userId, id);
    EXPECT_EQ(userLogin, QStringLiteral("ivanov"));
    EXPECT_TRUE(platform::showMainForm());

    for (db::DataSet* ds : startupDataSets(*dataModule))
        EXPECT_TRUE(ds->active()) << ds->sql().toStdString() << ds->tableName().toStdString();
    EXPECT_EQ(dataModule->ADOQ_group.sql(),
              QStringLiteral("SELECT  id_group, p20 FROM group_form where o_z = 1 AND  "
                             "id_login = %1 GROUP BY id_group, p20")
                  .arg(id));
    // The server's messages in Russian, then the date order the client writes dates in.
    const QStringList session{QStringLiteral("SET LANGUAGE Russian"),
                              QStringLiteral("SET DATEFORMAT dmy")};
    ASSERT_GE(statements.size(), 2u);
    EXPECT_EQ((QStringList{statements[statements.size() - 2], statements.back()}), session);
    EXPECT_EQ(dataModule->ADO_TAZ.sessionStatements(), session)
        << "a reopened connection must read dates and answer the same way";

    EXPECT_FALSE(w.ProgressBar->isHidden());
    EXPECT_EQ(w.ProgressBar->value(), 14);
    // The bar has turned red by its last steps.
    const QImage bar = w.ProgressBar->grab().toImage();
    const QColor chunk = bar.pixelColor(bar.width() / 2, bar.height() / 2);
    EXPECT_GT(chunk.red(), 180);
    EXPECT_LT(chunk.green(), 90);
}

TEST_F(SignInFixture, WrongPasswordShowsTheServersMessageAndTheWindowStays) {
    addUser(QStringLiteral("ivanov"), QStringLiteral("secret"), 3);
    TForm8& w = openWindow();

    signIn(QStringLiteral("ivanov"), QStringLiteral("Secret"));

    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(w.RzLabel1->text(), WrongLogin);
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(w.result(), 0);
    EXPECT_EQ(userId, 0);
    EXPECT_FALSE(platform::showMainForm());
    EXPECT_EQ(w.AttemptCount, 1);
    // A server message leaves the first connection open.
    EXPECT_TRUE(dataModule->ADO_TAZ.connected());
    EXPECT_EQ(db::ConnectionString(dataModule->ADO_TAZ.connectionString()).userId(),
              testsupport::CheckLogin);
}

TEST_F(SignInFixture, ExpiredPasswordMustBeChangedAndOnlyTheNewOneWorksAfterwards) {
    const int id = addUser(QStringLiteral("petrov"), QStringLiteral("secret"), std::nullopt);
    TForm8& w = openWindow();

    signIn(QStringLiteral("petrov"), QStringLiteral("secret"));
    EXPECT_EQ(w.RzLabel1->text(), PasswordMessage);
    EXPECT_TRUE(w.PasswordPanelOpen);
    EXPECT_EQ(w.height(), 416);
    EXPECT_FALSE(w.SpeedButton3->isEnabled());
    EXPECT_FALSE(dataModule->ADO_TAZ.connected());
    EXPECT_TRUE(w.isVisible());

    // The disabled button cannot close the panel again.
    QTest::mouseClick(w.SpeedButton3, Qt::LeftButton);
    EXPECT_TRUE(w.PasswordPanelOpen);

    QTest::keyClicks(w.Edit1, QStringLiteral("Fresh_42"));
    QTest::keyClicks(w.Edit2, QStringLiteral("Fresh_42"));
    QTest::keyClick(w.Edit2, Qt::Key_Return);

    EXPECT_TRUE(boxes.empty());
    ASSERT_EQ(w.result(), TForm8::ModalOk) << w.RzLabel1->text().toStdString();
    EXPECT_EQ(userId, id);
    ASSERT_EQ(verifications().size(), 2u);
    EXPECT_TRUE(verifications()[1].endsWith(QStringLiteral("'0','34'")));
    EXPECT_TRUE(verifications()[1].contains(QStringLiteral("','") + SecretDigest +
                                            QStringLiteral("','") + FreshDigest +
                                            QStringLiteral("', 'KEL 14'")))
        << verifications()[1].toStdString();

    // The next sign-in knows the new password only.
    form.reset();
    statements.clear();
    TForm8& again = openWindow();
    signIn(QStringLiteral("petrov"), QStringLiteral("secret"));
    EXPECT_EQ(again.RzLabel1->text(), WrongLogin);
    signIn(QStringLiteral("petrov"), QStringLiteral("Fresh_42"));
    EXPECT_EQ(again.result(), TForm8::ModalOk) << again.RzLabel1->text().toStdString();
}

TEST_F(SignInFixture, ChangeAskedOnTheFirstAttemptCanBeSkippedByClosingThePanel) {
    addUser(QStringLiteral("sidorov"), QStringLiteral("secret"), 80);
    TForm8& w = openWindow();

    signIn(QStringLiteral("sidorov"), QStringLiteral("secret"));
    EXPECT_EQ(w.RzLabel1->text(), PasswordMessage);
    EXPECT_TRUE(w.PasswordPanelOpen);
    EXPECT_TRUE(w.SpeedButton3->isEnabled());
    EXPECT_FALSE(dataModule->ADO_TAZ.connected());

    QTest::mouseClick(w.SpeedButton3, Qt::LeftButton);
    EXPECT_FALSE(w.PasswordPanelOpen);
    EXPECT_EQ(w.height(), 275);

    QTest::keyClick(w.Login_Edit, Qt::Key_Return);
    EXPECT_EQ(w.result(), TForm8::ModalOk) << w.RzLabel1->text().toStdString();
    EXPECT_EQ(w.AttemptCount, 2);
    ASSERT_EQ(verifications().size(), 2u);
    EXPECT_TRUE(verifications()[1].contains(QStringLiteral("',NULL, 'KEL 14', '")));
    EXPECT_TRUE(verifications()[1].endsWith(QStringLiteral("'0','4'")));
}

TEST_F(SignInFixture, MismatchedNewPasswordsAreEmptiedWithoutAskingTheServer) {
    addUser(QStringLiteral("ivanov"), QStringLiteral("secret"), 3);
    TForm8& w = openWindow();
    QTest::mouseClick(w.SpeedButton3, Qt::LeftButton);
    ASSERT_TRUE(w.PasswordPanelOpen);

    QTest::keyClicks(w.Edit1, QStringLiteral("Fresh_42"));
    QTest::keyClicks(w.Edit2, QStringLiteral("fresh_42"));
    w.Login_Edit->setText(QStringLiteral("ivanov"));
    w.Password_Edit->setText(QStringLiteral("secret"));
    QTest::keyClick(w.Edit1, Qt::Key_Return);

    EXPECT_EQ(w.RzLabel1->text(),
              QStringLiteral("Новый пароль подтвержден не верно!!!\nПодтвердите пароль заново."));
    EXPECT_EQ(w.Edit1->text(), QString());
    EXPECT_EQ(w.Edit2->text(), QString());
    EXPECT_TRUE(statements.empty());
    EXPECT_EQ(w.AttemptCount, 1);
    EXPECT_TRUE(w.isVisible());
}

TEST_F(SignInFixture, LoginsWithQuotesNeverBreakTheStatement) {
    const int id = addUser(QStringLiteral("o'brien"), QStringLiteral("secret"), 3);
    addUser(QStringLiteral("ivanov"), QStringLiteral("secret"), 3);
    TForm8& w = openWindow();

    // An attempt to widen the statement is only a strange login to the server.
    signIn(QStringLiteral("ivanov', 'x"), QStringLiteral("secret"));
    EXPECT_TRUE(boxes.empty()) << boxes.front().text.toStdString();
    EXPECT_EQ(w.RzLabel1->text(), WrongLogin);
    ASSERT_EQ(verifications().size(), 1u);
    EXPECT_TRUE(verifications()[0].startsWith(QStringLiteral("EXEC GET_USER 'ivanov'', ''x','")));

    signIn(QStringLiteral("o'brien"), QStringLiteral("secret"));
    EXPECT_TRUE(boxes.empty()) << boxes.front().text.toStdString();
    ASSERT_EQ(w.result(), TForm8::ModalOk) << w.RzLabel1->text().toStdString();
    EXPECT_EQ(userLogin, QStringLiteral("o'brien"));
    EXPECT_EQ(userId, id);
    ASSERT_EQ(verifications().size(), 2u);
    EXPECT_TRUE(verifications()[1].contains(QStringLiteral(", 'o''brien','0','4'")));
}

TEST_F(SignInFixture, MissingSettingsFileShowsFileNotFoundAndTheWindowStays) {
    addUser(QStringLiteral("ivanov"), QStringLiteral("secret"), 3);
    TForm8& w = openWindow();
    const QString real = settingsPath;
    w.setSettingsPath(dir.path(QStringLiteral("none/KEL")));

    signIn(QStringLiteral("ivanov"), QStringLiteral("secret"));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, QStringLiteral("File not found"));
    EXPECT_EQ(boxes[0].icon, QMessageBox::Critical);
    EXPECT_TRUE(statements.empty());
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(w.RzLabel1->text(), QString());

    // Once the file is there, the next attempt works.
    w.setSettingsPath(real);
    QTest::keyClick(w.Password_Edit, Qt::Key_Return);
    EXPECT_EQ(w.result(), TForm8::ModalOk) << w.RzLabel1->text().toStdString();
    EXPECT_EQ(boxes.size(), 1u);
}

TEST_F(SignInFixture, RefusedFirstConnectionShowsItsErrorThenTheLoginMessage) {
    addUser(QStringLiteral("ivanov"), QStringLiteral("secret"), 3);
    settingsPath = dir.write(QStringLiteral("KEL2"),
                             signin::encodeSettings({testsupport::CheckLogin, QStringLiteral("bad"),
                                                     QStringLiteral("KEL"), databaseName}));
    TForm8& w = openWindow();

    signIn(QStringLiteral("ivanov"), QStringLiteral("secret"));

    // The statement reopens the connection, which fails again: the box has the server's
    // full text, and the label ends with the login message.
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, QStringLiteral("Ошибка входа пользователя \"kel_check\"."));
    EXPECT_EQ(w.RzLabel1->text(), WrongLogin);
    EXPECT_FALSE(dataModule->ADO_TAZ.connected());
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(userId, 0);
}

TEST_F(SignInFixture, FailingStartupDataClearsTheLabelAndClosesTheConnection) {
    const int id = addUser(QStringLiteral("ivanov"), QStringLiteral("secret"), 3);
    // The working login may no longer read anything.
    admin->exec(QStringLiteral("DELETE FROM kel_srv_grant WHERE grantee = 'work' AND action = "
                               "'SELECT'"));
    TForm8& w = openWindow();
    w.RzLabel1->setText(QStringLiteral("earlier text"));

    signIn(QStringLiteral("ivanov"), QStringLiteral("secret"));

    EXPECT_TRUE(boxes.empty()) << boxes.front().text.toStdString();
    EXPECT_EQ(w.RzLabel1->text(), QString());
    EXPECT_FALSE(dataModule->ADO_TAZ.connected());
    EXPECT_EQ(w.result(), 0);
    EXPECT_TRUE(w.isVisible());
    // What was set before the failure stays set.
    EXPECT_EQ(userId, id);
    EXPECT_EQ(userLogin, QStringLiteral("ivanov"));
}

TEST_F(SignInFixture, RetryAfterAFailureKeepsTheSuccessfulAttemptsStateAndFillsTheBar) {
    const int first = addUser(QStringLiteral("ivanov"), QStringLiteral("secret"), 3);
    const int second = addUser(QStringLiteral("sidorov"), QStringLiteral("other"), 3);
    // The last start-up data set is refused, so the first attempt fails at the end.
    admin->exec(QStringLiteral("DELETE FROM kel_srv_grant WHERE grantee = 'work' AND action = "
                               "'SELECT' AND object_name = 'discipline'"));
    TForm8& w = openWindow();

    signIn(QStringLiteral("ivanov"), QStringLiteral("secret"));
    ASSERT_TRUE(w.isVisible());
    EXPECT_EQ(userId, first);
    EXPECT_EQ(w.ProgressBar->value(), 13);

    admin->exec(QStringLiteral("INSERT INTO kel_srv_grant (grantee, action, object_name) "
                               "VALUES ('work', 'SELECT', 'discipline')"));
    signIn(QStringLiteral("sidorov"), QStringLiteral("other"));
    ASSERT_EQ(w.result(), TForm8::ModalOk) << w.RzLabel1->text().toStdString();
    EXPECT_EQ(userId, second);
    EXPECT_EQ(userLogin, QStringLiteral("sidorov"));
    EXPECT_EQ(w.ProgressBar->value(), 14);
    EXPECT_EQ(dataModule->ADOQ_group.sql(),
              QStringLiteral("SELECT  id_group, p20 FROM group_form where o_z = 1 AND  "
                             "id_login = %1 GROUP BY id_group, p20")
                  .arg(second));
}
