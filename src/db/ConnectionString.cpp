#include "db/ConnectionString.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace db {

ConnectionString::ConnectionString(const QString& text)
    : text_(text) {
    // Values are taken as they stand: the settings tool refuses ';' inside them.
    for (const QString& piece : text.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const qsizetype eq = piece.indexOf(QLatin1Char('='));
        if (eq < 0)
            continue;
        pairs_.emplace_back(piece.left(eq).trimmed(), piece.mid(eq + 1));
    }
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
