#include "signin/SignInConnectionString.h"

#include "db/ConnectionString.h"

namespace signin {

QString BuildConnectionString(const QString& userId, const QString& password,
                              const QString& initialCatalog, const QString& dataSource) {
    // A value holding ';' is quoted, or the server would get it cut at the ';'.
    const auto q = [](const QString& v) { return db::ConnectionString::quoteValue(v); };
    return QStringLiteral("Provider=SQLOLEDB.1;Password=") + q(password) +
           QStringLiteral(";Persist Security Info=True;User ID=") + q(userId) +
           QStringLiteral(";Initial Catalog=") + q(initialCatalog) +
           QStringLiteral(";Data Source=") + q(dataSource) +
           QStringLiteral(";Use Procedure for Prepare=1;Auto Translate=True;") +
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
