// The ADO-style connection string: key=value pairs split at ';', keys case-insensitive; a
// value in double or single quotes may hold ';' (its own quote doubled inside).
#pragma once

#include <QString>
#include <QStringList>

#include <vector>

namespace db {

class ConnectionString {
public:
    ConnectionString() = default;
    explicit ConnectionString(const QString& text);

    // A value as it must stand in a connection string to be read back unchanged: quoted
    // only when it holds ';' or starts with a quote or a space.
    static QString quoteValue(const QString& value);

    // The value of a key (case-insensitive), or an empty text; the last occurrence wins.
    QString value(const QString& key) const;
    bool contains(const QString& key) const;
    QString text() const { return text_; }

    QString dataSource() const { return value(QStringLiteral("Data Source")); }
    QString initialCatalog() const { return value(QStringLiteral("Initial Catalog")); }
    QString userId() const { return value(QStringLiteral("User ID")); }
    QString password() const { return value(QStringLiteral("Password")); }

    // True when Data Source names an embedded database file (ends in ".sqlite").
    bool isEmbedded() const;
    // The embedded file's path: relative names resolve against the executable's Data folder.
    QString embeddedPath() const;

private:
    QString text_;
    std::vector<std::pair<QString, QString>> pairs_;
};

} // namespace db
