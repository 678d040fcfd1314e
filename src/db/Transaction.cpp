// The client's write transaction guard.
#include "db/Transaction.h"

#include "db/Connection.h"
#include "db/DatabaseError.h"

namespace db {

Transaction::Transaction(Connection& connection)
    : connection_(connection) {
    joined_ = connection_.transactionDepth_ > 0;
    if (!joined_) {
        Driver& d = connection_.driver();
        connection_.perform(0, [&] { d.beginTransaction(); });
        connection_.givenUp_ = false;
    }
    ++connection_.transactionDepth_;
}

Transaction::~Transaction() {
    if (done_)
        return;
    --connection_.transactionDepth_;
    if (joined_) {
        connection_.givenUp_ = true;
        return;
    }
    connection_.givenUp_ = false;
    // A link lost in the middle took the transaction with it; opening a new one to roll
    // back would only fail.
    if (!connection_.connected())
        return;
    try {
        Driver& d = connection_.driver();
        connection_.perform(0, [&] { d.rollback(); });
    } catch (...) {
        // The error that brought us here is the one to report.
    }
}

void Transaction::commit() {
    done_ = true;
    --connection_.transactionDepth_;
    if (joined_)
        return;
    if (connection_.givenUp_) {
        connection_.givenUp_ = false;
        try {
            connection_.driver().rollback();
        } catch (...) {
        }
        throw DatabaseError(ErrorKind::Other,
                            QStringLiteral("Изменение не сохранено: часть его не была записана."));
    }
    if (!connection_.connected())
        throw DatabaseError(QStringLiteral("Связь с сервером потеряна; изменение не сохранено."),
                            QStringLiteral("08S01"));
    try {
        Driver& d = connection_.driver();
        connection_.perform(0, [&] { d.commit(); });
    } catch (...) {
        if (connection_.connected()) {
            try {
                Driver& d = connection_.driver();
                connection_.perform(0, [&] { d.rollback(); });
            } catch (...) {
            }
        }
        throw;
    }
}

} // namespace db
