// Column rights and the server's permission errors.
#include "embedded/Rights.h"

namespace embedded {

QString Rights::key(const QString& action, const QString& object, const QString& column) {
    return action.toUpper() + QLatin1Char('|') + object.toLower() + QLatin1Char('|') +
           column.toLower();
}

void Rights::grant(const QString& action, const QString& object, const QString& column) {
    grants_.insert(key(action, object, column));
    objects_.insert(key(action, object, QString()));
}

bool Rights::allows(const QString& action, const QString& object, const QString& column) const {
    if (grants_.contains(key(action, object, QStringLiteral("*"))))
        return true;
    if (column.isEmpty())
        return objects_.contains(key(action, object, QString()));
    return grants_.contains(key(action, object, column));
}

QString Rights::denial(const QString& action, const QString& object, const QString& column,
                       const QString& database) const {
    if (!column.isEmpty() && objects_.contains(key(action, object, QString())))
        return QStringLiteral("Отказано в разрешении \"%1\" на столбец \"%2\" объекта \"%3\", "
                              "база данных \"%4\", схема \"dbo\".")
            .arg(action, column, object, database);
    return QStringLiteral(
               "Отказано в разрешении \"%1\" на объект \"%2\", база данных \"%3\", схема \"dbo\".")
        .arg(action, object, database);
}

} // namespace embedded
