// One transaction around a procedure: BEGIN IMMEDIATE, or a savepoint inside a transaction
// the session already has; rolled back unless committed.
#pragma once

#include "embedded/EmbeddedServer.h"

namespace embedded {

class ProcedureTransaction {
public:
    explicit ProcedureTransaction(EmbeddedServer& server);
    ~ProcedureTransaction();
    void commit();

    ProcedureTransaction(const ProcedureTransaction&) = delete;
    ProcedureTransaction& operator=(const ProcedureTransaction&) = delete;

private:
    EmbeddedServer& server_;
    bool nested_ = false;
    bool done_ = false;
};

} // namespace embedded
