// Translation of the client's connection settings into a FreeTDS ODBC connection string.
#include "db/FreeTds.h"

#include <QStringList>

namespace db {

ServerAddress serverAddress(QString source) {
    source = source.trimmed();
    if (source.startsWith(QLatin1String("tcp:"), Qt::CaseInsensitive))
        source = source.mid(4).trimmed();

    ServerAddress address;
    const qsizetype comma = source.indexOf(QLatin1Char(','));
    if (comma >= 0) {
        address.port = source.mid(comma + 1).trimmed();
        source = source.left(comma).trimmed();
    }
    const qsizetype slash = source.indexOf(QLatin1Char('\\'));
    address.host = slash >= 0 ? source.left(slash) : source;
    if (slash >= 0)
        address.instance = source.mid(slash + 1);
    // The local-machine spellings SQL Server clients accept.
    if (address.host == QLatin1String(".") ||
        address.host.compare(QLatin1String("(local)"), Qt::CaseInsensitive) == 0)
        address.host = QStringLiteral("localhost");
    return address;
}

QString odbcAttributeValue(const QString& value) {
    // FreeTDS 1.3 ends a braced value at a '}' followed by ';' or the end, and does not undo a
    // doubled '}'. Braces go only where a value would otherwise be misread: a leading '{',
    // spaces at either end, or a ';' (which the client's settings can never hold).
    const bool needsBraces =
        !value.isEmpty() && (value.front() == QLatin1Char('{') || value.front().isSpace() ||
                             value.back().isSpace() || value.contains(QLatin1Char(';')));
    return needsBraces ? QLatin1Char('{') + value + QLatin1Char('}') : value;
}

QString freeTdsConnectionString(const ConnectionString& settings) {
    const ServerAddress address = serverAddress(settings.dataSource());
    QStringList parts;
    parts << QStringLiteral("DRIVER={%1}").arg(QLatin1String(kFreeTdsDriverName));
    const QString server = address.instance.isEmpty()
                               ? address.host
                               : address.host + QLatin1Char('\\') + address.instance;
    parts << QStringLiteral("Server=") + odbcAttributeValue(server);
    if (!address.port.isEmpty())
        parts << QStringLiteral("Port=") + odbcAttributeValue(address.port);
    if (!settings.initialCatalog().isEmpty())
        parts << QStringLiteral("Database=") + odbcAttributeValue(settings.initialCatalog());
    parts << QStringLiteral("UID=") + odbcAttributeValue(settings.userId());
    parts << QStringLiteral("PWD=") + odbcAttributeValue(settings.password());
    parts << QStringLiteral("APP=KEL 14");
    parts << QStringLiteral("TDS_Version=7.4");
    parts << QStringLiteral("ClientCharset=UTF-8");
    return parts.join(QLatin1Char(';'));
}

} // namespace db
