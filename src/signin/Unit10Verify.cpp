// The sign-in attempt: settings, verification through GET_USER, working connection, start-up data.
#include "signin/Unit10.h"

#include "data/Unit_2_1.h"
#include "db/Connection.h"
#include "db/DataSet.h"
#include "db/DatabaseError.h"
#include "db/SqlText.h"
#include "platform/ApplicationState.h"
#include "platform/ComputerName.h"
#include "platform/Cp1251.h"
#include "platform/ExceptionBox.h"
#include "platform/IPWatch.h"
#include "signin/PictureButton.h"
#include "signin/SelfUpdate.h"
#include "signin/SettingsFile.h"
#include "signin/SignInConnectionString.h"
#include "signin/md5.h"

#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>

#include <memory>

namespace {

const QString NoNewPassword = QStringLiteral("NULL");

// Statements carry texts between single quotes, so a quote inside one is doubled.
QString quoted(const QString& text) {
    return db::doubledQuotes(text);
}

QString errorText(const std::exception& error) {
    if (const auto* database = dynamic_cast<const db::DatabaseError*>(&error))
        return database->message();
    return QString::fromUtf8(error.what());
}

bool serverUnreachable(const std::exception& error) {
    const auto* database = dynamic_cast<const db::DatabaseError*>(&error);
    return database != nullptr &&
           (database->connectionLost() || database->kind() == db::ErrorKind::TimedOut);
}

// Clears the flag of a running attempt however the attempt ends.
class AttemptGuard {
public:
    explicit AttemptGuard(bool& running)
        : running_(running) {
        running_ = true;
    }
    ~AttemptGuard() { running_ = false; }
    AttemptGuard(const AttemptGuard&) = delete;
    AttemptGuard& operator=(const AttemptGuard&) = delete;

private:
    bool& running_;
};

void openIfClosed(db::DataSet& dataSet) {
    if (!dataSet.active())
        dataSet.open();
}

} // namespace

void TForm8::SpeedButton2Click() {
    // The window keeps painting while data loads; a press meanwhile must not start a second
    // attempt on the same connection.
    if (attemptRunning_)
        return;
    AttemptGuard running(attemptRunning_);
    ++AttemptCount;
    db::Connection& connection = DM_TAZ_2->ADO_TAZ;
    bool signedIn = false;
    if (!PasswordPanelOpen) {
        signedIn = ConnectAndVerify(connection, NoNewPassword);
    } else {
        if (Edit1->text() != Edit2->text()) {
            Edit1->clear();
            Edit2->clear();
            RzLabel1->setText(QStringLiteral("Новый пароль подтвержден не верно!!!") + u'\n' +
                              QStringLiteral("Подтвердите пароль заново."));
            return;
        }
        signedIn = ConnectAndVerify(connection, Edit1->text());
    }
    if (!signedIn)
        return;
    // The server's messages in the users' language; the date order is set after it, since a
    // language brings its own.
    const QStringList session{QStringLiteral("SET LANGUAGE Russian"),
                              QStringLiteral("SET DATEFORMAT dmy")};
    for (const QString& statement : session) {
        db::DataSet set(db::DataSetKind::Query);
        set.setConnection(&connection);
        set.setSql(statement);
        set.execSql();
    }
    // A connection reopened after a lost link must read dates as this one does.
    connection.setSessionStatements(session);
    done(ModalOk);
}

QString TForm8::verificationStatement(const QString& newPasswordArgument, const QString& address,
                                      const QString& computer) const {
    const QString login = quoted(Login_Edit->text());
    return QStringLiteral("EXEC GET_USER '") + login + QStringLiteral("',") + QStringLiteral("'") +
           MD5Hex(Password_Edit->text()) + QStringLiteral("',") + newPasswordArgument +
           QStringLiteral(", ") + QStringLiteral("'KEL 14") + QStringLiteral("'") +
           QStringLiteral(", '") + address + QStringLiteral("', ") + QStringLiteral("'") +
           quoted(computer) + QStringLiteral("'") + QStringLiteral(", '") + login +
           QStringLiteral("',") + QStringLiteral("'0',") + QStringLiteral("'") +
           QString::number(newPasswordArgument.size()) + QStringLiteral("'");
}

void TForm8::setPasswordMessage() {
    RzLabel1->setText(QStringLiteral("Вы должны поменять пароль") + u'\n' +
                      QStringLiteral("Это делается для безопастности и сохранения данных от "
                                     "злоумышлеников"));
}

bool TForm8::ConnectAndVerify(db::Connection& connection, const QString& newPassword) {
    bool result = false;

    // A settings file that cannot be read ends the attempt with the application's error box.
    const signin::TFirstConnectInfo settings = signin::readSettingsFile(settingsPath_);
    connection.close();
    connection.setConnectionString(signin::BuildConnectionString(
        settings.UserID, settings.Password, settings.InitialCatalog, settings.DataSource));
    try {
        connection.open();
    } catch (const std::exception& error) {
        // Shown, and the attempt goes on: the statement opens the connection once more.
        RzLabel1->setText(signin::RemoveUserId(errorText(error), settings.UserID));
        // Except when no server answered: a second open would keep the window waiting as
        // long again for the same answer.
        if (serverUnreachable(error))
            return false;
    }

    auto query = std::make_unique<db::DataSet>(db::DataSetKind::Query);
    query->setConnection(&connection);
    const QString argument = newPassword == NoNewPassword
                                 ? NoNewPassword
                                 : QStringLiteral("'") + MD5Hex(newPassword) + QStringLiteral("'");
    const QString computer = platform::computerName(256);
    const QString address = IdIPWatch1->addressNow();

    QString workingLogin, workingPassword, serverMessage;
    try {
        query->setSql(verificationStatement(argument, address, computer));
        query->open();
        serverMessage = query->field(4)->asString();
        const qint32 update = query->field(5)->asInteger();
        if (update >= 2) {
            signin::StartSelfUpdate(*this, updateTarget_);
            return false;
        }
        if (!serverMessage.isEmpty()) {
            RzLabel1->setText(serverMessage);
            return false;
        }
        const qint32 passwordState = query->field(3)->asInteger();
        if (passwordState < 0) {
            connection.close();
            setPasswordMessage();
            // Opens the panel; one left open by an earlier demand stays open, since its
            // button can no longer reopen it.
            if (!PasswordPanelOpen)
                SpeedButton3Click();
            SpeedButton3->setEnabled(false);
            return false;
        }
        if (AttemptCount == 1 && !query->field(0)->asString().isEmpty() && passwordState < 20) {
            connection.close();
            setPasswordMessage();
            SpeedButton3Click();
            return false;
        }
        workingLogin = signin::DecodeSettingText(platform::toCp1251(query->field(0)->asString()));
        workingPassword =
            signin::DecodeSettingText(platform::toCp1251(query->field(1)->asString()));
        state_.UserId = query->field(2)->asInteger();
        query.reset();
        connection.close();
        connection.setConnectionString(signin::BuildConnectionString(
            workingLogin, workingPassword, settings.InitialCatalog, settings.DataSource));
    } catch (const std::exception& error) {
        platform::showExceptionBox(error);
        RzLabel1->setText(QStringLiteral("Неверно ввели логин или пароль."));
        query.reset();
        connection.close();
        return false;
    }

    try {
        connection.open();
        platform::setShowMainForm(true);
        state_.UserLogin = Login_Edit->text();
        LoadStartupData();
        result = true;
    } catch (...) {
        RzLabel1->setText(serverMessage);
        connection.close();
    }
    return result;
}

void TForm8::LoadStartupData() {
    ProgressBar->show();
    TDM_TAZ_2& dm = *DM_TAZ_2;
    if (!dm.ADO_TAZ.connected())
        dm.ADO_TAZ.open();
    auto step = [this] {
        ProgressBar->setValue(std::min(ProgressBar->value() + 1, ProgressBar->maximum()));
        QCoreApplication::processEvents();
    };
    step();
    step();
    openIfClosed(dm.ADOQ_t_fio);
    step();
    openIfClosed(dm.ADOQ_s_fio);
    step();
    openIfClosed(dm.ADOQ_estimation);
    step();
    openIfClosed(dm.ADOTSemestr);
    step();
    step();
    openIfClosed(dm.ADOQ_t_fio);
    step();
    openIfClosed(dm.ADOT_f_est);
    step();
    openIfClosed(dm.ADOQ_Examination);
    step();
    // The list of a user signed in before must not survive: re-texting reopens it.
    dm.ADOQ_group.close();
    dm.ADOQ_group.setSql(QStringLiteral("SELECT  id_group, p20 FROM group_form where o_z = 1 "
                                        "AND  id_login = ") +
                         QString::number(state_.UserId) +
                         QStringLiteral(" GROUP BY id_group, p20"));
    dm.ADOQ_group.open();
    step();
    openIfClosed(dm.ADOQ_g_sem);
    setBarRed(true);
    step();
    openIfClosed(dm.ADOQEduc_sh);
    step();
    openIfClosed(dm.ADOQuery1);
    step();
}
