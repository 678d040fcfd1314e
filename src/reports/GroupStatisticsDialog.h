// The group statistics window: per student and per discipline tables with sortable columns,
// a bar chart of the marks, and the same tables saved as XLSX or CSV.
#pragma once

#include "reports/GroupStatistics.h"

#include <QDialog>
#include <QWidget>

class QPushButton;
class QTableWidget;

namespace reports {

// Bars of how often each mark was given, painted with QPainter: one bar a line, its mark's
// name whole on its left, so that no name is ever cut.
class MarkDistributionChart : public QWidget {
    Q_OBJECT
public:
    explicit MarkDistributionChart(QList<QPair<QString, int>> distribution,
                                   QWidget* parent = nullptr);
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    const QList<QPair<QString, int>>& distribution() const { return distribution_; }
    // Where bar i's label goes, and the face it is drawn in.
    QRect labelRect(int i) const;
    QFont labelFont(int i) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int labelWidth() const;
    int rowHeight() const;

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
    MarkDistributionChart* chart() const { return chart_; }

private:
    void fitToScreen();
    void fillStudents();
    void fillDisciplines();
    void save(bool asXlsx);

    GroupStatistics statistics_;
    QTableWidget* students_;
    QTableWidget* disciplines_;
    QPushButton* xlsx_;
    QPushButton* csv_;
    MarkDistributionChart* chart_;
};

} // namespace reports
