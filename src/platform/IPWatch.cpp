#include "platform/IPWatch.h"

#include <QAbstractSocket>
#include <QFile>
#include <QHostAddress>
#include <QHostInfo>
#include <QMutexLocker>
#include <QSaveFile>
#include <QThread>

namespace platform {

QString resolveLocalAddress() {
    const QHostInfo info = QHostInfo::fromName(QHostInfo::localHostName());
    for (const QHostAddress& address : info.addresses()) {
        if (address.protocol() == QAbstractSocket::IPv4Protocol)
            return address.toString();
    }
    return {};
}

IPWatch::IPWatch(QObject* parent, bool active)
    : QObject(parent)
    , resolver_(&resolveLocalAddress) {
    setActive(active);
}

IPWatch::~IPWatch() {
    setActive(false);
    writeHistory();
}

void IPWatch::setHistoryFile(const QString& path) {
    QMutexLocker lock(&mutex_);
    historyFile_ = path;
}

QString IPWatch::historyFile() const {
    QMutexLocker lock(&mutex_);
    return historyFile_;
}

void IPWatch::setResolver(Resolver resolver) {
    QMutexLocker lock(&mutex_);
    resolver_ = std::move(resolver);
}

void IPWatch::setInterval(int milliseconds) {
    QMutexLocker lock(&mutex_);
    interval_ = milliseconds;
    wake_.wakeAll();
}

void IPWatch::setActive(bool on) {
    if (on == active())
        return;
    if (on) {
        {
            QMutexLocker lock(&mutex_);
            stopping_ = false;
        }
        thread_ = QThread::create([this] { run(); });
        thread_->setObjectName(QStringLiteral("IPWatch"));
        thread_->start();
        return;
    }
    {
        QMutexLocker lock(&mutex_);
        stopping_ = true;
        wake_.wakeAll();
    }
    // A lookup under way is let finish; resolving the local name does not take long.
    thread_->wait();
    delete thread_;
    thread_ = nullptr;
}

bool IPWatch::active() const {
    return thread_ != nullptr;
}

QString IPWatch::currentIP() const {
    QMutexLocker lock(&mutex_);
    return current_;
}

bool IPWatch::hasAddress() const {
    QMutexLocker lock(&mutex_);
    return !current_.isEmpty();
}

QStringList IPWatch::history() const {
    QMutexLocker lock(&mutex_);
    return history_;
}

quint64 IPWatch::checkCount() const {
    QMutexLocker lock(&mutex_);
    return checks_;
}

QString IPWatch::addressNow() {
    if (!hasAddress())
        checkNow();
    return currentIP();
}

void IPWatch::checkNow() {
    Resolver resolve;
    {
        QMutexLocker lock(&mutex_);
        resolve = resolver_;
    }
    // The lookup runs unlocked so that readers are never held up by it.
    const QString address = resolve ? resolve() : QString();
    QMutexLocker lock(&mutex_);
    ++checks_;
    if (address.isEmpty())
        return; // a failed lookup keeps the last address known
    current_ = address;
    if (!history_.isEmpty() && history_.last() == address)
        return;
    history_.removeAll(address);
    history_.append(address);
    while (history_.size() > MaxHistoryEntries)
        history_.removeFirst();
}

void IPWatch::run() {
    QMutexLocker lock(&mutex_);
    while (!stopping_) {
        lock.unlock();
        checkNow();
        lock.relock();
        if (stopping_)
            break;
        wake_.wait(&mutex_, static_cast<unsigned long>(interval_));
    }
}

void IPWatch::writeHistory() const {
    QMutexLocker lock(&mutex_);
    if (historyFile_.isEmpty())
        return;
    QSaveFile file(historyFile_);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return; // a destructor has nobody to tell; the history is only informative
    for (const QString& address : history_)
        file.write(address.toLatin1() + '\n');
    file.commit();
}

} // namespace platform
