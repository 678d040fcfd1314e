// Diagnostic records of ODBC handles read into one DatabaseError.
#include "db/OdbcDiagnostics.h"

#include "db/OdbcValues.h"

#include <QRegularExpression>
#include <QStringList>

#include <vector>

namespace db::odbc {

namespace {

struct Record {
    QString state;
    int native = 0;
    QString text;
};

std::vector<Record> records(SQLSMALLINT handleType, SQLHANDLE handle) {
    std::vector<Record> found;
    for (SQLSMALLINT number = 1;; ++number) {
        SQLWCHAR state[6] = {};
        SQLINTEGER nativeError = 0;
        std::vector<SQLWCHAR> message(1024);
        SQLSMALLINT length = 0;
        SQLRETURN rc =
            SQLGetDiagRecW(handleType, handle, number, state, &nativeError, message.data(),
                           static_cast<SQLSMALLINT>(message.size()), &length);
        if (rc == SQL_SUCCESS_WITH_INFO && length >= static_cast<SQLSMALLINT>(message.size())) {
            message.resize(static_cast<size_t>(length) + 1);
            rc = SQLGetDiagRecW(handleType, handle, number, state, &nativeError, message.data(),
                                static_cast<SQLSMALLINT>(message.size()), &length);
        }
        if (!SQL_SUCCEEDED(rc))
            break;
        found.push_back(
            {fromWide(state, 5), static_cast<int>(nativeError),
             fromWide(message.data(), std::min<qsizetype>(length, message.size() - 1))});
    }
    return found;
}

} // namespace

QString withoutDriverPrefixes(const QString& line) {
    static const QRegularExpression prefixes(QStringLiteral("^(\\[[^\\]]*\\])+"));
    return QString(line).remove(prefixes).trimmed();
}

DatabaseError diagnosticsError(short handleType, void* handle) {
    const std::vector<Record> all = records(handleType, handle);
    if (all.empty())
        return DatabaseError(
            QStringLiteral("The ODBC driver reported a failure without a message."));
    const auto first = [&](auto test) -> const Record* {
        for (const Record& r : all) {
            if (test(r))
                return &r;
        }
        return nullptr;
    };
    // The server's own messages carry its error number; the driver's carry none or come as
    // warnings (class 01).
    const auto fromServer = [](const Record& r) {
        return r.native > 0 && !r.state.startsWith(QLatin1String("01"));
    };
    const Record* lost = first([](const Record& r) {
        return r.state.startsWith(QLatin1String("08")) && r.state != QLatin1String("08001");
    });
    const Record* server = first(fromServer);
    const Record* failure =
        first([](const Record& r) { return !r.state.startsWith(QLatin1String("01")); });
    const Record* chosen = lost ? lost : server ? server : failure ? failure : &all.front();

    // What the server said is the message; the driver's own lines only when it said nothing.
    QStringList lines;
    for (const Record& r : all) {
        const QString line = withoutDriverPrefixes(r.text);
        if ((server == nullptr || fromServer(r)) && !line.isEmpty() && !lines.contains(line))
            lines << line;
    }
    return DatabaseError(lines.join(QLatin1Char('\n')), chosen->state, chosen->native);
}

} // namespace db::odbc
