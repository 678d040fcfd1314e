// The group statistics window: per student and per discipline tables with sortable columns,
// a bar chart of the marks, and the same tables saved as XLSX or CSV.
#pragma once

#include "reports/GroupStatistics.h"

#include <QDialog>
#include <QWidget>

class QPushButton;
class QTableWidget;

namespace reports {

// Bars of how often each mark was given, painted with QPainter.
class MarkDistributionChart : public QWidget {
    Q_OBJECT
public:
    explicit MarkDistributionChart(QList<QPair<QString, int>> distribution,
                                   QWidget* parent = nullptr);
    QSize sizeHint() const override { return {360, 160}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QList<QPair<QString, int>> distribution_;
};

class GroupStatisticsDialog : public QDialog {
    Q_OBJECT
public:
    explicit GroupStatisticsDialog(GroupStatistics statistics, QWidget* parent = nullptr);

    QTableWidget* studentsTable() const { return students_; }
    QTableWidget* disciplinesTable() const { return disciplines_; }
    QPushButton* xlsxButton() const { return xlsx_; }
    QPushButton* csvButton() const { return csv_; }

private:
    void fillStudents();
    void fillDisciplines();
    void save(bool asXlsx);

    GroupStatistics statistics_;
    QTableWidget* students_;
    QTableWidget* disciplines_;
    QPushButton* xlsx_;
    QPushButton* csv_;
};

} // namespace reports
