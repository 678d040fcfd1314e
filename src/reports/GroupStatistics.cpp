#include "reports/GroupStatistics.h"

#include "db/Connection.h"
#include "db/ValueCompare.h"
#include "reports/MarkOrder.h"
#include "reports/SheetTable.h"

#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <map>

namespace reports {
namespace {

// The mark "the student does not take this discipline": neither a mark nor a debt.
constexpr qint32 NotTaken = 25;

void count(QList<QPair<QString, int>>& counts, const QString& name) {
    auto found =
        std::find_if(counts.begin(), counts.end(), [&](const auto& c) { return c.first == name; });
    if (found == counts.end())
        counts.append({name, 1});
    else
        ++found->second;
}

QString text(const QVariant& v) {
    return db::isNullValue(v) ? QString() : v.toString().trimmed();
}

} // namespace

bool isDebt(qint32 mark) {
    return mark == 8 || mark == 9 || mark == 10 || mark == 11 || mark == 16;
}

std::optional<double> markValue(const QString& name) {
    static const QRegularExpression number(QStringLiteral("^\\s*(\\d+(?:[.,]\\d+)?)"));
    const auto m = number.match(name);
    if (m.hasMatch())
        return m.captured(1).replace(QLatin1Char(','), QLatin1Char('.')).toDouble();
    const QString lower = name.trimmed().toLower();
    const std::pair<const char*, double> words[] = {
        {"отл", 5}, {"хор", 4}, {"удовл", 3}, {"неуд", 2}};
    for (const auto& [prefix, value] : words)
        if (lower.startsWith(QString::fromUtf8(prefix)))
            return value;
    return std::nullopt;
}

std::optional<double> DisciplineStatistics::debtShare() const {
    if (marked == 0)
        return std::nullopt;
    return double(debts) / marked;
}

QString groupStatisticsSql() {
    return QStringLiteral(
        "SELECT s.id_student, s.s_fio, d.p34, x.p30, m.id_estimation, e.p31 "
        "FROM s_g s "
        "LEFT JOIN mark_mag m ON m.id_student = s.id_student AND m.id_group = s.id_group "
        "AND m.id_semester = ? "
        "LEFT JOIN discipline d ON d.id_discipline = m.id_discipline "
        "LEFT JOIN examination x ON x.id_examination = m.id_examination "
        "LEFT JOIN estimation e ON e.id_estimation = m.id_estimation "
        "WHERE s.id_group = ? "
        "ORDER BY s.s_fio, s.id_student, d.p34, x.p30");
}

GroupStatistics computeGroupStatistics(const std::vector<StatisticsRow>& rows) {
    GroupStatistics out;
    std::map<qint32, int> studentIndex;
    std::map<std::pair<QString, QString>, int> disciplineIndex;
    QList<double> sums;
    QList<int> valued;
    for (const StatisticsRow& row : rows) {
        auto [at, added] = studentIndex.emplace(row.studentId, int(out.students.size()));
        if (added) {
            out.students.append(StudentStatistics{row.student, 0, 0, std::nullopt});
            sums.append(0);
            valued.append(0);
        }
        const int s = at->second;
        if (row.discipline.isEmpty() && row.formOfControl.isEmpty() && !row.mark)
            continue;
        const auto key = std::make_pair(row.discipline, row.formOfControl);
        auto [dat, dadded] = disciplineIndex.emplace(key, int(out.disciplines.size()));
        if (dadded)
            out.disciplines.append(
                DisciplineStatistics{row.discipline, row.formOfControl, {}, 0, 0});
        DisciplineStatistics& d = out.disciplines[dat->second];
        if (!row.mark || *row.mark == NotTaken) {
            if (row.mark)
                count(d.counts, row.markName);
            continue;
        }
        const QString name = row.markName.isEmpty() ? QString::number(*row.mark) : row.markName;
        count(d.counts, name);
        count(out.distribution, name);
        ++d.marked;
        ++out.students[s].marks;
        if (isDebt(*row.mark)) {
            ++d.debts;
            ++out.students[s].debts;
        }
        if (const auto value = markValue(name)) {
            sums[s] += *value;
            ++valued[s];
        }
    }
    sortByMarkOrder(out.distribution);
    for (DisciplineStatistics& d : out.disciplines)
        sortByMarkOrder(d.counts);
    for (int s = 0; s < out.students.size(); ++s)
        if (valued[s] > 0)
            out.students[s].average = sums[s] / valued[s];
    return out;
}

GroupStatistics readGroupStatistics(db::Connection& connection, qint32 group, qint32 semester) {
    const db::Result result = connection.query(groupStatisticsSql(), {semester, group});
    std::vector<StatisticsRow> rows;
    rows.reserve(result.rows.size());
    for (const auto& r : result.rows) {
        StatisticsRow row;
        row.studentId = r.at(0).toInt();
        row.student = text(r.at(1));
        row.discipline = text(r.at(2));
        row.formOfControl = text(r.at(3));
        if (!db::isNullValue(r.at(4)))
            row.mark = r.at(4).toInt();
        row.markName = text(r.at(5));
        rows.push_back(row);
    }
    return computeGroupStatistics(rows);
}

QString noMarksText() {
    return QStringLiteral("нет оценок");
}

SheetTable groupStatisticsTable(const GroupStatistics& st) {
    SheetTable t;
    t.name = QStringLiteral("Статистика");
    const auto add = [&t](QList<QVariant> row) { t.rows.push_back(std::move(row)); };
    t.boldRows = {0};
    add({QStringLiteral("СТАТИСТИКА ГРУППЫ")});
    add({QStringLiteral("Группа: ") + st.group + QStringLiteral("    Семестр: ") + st.semester});
    add({});
    t.headerRow = int(t.rows.size());
    add({QStringLiteral("Студент"), QStringLiteral("Оценок"), QStringLiteral("Задолженностей"),
         QStringLiteral("Средний балл")});
    for (const StudentStatistics& s : st.students) {
        if (s.marks == 0)
            add({s.student, noMarksText()});
        else
            add({s.student, s.marks, s.debts,
                 s.average ? QVariant(std::round(*s.average * 100) / 100) : QVariant()});
    }
    add({});
    t.boldRows.append(int(t.rows.size()));
    add({QStringLiteral("Дисциплина"), QStringLiteral("Форма контроля"), QStringLiteral("Оценки"),
         QStringLiteral("Доля задолженностей, %")});
    for (const DisciplineStatistics& d : st.disciplines) {
        QStringList counts;
        for (const auto& [mark, n] : d.counts)
            counts << mark + QStringLiteral(": ") + QString::number(n);
        const auto share = d.debtShare();
        add({d.discipline, d.formOfControl, counts.join(QStringLiteral(", ")),
             share ? QVariant(std::round(*share * 1000) / 10) : QVariant()});
    }
    return t;
}

} // namespace reports
