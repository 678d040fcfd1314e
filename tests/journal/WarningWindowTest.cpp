// The warning window TForm1: its beep, layout, centred buttons and answers.
#include "journal/Unit3.h"

#include "platform/MessageBoxes.h"

#include <gtest/gtest.h>

#include <QTest>

namespace {

TEST(WarningWindowTest, BeepsOnceWhenCreated) {
    int beeps = 0;
    platform::ScopedMessageBoxScript script(nullptr, &beeps);
    TForm1 form;
    EXPECT_EQ(beeps, 1);
    form.show();
    form.resize(800, 300);
    EXPECT_EQ(beeps, 1);
}

TEST(WarningWindowTest, LaysOutItsStripsLabelsAndButtons) {
    int beeps = 0;
    platform::ScopedMessageBoxScript script(nullptr, &beeps);
    TForm1 form;
    form.show();
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Предупреждение..."));
    EXPECT_EQ(form.minimumSize(), QSize(550, 250));
    EXPECT_EQ(form.height(), 250);
    EXPECT_FALSE(form.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_EQ(form.Panel1->geometry(), QRect(0, 0, form.width(), 54));
    EXPECT_EQ(form.Panel2->geometry(), QRect(0, form.height() - 39, form.width(), 39));
    EXPECT_EQ(form.StringGrid->geometry(), QRect(0, 54, form.width(), form.height() - 54 - 39));
    EXPECT_EQ(form.Warning_Image->geometry(), QRect(8, 10, 32, 32));
    EXPECT_FALSE(form.Warning_Image->pixmap().isNull());
    EXPECT_EQ(form.Count_Lbl->pos(), QPoint(48, 7));
    EXPECT_EQ(form.Qst_Lbl->pos(), QPoint(48, 29));
    EXPECT_EQ(form.Qst_Lbl->text(), QStringLiteral("Вы действительно хотите удалить эти записи?"));
    for (const QLabel* label : {form.Count_Lbl, form.Qst_Lbl}) {
        EXPECT_EQ(label->font().family(), QStringLiteral("Courier New"));
        EXPECT_EQ(label->font().pixelSize(), 13);
    }
    EXPECT_EQ(form.Btns_Pnl->size(), QSize(155, 25));
    EXPECT_EQ(form.BitBtn1->geometry(), QRect(0, 0, 75, 25));
    EXPECT_EQ(form.BitBtn2->geometry(), QRect(80, 0, 75, 25));
    EXPECT_EQ(form.BitBtn1->text(), QStringLiteral("Да"));
    EXPECT_EQ(form.BitBtn2->text(), QStringLiteral("Нет"));
    EXPECT_EQ(form.BitBtn1->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(form.BitBtn2->cursor().shape(), Qt::PointingHandCursor);
}

TEST(WarningWindowTest, ButtonsStayCentredInTheBottomStrip) {
    int beeps = 0;
    platform::ScopedMessageBoxScript script(nullptr, &beeps);
    TForm1 form;
    form.show();
    for (const int width : {550, 1041, 700, 551}) {
        form.resize(width, 250);
        EXPECT_EQ(form.Btns_Pnl->x(), width / 2 - 155 / 2) << width;
    }
    form.move(form.pos() + QPoint(10, 10));
    EXPECT_EQ(form.Btns_Pnl->x(), 551 / 2 - 155 / 2);
}

TEST(WarningWindowTest, YesOnlyByItsButtonOrEnterEverythingElseCancels) {
    int beeps = 0;
    platform::ScopedMessageBoxScript script(nullptr, &beeps);
    const struct {
        const char* how;
        std::function<void(TForm1&)> act;
        int result;
    } cases[] = {
        {"Да", [](TForm1& f) { f.BitBtn1->click(); }, mrYes},
        {"Enter", [](TForm1& f) { QTest::keyClick(&f, Qt::Key_Return); }, mrYes},
        {"Нет", [](TForm1& f) { f.BitBtn2->click(); }, mrCancel},
        {"Esc", [](TForm1& f) { QTest::keyClick(&f, Qt::Key_Escape); }, mrCancel},
        {"close", [](TForm1& f) { f.close(); }, mrCancel},
    };
    for (const auto& c : cases) {
        TForm1 form;
        form.show();
        c.act(form);
        EXPECT_FALSE(form.isVisible()) << c.how;
        EXPECT_EQ(form.result(), c.result) << c.how;
    }
}

TEST(WarningWindowTest, StringGridKeepsItsFixedTitleRowAndColumn) {
    int beeps = 0;
    platform::ScopedMessageBoxScript script(nullptr, &beeps);
    TForm1 form;
    TStringGrid& grid = *form.StringGrid;
    grid.setColCount(12);
    grid.setRowCount(4);
    EXPECT_EQ(grid.ColCount(), 12);
    EXPECT_EQ(grid.RowCount(), 4);
    EXPECT_EQ(grid.ColWidths(0), 11);
    EXPECT_EQ(grid.ColWidths(6), 64) << "a column nobody sized keeps the default";
    grid.setColWidths(1, 37);
    EXPECT_EQ(grid.ColWidths(1), 37);
    grid.setCells(1, 0, QStringLiteral("П/П"));
    grid.setCells(3, 2, QStringLiteral("Иванов"));
    EXPECT_EQ(grid.Cells(1, 0), QStringLiteral("П/П"));
    EXPECT_EQ(grid.Cells(3, 2), QStringLiteral("Иванов"));
    EXPECT_EQ(grid.Cells(6, 0), QString());
    EXPECT_EQ(grid.Cells(5, 3), QString());
    EXPECT_EQ(grid.rowHeight(0), 18);
    EXPECT_EQ(grid.selectionBehavior(), QAbstractItemView::SelectRows);
}

} // namespace
