// The sign-in window: login and password, user verification, password change, start-up data.
#pragma once

#include "platform/WindowDrag.h"
#include "signin/SelfUpdate.h"

#include <QDialog>
#include <QString>

class QKeyEvent;
class QLabel;
class QLineEdit;
class QMouseEvent;
class QProgressBar;
class QTimer;

namespace db {
class Connection;
}
namespace platform {
class IPWatch;
}

namespace signin {

class Picture;
class PictureButton;

// Where a sign-in leaves the sign-in state: fields of the main window.
struct SignInState {
    QString& UserLogin;
    qint32& UserId;
};

} // namespace signin

// Shown modally before the main window. Closes with OK (1) once a user is signed in and
// the start-up data is open, with cancel (2) when the program is to end.
class TForm8 : public QDialog {
    Q_OBJECT
public:
    static constexpr int ModalOk = 1;
    static constexpr int ModalCancel = 2;

    explicit TForm8(signin::SignInState state, QWidget* parent = nullptr);
    ~TForm8() override;

    signin::Picture* Image1;
    signin::Picture* Image2;
    QLineEdit* Login_Edit;
    QLineEdit* Password_Edit;
    QLineEdit* Edit1;
    QLineEdit* Edit2;
    signin::PictureButton* SpeedButton2;
    signin::PictureButton* SpeedButton1;
    signin::PictureButton* SpeedButton3;
    QLabel* RzLabel1;
    QLabel* Label1;
    QProgressBar* ProgressBar;
    QTimer* Timer1;
    platform::IPWatch* IdIPWatch1;

    // Presses of the sign-in button in this window's life; wraps from 255 to 0.
    quint8 AttemptCount = 0;
    bool PasswordPanelOpen = false;

    void SpeedButton1Click();
    void SpeedButton2Click();
    void SpeedButton3Click();
    void Timer1Timer();

    // One sign-in attempt on the connection; newPassword "NULL" asks for no change.
    // True only when the user is signed in and the start-up data is open.
    bool ConnectAndVerify(db::Connection& connection, const QString& newPassword);
    void LoadStartupData();

    // The settings file read by every attempt; beside the executable unless pointed
    // elsewhere (tests keep theirs apart).
    QString settingsPath() const { return settingsPath_; }
    void setSettingsPath(const QString& path) { settingsPath_ = path; }

    // What an update replaces and where from; this program and the build's update server
    // unless pointed elsewhere (tests update a program of their own).
    const signin::UpdateTarget& updateTarget() const { return updateTarget_; }
    void setUpdateTarget(const signin::UpdateTarget& target) { updateTarget_ = target; }

    // The text of the statement that verifies the user (the login's quotes doubled).
    QString verificationStatement(const QString& newPasswordArgument, const QString& address,
                                  const QString& computer) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

public Q_SLOTS:
    // A close request ends the dialog with cancel.
    void reject() override;

private:
    void createControls();
    void FormCreate();
    // The sign-in button's press, from the mouse or from Enter.
    void pressSignIn();
    bool EditAllKeyDown(QKeyEvent* event);
    bool Edit1KeyPress(QKeyEvent* event);
    void Image1MouseDown(QMouseEvent* event);
    void setPasswordMessage();
    void setBarRed(bool red);

    signin::SignInState state_;
    QString settingsPath_;
    signin::UpdateTarget updateTarget_;
    platform::WindowDrag drag_;
    QWidget* frame_ = nullptr;
    bool attemptRunning_ = false;
};

// The sign-in window while it exists.
extern TForm8* Form8;
