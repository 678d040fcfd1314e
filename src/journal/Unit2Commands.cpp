// The journal grid's own commands: single-cell copy and paste, the restore chord, the comma
// rule, the record panel on a click, the two row colours and the two column rules.
#include "journal/Unit2.h"

#include "controls/KvDBGridEh.h"
#include "data/Unit_2_1.h"
#include "gridevents/Kv_DBGrd_Evns.h"
#include "journal/ColumnPaste.h"

#include <QComboBox>

namespace {

constexpr quint16 KeyBackspace = 8;
constexpr quint16 KeyC = 67;
constexpr quint16 KeyV = 86;
constexpr int CopyBufferLimit = 255;

// Z (90) and z (122) are both the letter Z, as a key code read as a character.
bool isLetter(quint16 key, char letter) {
    return QChar(key).toUpper() == QLatin1Char(letter);
}

// A digit typed in the mark column chooses the mark it stands for ("5" отлично ... "2" неуд.),
// read as the column paste reads it; false when the column or the digit means no mark.
bool chooseMarkByDigit(TKvDBGridEh* grid, QChar digit) {
    TColumnEh* column = grid->currentColumn();
    db::Field* field = column != nullptr ? column->Field() : nullptr;
    if (field == nullptr || !field->isLookup() || column->ReadOnly ||
        column->FieldName != QLatin1String("estimation"))
        return false;
    journal::ColumnPaste mark(*column);
    if (!mark.check({QString(digit)}, 1))
        return false;
    const journal::ColumnPaste::Value& chosen = mark.values().front();
    grid->storeValue(grid->SelectedIndex(), chosen.value, chosen.useText);
    // An open drop-down shows the mark chosen, and leaving it stores that same mark.
    if (auto* box = qobject_cast<QComboBox*>(grid->InplaceEditor()))
        box->setCurrentIndex(box->findData(chosen.value));
    return true;
}

} // namespace

void TForm2::F2_Kv_DM_TAZ_2KeyDown(QObject*, quint16& Key, TShiftState Shift) {
    if (selectorKey(JournalSelector::FormOfControl))
        UpdateCurrentRecordPanel();
    const Qt::KeyboardModifiers mods =
        Shift & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    CtrlHeld = mods == Qt::ControlModifier;
    if (!ZSeen)
        ZSeen = isLetter(Key, 'Z');
    if (!DSeen)
        DSeen = isLetter(Key, 'D');
    // The two commands of their own have chords without Ctrl, which neither the copy and paste
    // below nor the grid events component take: Ctrl with any other modifier is theirs.
    if (Key == KeyV && mods == Qt::AltModifier) {
        Key = 0;
        pasteColumnFromClipboard();
        return;
    }
    if (Key == KeyBackspace && mods == Qt::AltModifier) {
        Key = 0;
        undoLastChange();
        return;
    }
    const bool ctrl = Shift.testFlag(Qt::ControlModifier);
    if (Key == KeyC && ctrl) {
        MultiRowCopy = DBGridEh2->SelectedRows().Count() > 0;
        if (!MultiRowCopy) {
            if (db::Field* field = TDBGridEh::writtenField(DBGridEh2->SelectedField()))
                CopyBuffer = field->text().left(CopyBufferLimit);
        }
    } else if (Key == KeyV && ctrl && !MultiRowCopy) {
        db::DataSet* journal = DBGridEh2->dataSet();
        db::Field* field = TDBGridEh::writtenField(DBGridEh2->SelectedField());
        if (journal == nullptr || field == nullptr)
            return;
        const TDBGridOptions options = DBGridEh2->Options();
        DBGridEh2->setOptions(options & ~TDBGridOptions(dgAlwaysShowEditor));
        // The option comes back even when the paste fails.
        struct Restore {
            TKvDBGridEh* grid;
            TDBGridOptions options;
            ~Restore() { grid->setOptions(options); }
        } restore{DBGridEh2, options};
        journal->edit();
        field->setText(CopyBuffer);
    }
}

void TForm2::DBGridEh2KeyUp(QObject*, quint16&, TShiftState) {
    const bool chord = CtrlHeld && ZSeen && DSeen;
    CtrlHeld = ZSeen = DSeen = false;
    if (chord)
        RestoreDeletedMarks();
}

void TForm2::DBGridEh2KeyPress(QObject*, QChar& Key) {
    if (Key == QLatin1Char(','))
        Key = QLatin1Char('.');
    else if (Key.isDigit() && chooseMarkByDigit(DBGridEh2, Key))
        Key = QChar();
}

void TForm2::DBGridEh2MouseDown(QObject*, Qt::MouseButton, TShiftState, int, int) {
    if (selectorKey(JournalSelector::FormOfControl))
        UpdateCurrentRecordPanel();
}

void TForm2::F2_Kv_DM_TAZ_2DrawColumnCell(QObject*, const QRect& Rect, int DataCol,
                                          TColumnEh* Column, TGridDrawState State) {
    db::DataSet* journal = DBGridEh2->dataSet();
    if (journal == nullptr)
        return;
    TCanvas& canvas = DBGridEh2->Canvas();
    const db::Field* admission = journal->findField(QStringLiteral("primech"));
    const QString admitted = admission != nullptr ? admission->text() : QString();
    if (!admitted.isEmpty() && admitted != QStringLiteral("д") &&
        DBGridEh2->columnIndex(Column) == 1)
        canvas.setBrushColor(QColor(255, 221, 221));
    const db::Field* mark = journal->findField(QStringLiteral("id_estimation"));
    if (mark != nullptr && !mark->isNull() && mark->value().toInt() == 25) {
        if (State == TGridDrawState(gdSelected))
            canvas.setBrushColor(F2_Kv_DM_TAZ_2->KvDBAttributes().SelAttr.Color());
        else
            canvas.setBrushColor(QColor(206, 239, 255));
    }
    DBGridEh2->DefaultDrawColumnCell(Rect, DataCol, Column, State);
}

void TForm2::DBGridEh2Columns1UpdateData(QObject*, QString&, QVariant&, bool&, bool&) {
    db::DataSet& journal = DM_TAZ_2->ADO_SP_Sort;
    journal.edit();
    journal.fieldByName(QStringLiteral("dopusk_izm"))->setValue(true);
}

void TForm2::DBGridEh2Columns5UpdateData(QObject*, QString& Text, QVariant& Value, bool& UseText,
                                         bool&) {
    // The entered value is the statement form's key; 2 is "Направление".
    const QVariant entered = UseText ? QVariant(Text) : Value;
    bool ok = false;
    if (entered.toInt(&ok) != 2 || !ok)
        return;
    db::DataSet& journal = DM_TAZ_2->ADO_SP_Sort;
    journal.fieldByName(QStringLiteral("p35"))
        ->setText(journal.fieldByName(QStringLiteral("id_mark_mag"))->text());
}
