// A signed-in main window on a fresh embedded database with a small journal, its statements
// and boxes recorded, and the user's ways of choosing in the selectors.
#pragma once

#include "support/SignInFixture.h"

#include "controls/DBLookupComboBox.h"
#include "controls/DBLookupListBox.h"
#include "controls/KvDBGridEh.h"
#include "gridevents/Kv_DBGrd_Evns.h"
#include "journal/StatusBar.h"
#include "journal/Unit2.h"
#include "journal/Unit4.h"
#include "support/JournalRows.h"
#include "support/TextPrinting.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QDir>
#include <QTimer>
#include <QToolButton>

namespace testsupport {

// The index of the grid's column showing a field.
inline int columnOf(const TDBGridEh* grid, const QString& field) {
    for (int i = 0; i < grid->columnCount(); ++i)
        if (grid->Column(i)->FieldName == field)
            return i;
    ADD_FAILURE() << "no column " << field.toStdString();
    return -1;
}

class MainWindowFixture : public testsupport::SignInFixture {
protected:
    void SetUp() override {
        SignInFixture::SetUp();
        // The window's address watcher leaves its history in the working folder.
        previousDir = QDir::currentPath();
        QDir::setCurrent(workDir.path(QString()));
        dataModule->LoadingNotice = journal::loadingNoticeHook();
        userId = addUser(QStringLiteral("ivanov"), QStringLiteral("secret"), 3);
        std::vector<QString> rows = testsupport::journalFixtureRows();
        for (const char* sql : {
                 "INSERT INTO st_group VALUES(4, 'АА-01', 1)",
                 "INSERT INTO educ_sh(id_group, id_semester, id_discipline, id_examination) "
                 "VALUES(5, 2, 11, 2)",
                 "INSERT INTO estimation VALUES(8, 'неуд.')",
                 "INSERT INTO exam_estimation VALUES(1, 8), (2, 5)",
             })
            rows.push_back(QString::fromUtf8(sql));
        for (int group : {4, 5, 6})
            rows.push_back(
                QStringLiteral("INSERT INTO group_login VALUES(%1, %2, 1)").arg(group).arg(userId));
        asOwner(rows);
    }

    void TearDown() override {
        window.reset();
        QDir::setCurrent(previousDir);
        SignInFixture::TearDown();
    }

    void asOwner(const std::vector<QString>& statementsToRun) {
        for (const QString& sql : statementsToRun) {
            try {
                admin->exec(sql);
            } catch (const db::DatabaseError& e) {
                FAIL() << sql.toStdString() << ": " << e.message().toStdString();
            }
        }
    }

    // Creates the main window, signs "ivanov" in through its gate and shows it.
    TForm2& openMainWindow() {
        QTimer::singleShot(0, [this] {
            ASSERT_NE(Form8, nullptr);
            Form8->setSettingsPath(settingsPath);
            Form8->Login_Edit->setText(QStringLiteral("ivanov"));
            Form8->Password_Edit->setText(QStringLiteral("secret"));
            QTest::keyClick(Form8->Password_Edit, Qt::Key_Return);
        });
        window = std::make_unique<TForm2>();
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        statements.clear();
        return *window;
    }

    // Picks the entry with this text in the drop-down, as a mouse does: a click on the closed
    // box opens its list, which stays open; the pointer goes to the entry and clicks it.
    static void choose(TDBLookupComboBox* box, const QString& text) {
        QTest::mouseClick(box, Qt::LeftButton, {}, box->rect().center());
        ASSERT_TRUE(box->view()->isVisible()) << "a click leaves the list open";
        const int row = box->findText(text);
        ASSERT_GE(row, 0) << "no entry " << text.toStdString();
        QAbstractItemView* view = box->view();
        const QRect cell = view->visualRect(view->model()->index(row, 0));
        // The way to the entry starts at the list's edge, away from where the click was.
        QTest::mouseMove(view->viewport(), QPoint(1, 1));
        QTest::mouseMove(view->viewport(), QPoint(view->viewport()->width() - 2, 1));
        QTest::mouseMove(view->viewport(), cell.center());
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, cell.center());
        EXPECT_FALSE(box->view()->isVisible()) << "choosing closes the list";
    }

    static void choose(TDBLookupListBox* box, const QString& text) {
        const auto found = box->findItems(text, Qt::MatchExactly);
        ASSERT_FALSE(found.isEmpty()) << "no entry " << text.toStdString();
        QTest::mouseClick(box->viewport(), Qt::LeftButton, {},
                          box->visualItemRect(found.front()).center());
    }

    // Group ИВТ-21, semester "Весенний", discipline "Математика": the journal of examination 1.
    void chooseFixtureJournal() {
        choose(window->DBLookupComboBox3, QStringLiteral("ИВТ-21"));
        choose(window->DBLookupComboBox4, QStringLiteral("Весенний"));
        choose(window->DBLookupComboBox5, QStringLiteral("Математика"));
    }

    QVariant stored(const QString& column, int idMarkMag) {
        const db::Result r =
            admin->exec(QStringLiteral("SELECT %1 FROM mark_mag WHERE id_mark_mag = ?").arg(column),
                        {idMarkMag});
        return r.rows.empty() ? QVariant() : r.rows.front().at(0);
    }

    db::DataSet& journal() { return dataModule->ADO_SP_Sort; }

    // The journal's rows as student names, in the order shown.
    QStringList journalStudents() {
        QStringList names;
        db::DataSet& j = journal();
        for (int i = 0; i < j.visibleRowCount(); ++i) {
            db::DisplayRowScope row(j, i);
            names << j.fieldByName(QStringLiteral("student"))->text();
        }
        return names;
    }

    testsupport::TempDir workDir;
    QString previousDir;
    int userId = 0;
    std::unique_ptr<TForm2> window;
};

} // namespace testsupport
