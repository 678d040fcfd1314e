// A write transaction of the client's own, so that a row and its audit records are stored
// together or not at all.
#pragma once

namespace db {

class Connection;

// Begins a transaction, or joins the one the connection already has. Destroyed without
// commit() it rolls back; a joined one leaves the outer transaction to roll back at its end.
// Never throws from the destructor.
class Transaction {
public:
    explicit Transaction(Connection& connection);
    ~Transaction();
    // Ends the transaction (the outermost only); throws when the server refuses or the outer
    // transaction was already given up by a joined one.
    void commit();

    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

private:
    Connection& connection_;
    bool joined_ = false;
    bool done_ = false;
};

} // namespace db
