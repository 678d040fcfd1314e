// The journal grid's context menu as a person uses it: opened by the mouse and the keyboard,
// its mark-sheet commands run from it, files checked as the user's programs read them.
#include "ReadBack.h"

#include "journal/JournalGridMenu.h"
#include "platform/FileDialogs.h"
#include "support/KeyboardFixture.h"

#include <QClipboard>
#include <QDialog>
#include <QMenu>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QScreen>
#include <QSettings>

namespace {

using testsupport::columnOf;

// Closes every modal dialog that opens, noting its class and, for a preview, its pages.
class ModalWatcher {
public:
    ModalWatcher() {
        timer_.setInterval(20);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            auto* dialog = qobject_cast<QDialog*>(modal);
            if (dialog == nullptr)
                return;
            seen << QString::fromLatin1(dialog->metaObject()->className());
            if (auto* preview = dialog->findChild<QPrintPreviewWidget*>()) {
                previewPages << preview->pageCount();
                previewFitsWidth = preview->zoomMode() == QPrintPreviewWidget::FitToWidth;
                previewShare =
                    double(dialog->height()) / dialog->screen()->availableGeometry().height();
                previewOnScreen =
                    dialog->screen()->availableGeometry().contains(dialog->frameGeometry());
            }
            dialog->reject();
        });
        timer_.start();
    }
    QStringList seen;
    QList<int> previewPages;
    bool previewFitsWidth = false;
    double previewShare = 0;
    bool previewOnScreen = false;

private:
    QTimer timer_;
};

class JournalMenu : public testsupport::KeyboardFixture {
protected:
    void SetUp() override {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                           settingsDir.path(QString()));
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDir.path(QString()));
        KeyboardFixture::SetUp();
    }

    static QMenu* openMenu() { return qobject_cast<QMenu*>(QApplication::activePopupWidget()); }

    void rightClickCell(int row, const QString& field) {
        QWidget* viewport = grid()->viewport();
        const QRect cell = grid()->visualRect(grid()->model()->index(row, columnOf(grid(), field)));
        const QPoint at = viewport->mapTo(window.get(), cell.center());
        QTest::mouseClick(window->windowHandle(), Qt::RightButton, {}, at);
    }

    // Moves through the open menu with the arrow keys to the command and presses Enter.
    void choose(const QString& text) {
        QMenu* menu = openMenu();
        ASSERT_NE(menu, nullptr) << "no menu open";
        for (int i = 0;
             i < 12 && (menu->activeAction() == nullptr || menu->activeAction()->text() != text);
             ++i)
            key(Qt::Key_Down);
        ASSERT_NE(menu->activeAction(), nullptr);
        ASSERT_EQ(menu->activeAction()->text(), text);
        key(Qt::Key_Return);
    }

    // Saves through the menu (opened with Shift+F10) to a scripted file name.
    void saveThroughMenu(const QString& command, const QString& path) {
        platform::ScopedSaveFileScript script([&](const platform::SaveFileRequest& r) {
            requests.push_back(r);
            return path;
        });
        clickCell(0, QStringLiteral("student"));
        key(Qt::Key_F10, Qt::ShiftModifier);
        choose(command);
        backToMainWindow();
    }

    void setMarks() {
        asOwner({QStringLiteral("UPDATE mark_mag SET id_estimation = 5, p35 = '7', "
                                "p36 = '2024-06-20' WHERE id_student = 7"),
                 QStringLiteral("UPDATE mark_mag SET id_estimation = 3 WHERE id_student = 8"),
                 QStringLiteral("UPDATE mark_mag SET id_teacher = 4")});
        reloadJournal();
    }

    testsupport::TempDir settingsDir;
    testsupport::TempDir out;
    std::vector<platform::SaveFileRequest> requests;
};

TEST_F(JournalMenu, RightClickRunsTheGridsMouseDownThenOffersEnabledCommands) {
    rightClickCell(2, QStringLiteral("student"));
    EXPECT_EQ(window->StatusBar1->panelText(1), QStringLiteral(" Текущая запись: 3"))
        << "the mouse-down handling ran";
    QMenu* menu = openMenu();
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu, window->GridMenu->menu());
    int commands = 0;
    for (QAction* a : menu->actions()) {
        // The paste and the undo say themselves whether they can act here.
        if (a->isSeparator() || a->text().startsWith(QStringLiteral("Вставить столбец")) ||
            a->text().startsWith(QStringLiteral("Отменить моё")))
            continue;
        ++commands;
        EXPECT_TRUE(a->isEnabled()) << a->text().toStdString();
    }
    EXPECT_GE(commands, 5);
    key(Qt::Key_Escape);
    EXPECT_EQ(openMenu(), nullptr);

    // On the cell being edited, the grid's menu stands in for the editor's own.
    backToMainWindow();
    clickCell(1, QStringLiteral("p35"));
    ASSERT_NE(grid()->InplaceEditor(), nullptr);
    rightClickCell(1, QStringLiteral("p35"));
    EXPECT_EQ(openMenu(), window->GridMenu->menu());
    key(Qt::Key_Escape);
    EXPECT_TRUE(boxes.empty());
    EXPECT_TRUE(warnings.seen().isEmpty()) << warnings.seen().join('\n').toStdString();
}

TEST_F(JournalMenu, MenuKeyAndShiftF10OpenItBelowTheCurrentCellFromTheCellEditor) {
    struct Case {
        const char* name;
        Qt::Key key;
        Qt::KeyboardModifiers mods;
    };
    for (const Case& c : {Case{"Menu", Qt::Key_Menu, Qt::NoModifier},
                          Case{"Shift+F10", Qt::Key_F10, Qt::ShiftModifier}}) {
        SCOPED_TRACE(c.name);
        clickCell(1, QStringLiteral("p35"));
        ASSERT_NE(grid()->InplaceEditor(), nullptr) << "keys go to the cell's editor";
        key(c.key, c.mods);
        QMenu* menu = openMenu();
        ASSERT_NE(menu, nullptr);
        const QRect cell = grid()->visualRect(grid()->currentIndex());
        // Below the cell; moved left only as far as the screen's edge asks.
        const QPoint below = grid()->viewport()->mapToGlobal(cell.bottomLeft());
        EXPECT_EQ(menu->y(), below.y());
        EXPECT_LE(menu->x(), below.x());
        key(Qt::Key_Escape);
        EXPECT_EQ(openMenu(), nullptr);
        backToMainWindow();
    }
    // The editor still takes what is typed.
    clickCell(1, QStringLiteral("p35"));
    type("12");
    key(Qt::Key_Up);
    EXPECT_EQ(stored(QStringLiteral("p35"), rowId(1)).toString(), QStringLiteral("12"));
    EXPECT_TRUE(warnings.seen().isEmpty()) << warnings.seen().join('\n').toStdString();
}

TEST_F(JournalMenu, CsvOfTheJournalAsShownProposedNameAndRememberedFolder) {
    setMarks();
    const QString path = out.path(QStringLiteral("marks.csv"));
    saveThroughMenu(QStringLiteral("Сохранить ведомость в CSV..."), path);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_TRUE(requests[0].proposedPath.endsWith(
        QStringLiteral("/Ведомость ИВТ-21 Математика Экзамен.csv")))
        << requests[0].proposedPath.toStdString();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    ASSERT_TRUE(bytes.startsWith("\xEF\xBB\xBF"));
    const auto rows = reportstest::parseCsv(QString::fromUtf8(bytes.mid(3)));
    const QStringList lines = [&] {
        QStringList l;
        for (const auto& r : rows)
            l << r.join(QLatin1Char('|'));
        return l;
    }();
    EXPECT_TRUE(lines.contains(QStringLiteral("Группа: ИВТ-21    Семестр: Весенний")))
        << lines.join('\n').toStdString();
    EXPECT_TRUE(lines.contains(QStringLiteral("Дисциплина: Математика")));
    EXPECT_TRUE(lines.contains(QStringLiteral("Форма контроля: Экзамен")));
    EXPECT_TRUE(lines.contains(QStringLiteral("Преподаватель: Сергеев С.С.")));
    const QStringList students = journalStudents();
    const int header =
        int(lines.indexOf(QStringLiteral("П/П|Студент|Шифр студента|Оценка|№|Дата сдачи")));
    ASSERT_GE(header, 0);
    for (int i = 0; i < students.size(); ++i)
        EXPECT_EQ(rows.value(header + 1 + i).value(1), students[i]) << "row " << i;
    EXPECT_TRUE(lines.contains(QStringLiteral("2|Петров Пётр|A-7|отлично|7|20.06.2024")))
        << lines.join('\n').toStdString();
    EXPECT_TRUE(lines.contains(QStringLiteral("Всего студентов|3")));
    EXPECT_TRUE(lines.contains(QStringLiteral("без оценки|1")));

    // The next save starts in the folder of this one.
    saveThroughMenu(QStringLiteral("Сохранить ведомость в CSV..."), QString());
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(QFileInfo(requests[1].proposedPath).absolutePath(), QFileInfo(path).absolutePath());
    EXPECT_TRUE(boxes.empty());
}

TEST_F(JournalMenu, PdfAndXlsxHoldTheJournalUnderItsFilter) {
    setMarks();
    // Яковлев does not take the discipline: the filter hides him.
    const QString hidden = QStringLiteral("Яковлев Яков");
    asOwner({QStringLiteral("UPDATE mark_mag SET id_estimation = 25 WHERE id_student = 9")});
    // Only those who take the discipline: the filter is named in the heading.
    QTest::keyClick(window->ComboBox1, Qt::Key_Down);
    QTest::keyClick(window->ComboBox1, Qt::Key_Up);
    QTest::keyClick(window->ComboBox1, Qt::Key_Up);
    backToMainWindow();
    ASSERT_EQ(window->ComboBox1->currentIndex(), 0);
    ASSERT_EQ(journalStudents(),
              (QStringList{QStringLiteral("Андреев Андрей"), QStringLiteral("Петров Пётр")}));

    const QString pdf = out.path(QStringLiteral("marks.pdf"));
    saveThroughMenu(QStringLiteral("Сохранить ведомость в PDF..."), pdf);
    const QString text = reportstest::pdfPageText(pdf, 1);
    EXPECT_TRUE(text.contains(QStringLiteral("Отбор: Показать тех кто изучает данную дисциплину")))
        << text.toStdString();
    qsizetype last = -1;
    for (const QString& student : journalStudents()) {
        const qsizetype at = text.indexOf(student);
        EXPECT_GT(at, last) << student.toStdString();
        last = at;
    }
    EXPECT_FALSE(text.contains(hidden)) << "a row the filter hides is not on the sheet";
    EXPECT_TRUE(text.contains(QStringLiteral("отлично")));

    const QString xlsx = out.path(QStringLiteral("marks.xlsx"));
    saveThroughMenu(QStringLiteral("Сохранить ведомость в Excel (XLSX)..."), xlsx);
    const QString sheet =
        QString::fromUtf8(reportstest::zipEntry(xlsx, QStringLiteral("xl/sharedStrings.xml")));
    for (const QString& student : journalStudents())
        EXPECT_TRUE(sheet.contains(student)) << student.toStdString();
    EXPECT_TRUE(
        sheet.contains(QStringLiteral("Отбор: Показать тех кто изучает данную дисциплину")));
    EXPECT_FALSE(sheet.contains(hidden));
    EXPECT_FALSE(sheet.contains(QStringLiteral("не изучает")));
    EXPECT_TRUE(boxes.empty());
}

TEST_F(JournalMenu, AWriteThatFailsSaysSoInRussianAndLeavesNoFile) {
    const QString blocker = out.write(QStringLiteral("file"), "x");
    const QString path = blocker + QStringLiteral("/marks.pdf");
    saveThroughMenu(QStringLiteral("Сохранить ведомость в PDF..."), path);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(boxes[0].text.startsWith(QStringLiteral("Не удалось сохранить файл")))
        << boxes[0].text.toStdString();
    EXPECT_EQ(boxes[0].icon, QMessageBox::Critical);
    EXPECT_FALSE(QFile::exists(path));
}

TEST_F(JournalMenu, CtrlPPrintsAndThePreviewShowsTheSheet) {
    ModalWatcher watcher;
    clickCell(0, QStringLiteral("student"));
    key(Qt::Key_P, Qt::ControlModifier);
    backToMainWindow();
    key(Qt::Key_Menu);
    choose(QStringLiteral("Предварительный просмотр ведомости..."));
    backToMainWindow();
    ASSERT_EQ(watcher.seen.size(), 2) << watcher.seen.join(',').toStdString();
    EXPECT_TRUE(watcher.seen[0].contains(QStringLiteral("PrintDialog")))
        << watcher.seen[0].toStdString();
    EXPECT_EQ(watcher.seen[1], QStringLiteral("QPrintPreviewDialog"));
    EXPECT_EQ(watcher.previewPages, QList<int>{1});
    // Readable at once: most of the screen's height, the page as wide as the window.
    EXPECT_TRUE(watcher.previewFitsWidth);
    EXPECT_GE(watcher.previewShare, 0.8);
    EXPECT_TRUE(watcher.previewOnScreen);
    EXPECT_TRUE(boxes.empty());
    EXPECT_TRUE(warnings.seen().isEmpty()) << warnings.seen().join('\n').toStdString();
}

// Before a journal is chosen every command is disabled, and Ctrl+P does nothing.
TEST_F(JournalMenu, PasteAndUndoSayWhetherTheyCanActAndUndoRunsFromTheMenu) {
    const auto action = [](const QString& start) -> QAction* {
        for (QAction* a : openMenu()->actions())
            if (a->text().startsWith(start))
                return a;
        return nullptr;
    };
    const QString undoStart = QStringLiteral("Отменить моё последнее изменение");
    const QString pasteStart = QStringLiteral("Вставить столбец из буфера");
    QGuiApplication::clipboard()->setText(QStringLiteral("5\n"));

    rightClickCell(0, QStringLiteral("student"));
    ASSERT_NE(openMenu(), nullptr);
    ASSERT_NE(action(pasteStart), nullptr);
    ASSERT_NE(action(undoStart), nullptr);
    EXPECT_FALSE(action(pasteStart)->isEnabled()) << "the student column is read-only";
    EXPECT_FALSE(action(undoStart)->isEnabled()) << "nothing to undo yet";
    EXPECT_EQ(action(undoStart)->text(), undoStart + QStringLiteral("\tAlt+Backspace"));
    key(Qt::Key_Escape);

    backToMainWindow();
    const int target = rowId(0);
    const QVariant before = stored(QStringLiteral("p35"), target);
    clickCell(0, QStringLiteral("p35"));
    type("12");
    key(Qt::Key_Down);
    ASSERT_EQ(stored(QStringLiteral("p35"), target).toString(), QStringLiteral("12"));

    rightClickCell(0, QStringLiteral("p35"));
    ASSERT_NE(openMenu(), nullptr);
    EXPECT_TRUE(action(pasteStart)->isEnabled());
    const QString undoText = action(undoStart)->text();
    EXPECT_EQ(undoText, undoStart + QStringLiteral(" (шагов: 1)\tAlt+Backspace"));
    EXPECT_TRUE(action(undoStart)->isEnabled());
    choose(undoText);
    EXPECT_EQ(stored(QStringLiteral("p35"), target), before) << "the typed value is taken back";
    EXPECT_TRUE(boxes.empty()) << boxes.front().text.toStdString();
    EXPECT_TRUE(warnings.seen().isEmpty()) << warnings.seen().join('\n').toStdString();
}

class JournalMenuUnloaded : public testsupport::MainWindowFixture {};

TEST_F(JournalMenuUnloaded, CommandsAreDisabledWithoutAJournal) {
    TForm2& w = openMainWindow();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    ModalWatcher watcher;
    w.DBGridEh2->setFocus();
    QTest::keyClick(QGuiApplication::focusWindow(), Qt::Key_P, Qt::ControlModifier);
    QTest::keyClick(QGuiApplication::focusWindow(), Qt::Key_F10, Qt::ShiftModifier);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    for (QAction* a : menu->actions())
        EXPECT_TRUE(a->isSeparator() || !a->isEnabled()) << a->text().toStdString();
    QTest::keyClick(menu->windowHandle(), Qt::Key_Escape);
    QTest::qWait(60);
    EXPECT_TRUE(watcher.seen.isEmpty()) << watcher.seen.join(',').toStdString();
}

} // namespace
