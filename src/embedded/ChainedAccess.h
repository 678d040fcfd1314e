// What the schema's own views and triggers do, so that only they act with their owner's
// rights: a sub-query, common table expression or alias that takes their name gains nothing.
#pragma once

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

struct sqlite3;

namespace embedded {

class Rights;

class ChainedAccess {
public:
    // Prepares (never runs) a read of every view and a write of every table with triggers,
    // noting each access SQLite reports inside a view or trigger. The handle's authorizer
    // is replaced while this runs; false when one could not be set.
    bool learn(sqlite3* handle);

    enum class Verdict { Allowed, ViewRefused, NotChained };

    // Allowed when the access reported inside `context` is one the view or trigger of that
    // name does itself and the login holds a right that reaches it (SELECT on the view, a
    // write on the trigger's table); ViewRefused when only the right on the view is missing;
    // NotChained when the access must be checked as the login's own.
    Verdict check(const QString& context, int action, const QString& object, const QString& column,
                  const Rights& rights) const;

    // Called by the recording authorizer.
    void note(int action, const char* a, const char* b, const char* context);

private:
    static QString key(int action, const QString& object, const QString& column);
    QHash<QString, QSet<QString>> accesses_; // context -> action|object|column
    QSet<QString> views_;
    QHash<QString, QString> triggers_; // trigger -> its table
};

} // namespace embedded
