// One group's small journal: the rows the data module's and the main window's tests share.
#pragma once

#include <QString>

#include <vector>

namespace testsupport {

// Group 5 (students 7, 8, 9) in semester 2 takes discipline 11 with examination 1; group 6,
// semester 3 and discipline 12 exist too. Who may see which group is up to each test.
inline std::vector<QString> journalFixtureRows() {
    static const char* const rows[] = {
        "INSERT INTO speciality VALUES(1, 'Информатика'), (2, 'Физика')",
        "INSERT INTO st_group VALUES(5, 'ИВТ-21', 1), (6, 'ФИЗ-11', 2)",
        "INSERT INTO s_fio VALUES(7, 'Петров Пётр', 'A-7'), (8, 'Андреев Андрей', 'A-8'), "
        "(9, 'Яковлев Яков', NULL)",
        "INSERT INTO group_student VALUES(5, 7), (5, 8), (5, 9)",
        "INSERT INTO semester VALUES(2, 'Весенний'), (3, 'Осенний')",
        "INSERT INTO group_sem VALUES(5, 2, 1), (6, 3, 1)",
        "INSERT INTO group_year VALUES(5, 1, '2023-2024')",
        "INSERT INTO discipline VALUES(11, 'Математика'), (12, 'Физика')",
        "INSERT INTO examination VALUES(1, 'Экзамен'), (2, 'Зачёт')",
        "INSERT INTO educ_sh(id_group, id_semester, id_discipline, id_examination) "
        "VALUES(5, 2, 11, 1), (6, 3, 12, 2)",
        "INSERT INTO estimation VALUES(3, 'удовл.'), (5, 'отлично'), (25, 'не изучает')",
        "INSERT INTO exam_estimation VALUES(1, 3), (1, 5), (1, 25)",
        "INSERT INTO t_fio VALUES(4, 'Сергеев С.С.')",
        "INSERT INTO f_est VALUES(1, 'Ведомость'), (2, 'Направление')",
        "INSERT INTO EstimationOther VALUES(1, 'осв.', 10)",
        "INSERT INTO com_sfe VALUES(10, 1)",
    };
    std::vector<QString> out;
    for (const char* sql : rows)
        out.push_back(QString::fromUtf8(sql));
    return out;
}

} // namespace testsupport
