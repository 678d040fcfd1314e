// Building the stress runs' database through the server's own tools.
#include "StressDatabase.h"

#include "embedded/ServerAdmin.h"

namespace stress {

QList<WorkLogin> makeDatabase(const QString& path, int rows) {
    embedded::createDatabase(path);
    embedded::ServerAdmin admin(path);
    const int first = admin.createUser(QStringLiteral("first"), QStringLiteral("p1"),
                                       QDateTime::currentDateTime());
    const int second = admin.createUser(QStringLiteral("second"), QStringLiteral("p2"),
                                        QDateTime::currentDateTime());
    for (const char* sql : {"INSERT INTO speciality VALUES (1, 'Информатика')",
                            "INSERT INTO st_group VALUES (10, 'ПИ-21', 1)",
                            "INSERT INTO semester VALUES (1, '1 семестр')",
                            "INSERT INTO discipline VALUES (5, 'Математика')",
                            "INSERT INTO examination VALUES (1, 'Экзамен')"})
        admin.exec(QString::fromUtf8(sql));
    for (int i = 0; i < rows; ++i) {
        admin.exec(QStringLiteral("INSERT INTO s_fio VALUES (?, ?, NULL)"),
                   {100 + i, QStringLiteral("Студент %1").arg(i)});
        admin.exec(QStringLiteral("INSERT INTO mark_mag (id_group, id_student, id_examination, "
                                  "id_discipline, id_semester) VALUES (10, ?, 1, 5, 1)"),
                   {100 + i});
    }
    QList<WorkLogin> logins;
    for (int id : {first, second}) {
        const auto r = admin.exec(
            QStringLiteral("SELECT l.name, l.password FROM kel_srv_user u JOIN kel_srv_login l "
                           "ON l.name_key = u.work_login WHERE u.id_login = ?"),
            {id});
        logins.append({r.rows[0][0].toString(), r.rows[0][1].toString()});
    }
    return logins;
}

QString connectionText(const QString& path, const WorkLogin& login) {
    return QStringLiteral("Password=%1;User ID=%2;Initial Catalog=KEL;Data Source=%3")
        .arg(login.password, login.name, path);
}

} // namespace stress
