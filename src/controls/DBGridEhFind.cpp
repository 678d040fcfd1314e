// The grid's find dialog (Ctrl+F): looks for a text in the current column, row by row.
#include "controls/DBGridEh.h"

#include "db/DataSet.h"
#include "platform/Cp1251Validator.h"
#include "platform/MessageBoxes.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

// Rows after the current one whose field text holds the wanted text, case aside.
int findRow(db::DataSet& ds, db::Field& field, int from, const QString& wanted) {
    const int n = ds.recordCount();
    for (int i = 0; i < n; ++i) {
        const int row = (from + i) % n;
        db::DisplayRowScope shown(ds, row);
        if (field.text().contains(wanted, Qt::CaseInsensitive))
            return row;
    }
    return -1;
}

} // namespace

void TDBGridEh::openFindDialog() {
    auto* dialog = new QDialog(this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle(QStringLiteral("Поиск"));
    dialog->setObjectName(QStringLiteral("GridFindDialog"));
    auto* layout = new QHBoxLayout(dialog);
    layout->addWidget(new QLabel(QStringLiteral("Найти:"), dialog));
    auto* text = new QLineEdit(dialog);
    platform::restrictToCp1251(text);
    layout->addWidget(text);
    auto* next = new QPushButton(QStringLiteral("Найти далее"), dialog);
    next->setDefault(true);
    layout->addWidget(next);
    QPointer<TDBGridEh> grid(this);
    connect(next, &QPushButton::clicked, dialog, [grid, text, dialog] {
        if (!grid)
            return;
        db::DataSet* ds = grid->dataSet();
        db::Field* field = grid->SelectedField();
        if (ds == nullptr || field == nullptr || text->text().isEmpty())
            return;
        const int row = findRow(*ds, *field, ds->recNo(), text->text());
        if (row < 0) {
            platform::messageBox(dialog, QStringLiteral("Текст не найден."),
                                 QStringLiteral("Поиск"), QMessageBox::Information);
            return;
        }
        try {
            grid->moveToCell(row, grid->SelectedIndex(), true);
        } catch (...) {
            grid->raiseLater(std::current_exception());
        }
    });
    dialog->show();
}
