// How a wait for the database is shown while the window keeps painting: the window that shows
// it belongs to a higher layer, which installs the hook on a connection.
#pragma once

#include <QString>

#include <functional>

class QObject;

namespace db {

class Connection;

// What the notice says after a second of waiting, and again each second.
struct WaitState {
    QString what;                 // what is waited for, as the user reads it
    int seconds = 0;              // how long so far
    std::function<void()> cancel; // empty while the wait may not be cancelled
};

struct WaitHook {
    std::function<void(const WaitState&)> show; // shows or updates the notice
    std::function<void()> hide;                 // the wait is over (only after a show)
    // Input sent to this receiver is taken during a wait (the notice's own button); every
    // other key, click and close is held and handed on, in order, once the wait is over.
    std::function<bool(QObject*)> takesInput;
};

// Names what the statements sent while it lives are waited for; `cancellable` lets the user
// cancel them from the notice at once, not only past their time-out (a journal load).
class WaitPurpose {
public:
    WaitPurpose(Connection& connection, const QString& what, bool cancellable);
    ~WaitPurpose();
    WaitPurpose(const WaitPurpose&) = delete;
    WaitPurpose& operator=(const WaitPurpose&) = delete;

private:
    Connection& connection_;
    QString what_;
    bool cancellable_;
};

} // namespace db
