#include "db/ConnectionString.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace db {

ConnectionString::ConnectionString(const QString& text)
    : text_(text) {
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n) {
        const qsizetype eq = text.indexOf(QLatin1Char('='), i);
        const qsizetype semi = text.indexOf(QLatin1Char(';'), i);
        if (eq < 0 || (semi >= 0 && semi < eq)) { // a piece without a value
            if (semi < 0)
                break;
            i = semi + 1;
            continue;
        }
        const QString key = text.mid(i, eq - i).trimmed();
        qsizetype v = eq + 1;
        while (v < n && text[v] == QLatin1Char(' '))
            ++v;
        QString value;
        if (v < n && (text[v] == QLatin1Char('"') || text[v] == QLatin1Char('\''))) {
            const QChar quote = text[v];
            qsizetype j = v + 1;
            for (; j < n; ++j) {
                if (text[j] != quote) {
                    value += text[j];
                } else if (j + 1 < n && text[j + 1] == quote) {
                    value += quote;
                    ++j;
                } else {
                    break;
                }
            }
            const qsizetype end = text.indexOf(QLatin1Char(';'), j);
            i = end < 0 ? n : end + 1;
        } else {
            const qsizetype end = text.indexOf(QLatin1Char(';'), eq + 1);
            value = text.mid(eq + 1, end < 0 ? -1 : end - eq - 1);
            i = end < 0 ? n : end + 1;
        }
        if (!key.isEmpty())
            pairs_.emplace_back(key, value);
    }
}

QString ConnectionString::quoteValue(const QString& value) {
    const bool needs = value.contains(QLatin1Char(';')) || value.startsWith(QLatin1Char('"')) ||
                       value.startsWith(QLatin1Char('\'')) || value.startsWith(QLatin1Char(' '));
    if (!needs)
        return value;
    QString inner = value;
    inner.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + inner + QLatin1Char('"');
}

QString ConnectionString::value(const QString& key) const {
    for (auto it = pairs_.rbegin(); it != pairs_.rend(); ++it)
        if (it->first.compare(key, Qt::CaseInsensitive) == 0)
            return it->second;
    return QString();
}

bool ConnectionString::contains(const QString& key) const {
    for (const auto& [k, v] : pairs_)
        if (k.compare(key, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

bool ConnectionString::isEmbedded() const {
    return dataSource().trimmed().endsWith(QLatin1String(".sqlite"), Qt::CaseInsensitive);
}

QString ConnectionString::embeddedPath() const {
    const QString source = dataSource().trimmed();
    if (QFileInfo(source).isAbsolute())
        return QDir::cleanPath(source);
    return QDir::cleanPath(QCoreApplication::applicationDirPath() + QStringLiteral("/Data/") +
                           source);
}

} // namespace db
