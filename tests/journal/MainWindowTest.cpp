// The main window as it opens: strips, controls, grid columns, status bar, size rules, and
// the address history it leaves behind.
#include "support/MainWindowFixture.h"

#include "controls/DateTimePicker.h"
#include "gridevents/Kv_DBGrd_Evns.h"

#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QRegularExpression>
#include <QToolButton>

namespace {

using testsupport::MainWindowFixture;

TEST_F(MainWindowFixture, OpensWithItsControlsWhereTheyBelong) {
    TForm2& w = openMainWindow();
    EXPECT_EQ(w.windowTitle(), QStringLiteral("KEL 14 Учет успеваемости"));
    EXPECT_TRUE(w.windowState().testFlag(Qt::WindowMaximized));
    EXPECT_EQ(w.minimumSize(), QSize(803, 326));
    EXPECT_EQ(w.InfoPanel->height(), 31);
    EXPECT_EQ(w.SelectionPanel->height(), 91);
    EXPECT_EQ(w.StatusBar1->height(), 19);

    struct Placed {
        QWidget* widget;
        QRect where;
    };
    const Placed placed[] = {
        {w.DBLookupComboBox3, {167, 3, 249, 21}}, {w.DBLookupComboBox4, {568, 3, 295, 21}},
        {w.SpeedButton2, {4, 25, 61, 31}},        {w.DBLookupComboBox5, {167, 32, 696, 21}},
        {w.DBLookupListBox1, {866, 7, 133, 43}},  {w.ComboBox1, {70, 66, 369, 21}},
        {w.DateTimePicker1, {610, 66, 92, 21}},   {w.SpeedButton1, {708, 66, 123, 22}},
    };
    for (const Placed& p : placed)
        EXPECT_EQ(p.widget->geometry(), p.where) << p.widget->objectName().toStdString();

    // Where they belong for a person: each label whole, on its control's line and left of it;
    // nothing covers anything else; everything inside the selection area at the window's
    // normal size; the buttons' texts fit them.
    w.showNormal();
    w.resize(1036, 737);
    QApplication::processEvents();
    const std::pair<QLabel*, QWidget*> labelled[] = {{w.Label4, w.DBLookupComboBox3},
                                                     {w.Label6, w.DBLookupComboBox4},
                                                     {w.Label5, w.DBLookupComboBox5},
                                                     {w.Label1, w.ComboBox1},
                                                     {w.Label2, w.DateTimePicker1}};
    for (const auto& [label, control] : labelled) {
        SCOPED_TRACE(label->text().toStdString());
        EXPECT_GE(label->width(), label->fontMetrics().horizontalAdvance(label->text()));
        EXPECT_LE(label->geometry().right(), control->x()) << "the label ends before its box";
        EXPECT_LE(qAbs(label->geometry().center().y() - control->geometry().center().y()), 4)
            << "on the box's line";
    }
    QList<QWidget*> parts;
    for (QWidget* child : w.SelectionPanel->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (child->isVisible() && child != w.Bevel1)
            parts << child;
    EXPECT_GE(parts.size(), 13);
    for (int i = 0; i < parts.size(); ++i) {
        const QString name = parts[i]->objectName();
        EXPECT_TRUE(w.SelectionPanel->rect().contains(parts[i]->geometry()))
            << name.toStdString() << " outside the selection area";
        for (int j = i + 1; j < parts.size(); ++j)
            EXPECT_FALSE(parts[i]->geometry().intersects(parts[j]->geometry()))
                << name.toStdString() << " covers " << parts[j]->objectName().toStdString();
    }
    for (QToolButton* button : {w.SpeedButton1, w.SpeedButton2}) {
        const QSize text = button->fontMetrics().size(0, button->text());
        EXPECT_LE(text.width(), button->width()) << button->objectName().toStdString();
        EXPECT_LE(text.height(), button->height()) << button->objectName().toStdString();
    }

    const std::pair<QLabel*, const char*> labels[] = {{w.Label4, "Выберите группу:"},
                                                      {w.Label6, "Выберите семестр:"},
                                                      {w.Label5, "Дисциплина:"},
                                                      {w.Label1, "Фильтр:"},
                                                      {w.Label2, "Дата сдачи для всех:"}};
    for (const auto& [label, text] : labels) {
        EXPECT_EQ(label->text(), QString::fromUtf8(text));
        EXPECT_TRUE(label->font().bold());
        EXPECT_EQ(label->font().pixelSize(), 13);
    }
    EXPECT_EQ(w.ComboBox1->count(), 3);
    EXPECT_EQ(w.ComboBox1->itemText(0),
              QStringLiteral("Показать тех кто изучает данную дисциплину"));
    EXPECT_EQ(w.ComboBox1->itemText(1), QStringLiteral("Показать задолжности"));
    EXPECT_LT(qAbs(w.DateTimePicker1->DateTime().secsTo(QDateTime::currentDateTime())), 120);
    EXPECT_EQ(w.SpeedButton2->text(), QStringLiteral("Шифр\nСтудентов"));
    EXPECT_EQ(w.SpeedButton1->text(), QStringLiteral("Установить дату"));

    // Tab walks the selectors in the cascade's order.
    auto nextByTab = [](QWidget* from) {
        QWidget* next = from->nextInFocusChain();
        while (next != from && !(next->focusPolicy() & Qt::TabFocus))
            next = next->nextInFocusChain();
        return next;
    };
    EXPECT_EQ(nextByTab(w.DBLookupComboBox3), w.DBLookupComboBox4);
    EXPECT_EQ(nextByTab(w.DBLookupComboBox4), w.DBLookupComboBox5);
    EXPECT_EQ(nextByTab(w.DBLookupComboBox5), w.DBLookupListBox1);

    EXPECT_EQ(w.StatusBar1->panelCount(), 4);
    EXPECT_EQ(w.StatusBar1->panelText(0), QStringLiteral("Количество записей: 0"));
    EXPECT_EQ(w.StatusBar1->panelText(1), QStringLiteral("Текущая запись: 0"));
    EXPECT_EQ(w.StatusBar1->panelText(2), QStringLiteral("Выполнение: Удачно"));
    EXPECT_EQ(w.StatusBar1->panelText(3), QString());

    w.showNormal();
    w.resize(500, 200);
    EXPECT_GE(w.width(), 803);
    EXPECT_GE(w.height(), 326);
}

TEST_F(MainWindowFixture, JournalGridHasItsElevenColumns) {
    TForm2& w = openMainWindow();
    const TKvDBGridEh* g = w.DBGridEh2;
    struct Col {
        const char* field;
        const char* title;
        int width;
        bool readOnly, visible;
    };
    const Col cols[] = {
        {"No", "П/П", 37, false, true},
        {"primech", "Допуск по оплате", 60, false, true},
        {"student", "Студент", 258, true, true},
        {"idid", "Шифр студента", -1, true, true},
        {"teacher", "Преподаватель", 189, false, true},
        {"exam", "Форм/контр.", 74, true, false},
        {"estimation", "Оценка", -1, false, true},
        {"f_est", "Форма ведомости", 105, false, true},
        {"p35", "№", -1, false, true},
        {"p36", "Дата сдачи", 72, false, true},
        {"EstimationOther", "Особая оценка", 34, false, false},
    };
    ASSERT_EQ(g->columnCount(), 11);
    for (int i = 0; i < 11; ++i) {
        const TColumnEh* c = g->Column(i);
        SCOPED_TRACE(cols[i].field);
        EXPECT_EQ(c->FieldName, QString::fromLatin1(cols[i].field));
        EXPECT_EQ(c->TitleCaption, QString::fromUtf8(cols[i].title));
        EXPECT_EQ(c->Width, cols[i].width);
        EXPECT_EQ(c->ReadOnly, cols[i].readOnly);
        EXPECT_EQ(c->Visible, cols[i].visible);
    }
    const TColumnEh* primech = g->Column(1);
    EXPECT_TRUE(primech->isFixedWidth());
    EXPECT_EQ(primech->PickList, (QStringList{QStringLiteral("д"), QStringLiteral("н/д")}));
    EXPECT_EQ(primech->Alignment(), db::Alignment::Center);
    EXPECT_EQ(g->Column(2)->DropDownWidth, 450);
    EXPECT_EQ(g->Column(4)->DropDownWidth, 300);

    EXPECT_EQ(g->DataSource(), nullptr);
    EXPECT_FALSE(g->DefaultDrawing());
    EXPECT_TRUE(g->AutoFitColWidths());
    EXPECT_EQ(g->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_TRUE(g->Options().testFlag(dgMultiSelect));
    EXPECT_TRUE(g->Options().testFlag(dgAlwaysShowEditor));
    EXPECT_TRUE(g->OptionsEh().testFlag(dghEnterAsTab));

    const TKvDBGridEvents& events = *w.F2_Kv_DM_TAZ_2;
    EXPECT_EQ(events.DBGridEh(), g);
    EXPECT_FALSE(events.Active());
    EXPECT_EQ(events.UniqueField(), journal().fieldByName(QStringLiteral("id_mark_mag")));
    ASSERT_EQ(events.KeyFieldList.Count(), 2);
    EXPECT_EQ(events.KeyFieldList[0]->fieldName(), QStringLiteral("id_student"));
    EXPECT_EQ(events.KeyFieldList[1]->fieldName(), QStringLiteral("id_examination"));
    EXPECT_EQ(w.F2_Kv_DM_TAZ_2->KvDBAttributes().FocusedAttr.Color(),
              colors::fromWindowsValue(5197647));
    EXPECT_EQ(w.F2_Kv_DM_TAZ_2->KvDBAttributes().FixedAttr.List(),
              QStringList{QStringLiteral("Оценка")});
}

TEST_F(MainWindowFixture, WindowLeavesItsAddressHistoryWhenDestroyed) {
    openMainWindow();
    // The watcher checks once a second; a loaded machine may take a while.
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->IdIPWatch1->checkCount() > 0; }, 60000))
        << "the address was never checked";
    const QStringList history = window->IdIPWatch1->history();
    ASSERT_FALSE(history.isEmpty());
    EXPECT_TRUE(history.contains(window->IdIPWatch1->currentIP()));
    EXPECT_LE(history.size(), 25);
    const QString path = QDir::current().filePath(QStringLiteral("iphist.dat"));
    ASSERT_FALSE(QFile::exists(path)) << "written only when the window goes";
    window.reset();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QStringList lines =
        QString::fromLatin1(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    EXPECT_EQ(lines, history) << lines.join(u' ').toStdString();
    const QRegularExpression address(QStringLiteral("^\\d{1,3}(\\.\\d{1,3}){3}$"));
    for (const QString& line : lines)
        EXPECT_TRUE(address.match(line).hasMatch()) << line.toStdString();
}

} // namespace

namespace {

TEST_F(MainWindowFixture, JournalColumnsFillTheGridWidthAroundTheFixedOne) {
    TForm2& w = openMainWindow();
    w.showNormal();
    w.resize(1036, 737);
    chooseFixtureJournal();
    for (const QSize size : {QSize(1036, 737), QSize(900, 500)}) {
        w.resize(size);
        QApplication::processEvents();
        const QHeaderView* header = w.DBGridEh2->horizontalHeader();
        int total = 0;
        for (int i = 0; i < header->count(); ++i)
            total += header->isSectionHidden(i) ? 0 : header->sectionSize(i);
        EXPECT_EQ(total, w.DBGridEh2->viewport()->width()) << size.width();
        EXPECT_EQ(header->sectionSize(1), 60);
        EXPECT_GT(header->sectionSize(9), 72) << "the last column keeps its share";
        // The narrow admission title wraps, and the title row is tall enough for it.
        const QFontMetrics title(w.DBGridEh2->TitleFont().font);
        EXPECT_GE(header->height(), title
                                        .boundingRect(QRect(0, 0, 54, 1000), Qt::TextWordWrap,
                                                      QStringLiteral("Допуск по оплате"))
                                        .height());
        EXPECT_GT(header->height(), 2 * title.height());
        EXPECT_TRUE(
            w.DBGridEh2->model()->headerData(1, Qt::Horizontal, Qt::TextAlignmentRole).toInt() &
            Qt::TextWordWrap);
    }
}

} // namespace
