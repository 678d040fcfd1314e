#include "signin/SignInConnectionString.h"

namespace signin {

QString BuildConnectionString(const QString& userId, const QString& password,
                              const QString& initialCatalog, const QString& dataSource) {
    return QStringLiteral("Provider=SQLOLEDB.1;Password=") + password +
           QStringLiteral(";Persist Security Info=True;User ID=") + userId +
           QStringLiteral(";Initial Catalog=") + initialCatalog + QStringLiteral(";Data Source=") +
           dataSource + QStringLiteral(";Use Procedure for Prepare=1;Auto Translate=True;") +
           QStringLiteral("Packet Size=4096;Use Encryption for Data=False;") +
           QStringLiteral("Tag with column collation when possible=False");
}

QString RemoveUserId(const QString& message, const QString& userId) {
    if (userId.isEmpty())
        return message;
    QString result(message);
    result.remove(userId, Qt::CaseSensitive);
    return result;
}

} // namespace signin
