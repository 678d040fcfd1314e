// A block of text from a spreadsheet turned into values for one journal column, as a user
// means them: a mark by its name or short form, a date as typed, a number with a comma.
#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

#include <vector>

class TColumnEh;

namespace journal {

class ColumnPaste {
public:
    struct Value {
        QVariant value;
        bool useText = false; // the value is text for the column's field to take
    };

    // One value a line; a tab-separated line gives its first cell; a trailing empty line is
    // the end of the block, not a value.
    static QStringList lines(const QString& clipboardText);

    explicit ColumnPaste(const TColumnEh& column);

    // Converts every line for rowsBelow rows; false, with the problems named, when a line
    // fits nothing or there are more lines than rows.
    bool check(const QStringList& lines, int rowsBelow);
    const std::vector<Value>& values() const { return values_; }
    // One sentence a problem, each naming its line.
    const QStringList& problems() const { return problems_; }

    // "1 значение", "3 значения", "24 значения", "5 значений".
    static QString counted(int n, const QString& one, const QString& few, const QString& many);

private:
    bool convert(const QString& text, Value& out, QString& problem) const;
    bool convertLookup(const QString& text, Value& out) const;

    const TColumnEh& column_;
    std::vector<Value> values_;
    QStringList problems_;
};

} // namespace journal
