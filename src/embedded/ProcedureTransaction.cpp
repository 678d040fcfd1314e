// The procedures' transaction guard.
#include "embedded/ProcedureTransaction.h"

#include <sqlite3.h>

namespace embedded {

ProcedureTransaction::ProcedureTransaction(EmbeddedServer& server)
    : server_(server) {
    nested_ = sqlite3_get_autocommit(server_.handle()) == 0;
    if (nested_)
        server_.run(QStringLiteral("SAVEPOINT kel_procedure"));
    else
        server_.beginTransaction();
}

ProcedureTransaction::~ProcedureTransaction() {
    if (done_)
        return;
    try {
        if (nested_) {
            server_.run(QStringLiteral("ROLLBACK TO kel_procedure"));
            server_.run(QStringLiteral("RELEASE kel_procedure"));
        } else {
            server_.rollback();
        }
    } catch (...) {
        // The error that brought us here is the one to report.
    }
}

void ProcedureTransaction::commit() {
    if (nested_)
        server_.run(QStringLiteral("RELEASE kel_procedure"));
    else
        server_.commit();
    done_ = true;
}

} // namespace embedded
