#include "journal/ColumnPaste.h"

#include "controls/DBGridColumn.h"
#include "db/DataSet.h"
#include "db/SqlText.h"

#include <QDate>
#include <QDateTime>

namespace journal {

namespace {

// Case, spaces, dots and slashes do not tell marks apart for a person: "Удовл." is "удовл".
QString folded(const QString& text) {
    QString out;
    for (QChar c : text.trimmed().toLower()) {
        if (c == u'ё')
            c = u'е';
        if (c.isSpace() || c == u'.' || c == u'/')
            continue;
        out += c;
    }
    return out;
}

// The short forms users type for marks, folded, and the folded names they stand for.
const std::vector<std::pair<QString, QStringList>>& shortForms() {
    static const std::vector<std::pair<QString, QStringList>> forms = {
        {QStringLiteral("5"), {QStringLiteral("отлично"), QStringLiteral("отл")}},
        {QStringLiteral("4"), {QStringLiteral("хорошо"), QStringLiteral("хор")}},
        {QStringLiteral("3"),
         {QStringLiteral("удовлетворительно"), QStringLiteral("удовл"), QStringLiteral("уд")}},
        {QStringLiteral("2"), {QStringLiteral("неудовлетворительно"), QStringLiteral("неуд")}},
        {QStringLiteral("зач"),
         {QStringLiteral("зачтено"), QStringLiteral("зачет"), QStringLiteral("зач")}},
        {QStringLiteral("ня"),
         {QStringLiteral("неявка"), QStringLiteral("неявился"), QStringLiteral("ня")}},
    };
    return forms;
}

QStringList namesMeantBy(const QString& foldedText) {
    for (const auto& [form, names] : shortForms())
        if (form == foldedText)
            return names;
    return {};
}

bool holdsDate(db::FieldType type) {
    return type == db::FieldType::Date || type == db::FieldType::DateTime;
}

} // namespace

QStringList ColumnPaste::lines(const QString& clipboardText) {
    QString text = clipboardText;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    QStringList out = text.split(u'\n');
    if (!out.isEmpty() && out.back().trimmed().isEmpty())
        out.removeLast();
    for (QString& line : out)
        line = line.section(u'\t', 0, 0);
    return out;
}

ColumnPaste::ColumnPaste(const TColumnEh& column)
    : column_(column) {}

QString ColumnPaste::counted(int n, const QString& one, const QString& few, const QString& many) {
    const int lastTwo = n % 100, last = n % 10;
    const QString& word = (lastTwo >= 11 && lastTwo <= 14) ? many
                          : last == 1                      ? one
                          : (last >= 2 && last <= 4)       ? few
                                                           : many;
    return QString::number(n) + u' ' + word;
}

bool ColumnPaste::check(const QStringList& lines, int rowsBelow) {
    values_.clear();
    problems_.clear();
    const int n = static_cast<int>(lines.size());
    for (int i = 0; i < n && i < rowsBelow; ++i) {
        Value value;
        QString problem;
        if (convert(lines[i], value, problem))
            values_.push_back(value);
        else
            problems_ << QStringLiteral("Строка %1: \"%2\" — %3.")
                             .arg(i + 1)
                             .arg(lines[i].trimmed(), problem);
    }
    if (n > rowsBelow) {
        const QString rows = counted(rowsBelow, QStringLiteral("строка"), QStringLiteral("строки"),
                                     QStringLiteral("строк"));
        problems_ << (n == rowsBelow + 1
                          ? QStringLiteral("Строка %1 лишняя").arg(n)
                          : QStringLiteral("Строки с %1 по %2 лишние").arg(rowsBelow + 1).arg(n)) +
                         QStringLiteral(": в журнале от текущей строки вниз ") + rows +
                         QStringLiteral(".");
    }
    return problems_.isEmpty();
}

bool ColumnPaste::convert(const QString& raw, Value& out, QString& problem) const {
    const db::Field* field = column_.Field();
    const QString text = raw.trimmed();
    if (field->isLookup()) {
        if (convertLookup(text, out))
            return true;
        problem = QStringLiteral("такого значения нет в столбце \"%1\"").arg(column_.TitleCaption);
        return false;
    }
    if (!column_.PickList.isEmpty() && !text.isEmpty()) {
        for (const QString& item : column_.PickList) {
            if (item.compare(text, Qt::CaseInsensitive) == 0) {
                out = {item, true};
                return true;
            }
        }
        problem = QStringLiteral("можно только: ") + column_.PickList.join(QStringLiteral(", "));
        return false;
    }
    if (holdsDate(field->dataType())) {
        if (text.isEmpty()) {
            out = {QVariant(), false};
            return true;
        }
        QDate day = QDate::fromString(text, db::dayFormat());
        if (!day.isValid())
            day = QDate::fromString(text, QStringLiteral("d.M.yyyy"));
        if (!day.isValid()) {
            problem = QStringLiteral("это не дата вида ДД.ММ.ГГГГ");
            return false;
        }
        out = {field->dataType() == db::FieldType::Date ? QVariant(day)
                                                        : QVariant(QDateTime(day, QTime(0, 0))),
               false};
        return true;
    }
    // A comma typed into the journal is a point.
    QString typed = text;
    typed.replace(u',', u'.');
    if (field->size() > 0 && typed.size() > field->size()) {
        problem = QStringLiteral("длиннее ") + counted(field->size(), QStringLiteral("знака"),
                                                       QStringLiteral("знаков"),
                                                       QStringLiteral("знаков"));
        return false;
    }
    try {
        field->convert(typed);
    } catch (const db::DatabaseError&) {
        problem = QStringLiteral("не подходит для столбца \"%1\"").arg(column_.TitleCaption);
        return false;
    }
    out = {typed, true};
    return true;
}

bool ColumnPaste::convertLookup(const QString& text, Value& out) const {
    if (text.isEmpty()) {
        out = {QVariant(), false};
        return true;
    }
    const db::Field* field = column_.Field();
    db::DataSet* list = field->lookupDataSet();
    if (list == nullptr || !list->active())
        return false;
    const QString wanted = folded(text);
    const QStringList meant = namesMeantBy(wanted);
    QVariantList exact, byShortForm;
    for (int i = 0; i < list->visibleRowCount(); ++i) {
        db::DisplayRowScope row(*list, i);
        const db::Field* name = list->findField(field->lookupResultField());
        const db::Field* key = list->findField(field->lookupKeyFields());
        if (name == nullptr || key == nullptr)
            return false;
        const QString shown = folded(name->text());
        if (shown == wanted)
            exact << key->value();
        else if (meant.contains(shown))
            byShortForm << key->value();
    }
    // A name written out wins over a short form; two rows a value may mean are no match.
    const QVariantList& found = exact.isEmpty() ? byShortForm : exact;
    if (found.size() != 1)
        return false;
    out = {found.front(), false};
    return true;
}

} // namespace journal
