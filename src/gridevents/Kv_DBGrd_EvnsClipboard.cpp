// The component's key handler and its record operations: copy, cut, paste, delete and
// select all, with the records travelling in the private clipboard format.
#include "gridevents/Kv_DBGrd_Evns.h"

#include "db/DataSet.h"
#include "db/DataSource.h"
#include "platform/Clipboard.h"
#include "platform/Cp1251.h"
#include "platform/MessageBoxes.h"

namespace {

// Swallows the failure of one step of a record loop, as the loop goes on.
template <typename F> bool guarded(F&& step) {
    try {
        step();
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

void removeFirst(QStringList& list, const QString& value) {
    for (qsizetype i = 0; i < list.size(); ++i) {
        if (list[i].compare(value, Qt::CaseInsensitive) == 0) {
            list.removeAt(i);
            return;
        }
    }
}

} // namespace

void TKvDBGridEvents::GridKeyDown(QObject* Sender, quint16& Key, TShiftState Shift) {
    if (OnKeyDown)
        OnKeyDown(Sender, Key, Shift);
    if (!Shift.testFlag(Qt::ControlModifier) || !grid_)
        return;
    const QChar letter = QChar(char16_t(Key & 0xFF)).toUpper();
    const bool rowsSelected = grid_->SelectedRows().Count() > 0;
    const bool confirmDelete = grid_->Options().testFlag(dgConfirmDelete);
    if (letter == u'C' && editActions_.testFlag(geaCopyEh) && rowsSelected) {
        CopyRows(false);
    } else if (letter == u'X' && editActions_.testFlag(geaCutEh) && rowsSelected) {
        if (!confirmDelete || confirm(gridevents::confirmCutText()))
            CopyRows(true);
    } else if (letter == u'V' && editActions_.testFlag(geaPasteEh)) {
        PasteRows();
    } else if (Key == gridevents::kDeleteKey && editActions_.testFlag(geaDeleteEh) &&
               (!confirmDelete || rowsSelected)) {
        if (!confirmDelete || confirm(gridevents::confirmDeleteText()))
            DeleteRows();
    } else if (letter == u'A' && editActions_.testFlag(geaSelectAllEh)) {
        SelectAllRows();
    }
}

bool TKvDBGridEvents::confirm(const QString& text) {
    bool canDelete = true;
    if (OnKvDBEOnConfirmDelete)
        OnKvDBEOnConfirmDelete(grid_, canDelete);
    else
        canDelete = platform::messageBox(ownerWindow(), text, gridevents::confirmCaption(),
                                         QMessageBox::Question,
                                         QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
    return canDelete;
}

bool TKvDBGridEvents::checksPass() {
    if (!grid_) {
        report(gridevents::NoGrid);
        return false;
    }
    if (grid_->DataSource() == nullptr) {
        report(gridevents::NoDataSource);
        return false;
    }
    db::DataSet* ds = grid_->dataSet();
    if (ds == nullptr) {
        report(gridevents::NoDataSet);
        return false;
    }
    if (!uniqueField_) {
        report(gridevents::NoUniqueField);
        return false;
    }
    if (!ds->active()) {
        report(gridevents::DataSetClosed);
        return false;
    }
    return true;
}

QByteArray TKvDBGridEvents::recordBytes(db::DataSet& ds) const {
    QByteArray bytes;
    for (int i = 0; i < grid_->columnCount(); ++i) {
        TColumnEh* column = grid_->Column(i);
        db::Field* field = ds.fieldByName(column->FieldName);
        if (field->isLookup())
            field = ds.fieldByName(field->keyFields());
        bytes += platform::toCp1251(field->text());
        bytes += gridevents::kValueEnd;
    }
    bytes += gridevents::kRecordEnd;
    return bytes;
}

void TKvDBGridEvents::CopyRows(bool cut) {
    if (!checksPass())
        return;
    db::DataSet& ds = *dataSet();
    TBMListEh& selected = grid_->SelectedRows();
    if (selected.Count() > 0) {
        const db::Bookmark kept = ds.bookmark();
        db::ControlsDisabled off(ds);
        QByteArray buffer;
        const int n = selected.Count();
        for (int i = 0; i < n; ++i) {
            const bool moved = guarded([&] { ds.gotoBookmark(selected.Item(i)); });
            // A cut never takes a record that was not selected: deleting the record that
            // happens to be current instead would lose data nobody chose.
            if (!moved && cut)
                continue;
            buffer += recordBytes(ds);
            if (cut) {
                const bool done = guarded([&] {
                    const QString unique = uniqueField_->text();
                    ReleaseDuplicate(ds.bookmarkString());
                    ds.deleteRecord();
                    removeFirst(pasted_, unique);
                });
                if (!done)
                    guarded([&] { ds.cancel(); });
            }
        }
        platform::writeClipboardBlock(clipboardFormat(), buffer);
        if (!kept.isNull() && ds.bookmarkValid(kept))
            guarded([&] { ds.gotoBookmark(kept); });
    }
    report(gridevents::Finished);
}

void TKvDBGridEvents::PasteRows() {
    if (!checksPass())
        return;
    const std::optional<QByteArray> block = platform::readClipboardBlock(clipboardFormat());
    if (!block || block->isEmpty()) {
        report(gridevents::NoClipboardData);
        return;
    }
    db::DataSet& ds = *dataSet();
    QByteArray text = *block + '\0';
    pasted_.clear();
    {
        db::ControlsDisabled off(ds);
        while (!text.isEmpty() && text != QByteArray(1, '\0')) {
            const qsizetype end = text.indexOf(gridevents::kRecordEnd);
            if (end < 0)
                return;
            const QByteArray record = text.left(end + 1);
            try {
                ds.insert();
            } catch (const std::exception&) {
                return; // a data set that refuses new records takes none of them
            }
            qsizetype pos = 0;
            for (int i = 0; i < grid_->columnCount(); ++i) {
                QByteArray value;
                const qsizetype stop = record.indexOf(gridevents::kValueEnd, pos);
                if (stop >= 0) {
                    value = record.mid(pos, stop - pos);
                    pos = stop + 1;
                } else {
                    pos = record.size();
                }
                if (const qsizetype nul = value.indexOf('\0'); nul >= 0)
                    value.truncate(nul);
                const QString valueText = platform::fromCp1251(value);
                const QString name = grid_->Column(i)->FieldName;
                guarded([&] {
                    db::Field* field = ds.fieldByName(name);
                    if (field->isLookup())
                        ds.fieldByName(field->keyFields())->setValue(QVariant(valueText));
                    else
                        field->setText(valueText);
                });
            }
            const bool stored = guarded([&] {
                ds.post();
                CheckDuplicate();
            });
            if (!stored)
                guarded([&] { ds.cancel(); });
            pasted_.append(uniqueField_ ? uniqueField_->text() : QString());
            text.remove(0, end + 1);
        }
    }
    report(gridevents::Finished);
    report(gridevents::Finished);
}

void TKvDBGridEvents::DeleteRows() {
    if (!checksPass())
        return;
    db::DataSet& ds = *dataSet();
    TBMListEh& selected = grid_->SelectedRows();
    {
        db::ControlsDisabled off(ds);
        const int n = selected.Count();
        for (int i = 0; i < n; ++i) {
            ds.gotoBookmark(selected.Item(i));
            removeFirst(pasted_, uniqueField_->text());
            const bool done = guarded([&] {
                ReleaseDuplicate(ds.bookmarkString());
                ds.deleteRecord();
            });
            if (!done)
                guarded([&] { ds.cancel(); });
        }
        selected.Clear();
    }
    report(gridevents::Finished);
    report(gridevents::Finished);
}

void TKvDBGridEvents::SelectAllRows() {
    if (!checksPass())
        return;
    grid_->SelectedRows().SelectAll();
    report(gridevents::Finished);
}
