// A login's rights: actions on objects and, for SELECT and UPDATE, on single columns.
#pragma once

#include <QSet>
#include <QString>

namespace embedded {

class Rights {
public:
    // A grant; column "*" covers every column of the object. Names fold to lower case.
    void grant(const QString& action, const QString& object, const QString& column);

    // True when the action is granted on the column (or on the whole object); an empty
    // column asks whether any column of the object is granted.
    bool allows(const QString& action, const QString& object, const QString& column) const;

    // The server's permission error for a refused action, naming the column when the
    // login has rights on some columns of the object but not on this one.
    QString denial(const QString& action, const QString& object, const QString& column,
                   const QString& database) const;

private:
    static QString key(const QString& action, const QString& object, const QString& column);
    QSet<QString> grants_;
    QSet<QString> objects_; // action|object with at least one column granted
};

} // namespace embedded
