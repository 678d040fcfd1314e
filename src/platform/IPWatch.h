// The local-address watcher: the machine's IPv4 address, re-checked on a thread of its own.
#pragma once

#include <QMutex>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QWaitCondition>

#include <functional>

class QThread;

namespace platform {

// Resolves the local host name to its first IPv4 address in dotted decimal form; empty
// when the name does not resolve to one. Blocks, so only the watcher's thread calls it.
QString resolveLocalAddress();

// Watches the local address while it exists. Readers never wait for a lookup: they get the
// address the last check found. A history of distinct addresses is kept and, when a file
// is named, written there one address per line as the watcher is destroyed.
class IPWatch : public QObject {
    Q_OBJECT
public:
    using Resolver = std::function<QString()>;
    static constexpr int MaxHistoryEntries = 25;
    static constexpr int DefaultInterval = 1000;

    // Active from creation unless told otherwise.
    explicit IPWatch(QObject* parent = nullptr, bool active = true);
    ~IPWatch() override;

    // The file the history is written to on destruction; empty (the default): none.
    void setHistoryFile(const QString& path);
    QString historyFile() const;
    // Where addresses come from (the local host name's resolution unless replaced); set it
    // before activating.
    void setResolver(Resolver resolver);
    void setInterval(int milliseconds);

    void setActive(bool on);
    bool active() const;

    // The address of the last check that found one; empty before any did.
    QString currentIP() const;
    // The address now: the last one found, or, before any check found one, a lookup made on
    // the calling thread. Empty only when the lookup finds nothing.
    QString addressNow();
    bool hasAddress() const;
    // Distinct addresses in the order they were last seen, oldest first.
    QStringList history() const;
    // How many checks have finished.
    quint64 checkCount() const;

    // One check on the calling thread.
    void checkNow();

private:
    void run();
    void writeHistory() const;

    mutable QMutex mutex_;
    QWaitCondition wake_;
    QThread* thread_ = nullptr;
    bool stopping_ = false;
    int interval_ = DefaultInterval;
    Resolver resolver_;
    QString current_;
    QStringList history_;
    QString historyFile_;
    quint64 checks_ = 0;
};

} // namespace platform
