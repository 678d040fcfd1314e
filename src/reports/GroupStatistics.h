// A group's marks in one semester across all its disciplines and forms of control: debts and
// averages per student, counts of each mark and the share of debts per discipline.
#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QVariant>

#include <optional>
#include <vector>

namespace db {
class Connection;
}

namespace reports {

struct SheetTable;

// One row of the server's answer: a student with one of their journal rows, or with none.
struct StatisticsRow {
    qint32 studentId = 0;
    QString student;
    QString discipline; // empty for a student without journal rows
    QString formOfControl;
    std::optional<qint32> mark;
    QString markName;
};

struct StudentStatistics {
    QString student;
    int marks = 0; // rows with a mark, "не изучает" aside
    int debts = 0;
    std::optional<double> average; // of the marks that have a numeric value
};

struct DisciplineStatistics {
    QString discipline;
    QString formOfControl;
    QList<QPair<QString, int>> counts; // each mark's name and rows, in the marks' order
    int marked = 0;                    // rows with a mark, "не изучает" aside
    int debts = 0;
    std::optional<double> debtShare() const;
};

struct GroupStatistics {
    QString group;
    QString semester;
    QList<StudentStatistics> students;
    QList<DisciplineStatistics> disciplines;
    QList<QPair<QString, int>> distribution; // every mark of the group, in the marks' order
};

// The marks that count as debts, as the journal's filter "Показать задолжности" counts them.
bool isDebt(qint32 mark);
// A mark's number for averages ("5", "отлично" 5 ... "неуд." 2); none for a pass or the like.
std::optional<double> markValue(const QString& name);

// The one statement that reads a group's semester.
QString groupStatisticsSql();
GroupStatistics computeGroupStatistics(const std::vector<StatisticsRow>& rows);
// Reads and computes; throws db::DatabaseError when the server refuses.
GroupStatistics readGroupStatistics(db::Connection& connection, qint32 group, qint32 semester);

SheetTable groupStatisticsTable(const GroupStatistics& statistics);

} // namespace reports
