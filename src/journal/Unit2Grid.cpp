// The journal grid: its settings and columns, the grid events component and the grid handlers.
#include "journal/Unit2.h"

#include "controls/KvDBGridEh.h"
#include "data/Unit_2_1.h"
#include "gridevents/Kv_DBGrd_Evns.h"
#include "journal/StatusBar.h"

namespace {

TColumnEh* column(TKvDBGridEh* grid, const char* field, const char* title, int width = -1) {
    return grid->addColumn(QString::fromLatin1(field), QString::fromUtf8(title), width);
}

} // namespace

void TForm2::buildGrid() {
    DBGridEh2 = new TKvDBGridEh(this);
    DBGridEh2->setObjectName(QStringLiteral("DBGridEh2"));
    const QString face = font().family();
    DBGridEh2->setAllowedOperations(TDBGridEhAllowedOperations(alopUpdateEh) | alopAppendEh);
    DBGridEh2->setAutoFitColWidths(true);
    DBGridEh2->setColor(colors::clSilver());
    DBGridEh2->setFont(TFont(face, 13, colors::clBlack()));
    DBGridEh2->setTitleFont(TFont(face, 11, colors::clBlack(), true));
    DBGridEh2->setMultiLineTitles(true);
    DBGridEh2->setDefaultDrawing(false);
    DBGridEh2->setOptions(TDBGridOptions(dgEditing) | dgAlwaysShowEditor | dgTitles | dgIndicator |
                          dgColLines | dgRowLines | dgTabs | dgConfirmDelete | dgCancelOnExit |
                          dgMultiSelect);
    DBGridEh2->setOptionsEh(TDBGridEhOptions(dghFixed3D) | dghHighlightFocus | dghClearSelection |
                            dghEnterAsTab | dghRowHighlight | dghDialogFind);
    DBGridEh2->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    buildGridColumns();

    DBGridEh2->OnGetCellParams = [this](QObject* s, TColumnEh* c, TFont& f, QColor& b,
                                        TGridDrawState st) {
        DBGridEh2GetCellParams(s, c, f, b, st);
    };
    DBGridEh2->OnKeyPress = [this](QObject* s, QChar& k) { DBGridEh2KeyPress(s, k); };
    DBGridEh2->OnKeyUp = [this](QObject* s, quint16& k, TShiftState sh) {
        DBGridEh2KeyUp(s, k, sh);
    };
    DBGridEh2->OnMouseDown = [this](QObject* s, Qt::MouseButton b, TShiftState sh, int x, int y) {
        DBGridEh2MouseDown(s, b, sh, x, y);
    };
    setUpGridEvents();
    buildGridMenu();
    followJournalInStatusBar();
}

void TForm2::followJournalInStatusBar() {
    if (DM_TAZ_2 == nullptr)
        return;
    // Both panels show what the journal holds now: the rows under its filter and the current
    // one, however they came about (a load, a filter, a deletion, a key, a click).
    db::DataSource* source = &DM_TAZ_2->DS_SP_Sort;
    for (auto signal : {&db::DataSource::activeChanged, &db::DataSource::dataSetChanged,
                        &db::DataSource::recordMoved, &db::DataSource::stateChanged})
        connect(source, signal, this, &TForm2::showJournalInStatusBar);
}

void TForm2::showJournalInStatusBar() {
    if (StatusBar1 == nullptr)
        return;
    db::DataSet& journal = DM_TAZ_2->ADO_SP_Sort;
    const int rows = journal.active() ? journal.recordCount() : 0;
    StatusBar1->setPanelText(0, QStringLiteral("Количество записей: ") + QString::number(rows));
    UpdateCurrentRecordPanel();
}

void TForm2::buildGridColumns() {
    const QString face = font().family();
    TKvDBGridEh* g = DBGridEh2;
    column(g, "No", "П/П", 37);

    TColumnEh* primech = column(g, "primech", "Допуск по оплате", 60);
    primech->MinWidth = 60;
    primech->MaxWidth = 60;
    primech->setAlignment(db::Alignment::Center);
    primech->setFont(TFont(face, 13, colors::clBlack(), true));
    primech->setColor(colors::clWhite());
    primech->TitleAlignment = Qt::AlignRight;
    primech->PickList = {QStringLiteral("д"), QStringLiteral("н/д")};
    primech->OnUpdateData = [this](QObject* s, QString& t, QVariant& v, bool& u, bool& h) {
        DBGridEh2Columns1UpdateData(s, t, v, u, h);
    };

    TColumnEh* student = column(g, "student", "Студент", 258);
    student->ReadOnly = true;
    student->DropDownWidth = 450;

    TColumnEh* idid = column(g, "idid", "Шифр студента");
    idid->ReadOnly = true;
    idid->setColor(colors::clWhite());

    column(g, "teacher", "Преподаватель", 189)->DropDownWidth = 300;

    TColumnEh* exam = column(g, "exam", "Форм/контр.", 74);
    exam->ReadOnly = true;
    exam->Visible = false;

    // A mark's name cut by a narrow column shows that it is cut.
    column(g, "estimation", "Оценка")->EndEllipsis = true;
    column(g, "f_est", "Форма ведомости", 105)->OnUpdateData =
        [this](QObject* s, QString& t, QVariant& v, bool& u, bool& h) {
            DBGridEh2Columns5UpdateData(s, t, v, u, h);
        };
    column(g, "p35", "№");
    column(g, "p36", "Дата сдачи", 72);

    TColumnEh* other = column(g, "EstimationOther", "Особая оценка", 34);
    other->Visible = false;
    other->setColor(colors::clWhite());
    g->columnsChanged();
}

void TForm2::setUpGridEvents() {
    F2_Kv_DM_TAZ_2 = new TKvDBGridEvents(this);
    F2_Kv_DM_TAZ_2->setObjectName(QStringLiteral("F2_Kv_DM_TAZ_2"));
    const QString face = font().family();
    TKvDBAttributes& a = F2_Kv_DM_TAZ_2->KvDBAttributes();
    a.SelAttr.setColor(colors::clSilver());
    a.SelAttr.setFont(TFont(face, 13, colors::clBlack()));
    a.AfterPasteAttr.setColor(colors::clInfoBk());
    a.AfterPasteAttr.setFont(TFont(face, 11, colors::clWindowText()));
    a.DuplicateAttr.setColor(colors::clGreen());
    a.DuplicateAttr.setFont(TFont(face, 11, colors::clWindowText()));
    a.ErrorAttr.setColor(colors::clRed());
    a.ErrorAttr.setFont(TFont(face, 11, colors::clWindowText()));
    a.FocusedAttr.setColor(colors::fromWindowsValue(5197647));
    a.FocusedAttr.setFont(TFont(face, 13, colors::clWhite()));
    a.FixedAttr.setList({QStringLiteral("Оценка")});
    a.FixedAttr.setSelColor(colors::clMoneyGreen());
    a.FixedAttr.setSelFont(TFont(face, 11, colors::clWindowText(), true));

    F2_Kv_DM_TAZ_2->setDBGridEh(DBGridEh2);
    if (DM_TAZ_2 != nullptr)
        F2_Kv_DM_TAZ_2->setUniqueField(
            DM_TAZ_2->ADO_SP_Sort.findField(QStringLiteral("id_mark_mag")));
    F2_Kv_DM_TAZ_2->setEditActions(TDBGridEhEditActions(geaCutEh) | geaCopyEh | geaPasteEh |
                                   geaDeleteEh | geaSelectAllEh);
    F2_Kv_DM_TAZ_2->setActive(false);
    F2_Kv_DM_TAZ_2->OnKvDBEOnConfirmDelete = [this](QObject* s, bool& can) {
        F2_Kv_DM_TAZ_2KvDBEOnConfirmDelete(s, can);
    };
    F2_Kv_DM_TAZ_2->OnKeyDown = [this](QObject* s, quint16& k, TShiftState sh) {
        F2_Kv_DM_TAZ_2KeyDown(s, k, sh);
    };
    F2_Kv_DM_TAZ_2->OnDrawColumnCell = [this](QObject* s, const QRect& r, int c, TColumnEh* col,
                                              TGridDrawState st) {
        F2_Kv_DM_TAZ_2DrawColumnCell(s, r, c, col, st);
    };
}

void TForm2::DBGridEh2GetCellParams(QObject*, TColumnEh*, TFont&, QColor& Background,
                                    TGridDrawState) {
    Background = colors::clWhite();
}
