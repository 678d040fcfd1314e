// The small faculty the stress runs share: one group of students, their journal rows and
// two users with their working logins.
#pragma once

#include <QString>
#include <QStringList>

namespace stress {

struct WorkLogin {
    QString name;
    QString password;
};

// Makes the database at the path with `rows` journal rows; returns both users' working
// logins.
QList<WorkLogin> makeDatabase(const QString& path, int rows);

// The connection string of a working login on the file.
QString connectionText(const QString& path, const WorkLogin& login);

} // namespace stress
