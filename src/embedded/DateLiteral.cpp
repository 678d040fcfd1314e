// Reading date literals by DATEFORMAT order.
#include "embedded/DateLiteral.h"

#include <QRegularExpression>

namespace embedded {

std::optional<DateOrder> dateOrderFromName(const QString& name) {
    static const std::pair<const char*, DateOrder> names[] = {
        {"mdy", DateOrder::mdy}, {"dmy", DateOrder::dmy}, {"ymd", DateOrder::ymd},
        {"ydm", DateOrder::ydm}, {"myd", DateOrder::myd}, {"dym", DateOrder::dym}};
    for (const auto& [n, order] : names)
        if (name.compare(QLatin1String(n), Qt::CaseInsensitive) == 0)
            return order;
    return std::nullopt;
}

namespace {

int fullYear(const QString& digits) {
    const int y = digits.toInt();
    if (digits.size() > 2)
        return y;
    return y < 50 ? 2000 + y : 1900 + y; // the two-digit year cut-off of SQL Server
}

} // namespace

DateLiteral readDateLiteral(const QString& text, DateOrder order) {
    static const QRegularExpression separated(QStringLiteral(
        R"(^\s*(\d{1,4})([./-])(\d{1,2})\2(\d{1,4})(?:[ T](\d{1,2}):(\d{2})(?::(\d{2})(?:[.,](\d{1,3}))?)?)?\s*$)"));
    static const QRegularExpression compact(QStringLiteral(
        R"(^\s*(\d{4})(\d{2})(\d{2})(?:[ T](\d{1,2}):(\d{2})(?::(\d{2})(?:[.,](\d{1,3}))?)?)?\s*$)"));

    DateLiteral result;
    QString y, m, d;
    QRegularExpressionMatch match = compact.match(text);
    int timeGroup = 4;
    if (match.hasMatch()) {
        y = match.captured(1);
        m = match.captured(2);
        d = match.captured(3);
    } else {
        match = separated.match(text);
        if (!match.hasMatch())
            return result;
        timeGroup = 5;
        const QString a = match.captured(1), b = match.captured(3), c = match.captured(4);
        if (a.size() == 4) {
            y = a;
            m = order == DateOrder::ydm ? c : b;
            d = order == DateOrder::ydm ? b : c;
        } else {
            switch (order) {
            case DateOrder::mdy:
                m = a, d = b, y = c;
                break;
            case DateOrder::dmy:
                d = a, m = b, y = c;
                break;
            case DateOrder::ymd:
                y = a, m = b, d = c;
                break;
            case DateOrder::ydm:
                y = a, d = b, m = c;
                break;
            case DateOrder::myd:
                m = a, y = b, d = c;
                break;
            case DateOrder::dym:
                d = a, y = b, m = c;
                break;
            }
        }
        if (y.size() == 3 || d.size() > 2 || m.size() > 2)
            return DateLiteral{true, QDateTime()};
    }
    result.looksLikeDate = true;
    const QDate date(fullYear(y), m.toInt(), d.toInt());
    QTime time(0, 0);
    if (match.hasCaptured(timeGroup)) {
        QString ms = match.captured(timeGroup + 3);
        while (!ms.isEmpty() && ms.size() < 3)
            ms += QLatin1Char('0');
        time = QTime(match.captured(timeGroup).toInt(), match.captured(timeGroup + 1).toInt(),
                     match.captured(timeGroup + 2).toInt(), ms.toInt());
    }
    if (date.isValid() && time.isValid())
        result.value = QDateTime(date, time);
    return result;
}

} // namespace embedded
