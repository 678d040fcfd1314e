// Cell colours chosen by draw state and list membership, text placement, attaching and
// releasing grids.
#include "GridEventsFixture.h"

#include "platform/Clipboard.h"

#include <QImage>
#include <QPainter>
#include <QSignalSpy>

using gridtest::Component;

namespace {

enum class Look { Column, Sel, Focused, Fixed, Duplicate, Pasted };

struct Case {
    const char* name;
    TGridDrawState state;
    bool inserting;
    bool alwaysEditor;
    bool rowsSelected;
    int id; // id_mark: 1 and 2 share a key, 4 is plain, 6 is pasted onto 2's key
    int column;
    bool uniqueField;
    Look look;
};

const TGridDrawState sel = gdSelected;
const TGridDrawState foc = TGridDrawState(gdSelected) | gdFocused;

struct Painting : Component {
    void SetUp() override {
        Component::SetUp();
        // Records 1 and 2 share a key; 5 is a paste of 3 that nobody checked; 6 is a paste of 2.
        addMarks({{12, 1, 1}, {12, 1, 2}, {40, 1, 3}, {41, 2, 1}});
        open();
        useKeys();
        grid.Column(1)->TitleCaption = QStringLiteral("Оценка");
        auto& a = kv.KvDBAttributes();
        a.SelAttr.setColor(colors::clSilver());
        a.SelAttr.setFont(TFont(QString(), 13, colors::clBlack()));
        a.FocusedAttr.setFont(TFont(QString(), 14, colors::clWhite()));
        a.DuplicateAttr.setFont(TFont(QString(), 15, colors::clWindowText()));
        a.AfterPasteAttr.setFont(TFont(QString(), 16, colors::clWindowText()));
        a.FixedAttr.setList({QStringLiteral("оценка")});
        a.FixedAttr.setSelFont(TFont(QString(), 17, colors::clWindowText(), true));
        grid.setColor(colors::clWhite());
        grid.setFont(TFont(QString(), 12, colors::clBlack()));
        kv.setActive(true);
        kv.setEditActions(TDBGridEhEditActions(geaCopyEh) | geaPasteEh);

        // Pasted rows: copy rows 2 and 1 and paste them (row 2's copy is no duplicate of its
        // source because its key fields are taken out for that paste).
        select({rowOf(3)});
        ctrl(Qt::Key_C);
        kv.KeyFieldList.Clear();
        ctrl(Qt::Key_V);
        useKeys();
        select({rowOf(2)});
        ctrl(Qt::Key_C);
        ctrl(Qt::Key_V);
        grid.SelectedRows().Clear();
        ASSERT_EQ(marks_.recordCount(), 6);
        ASSERT_EQ(kv.PastedList(), QStringList{QStringLiteral("6")}); // the last paste only
    }

    int rowOf(int id) {
        marks_.locate(QStringLiteral("id_mark"), id);
        return marks_.indexOfBookmark(marks_.bookmark());
    }

    // Paints one cell of a row and tells which colour and font the component chose.
    std::pair<QColor, TFont> paint(int id, int column, TGridDrawState state) {
        return paintRow(rowOf(id), column, state);
    }
    std::pair<QColor, TFont> paintRow(int row, int column, TGridDrawState state) {
        QImage image(200, 40, QImage::Format_ARGB32);
        QPainter painter(&image);
        TCanvas& canvas = grid.Canvas();
        canvas.setPainter(&painter);
        db::DisplayRowScope shown(marks_, row);
        kv.GridDrawColumnCell(&grid, QRect(0, 0, 100, 20), column, grid.Column(column), state);
        canvas.setPainter(nullptr);
        return {canvas.brushColor(), canvas.font()};
    }
};

} // namespace

TEST_F(Painting, ColoursFollowTheDrawStateAndTheRecordsLists) {
    auto& a = kv.KvDBAttributes();
    EXPECT_TRUE(kv.DuplicateList().contains(QStringLiteral("121")));
    const Case cases[] = {
        {"selected", sel, false, false, false, 4, 0, true, Look::Sel},
        {"selected fixed title ignores case", sel, false, false, false, 4, 1, true, Look::Fixed},
        {"selected inserting, no rows", sel, true, false, false, 4, 0, true, Look::Column},
        {"selected inserting, editor shown", sel, true, true, true, 4, 0, true, Look::Column},
        {"selected inserting, rows, no editor", sel, true, false, true, 4, 0, true, Look::Sel},
        {"focused", foc, false, false, false, 4, 0, true, Look::Focused},
        {"focused, editor shown, no rows", foc, false, true, false, 4, 0, true, Look::Column},
        {"focused, editor shown, rows", foc, false, true, true, 4, 0, true, Look::Focused},
        {"focused inserting", foc, true, false, true, 4, 0, true, Look::Column},
        {"duplicate", {}, false, false, false, 1, 0, true, Look::Duplicate},
        {"focused alone is not the focused rule", gdFocused, false, false, false, 1, 0, true,
         Look::Duplicate},
        {"plain", {}, false, false, false, 4, 0, true, Look::Column},
        {"pasted and duplicate", {}, false, false, false, 6, 0, true, Look::Duplicate},
        {"fixed cell state", gdFixed, false, false, false, 4, 0, true, Look::Column},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        grid.setOptions(c.alwaysEditor ? grid.Options() | dgAlwaysShowEditor
                                       : grid.Options() & ~TDBGridOptions(dgAlwaysShowEditor));
        if (c.rowsSelected)
            select({rowOf(3)});
        else
            grid.SelectedRows().Clear();
        // Located before inserting: moving the cursor would end the insert.
        const db::Bookmark record = marks_.bookmarkAt(rowOf(c.id));
        if (c.inserting)
            marks_.insert();
        const auto [color, font] = paintRow(marks_.indexOfBookmark(record), c.column, c.state);
        if (c.inserting)
            marks_.cancel();
        QColor wantColor;
        TFont wantFont;
        switch (c.look) {
        case Look::Column:
            wantColor = grid.Column(c.column)->Color();
            wantFont = grid.Column(c.column)->Font();
            break;
        case Look::Sel:
            wantColor = a.SelAttr.Color();
            wantFont = a.SelAttr.Font();
            break;
        case Look::Focused:
            wantColor = a.FocusedAttr.Color();
            wantFont = a.FocusedAttr.Font();
            break;
        case Look::Fixed:
            wantColor = a.FixedAttr.SelColor();
            wantFont = a.FixedAttr.SelFont();
            break;
        case Look::Duplicate:
            wantColor = a.DuplicateAttr.Color();
            wantFont = a.DuplicateAttr.Font();
            break;
        case Look::Pasted:
            wantColor = a.AfterPasteAttr.Color();
            wantFont = a.AfterPasteAttr.Font();
            break;
        }
        EXPECT_EQ(color, wantColor);
        EXPECT_EQ(font.height(), wantFont.height());
        EXPECT_TRUE(font == wantFont);
    }
}

TEST_F(Painting, PastedRecordsKeepTheirColourUntilTheNextPasteUnlessUniqueFieldIsUnset) {
    auto& a = kv.KvDBAttributes();
    // A paste of a record under a new key: only pasted, not duplicated.
    kv.KeyFieldList.Clear();
    select({rowOf(4)});
    ctrl(Qt::Key_C);
    ctrl(Qt::Key_V);
    useKeys();
    EXPECT_EQ(paint(7, 0, {}).first, a.AfterPasteAttr.Color());
    EXPECT_EQ(paint(7, 0, {}).second.height(), 16);
    EXPECT_EQ(paint(6, 0, {}).first, a.DuplicateAttr.Color()); // no longer pasted
    kv.setUniqueField(nullptr);
    EXPECT_EQ(paint(7, 0, {}).first, grid.Column(0)->Color());
}

TEST_F(Painting, TextStartsTwoPixelsInOrEndsThreeShortOfTheRightEdge) {
    grid.setOptions(grid.Options());
    const QRect rect(10, 5, 101, 21);
    const struct {
        db::Alignment align;
        const char* name;
    } aligns[] = {{db::Alignment::Left, "left"},
                  {db::Alignment::Right, "right"},
                  {db::Alignment::Center, "centre"}};
    for (const auto& al : aligns) {
        SCOPED_TRACE(al.name);
        grid.Column(0)->setAlignment(al.align);
        QImage image(200, 40, QImage::Format_ARGB32);
        QPainter painter(&image);
        TCanvas& canvas = grid.Canvas();
        canvas.setPainter(&painter);
        db::DisplayRowScope shown(marks_, rowOf(4));
        int ownerCalls = 0;
        kv.OnDrawColumnCell = [&](QObject* sender, const QRect& r, int col, TColumnEh* column,
                                  TGridDrawState) {
            ++ownerCalls;
            EXPECT_EQ(sender, &grid);
            EXPECT_EQ(r, rect);
            EXPECT_EQ(col, 0);
            EXPECT_EQ(column, grid.Column(0));
        };
        kv.GridDrawColumnCell(&grid, rect, 0, grid.Column(0), {});
        canvas.setPainter(nullptr);
        const int w = canvas.textWidth(QStringLiteral("41"));
        const int h = canvas.textHeight(QStringLiteral("41"));
        const int x = canvas.penPos().x() - w;
        if (al.align == db::Alignment::Left)
            EXPECT_EQ(x, rect.x() + 2);
        else if (al.align == db::Alignment::Right)
            EXPECT_EQ(x + w, rect.x() + rect.width() - 3);
        else
            EXPECT_EQ(x, rect.x() + rect.width() / 2 - w / 2);
        EXPECT_EQ(canvas.penPos().y(), rect.y() + rect.height() / 2 - h / 2);
        EXPECT_EQ(ownerCalls, 1);
    }
}

TEST(GridAttach, SettingTheGridTwiceAttachesOnceAndAnotherGridReleasesTheFirst) {
    TKvDBGridEh first, second;
    first.setEditActions(TDBGridEhEditActions(geaCopyEh) | geaPasteEh);
    QSignalSpy repaints(&first, &TDBGridEh::repaintRequested);
    TKvDBGridEvents kv;
    kv.setDBGridEh(&first);
    EXPECT_FALSE(first.DefaultDrawing());
    EXPECT_FALSE(first.AllowedOperations().testFlag(alopDeleteEh));
    EXPECT_TRUE(first.AllowedOperations().testFlag(alopUpdateEh));
    EXPECT_EQ(first.EditActions(), TDBGridEhEditActions());
    EXPECT_TRUE(bool(first.OnDrawColumnCell));
    EXPECT_TRUE(bool(first.OnKeyDown));
    EXPECT_GT(repaints.count(), 0);

    first.setDefaultDrawing(true); // the grid's own change survives setting it again
    repaints.clear();
    kv.setDBGridEh(&first);
    EXPECT_TRUE(first.DefaultDrawing());
    EXPECT_EQ(repaints.count(), 0);

    first.setAllowedOperations(TDBGridEhAllowedOperations(alopUpdateEh));
    first.setEditActions(TDBGridEhEditActions(geaCutEh));
    first.setDefaultDrawing(false);
    kv.setDBGridEh(&second);
    EXPECT_EQ(kv.DBGridEh(), &second);
    EXPECT_TRUE(first.DefaultDrawing());
    EXPECT_TRUE(first.AllowedOperations().testFlag(alopDeleteEh));
    EXPECT_EQ(first.EditActions(), TDBGridEhEditActions());
    EXPECT_FALSE(bool(first.OnDrawColumnCell));
    EXPECT_FALSE(bool(first.OnKeyDown));
    EXPECT_FALSE(second.DefaultDrawing());

    // Attributes repaint the attached grid: a colour only when it changes, a font always.
    QSignalSpy secondRepaints(&second, &TDBGridEh::repaintRequested);
    auto& dup = kv.KvDBAttributes().DuplicateAttr;
    dup.setColor(dup.Color());
    EXPECT_EQ(secondRepaints.count(), 0);
    dup.setFont(dup.Font());
    EXPECT_EQ(secondRepaints.count(), 1);
    dup.setColor(colors::clNavy());
    EXPECT_EQ(secondRepaints.count(), 2);
    dup.Font().setBold(true); // in place: no repaint
    EXPECT_EQ(secondRepaints.count(), 2);

    kv.setDBGridEh(nullptr);
    EXPECT_TRUE(second.DefaultDrawing());
    EXPECT_EQ(kv.DBGridEh(), nullptr);
}

TEST(GridAttach, DestroyedGridAndFieldsAreForgotten) {
    TKvDBGridEvents kv;
    {
        TKvDBGridEh grid;
        kv.setDBGridEh(&grid);
    }
    EXPECT_EQ(kv.DBGridEh(), nullptr);
    kv.KvDBAttributes().SelAttr.setColor(colors::clRed()); // no grid to repaint: no crash
    std::vector<quint16> reports;
    kv.OnKvDBEGridError = [&](QObject*, quint16 id) { reports.push_back(id); };
    kv.setActive(true);
    EXPECT_FALSE(kv.Active());
    EXPECT_EQ(reports, std::vector<quint16>{gridevents::NoGrid});
}

TEST(GridAttach, InitialAttributes) {
    TKvDBGridEvents kv;
    auto& a = kv.KvDBAttributes();
    EXPECT_EQ(a.SelAttr.Color(), QColor(0, 0, 0));
    EXPECT_EQ(a.SelAttr.Font().color, QColor(255, 255, 255));
    EXPECT_EQ(a.AfterPasteAttr.Color(), colors::clInfoBk());
    EXPECT_EQ(a.DuplicateAttr.Color(), QColor(0, 128, 0));
    EXPECT_EQ(a.ErrorAttr.Color(), QColor(255, 0, 0));
    EXPECT_EQ(a.FocusedAttr.Color(), QColor(79, 79, 79));
    EXPECT_TRUE(a.FocusedAttr.Font().bold());
    EXPECT_EQ(a.FixedAttr.SelColor(), QColor(192, 220, 192));
    EXPECT_TRUE(a.FixedAttr.SelFont().bold());
    EXPECT_TRUE(a.FixedAttr.List().isEmpty());
    EXPECT_FALSE(kv.Active());
    EXPECT_EQ(kv.EditActions(), TDBGridEhEditActions());
    EXPECT_EQ(TKvDBGridEvents::clipboardFormat(),
              platform::registerClipboardFormat(QStringLiteral("Data Base Edit Data")));
}
