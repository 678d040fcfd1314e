// A signed-in main window on a database of its own for the journal benchmarks: one group of
// students (bench/FacultyRows.h), the user "bench" signed in through the real sign-in window,
// and the group and the semester chosen as a person chooses them.
#pragma once

#include "../FacultyRows.h"
#include "app/WaitNoticeHook.h"
#include "controls/DBLookupComboBox.h"
#include "data/Unit_2_1.h"
#include "embedded/ServerAdmin.h"
#include "journal/Unit2.h"
#include "journal/Unit4.h"
#include "platform/IPWatch.h"
#include "platform/MessageBoxes.h"
#include "signin/SettingsFile.h"
#include "signin/Unit10.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>
#include <stdexcept>

namespace benchjournal {

// The database file in Data/ beside the program, where a settings file can name it in at
// most 20 characters; removed however the benchmark ends.
class DatabaseFile {
public:
    DatabaseFile() {
        const QString data = QCoreApplication::applicationDirPath() + QStringLiteral("/Data");
        QDir().mkpath(data);
        name = QStringLiteral("bd%1.sqlite").arg(QCoreApplication::applicationPid() % 100000000);
        path = data + u'/' + name;
        remove();
    }
    ~DatabaseFile() { remove(); }
    DatabaseFile(const DatabaseFile&) = delete;
    DatabaseFile& operator=(const DatabaseFile&) = delete;

    QString name, path;

private:
    void remove() {
        for (const char* suffix : {"", "-wal", "-shm", "-journal"})
            QFile::remove(path + QString::fromLatin1(suffix));
    }
};

// Works in a folder of its own (the address watcher keeps its history there) and goes back.
class WorkingFolder {
public:
    WorkingFolder()
        : previous_(QDir::currentPath()) {
        QDir::setCurrent(dir_.path());
    }
    ~WorkingFolder() { QDir::setCurrent(previous_); }
    WorkingFolder(const WorkingFolder&) = delete;
    WorkingFolder& operator=(const WorkingFolder&) = delete;

    QString filePath(const QString& name) const { return dir_.filePath(name); }

private:
    QTemporaryDir dir_;
    QString previous_;
};

// What a benchmark puts into its faculty: the students (inside the set-up's transaction, with
// the reference rows in place) and the marks (once the journal has been prepared).
struct FacultyFill {
    std::function<void(embedded::ServerAdmin&)> students;
    std::function<void(embedded::ServerAdmin&)> marks;
};

class SignedInWindow {
public:
    explicit SignedInWindow(const FacultyFill& fill) {
        embedded::createDatabase(file_.path);
        admin_ = std::make_unique<embedded::ServerAdmin>(file_.path);
        const int user = admin_->createUser(QStringLiteral("bench"), QStringLiteral("pw"),
                                            QDateTime::currentDateTime().addDays(-3));
        admin_->createCheckLogin(QStringLiteral("kel_check"), QStringLiteral("Chk_2024"));
        admin_->server().beginTransaction();
        addFacultyRows(*admin_);
        fill.students(*admin_);
        admin_->exec(QStringLiteral("INSERT INTO group_student SELECT 1, id_student FROM s_fio"));
        admin_->exec(QStringLiteral("INSERT INTO group_login VALUES(1, ?, 1)"), {user});
        admin_->server().commit();
        // The journal was opened once before and marked.
        admin_->exec(QStringLiteral("EXEC InsertInto_SORT_MARK_MAG 1,1,1,1,1"));
        fill.marks(*admin_);

        settings_ = work_.filePath(QStringLiteral("KEL"));
        QFile file(settings_);
        if (!file.open(QIODevice::WriteOnly))
            throw std::runtime_error("cannot write the settings file");
        file.write(signin::encodeSettings({QStringLiteral("kel_check"), QStringLiteral("Chk_2024"),
                                           QStringLiteral("KEL"), file_.name}));
        file.close();

        dataModule_ = std::make_unique<TDM_TAZ_2>();
        dataModule_->LoadingNotice = journal::loadingNoticeHook();
        // As the program has it: statements wait with the window painting.
        dataModule_->ADO_TAZ.setWaitHook(app::waitNoticeHook());
        // A sign-in that does not go through closes its window rather than waiting for a user.
        platform::ScopedMessageBoxScript answered(
            [](const platform::MessageBoxRequest&) { return QMessageBox::Ok; });
        QTimer::singleShot(30000, [] {
            if (Form8 != nullptr)
                Form8->close();
        });
        QTimer::singleShot(0, [this] {
            Form8->setSettingsPath(settings_);
            Form8->Login_Edit->setText(QStringLiteral("bench"));
            Form8->Password_Edit->setText(QStringLiteral("pw"));
            QTest::keyClick(Form8->Password_Edit, Qt::Key_Return);
        });
        window_ = std::make_unique<TForm2>();
        if (!dataModule_->ADOQ_group.active())
            throw std::runtime_error("the user could not sign in");
        window_->show();
        if (!QTest::qWaitForWindowExposed(window_.get()))
            throw std::runtime_error("the main window was not shown");
        // The watcher's first answer is in, as a while after the program's start.
        (void)QTest::qWaitFor([this] { return window_->IdIPWatch1->hasAddress(); }, 10000);
        // The group and the semester, each the first of its list.
        for (TDBLookupComboBox* box : {window_->DBLookupComboBox3, window_->DBLookupComboBox4})
            choose(box);
    }

    SignedInWindow(const SignedInWindow&) = delete;
    SignedInWindow& operator=(const SignedInWindow&) = delete;

    // The first entry of a selector, chosen from the keyboard.
    static void choose(TDBLookupComboBox* box) {
        box->setFocus();
        QTest::keyClick(box, Qt::Key_Down);
        QCoreApplication::processEvents();
    }

    db::DataSet& journal() { return dataModule_->ADO_SP_Sort; }
    db::Connection& connection() { return dataModule_->ADO_TAZ; }
    // The owner's session, for what the working login may not read.
    embedded::ServerAdmin& admin() { return *admin_; }
    TForm2& window() { return *window_; }

private:
    // Gone in reverse order: the window before the data module, as at the program's end, and
    // the file last.
    WorkingFolder work_;
    DatabaseFile file_;
    QString settings_;
    std::unique_ptr<embedded::ServerAdmin> admin_;
    std::unique_ptr<TDM_TAZ_2> dataModule_;
    std::unique_ptr<TForm2> window_;
};

} // namespace benchjournal
