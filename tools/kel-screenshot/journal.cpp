// kel-journal-screenshot: photographs the main window on the demo database with the first
// group's first journal loaded, chosen with the keyboard as a user would.
#include "controls/DBLookupComboBox.h"
#include "data/Unit_2_1.h"
#include "db/DatabaseError.h"
#include "journal/Unit2.h"
#include "journal/Unit4.h"
#include "signin/Unit10.h"

#include "app/Application.h"

#include <QApplication>
#include <QLineEdit>
#include <QPixmap>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <cstdio>

int main(int argc, char** argv) {
    // The program's own application object, so texts follow the program's locale.
    app::Application application(argc, argv);
    if (argc != 2) {
        std::fputs("Usage: kel-journal-screenshot JOURNAL.png\n"
                   "Needs the demo database and its settings file (kel-demo).\n",
                   stderr);
        return 2;
    }
    TDM_TAZ_2 dataModule;
    dataModule.LoadingNotice = journal::loadingNoticeHook();
    QTimer::singleShot(0, [] {
        Form8->Login_Edit->setText(QStringLiteral("demo"));
        Form8->Password_Edit->setText(QStringLiteral("demo2024"));
        QTest::keyClick(Form8->Password_Edit, Qt::Key_Return);
    });
    TForm2 window;
    if (!dataModule.ADOQ_group.active()) {
        std::fputs("the demo user could not sign in\n", stderr);
        return 1;
    }
    window.showMaximized();
    if (!QTest::qWaitForWindowExposed(&window))
        return 1;
    // Without a window manager nobody maximises the window; give it the screen as one would.
    if (window.geometry() != window.screen()->availableGeometry())
        window.setGeometry(window.screen()->availableGeometry());
    try {
        for (TDBLookupComboBox* box :
             {window.DBLookupComboBox3, window.DBLookupComboBox4, window.DBLookupComboBox5}) {
            box->setFocus();
            QTest::keyClick(box, Qt::Key_Down);
        }
    } catch (const db::DatabaseError& e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.message()));
        return 1;
    }
    QApplication::processEvents();
    QTest::qWait(500); // let the X server finish painting before reading it back
    const QRect area = window.frameGeometry();
    const QPixmap shot =
        window.screen()->grabWindow(0, area.x(), area.y(), area.width(), area.height());
    if (!shot.save(QString::fromLocal8Bit(argv[1]), "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
