// The restore window TForm5: the deleted rows' grid and the OK button that restores the ticked.
#include "journal/Unit6.h"

#include "controls/DBGridEh.h"
#include "controls/HandlerErrors.h"
#include "data/Unit_2_1.h"
#include "gridevents/Kv_DBGrd_Evns.h"
#include "journal/Unit2.h"

#include <QShowEvent>
#include <QTabBar>
#include <QVBoxLayout>

namespace {

TColumnEh* readOnlyColumn(TDBGridEh* grid, const char* field, const char* title, int width) {
    TColumnEh* c = grid->addColumn(QString::fromLatin1(field), QString::fromUtf8(title), width);
    c->ReadOnly = true;
    c->EndEllipsis = true;
    return c;
}

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
    connect(BitBtn1, &QPushButton::clicked, this, [this] {
        bool restored = false;
        controls::runHandler(this, [&] {
            BitBtn1Click(BitBtn1);
            restored = true;
        });
        if (restored)
            accept();
    });

    setGeometry(12, 93, 1005, 391);
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
    readOnlyColumn(DBGridEh2, "teacher", "Преподаватель", 161);
    readOnlyColumn(DBGridEh2, "exam", "Форм./контр.", 83);
    readOnlyColumn(DBGridEh2, "estimation", "Оценка", 51);
    readOnlyColumn(DBGridEh2, "f_est", "Форм./ведомости", 98);
    readOnlyColumn(DBGridEh2, "p35", "№", 40);
    readOnlyColumn(DBGridEh2, "p36", "Дата сдачи", -1);
    DBGridEh2->addColumn(QStringLiteral("Check_ch"), QStringLiteral("Выбрать"))->Checkboxes = true;
    // Who deleted a row and when is the server's record: shown, never typed over.
    const QColor deleted = colors::fromWindowsValue(7434751);
    for (const auto& [field, title] :
         {std::pair{"del_oper", "Оператор"}, std::pair{"del_date", "Дата удаления"}}) {
        TColumnEh* c = readOnlyColumn(DBGridEh2, field, title, -1);
        c->setColor(deleted);
        c->TitleAlignment = Qt::AlignHCenter;
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
    QDialog::showEvent(event);
    DBGridEh2->setFocus(Qt::ActiveWindowFocusReason);
}

void TForm5::BitBtn1Click(QObject*) {
    TDM_TAZ_2& dm = *DM_TAZ_2;
    db::DataSet& list = dm.ADOQ_Buffer;
    DBGridEh2->commitPendingEdit();
    list.edit();
    list.post();

    const JournalView* view = dm.journalView();
    db::Parameters& p = dm.ADOStoredProc1.parameters();
    const auto key = [&](JournalSelector s) {
        const std::optional<qint32> k = view != nullptr ? view->selectorKey(s) : std::nullopt;
        return k ? QVariant(*k) : QVariant();
    };
    p.byName(QStringLiteral("@group")).value = key(JournalSelector::Group);
    p.byName(QStringLiteral("@semester")).value = key(JournalSelector::Semester);
    dm.ADOStoredProc1.execProc();

    list.close();
    list.open();

    if (auto* form2 = qobject_cast<TForm2*>(parentWidget())) {
        form2->F2_Kv_DM_TAZ_2->setActive(false);
        form2->F2_Kv_DM_TAZ_2->setActive(true);
    }
}
