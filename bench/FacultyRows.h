// The reference rows of a one-group faculty that the benchmarks' databases start from: group 1,
// semester 1, discipline 1 with examination 1, its marks, one teacher and the form "Ведомость".
#pragma once

#include "embedded/ServerAdmin.h"

inline void addFacultyRows(embedded::ServerAdmin& owner) {
    for (const char* sql : {
             "INSERT INTO speciality VALUES(1, 'Информатика')",
             "INSERT INTO st_group VALUES(1, 'ИВТ-21', 1)",
             "INSERT INTO semester VALUES(1, 'Весенний')",
             "INSERT INTO group_sem VALUES(1, 1, 1)",
             "INSERT INTO group_year VALUES(1, 1, '2023-2024')",
             "INSERT INTO discipline VALUES(1, 'Математика')",
             "INSERT INTO examination VALUES(1, 'Экзамен')",
             "INSERT INTO educ_sh(id_group, id_semester, id_discipline, id_examination) "
             "VALUES(1, 1, 1, 1)",
             "INSERT INTO estimation VALUES(3, 'удовл.'), (5, 'отлично'), (25, 'не изучает')",
             "INSERT INTO exam_estimation VALUES(1, 3), (1, 5), (1, 25)",
             "INSERT INTO t_fio VALUES(4, 'Сергеев С.С.')",
             "INSERT INTO f_est VALUES(1, 'Ведомость')",
         })
        owner.exec(QString::fromUtf8(sql));
}
