// kel-reports-screenshot: photographs the mark sheet's print preview and the group statistics
// on the demo database, each opened from the journal grid's context menu.
#include "controls/DBLookupComboBox.h"
#include "controls/KvDBGridEh.h"
#include "data/Unit_2_1.h"
#include "db/DatabaseError.h"
#include "journal/JournalGridMenu.h"
#include "journal/Unit2.h"
#include "journal/Unit4.h"
#include "signin/Unit10.h"

#include "app/Application.h"

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QMenu>
#include <QPixmap>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <cstdio>

namespace {

// Runs the menu's command and photographs the window it opens; false when none opened.
bool photographCommand(TForm2& window, const QString& command, const QString& file) {
    QAction* action = nullptr;
    for (QAction* a : window.GridMenu->menu()->actions())
        if (a->text() == command)
            action = a;
    if (action == nullptr)
        return false;
    bool saved = false;
    QTimer poll;
    poll.setInterval(50);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr)
            return;
        poll.stop();
        // At the size and place the window chose for itself, as a user first sees it.
        QTest::qWait(800); // let the X server finish painting before reading it back
        const QRect area = dialog->frameGeometry();
        saved = window.screen()
                    ->grabWindow(0, area.x(), area.y(), area.width(), area.height())
                    .save(file, "PNG");
        dialog->reject();
    });
    poll.start();
    action->trigger();
    return saved;
}

} // namespace

int main(int argc, char** argv) {
    app::Application application(argc, argv);
    if (argc != 3) {
        std::fputs("Usage: kel-reports-screenshot PREVIEW.png STATISTICS.png\n"
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
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return 1;
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
    if (!photographCommand(window, QStringLiteral("Предварительный просмотр ведомости..."),
                           QString::fromLocal8Bit(argv[1])) ||
        !photographCommand(window, QStringLiteral("Статистика группы..."),
                           QString::fromLocal8Bit(argv[2]))) {
        std::fputs("a window did not open or could not be written\n", stderr);
        return 1;
    }
    return 0;
}
