// Loading the journal from the cascade: the filter's conditions, reloads, duplicate colours,
// posting on the way out of a row or into a selector, row numbers and the record panel.
#include "support/MainWindowFixture.h"

#include "gridevents/Kv_DBGrd_Evns.h"

#include <QApplication>
#include <QCloseEvent>
#include <QImage>

namespace {

using testsupport::columnOf;
using testsupport::MainWindowFixture;

QString cellText(const TKvDBGridEh* grid, int row, const QString& field) {
    return grid->model()->index(row, columnOf(grid, field)).data().toString();
}

int id(db::DataSet& journal) {
    return journal.fieldByName(QStringLiteral("id_mark_mag"))->value().toInt();
}

// The keyboard in the grid, as while a person edits a mark there.
void focusGrid(TKvDBGridEh* grid) {
    grid->window()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(grid->window()));
    grid->setFocus(Qt::MouseFocusReason);
    ASSERT_TRUE(grid->hasFocus());
}

// Moves the keyboard focus into a selector, as Tab or a click does.
void enter(QWidget* selector) {
    selector->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(selector->hasFocus())
        << "the focus stayed with " << QApplication::focusWidget()->objectName().toStdString();
}

int noticesOnScreen() {
    int n = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        n += qobject_cast<TForm4*>(w) != nullptr && w->isVisible();
    return n;
}

TEST_F(MainWindowFixture, FilterItemsPassTheirConditionsToTheJournal) {
    TForm2& w = openMainWindow();
    chooseFixtureJournal();
    asOwner({QStringLiteral("UPDATE mark_mag SET id_estimation = 25 WHERE id_student = 9"),
             QStringLiteral("UPDATE mark_mag SET id_estimation = 8 WHERE id_student = 8"),
             QStringLiteral("UPDATE mark_mag SET id_estimation = 5 WHERE id_student = 7")});

    struct Case {
        int key;
        int item;
        const char* condition;
        QStringList students;
    };
    const Case cases[] = {
        {Qt::Key_Up, 1, "(id_estimation in(8, 9, 10, 11, 16))", {QStringLiteral("Андреев Андрей")}},
        {Qt::Key_Up,
         0,
         "(id_estimation <> 25)",
         {QStringLiteral("Андреев Андрей"), QStringLiteral("Петров Пётр")}},
        {Qt::Key_Down,
         1,
         "(id_estimation in(8, 9, 10, 11, 16))",
         {QStringLiteral("Андреев Андрей")}},
        {Qt::Key_Down,
         2,
         "1=1",
         {QStringLiteral("Андреев Андрей"), QStringLiteral("Петров Пётр"),
          QStringLiteral("Яковлев Яков")}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.condition);
        statements.clear();
        QTest::keyClick(w.ComboBox1, Qt::Key(c.key));
        ASSERT_EQ(w.ComboBox1->currentIndex(), c.item);
        EXPECT_EQ(journal().parameters().find(QStringLiteral("@DoNotShow"))->value.toString(),
                  QString::fromUtf8(c.condition));
        EXPECT_EQ(journal().parameters().find(QStringLiteral("@id_teacher"))->value.toInt(), 1);
        EXPECT_EQ(journalStudents(), c.students);
        EXPECT_TRUE(std::find(statements.begin(), statements.end(),
                              QStringLiteral("EXEC InsertInto_SORT_MARK_MAG 5,2,11,1,1")) !=
                    statements.end());
        EXPECT_EQ(w.DBGridEh2->DataSource(), &dataModule->DS_SP_Sort);
    }
    EXPECT_TRUE(boxes.empty());
}

TEST_F(MainWindowFixture, FilterSurvivesAnotherDiscipline) {
    TForm2& w = openMainWindow();
    chooseFixtureJournal();
    QTest::keyClick(w.ComboBox1, Qt::Key_Up);
    choose(w.DBLookupComboBox3, QStringLiteral("ИВТ-21"));
    choose(w.DBLookupComboBox4, QStringLiteral("Весенний"));
    choose(w.DBLookupComboBox5, QStringLiteral("Математика"));
    EXPECT_EQ(w.ComboBox1->currentText(), QStringLiteral("Показать задолжности"));
    EXPECT_EQ(journal().parameters().find(QStringLiteral("@DoNotShow"))->value.toString(),
              QStringLiteral("(id_estimation in(8, 9, 10, 11, 16))"));
}

TEST_F(MainWindowFixture, AnotherFormOfControlReloadsAndKeepsTheMarkList) {
    TForm2& w = openMainWindow();
    chooseFixtureJournal();
    ASSERT_EQ(w.DBLookupListBox1->count(), 2);
    statements.clear();
    choose(w.DBLookupListBox1, QStringLiteral("Зачёт"));

    EXPECT_EQ(w.DBLookupListBox1->Text(), QStringLiteral("Зачёт"));
    EXPECT_TRUE(std::find(statements.begin(), statements.end(),
                          QStringLiteral("EXEC InsertInto_SORT_MARK_MAG 5,2,11,2,1")) !=
                statements.end());
    EXPECT_EQ(dataModule->ADOQ_estimation.sql(),
              QStringLiteral("Select * from est2 where id_examination=1"));
    ASSERT_EQ(journal().recordCount(), 3);
    for (journal().first(); !journal().eof(); journal().next())
        EXPECT_EQ(journal().fieldByName(QStringLiteral("id_examination"))->value().toInt(), 2);
    EXPECT_TRUE(w.ComboBox1->isEnabled());
    EXPECT_TRUE(w.SpeedButton2->isEnabled());
    EXPECT_TRUE(boxes.empty());
}

TEST_F(MainWindowFixture, StudentWithTwoRowsIsPaintedAsDuplicateAfterTheFirstLoad) {
    asOwner({QStringLiteral("INSERT INTO mark_mag(id_group, id_student, id_examination, "
                            "id_discipline, id_semester) VALUES(5, 7, 1, 11, 2), "
                            "(5, 7, 1, 11, 2)")});
    TForm2& w = openMainWindow();
    chooseFixtureJournal();
    ASSERT_EQ(journalStudents(),
              (QStringList{QStringLiteral("Андреев Андрей"), QStringLiteral("Петров Пётр"),
                           QStringLiteral("Петров Пётр"), QStringLiteral("Яковлев Яков")}));
    EXPECT_EQ(w.F2_Kv_DM_TAZ_2->DuplicateList().size(), 1) << "one key, two rows";

    const QImage shot = w.DBGridEh2->viewport()->grab().toImage();
    auto greenIn = [&](int row) {
        const QRect band = w.DBGridEh2->visualRect(w.DBGridEh2->model()->index(row, 0))
                               .united(w.DBGridEh2->visualRect(w.DBGridEh2->model()->index(
                                   row, w.DBGridEh2->columnCount() - 1)));
        int n = 0;
        for (int y = band.top(); y <= band.bottom(); ++y)
            for (int x = 0; x < shot.width(); ++x)
                n += QColor(shot.pixel(x * shot.devicePixelRatio(), y * shot.devicePixelRatio())) ==
                     colors::clGreen();
        return n;
    };
    EXPECT_GT(greenIn(1), 100);
    EXPECT_GT(greenIn(2), 100);
    EXPECT_EQ(greenIn(3), 0);
}

TEST_F(MainWindowFixture, ChangedMarkPostsWhenTheRowIsLeft) {
    TForm2& w = openMainWindow();
    chooseFixtureJournal();
    journal().first();
    const int first = id(journal());
    journal().edit();
    journal().fieldByName(QStringLiteral("id_estimation"))->setValue(5);
    EXPECT_TRUE(stored(QStringLiteral("id_estimation"), first).isNull());

    QTest::keyClick(w.DBGridEh2, Qt::Key_Down);
    EXPECT_EQ(stored(QStringLiteral("id_estimation"), first).toInt(), 5);
    EXPECT_EQ(journal().recNo(), 2);
    EXPECT_TRUE(boxes.empty());
}

TEST_F(MainWindowFixture, EnteringAnySelectorPostsThePendingEdit) {
    TForm2& w = openMainWindow();
    chooseFixtureJournal();
    QWidget* selectors[] = {w.DBLookupComboBox3, w.DBLookupComboBox4, w.DBLookupComboBox5,
                            w.DBLookupListBox1};
    int n = 0;
    for (QWidget* selector : selectors) {
        SCOPED_TRACE(selector->objectName().toStdString());
        const QString text = QStringLiteral("В-%1").arg(++n);
        const int row = id(journal());
        ASSERT_NO_FATAL_FAILURE(focusGrid(w.DBGridEh2));
        journal().edit();
        journal().fieldByName(QStringLiteral("p35"))->setValue(text);
        ASSERT_NO_FATAL_FAILURE(enter(selector));
        EXPECT_EQ(journal().state(), db::DataSetState::Browse);
        EXPECT_EQ(stored(QStringLiteral("p35"), row).toString(), text);
    }
    EXPECT_TRUE(boxes.empty());
}

TEST_F(MainWindowFixture, RefusedPostThroughASelectorAddsNoMessage) {
    TForm2& w = openMainWindow();
    chooseFixtureJournal();
    const int row = id(journal());
    // Someone else changed the row meanwhile, so the post finds nothing to update.
    asOwner({QStringLiteral("UPDATE mark_mag SET p35 = 'чужое' WHERE id_mark_mag = %1").arg(row)});
    ASSERT_NO_FATAL_FAILURE(focusGrid(w.DBGridEh2));
    journal().edit();
    journal().fieldByName(QStringLiteral("p35"))->setValue(QStringLiteral("моё"));

    // The first refusal goes past the audit recorder to the poster, which says nothing; the
    // row keeps what the user typed.
    ASSERT_NO_FATAL_FAILURE(enter(w.DBLookupComboBox4));
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(journal().state(), db::DataSetState::Edit);
    EXPECT_EQ(journal().fieldByName(QStringLiteral("p35"))->text(), QStringLiteral("моё"));

    // From then on the journal's own warning is the only message.
    ASSERT_NO_FATAL_FAILURE(enter(w.DBLookupComboBox3));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(boxes.front().text.startsWith(QStringLiteral("Вы пытаетесь изменить запись")));
    EXPECT_NE(journal().state(), db::DataSetState::Edit);
    EXPECT_EQ(stored(QStringLiteral("p35"), row).toString(), QStringLiteral("чужое"));
}

TEST_F(MainWindowFixture, NumberColumnCountsTheRows) {
    TForm2& w = openMainWindow();
    chooseFixtureJournal();
    for (int row = 0; row < 3; ++row)
        EXPECT_EQ(cellText(w.DBGridEh2, row, QStringLiteral("No")), QString::number(row + 1));
}

// The two panels follow the journal: its rows under the filter and the row that is current.
TEST_F(MainWindowFixture, StatusPanelsFollowTheJournal) {
    TForm2& w = openMainWindow();
    QTest::keyClick(w.DBGridEh2, Qt::Key_Down);
    QTest::mouseClick(w.DBGridEh2->viewport(), Qt::LeftButton, {}, QPoint(40, 40));
    EXPECT_EQ(w.StatusBar1->panelText(0), QStringLiteral("Количество записей: 0"));
    EXPECT_EQ(w.StatusBar1->panelText(1), QStringLiteral("Текущая запись: 0"));

    chooseFixtureJournal();
    EXPECT_EQ(w.StatusBar1->panelText(0), QStringLiteral("Количество записей: 3"));
    EXPECT_EQ(w.StatusBar1->panelText(1), QStringLiteral(" Текущая запись: 1"));
    const QRect third = w.DBGridEh2->visualRect(
        w.DBGridEh2->model()->index(2, columnOf(w.DBGridEh2, QStringLiteral("student"))));
    QTest::mouseClick(w.DBGridEh2->viewport(), Qt::LeftButton, {}, third.center());
    EXPECT_EQ(w.StatusBar1->panelText(1), QStringLiteral(" Текущая запись: 3"));
    QTest::keyClick(w.DBGridEh2, Qt::Key_Up);
    EXPECT_EQ(w.StatusBar1->panelText(1), QStringLiteral(" Текущая запись: 2"));
    QTest::keyClick(w.DBGridEh2, Qt::Key_Up);
    EXPECT_EQ(w.StatusBar1->panelText(1), QStringLiteral(" Текущая запись: 1"));

    // A filter that hides rows: the count is of the rows shown.
    asOwner({QStringLiteral("UPDATE mark_mag SET id_estimation = 5"),
             QStringLiteral("UPDATE mark_mag SET id_estimation = 25 WHERE id_student = 7")});
    QTest::keyClick(w.ComboBox1, Qt::Key_Up);
    QTest::keyClick(w.ComboBox1, Qt::Key_Up);
    ASSERT_EQ(w.ComboBox1->currentIndex(), 0);
    ASSERT_EQ(journal().recordCount(), 2) << "the filter hides the row of one who does not study";
    EXPECT_EQ(w.StatusBar1->panelText(0), QStringLiteral("Количество записей: 2"));
    for (int panel : {2, 3})
        EXPECT_EQ(w.StatusBar1->panelText(panel),
                  (QStringList{QString(), QString(), QStringLiteral("Выполнение: Удачно"),
                               QString()})[panel]);
}

TEST_F(MainWindowFixture, FailedLoadResumesTheGridAndRemovesTheNotice) {
    TForm2& w = openMainWindow();
    chooseFixtureJournal();
    // The journal's own open handler runs (and shows the notice); then the server fails.
    const db::DataSet::Notify opening = journal().beforeOpen;
    journal().beforeOpen = [&opening](db::DataSet& ds) {
        opening(ds);
        throw db::DatabaseError(QStringLiteral("Сервер недоступен"));
    };
    EXPECT_THROW(w.ComboBox1Change(w.ComboBox1), db::DatabaseError);
    journal().beforeOpen = opening;

    EXPECT_EQ(noticesOnScreen(), 0);
    EXPECT_FALSE(journal().controlsDisabled());
    EXPECT_EQ(w.DBGridEh2->DataSource(), nullptr);

    // The next load works as usual.
    w.ComboBox1Change(w.ComboBox1);
    EXPECT_EQ(journal().recordCount(), 3);
    EXPECT_EQ(noticesOnScreen(), 0);
}

TEST_F(MainWindowFixture, ClosingTheWindowPostsThePendingEdit) {
    openMainWindow();
    chooseFixtureJournal();
    const int row = id(journal());
    journal().edit();
    journal().fieldByName(QStringLiteral("p35"))->setValue(QStringLiteral("В-9"));
    QCloseEvent close;
    QApplication::sendEvent(window.get(), &close);
    EXPECT_EQ(stored(QStringLiteral("p35"), row).toString(), QStringLiteral("В-9"));
    EXPECT_TRUE(boxes.empty());
}

} // namespace
