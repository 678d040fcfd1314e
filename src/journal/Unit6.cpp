// The restore window TForm5: the deleted rows' grid and the OK button that restores the ticked.
#include "journal/Unit6.h"

#include "controls/DBGridEh.h"
#include "controls/HandlerErrors.h"
#include "data/Unit_2_1.h"
#include "gridevents/Kv_DBGrd_Evns.h"
#include "journal/Unit2.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QHeaderView>
#include <QScreen>
#include <QShowEvent>
#include <QStyle>
#include <QTabBar>
#include <QVBoxLayout>

#include <tuple>

namespace {

TColumnEh* readOnlyColumn(TDBGridEh* grid, const char* field, const char* title, int width) {
    TColumnEh* c = grid->addColumn(QString::fromLatin1(field), QString::fromUtf8(title), width);
    c->ReadOnly = true;
    c->EndEllipsis = true;
    return c;
}

// Room for a text in a cell or a title: the grid draws 2 pixels in, the header a margin more.
constexpr int CellRoom = 12;

// Keeps a column at its width, or wider where its title or the widest value it shows needs
// more, when the columns are fitted: only "Студент" gives or takes width.
void holdWidth(TDBGridEh* grid, TColumnEh* column, const QString& widestValue = QString()) {
    const int title = QFontMetrics(grid->TitleFont().font).horizontalAdvance(column->TitleCaption);
    const int value = QFontMetrics(grid->Font().font).horizontalAdvance(widestValue);
    const int width = qMax(column->Width >= 0 ? column->Width : grid->DefaultColWidth(),
                           qMax(title, value) + CellRoom);
    column->Width = column->MinWidth = column->MaxWidth = width;
}

// The widest texts of the columns whose values have one form.
const QString WidestDate = QStringLiteral("00.00.0000");
const QString WidestDateTime = QStringLiteral("00.00.0000 00:00:00");
const QString WidestOperator = QStringLiteral("WWWWWWWWWW"); // ten characters

} // namespace

TForm5::TForm5(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("Form5"));
    setWindowTitle(QStringLiteral("Восстановление"));
    setSizeGripEnabled(true);

    // One page whose tab is never seen.
    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    TabSheet1 = new QWidget;
    TabSheet1->setObjectName(QStringLiteral("TabSheet1"));
    PageControl1->addTab(TabSheet1, QString());
    PageControl1->tabBar()->hide();
    PageControl1->setDocumentMode(true);
    buildGrid();
    auto* page = new QVBoxLayout(TabSheet1);
    page->setContentsMargins(0, 0, 0, 0);
    page->addWidget(DBGridEh2);
    setFocusProxy(DBGridEh2);

    Label1 = new QLabel(QStringLiteral("Выберите записи для восстановления"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    QFont bold = font();
    bold.setPixelSize(16);
    bold.setBold(true);
    Label1->setFont(bold);
    Label1->adjustSize();

    BitBtn1 = new QPushButton(QStringLiteral("OK"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setDefault(true);
    // OK ends the window even when the server refused a step: the error is shown, and every
    // tick saved so far stays on the server for the next OK.
    connect(BitBtn1, &QPushButton::clicked, this, [this] {
        // The error reaches its box once the window is gone, so it is not the window's.
        QObject* outlives = parentWidget() != nullptr ? static_cast<QObject*>(parentWidget())
                                                      : QCoreApplication::instance();
        controls::runHandler(outlives, [&] { BitBtn1Click(BitBtn1); });
        accept();
    });

    placeOnScreen(parent);
}

void TForm5::placeOnScreen(QWidget* over) {
    // As wide as "Студент" at its 380 pixels beside the other columns at theirs, at least the
    // 1005 pixels asked for, at most the screen's free width; at 12, 93 where that fits.
    int columns = 0;
    for (int i = 0; i < DBGridEh2->columnCount(); ++i)
        columns += DBGridEh2->Column(i)->Width;
    const int chrome = DBGridEh2->verticalHeader()->sizeHint().width() +
                       2 * DBGridEh2->frameWidth() +
                       style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 4;
    const QScreen* screen = over != nullptr ? over->screen() : QGuiApplication::primaryScreen();
    const QRect available = screen->availableGeometry();
    const int w = qMin(qMax(1005, columns + chrome), available.width());
    const int h = qMin(391, available.height());
    const int x = qMax(available.left(), qMin(12, available.right() + 1 - w));
    const int y = qMax(available.top(), qMin(93, available.bottom() + 1 - h));
    setGeometry(x, y, w, h);
}

TForm5::~TForm5() = default;

void TForm5::buildGrid() {
    DBGridEh2 = new TDBGridEh(TabSheet1);
    DBGridEh2->setObjectName(QStringLiteral("DBGridEh2"));
    const QString face = font().family();
    DBGridEh2->setColor(colors::clWhite());
    DBGridEh2->setFont(TFont(face, 13, colors::clBlack()));
    DBGridEh2->setAutoFitColWidths(true);
    DBGridEh2->setOptions(TDBGridOptions(dgEditing) | dgTitles | dgIndicator | dgColumnResize |
                          dgColLines | dgRowLines | dgTabs | dgCancelOnExit);
    DBGridEh2->setOptionsEh(TDBGridEhOptions(dghFixed3D) | dghHighlightFocus | dghClearSelection |
                            dghEnterAsTab | dghDialogFind);

    readOnlyColumn(DBGridEh2, "student", "Студент", 380)->TitleAlignment = Qt::AlignHCenter;
    TDBGridEh* g = DBGridEh2;
    holdWidth(g, readOnlyColumn(g, "teacher", "Преподаватель", 161));
    holdWidth(g, readOnlyColumn(g, "exam", "Форм./контр.", 83));
    holdWidth(g, readOnlyColumn(g, "estimation", "Оценка", 51));
    holdWidth(g, readOnlyColumn(g, "f_est", "Форм./ведомости", 98));
    holdWidth(g, readOnlyColumn(g, "p35", "№", 40));
    holdWidth(g, readOnlyColumn(g, "p36", "Дата сдачи", -1), WidestDate);
    TColumnEh* tick = g->addColumn(QStringLiteral("Check_ch"), QStringLiteral("Выбрать"));
    tick->Checkboxes = true;
    holdWidth(g, tick);
    // Who deleted a row and when is the server's record: shown, never typed over.
    const QColor deleted = colors::fromWindowsValue(7434751);
    for (const auto& [field, title, widest] :
         {std::tuple{"del_oper", "Оператор", WidestOperator},
          std::tuple{"del_date", "Дата удаления", WidestDateTime}}) {
        TColumnEh* c = readOnlyColumn(g, field, title, -1);
        c->setColor(deleted);
        c->TitleAlignment = Qt::AlignHCenter;
        holdWidth(g, c, widest);
    }
    DBGridEh2->columnsChanged();
    if (DM_TAZ_2 != nullptr)
        DBGridEh2->setDataSource(&DM_TAZ_2->DS_Buffer);
}

void TForm5::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    // The grid keeps its height and the controls below it stay at their places.
    PageControl1->setGeometry(0, 0, width(), 317);
    Label1->move(7, 333);
    BitBtn1->setGeometry(431, 333, 179, 25);
}

void TForm5::showEvent(QShowEvent* event) {
    // The frame is known once the window is made: it stays inside the free area too.
    const QRect available = screen()->availableGeometry();
    const QSize frame = frameGeometry().size() - size();
    if (frameGeometry().width() > available.width() ||
        frameGeometry().height() > available.height())
        resize(qMin(width(), available.width() - frame.width()),
               qMin(height(), available.height() - frame.height()));
    QRect placed = frameGeometry();
    placed.moveLeft(qMin(placed.left(), available.right() + 1 - placed.width()));
    placed.moveTop(qMin(placed.top(), available.bottom() + 1 - placed.height()));
    placed.moveLeft(qMax(placed.left(), available.left()));
    placed.moveTop(qMax(placed.top(), available.top()));
    move(placed.topLeft());
    QDialog::showEvent(event);
    DBGridEh2->setFocus(Qt::ActiveWindowFocusReason);
}

void TForm5::BitBtn1Click(QObject*) {
    TDM_TAZ_2& dm = *DM_TAZ_2;
    db::DataSet& list = dm.ADOQ_Buffer;
    DBGridEh2->commitPendingEdit();
    list.edit();
    list.post();

    db::Parameters& p = dm.ADOStoredProc1.parameters();
    const auto key = [](const std::optional<qint32>& k) { return k ? QVariant(*k) : QVariant(); };
    p.byName(QStringLiteral("@group")).value = key(dm.selection().group);
    p.byName(QStringLiteral("@semester")).value = key(dm.selection().semester);
    dm.ADOStoredProc1.execProc();

    list.close();
    list.open();

    if (auto* form2 = qobject_cast<TForm2*>(parentWidget())) {
        form2->F2_Kv_DM_TAZ_2->setActive(false);
        form2->F2_Kv_DM_TAZ_2->setActive(true);
    }
}
