// kel-screenshot: photographs the sign-in window as a user first sees it, and with the
// password-change panel opened by the server's demand.
#include "signin/Unit10.h"

#include "app/Application.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QScreen>
#include <QTest>

#include <cstdio>

namespace {

// What the screen shows over the window's rectangle, as a real X server painted it.
bool shoot(TForm8& form, const QString& path) {
    QApplication::processEvents();
    QTest::qWait(300); // let the X server finish painting before reading it back
    const QRect area = form.frameGeometry();
    const QPixmap shot =
        form.screen()->grabWindow(0, area.x(), area.y(), area.width(), area.height());
    if (shot.save(path, "PNG"))
        return true;
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    return false;
}

} // namespace

int main(int argc, char** argv) {
    // The program's own application object, so texts follow the program's locale.
    app::Application application(argc, argv);
    if (argc != 3) {
        std::fputs("Usage: kel-screenshot SIGNIN.png PANEL.png\n", stderr);
        return 2;
    }
    QString login;
    qint32 id = 0;
    TForm8 form(signin::SignInState{login, id});
    form.show();
    if (!QTest::qWaitForWindowExposed(&form))
        return 1;
    form.Login_Edit->setText(QStringLiteral("ivanov"));
    form.Password_Edit->setText(QStringLiteral("secret"));
    form.Password_Edit->setFocus();
    if (!shoot(form, QString::fromLocal8Bit(argv[1])))
        return 1;

    form.SpeedButton3Click();
    form.RzLabel1->setText(QStringLiteral("Вы должны поменять пароль\nЭто делается для "
                                          "безопастности и сохранения данных от "
                                          "злоумышлеников"));
    form.Edit1->setText(QStringLiteral("Fresh_42"));
    form.Edit1->setFocus();
    return shoot(form, QString::fromLocal8Bit(argv[2])) ? 0 : 1;
}
