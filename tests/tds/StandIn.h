// The test side of the TDS stand-in (tds_standin.py): starts it, scripts it, reads what it got.
#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QProcess>
#include <QString>

#include <initializer_list>

namespace tdstest {

// One stand-in process on 127.0.0.1, stopped with the object. Every exchange waits at most
// a few seconds and fails the test when the stand-in does not answer.
class StandIn {
public:
    StandIn();
    ~StandIn();
    StandIn(const StandIn&) = delete;
    StandIn& operator=(const StandIn&) = delete;

    bool running() const { return port_ > 0; }
    int port() const { return port_; }
    int browserPort() const { return browserPort_; }

    // The client's connection settings for this stand-in ("Data Source=127.0.0.1,port").
    QString settings(const QString& user = QStringLiteral("u"),
                     const QString& password = QStringLiteral("p")) const;

    // Rules are tried in order; the first whose "match" (a regular expression, case-insensitive)
    // finds the statement text or procedure name gives the reply. See tds_standin.py.
    void setRules(const QJsonArray& rules);
    // Only these logins and passwords may sign in; without any, everyone may.
    void setLogins(const QJsonObject& logins);
    // Instance names the SQL Browser answers for, each with the port it names (0: the stand-in's).
    void setInstances(const QJsonObject& instances);
    // New connections are taken and never answered, not even the login's first message.
    void setSilentLogin(bool silent);
    // Closes every client connection; returns how many there were.
    int drop();
    // Everything received since the start or the last clear(), oldest first.
    QJsonArray events();
    void clear();

    // The events of one kind ("login", "batch", "rpc", ...).
    QJsonArray eventsOf(const QString& kind);
    // The statement texts received, batches and parameterised statements alike, in order.
    QStringList statements();

private:
    QJsonObject command(QJsonObject request);

    QProcess process_;
    int port_ = 0;
    int browserPort_ = 0;
};

// One reply action, e.g. rows({{"id","int"}}, {{1}}).
QJsonObject rows(const QJsonArray& columns, std::initializer_list<QJsonArray> values);
QJsonObject column(const QString& name, const QString& type, int size = 0);
QJsonObject count(int rows);
QJsonObject noCount();
QJsonObject error(int number, const QString& message, int severity = 16);
QJsonObject rule(const QString& match, const QJsonArray& reply, bool once = false);

} // namespace tdstest
