#include "reports/GroupStatisticsDialog.h"

#include "reports/CsvWriter.h"
#include "reports/ReportFiles.h"
#include "reports/SheetTable.h"
#include "reports/XlsxWriter.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QIODevice>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

namespace reports {
namespace {

// Sorts by a key of its own, so numbers sort as numbers and "нет оценок" below them.
class SortedItem : public QTableWidgetItem {
public:
    SortedItem(const QString& text, const QVariant& key)
        : QTableWidgetItem(text) {
        setData(Qt::UserRole, key);
        setFlags(flags() & ~Qt::ItemIsEditable);
    }
    bool operator<(const QTableWidgetItem& other) const override {
        const QVariant a = data(Qt::UserRole), b = other.data(Qt::UserRole);
        if (a.typeId() == QMetaType::QString || b.typeId() == QMetaType::QString)
            return a.toString().localeAwareCompare(b.toString()) < 0;
        return a.toDouble() < b.toDouble();
    }
};

QString decimal(double value, int digits) {
    return QLocale().toString(value, 'f', digits);
}

QTableWidget* table(const QStringList& titles, QWidget* parent) {
    auto* t = new QTableWidget(0, int(titles.size()), parent);
    t->setHorizontalHeaderLabels(titles);
    t->verticalHeader()->hide();
    t->setSelectionBehavior(QAbstractItemView::SelectRows);
    t->horizontalHeader()->setStretchLastSection(true);
    return t;
}

} // namespace

MarkDistributionChart::MarkDistributionChart(QList<QPair<QString, int>> distribution,
                                             QWidget* parent)
    : QWidget(parent)
    , distribution_(std::move(distribution)) {
    setObjectName(QStringLiteral("MarkDistributionChart"));
}

namespace {

constexpr int ChartMargin = 8;
constexpr int Gap = 6;

} // namespace

int MarkDistributionChart::labelWidth() const {
    int widest = 0;
    for (const auto& [mark, n] : distribution_)
        widest = qMax(widest, fontMetrics().horizontalAdvance(mark));
    return widest;
}

int MarkDistributionChart::rowHeight() const {
    return fontMetrics().height() + Gap;
}

QSize MarkDistributionChart::minimumSizeHint() const {
    const int rows = qMax(1, int(distribution_.size()));
    return {labelWidth() + 120 + 2 * ChartMargin, rows * rowHeight() + 2 * ChartMargin};
}

QSize MarkDistributionChart::sizeHint() const {
    return minimumSizeHint().expandedTo({360, 0});
}

QRect MarkDistributionChart::labelRect(int i) const {
    return {ChartMargin, ChartMargin + i * rowHeight(), labelWidth(), rowHeight()};
}

QFont MarkDistributionChart::labelFont(int) const {
    return font();
}

void MarkDistributionChart::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().base());
    const QFontMetrics fm = p.fontMetrics();
    if (distribution_.isEmpty()) {
        p.drawText(rect(), Qt::AlignCenter, QStringLiteral("Оценок нет"));
        return;
    }
    int most = 1;
    for (const auto& [mark, n] : distribution_)
        most = qMax(most, n);
    // Bars from the labels' right edge, the longest leaving room for its number.
    const int start = ChartMargin + labelWidth() + Gap;
    const int room =
        qMax(1, width() - start - ChartMargin - fm.horizontalAdvance(QString::number(most)) - Gap);
    for (int i = 0; i < distribution_.size(); ++i) {
        const auto& [mark, n] = distribution_[i];
        const QRect label = labelRect(i);
        p.setFont(labelFont(i));
        p.drawText(label, Qt::AlignRight | Qt::AlignVCenter, mark);
        const QRect bar(start, label.top() + Gap / 2, room * n / most, label.height() - Gap);
        p.fillRect(bar, QColor(79, 129, 189));
        p.drawText(QRect(bar.right() + Gap, label.top(), width(), label.height()),
                   Qt::AlignLeft | Qt::AlignVCenter, QString::number(n));
    }
}

GroupStatisticsDialog::GroupStatisticsDialog(GroupStatistics statistics, QWidget* parent)
    : QDialog(parent)
    , statistics_(std::move(statistics)) {
    setObjectName(QStringLiteral("GroupStatisticsDialog"));
    setWindowTitle(QStringLiteral("Статистика группы"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Группа: ") + statistics_.group +
                                     QStringLiteral("    Семестр: ") + statistics_.semester,
                                 this));
    auto* tabs = new QTabWidget(this);
    students_ = table({QStringLiteral("Студент"), QStringLiteral("Оценок"),
                       QStringLiteral("Задолженностей"), QStringLiteral("Средний балл")},
                      tabs);
    students_->setObjectName(QStringLiteral("StudentsTable"));
    disciplines_ = table({QStringLiteral("Дисциплина"), QStringLiteral("Форма контроля"),
                          QStringLiteral("Оценки"), QStringLiteral("Доля задолженностей")},
                         tabs);
    disciplines_->setObjectName(QStringLiteral("DisciplinesTable"));
    tabs->addTab(students_, QStringLiteral("Студенты"));
    tabs->addTab(disciplines_, QStringLiteral("Дисциплины"));
    layout->addWidget(tabs, 1);
    layout->addWidget(new QLabel(QStringLiteral("Распределение оценок:"), this));
    chart_ = new MarkDistributionChart(statistics_.distribution, this);
    layout->addWidget(chart_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setText(QStringLiteral("Закрыть"));
    xlsx_ = buttons->addButton(QStringLiteral("Сохранить в Excel (XLSX)..."),
                               QDialogButtonBox::ActionRole);
    csv_ = buttons->addButton(QStringLiteral("Сохранить в CSV..."), QDialogButtonBox::ActionRole);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(xlsx_, &QPushButton::clicked, this, [this] { save(true); });
    connect(csv_, &QPushButton::clicked, this, [this] { save(false); });
    layout->addWidget(buttons);

    fillStudents();
    fillDisciplines();
    fitToScreen();
}

void GroupStatisticsDialog::fitToScreen() {
    // A good share of the screen the window opens on: the whole group in view, as a rule.
    QScreen* shown = parentWidget() != nullptr ? parentWidget()->screen() : screen();
    const QRect available = shown->availableGeometry();
    const QSize size(qMax(640, available.width() * 3 / 4), qMax(520, available.height() * 17 / 20));
    resize(size.boundedTo(available.size()));
    move(available.center() - QPoint(width() / 2, height() / 2));
}

void GroupStatisticsDialog::fillStudents() {
    students_->setRowCount(int(statistics_.students.size()));
    for (int r = 0; r < statistics_.students.size(); ++r) {
        const StudentStatistics& s = statistics_.students[r];
        students_->setItem(r, 0, new SortedItem(s.student, s.student));
        if (s.marks == 0) {
            // Not a zero: there is nothing to count.
            students_->setItem(r, 1, new SortedItem(QStringLiteral("нет оценок"), -1));
            students_->setItem(r, 2, new SortedItem(QString(), -1));
            students_->setItem(r, 3, new SortedItem(QString(), -1));
            continue;
        }
        students_->setItem(r, 1, new SortedItem(QString::number(s.marks), s.marks));
        students_->setItem(r, 2, new SortedItem(QString::number(s.debts), s.debts));
        students_->setItem(r, 3,
                           s.average ? new SortedItem(decimal(*s.average, 2), *s.average)
                                     : new SortedItem(QString(), -1));
    }
    students_->setSortingEnabled(true);
    students_->sortItems(0, Qt::AscendingOrder);
    students_->resizeColumnsToContents();
}

void GroupStatisticsDialog::fillDisciplines() {
    disciplines_->setRowCount(int(statistics_.disciplines.size()));
    for (int r = 0; r < statistics_.disciplines.size(); ++r) {
        const DisciplineStatistics& d = statistics_.disciplines[r];
        QStringList counts;
        for (const auto& [mark, n] : d.counts)
            counts << mark + QStringLiteral(": ") + QString::number(n);
        disciplines_->setItem(r, 0, new SortedItem(d.discipline, d.discipline));
        disciplines_->setItem(r, 1, new SortedItem(d.formOfControl, d.formOfControl));
        disciplines_->setItem(r, 2, new SortedItem(counts.join(QStringLiteral(", ")), d.marked));
        const auto share = d.debtShare();
        disciplines_->setItem(
            r, 3,
            share ? new SortedItem(decimal(*share * 100, 1) + QStringLiteral(" %"), *share)
                  : new SortedItem(QString(), -1));
    }
    disciplines_->setSortingEnabled(true);
    disciplines_->sortItems(0, Qt::AscendingOrder);
    disciplines_->resizeColumnsToContents();
}

void GroupStatisticsDialog::save(bool asXlsx) {
    const SheetTable table = groupStatisticsTable(statistics_);
    QString name =
        QStringLiteral("Статистика ") + statistics_.group + QLatin1Char(' ') + statistics_.semester;
    name.replace(QRegularExpression(QStringLiteral("[\\\\/:*?\"<>|]")), QStringLiteral("_"));
    if (asXlsx)
        saveReport(this, FileKind::Xlsx, name, [&](QIODevice& out, QString& error) {
            const QByteArray bytes = toXlsx(table, &error);
            return !bytes.isEmpty() && out.write(bytes) == bytes.size();
        });
    else
        saveReport(this, FileKind::Csv, name, [&](QIODevice& out, QString&) {
            const QByteArray bytes = toCsv(table);
            return out.write(bytes) == bytes.size();
        });
}

} // namespace reports
