// The sign-in window's layout, creation, keys, panel, drag and end.
#include "signin/Unit10.h"

#include "db/DatabaseError.h"
#include "platform/ApplicationState.h"
#include "platform/Cp1251Validator.h"
#include "platform/ExceptionBox.h"
#include "platform/IPWatch.h"
#include "signin/Picture.h"
#include "signin/PictureButton.h"
#include "signin/SelfUpdate.h"
#include "signin/SettingsFile.h"
#include "signin/Unit10Layout.h"

#include <QCoreApplication>
#include <QFile>
#include <QGuiApplication>
#include <QImageReader>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QProgressBar>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QTimer>

// Resources of a static library are registered by hand, outside any namespace.
static void initSigninResources() {
    Q_INIT_RESOURCE(signin);
}

TForm8* Form8 = nullptr;

namespace {

namespace L = signin::layout;

constexpr int Version = 1;

// A one-pixel outline around the borderless window, above everything and deaf to the mouse.
class WindowOutline : public QWidget {
public:
    explicit WindowOutline(QWidget* parent)
        : QWidget(parent) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setPen(QColor(0x1c, 0x3a, 0x5e));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
};

QImage loadPicture(const QString& name) {
    QImageReader reader(QStringLiteral(":/signin/") + name, "jpeg");
    return reader.read();
}

QLineEdit* makeEdit(QWidget* parent, const QString& name, QRect geometry, bool masked) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setGeometry(geometry);
    edit->setFrame(false);
    edit->setStyleSheet(QStringLiteral("QLineEdit { border: none; background: white; color: "
                                       "black; lineedit-password-character: 42; }"));
    if (masked)
        edit->setEchoMode(QLineEdit::Password);
    return edit;
}

bool isEnter(const QKeyEvent* event) {
    return event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
}

// The characters a new password may hold.
bool passwordCharacter(QChar c) {
    return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') ||
           c == u'_';
}

} // namespace

TForm8::TForm8(signin::SignInState state, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
    , state_(state)
    , settingsPath_(signin::settingsFilePath())
    , updateTarget_(signin::runningProgram()) {
    Form8 = this;
    setObjectName(QStringLiteral("Form8"));
    setWindowTitle(QStringLiteral("Аутентификация"));
    createControls();
    FormCreate();
}

TForm8::~TForm8() {
    if (Form8 == this)
        Form8 = nullptr;
}

void TForm8::createControls() {
    initSigninResources();
    setFixedSize(L::Width, L::StartHeight);

    Image1 = new signin::Picture(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(L::Image1);
    Image1->setImage(loadPicture(QStringLiteral("Image1.jpg")));
    Image2 = new signin::Picture(this);
    Image2->setObjectName(QStringLiteral("Image2"));
    Image2->setGeometry(L::Image2);
    Image2->setImage(loadPicture(QStringLiteral("Image2.jpg")));

    Login_Edit = makeEdit(this, QStringLiteral("Login_Edit"), L::LoginEdit, false);
    Password_Edit = makeEdit(this, QStringLiteral("Password_Edit"), L::PasswordEdit, true);
    Edit1 = makeEdit(this, QStringLiteral("Edit1"), L::Edit1, true);
    Edit2 = makeEdit(this, QStringLiteral("Edit2"), L::Edit2, true);
    platform::restrictToCp1251(Login_Edit);
    platform::restrictToCp1251(Password_Edit);
    // Typed characters are filtered key by key; this also keeps out text pasted by the mouse.
    for (QLineEdit* edit : {Edit1, Edit2})
        edit->setValidator(new QRegularExpressionValidator(
            QRegularExpression(QStringLiteral("[0-9A-Za-z_]*")), edit));
    setTabOrder(Login_Edit, Password_Edit);
    setTabOrder(Password_Edit, Edit1);
    setTabOrder(Edit1, Edit2);

    SpeedButton2 = new signin::PictureButton(QStringLiteral("Войти"), this);
    SpeedButton2->setObjectName(QStringLiteral("SpeedButton2"));
    SpeedButton2->setGeometry(L::SpeedButton2);
    SpeedButton1 = new signin::PictureButton(QStringLiteral("Отмена"), this);
    SpeedButton1->setObjectName(QStringLiteral("SpeedButton1"));
    SpeedButton1->setGeometry(L::SpeedButton1);
    SpeedButton3 = new signin::PictureButton(QStringLiteral("Дополнительно"), this);
    SpeedButton3->setObjectName(QStringLiteral("SpeedButton3"));
    SpeedButton3->setGeometry(L::SpeedButton3);
    connect(SpeedButton1, &QAbstractButton::clicked, this, &TForm8::SpeedButton1Click);
    connect(SpeedButton2, &QAbstractButton::clicked, this, &TForm8::pressSignIn);
    connect(SpeedButton3, &QAbstractButton::clicked, this, &TForm8::SpeedButton3Click);

    RzLabel1 = new QLabel(this);
    RzLabel1->setObjectName(QStringLiteral("RzLabel1"));
    RzLabel1->setGeometry(L::RzLabel1);
    QFont messageFont(QStringLiteral("Arial"));
    messageFont.setPixelSize(13);
    messageFont.setBold(true);
    RzLabel1->setFont(messageFont);
    RzLabel1->setStyleSheet(QStringLiteral("color: black; background: transparent;"));
    RzLabel1->setAlignment(Qt::AlignCenter);
    RzLabel1->setWordWrap(true);

    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->move(L::Label1);
    QFont versionFont = Label1->font();
    versionFont.setPixelSize(13);
    versionFont.setBold(true);
    Label1->setFont(versionFont);
    // Light, as it stands on the dark band of the upper picture.
    Label1->setStyleSheet(QStringLiteral("color: #dce7f4; background: transparent;"));

    ProgressBar = new QProgressBar(this);
    ProgressBar->setObjectName(QStringLiteral("ProgressBar"));
    ProgressBar->setGeometry(L::ProgressBar);
    ProgressBar->setRange(0, 14);
    ProgressBar->setValue(0);
    ProgressBar->setTextVisible(false);
    setBarRed(false);
    ProgressBar->hide();

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(2000);
    connect(Timer1, &QTimer::timeout, this, &TForm8::Timer1Timer);

    IdIPWatch1 = new platform::IPWatch(this);
    IdIPWatch1->setObjectName(QStringLiteral("IdIPWatch1"));

    for (QWidget* w : {static_cast<QWidget*>(Image1), static_cast<QWidget*>(Image2),
                       static_cast<QWidget*>(RzLabel1)})
        w->installEventFilter(this);
    for (QLineEdit* edit : {Login_Edit, Password_Edit, Edit1, Edit2})
        edit->installEventFilter(this);

    frame_ = new WindowOutline(this);
    frame_->setGeometry(rect());
    frame_->raise();

    Login_Edit->setFocus();
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TForm8::FormCreate() {
    // An update finished by the previous run leaves its script behind.
    QFile::remove(signin::updateScriptPath(QCoreApplication::applicationDirPath()));
    Label1->setText(QStringLiteral("V.") + QString::number(Version));
    Label1->adjustSize();
    AttemptCount = 0;
    PasswordPanelOpen = false;
}

void TForm8::SpeedButton1Click() {
    platform::requestTermination();
    done(ModalCancel);
}

void TForm8::pressSignIn() {
    // An error that ends the attempt is shown in the application's error box right here:
    // unwinding it through Qt's event delivery would skip Qt's own clean-up.
    try {
        SpeedButton2Click();
    } catch (const db::Abort&) {
    } catch (const std::exception& error) {
        platform::showExceptionBox(error);
    }
}

void TForm8::SpeedButton3Click() {
    PasswordPanelOpen = !PasswordPanelOpen;
    setFixedHeight(PasswordPanelOpen ? L::PanelOpenHeight : L::PanelClosedHeight);
}

void TForm8::Timer1Timer() {
    if (Timer1->interval() == 2000)
        Timer1->setInterval(100);
    platform::requestTermination();
    done(ModalCancel);
}

void TForm8::reject() {
    done(ModalCancel);
}

void TForm8::keyPressEvent(QKeyEvent* event) {
    // Escape does not cancel here: cancelling ends the whole program.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TForm8::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    if (frame_ != nullptr)
        frame_->setGeometry(rect());
}

bool TForm8::eventFilter(QObject* watched, QEvent* event) {
    const bool edit =
        watched == Login_Edit || watched == Password_Edit || watched == Edit1 || watched == Edit2;
    if (edit && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (EditAllKeyDown(key))
            return true;
        if ((watched == Edit1 || watched == Edit2) && Edit1KeyPress(key))
            return true;
    }
    const bool draggable = watched == Image1 || watched == Image2 || watched == RzLabel1;
    if (draggable) {
        if (event->type() == QEvent::MouseButtonPress) {
            Image1MouseDown(static_cast<QMouseEvent*>(event));
            return true;
        }
        if ((event->type() == QEvent::MouseMove || event->type() == QEvent::MouseButtonRelease) &&
            drag_.follow(*static_cast<QMouseEvent*>(event)))
            return true;
    }
    return QDialog::eventFilter(watched, event);
}

bool TForm8::EditAllKeyDown(QKeyEvent* event) {
    if (!isEnter(event))
        return false;
    // Consumed here, the Enter never reaches the edit, so nothing beeps.
    pressSignIn();
    return true;
}

bool TForm8::Edit1KeyPress(QKeyEvent* event) {
    // The clipboard shortcuts are characters too, and as such discarded.
    if (event->matches(QKeySequence::Paste) || event->matches(QKeySequence::Copy) ||
        event->matches(QKeySequence::Cut))
        return true;
    const QString text = event->text();
    switch (event->key()) {
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return false;
    default:
        break;
    }
    if (text.isEmpty())
        return false;
    for (QChar c : text) {
        if (!passwordCharacter(c))
            return true;
    }
    return false;
}

void TForm8::Image1MouseDown(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    drag_.start(this, event->globalPosition().toPoint());
}

void TForm8::setBarRed(bool red) {
    ProgressBar->setStyleSheet(
        QStringLiteral("QProgressBar { border: none; background: #d3dce7; }"
                       "QProgressBar::chunk { background: %1; }")
            .arg(red ? QStringLiteral("#e01b1b") : QStringLiteral("#2f6fb5")));
}
