// Starting, scripting and reading the TDS stand-in through JSON lines on its stdin and stdout.
#include "StandIn.h"

#include <gtest/gtest.h>

#include <QJsonDocument>

namespace tdstest {

namespace {

constexpr int kAnswerMs = 10000;

QJsonObject readLine(QProcess& process) {
    while (!process.canReadLine()) {
        if (!process.waitForReadyRead(kAnswerMs)) {
            ADD_FAILURE() << "the TDS stand-in did not answer: "
                          << process.readAllStandardError().toStdString();
            return {};
        }
    }
    return QJsonDocument::fromJson(process.readLine()).object();
}

} // namespace

StandIn::StandIn() {
    process_.setProcessChannelMode(QProcess::SeparateChannels);
    process_.start(QStringLiteral(KEL_PYTHON3), {QStringLiteral(KEL_TDS_STANDIN)});
    if (!process_.waitForStarted(kAnswerMs)) {
        ADD_FAILURE() << "the TDS stand-in did not start: " << process_.errorString().toStdString();
        return;
    }
    const QJsonObject hello = readLine(process_);
    port_ = hello.value(QStringLiteral("port")).toInt();
    browserPort_ = hello.value(QStringLiteral("browser")).toInt();
    EXPECT_GT(port_, 0) << "the TDS stand-in named no port";
}

StandIn::~StandIn() {
    if (process_.state() == QProcess::NotRunning)
        return;
    // Its stdin closing ends it; a stand-in that hangs is killed.
    process_.closeWriteChannel();
    if (!process_.waitForFinished(kAnswerMs)) {
        ADD_FAILURE() << "the TDS stand-in did not stop";
        process_.kill();
        process_.waitForFinished(kAnswerMs);
    }
    const QByteArray faults = process_.readAllStandardError();
    EXPECT_TRUE(faults.isEmpty()) << "the TDS stand-in reported: " << faults.toStdString();
}

QString StandIn::settings(const QString& user, const QString& password) const {
    return QStringLiteral("Provider=SQLOLEDB.1;Password=%1;Persist Security Info=True;User ID=%2;"
                          "Initial Catalog=KEL;Data Source=127.0.0.1,%3")
        .arg(password, user)
        .arg(port_);
}

QJsonObject StandIn::command(QJsonObject request) {
    if (process_.state() != QProcess::Running) {
        ADD_FAILURE() << "the TDS stand-in is not running";
        return {};
    }
    process_.write(QJsonDocument(request).toJson(QJsonDocument::Compact) + '\n');
    const QJsonObject reply = readLine(process_);
    EXPECT_TRUE(reply.value(QStringLiteral("ok")).toBool())
        << "the TDS stand-in refused " << QJsonDocument(request).toJson().toStdString();
    return reply;
}

void StandIn::setRules(const QJsonArray& rules) {
    command(
        {{QStringLiteral("command"), QStringLiteral("rules")}, {QStringLiteral("rules"), rules}});
}

void StandIn::setLogins(const QJsonObject& logins) {
    command({{QStringLiteral("command"), QStringLiteral("logins")},
             {QStringLiteral("logins"), logins}});
}

void StandIn::setInstances(const QJsonObject& instances) {
    command({{QStringLiteral("command"), QStringLiteral("instances")},
             {QStringLiteral("instances"), instances}});
}

void StandIn::setSilentLogin(bool silent) {
    command({{QStringLiteral("command"), QStringLiteral("silent")},
             {QStringLiteral("silent"), silent}});
}

int StandIn::drop() {
    return command({{QStringLiteral("command"), QStringLiteral("drop")}})
        .value(QStringLiteral("dropped"))
        .toInt();
}

QJsonArray StandIn::events() {
    return command({{QStringLiteral("command"), QStringLiteral("events")}})
        .value(QStringLiteral("events"))
        .toArray();
}

void StandIn::clear() {
    command({{QStringLiteral("command"), QStringLiteral("clear")}});
}

QJsonArray StandIn::eventsOf(const QString& kind) {
    QJsonArray found;
    for (const QJsonValue& e : events()) {
        if (e[QStringLiteral("event")].toString() == kind)
            found.append(e);
    }
    return found;
}

QStringList StandIn::statements() {
    QStringList texts;
    for (const QJsonValue& e : events()) {
        const QString kind = e[QStringLiteral("event")].toString();
        if (kind == QLatin1String("batch") ||
            (kind == QLatin1String("rpc") && e[QStringLiteral("sql")].isString()))
            texts << e[QStringLiteral("sql")].toString();
        else if (kind == QLatin1String("rpc"))
            texts << e[QStringLiteral("proc")].toString();
    }
    return texts;
}

QJsonObject rows(const QJsonArray& columns, std::initializer_list<QJsonArray> values) {
    // Built one by one: a braced list of one QJsonArray would be taken for a copy of it.
    QJsonArray all;
    for (const QJsonArray& row : values)
        all.append(row);
    return {{QStringLiteral("rows"),
             QJsonObject{{QStringLiteral("columns"), columns}, {QStringLiteral("rows"), all}}}};
}

QJsonObject column(const QString& name, const QString& type, int size) {
    QJsonObject c{{QStringLiteral("name"), name}, {QStringLiteral("type"), type}};
    if (size > 0)
        c.insert(QStringLiteral("size"), size);
    return c;
}

QJsonObject count(int rows) {
    return {{QStringLiteral("count"), rows}};
}

QJsonObject noCount() {
    return {{QStringLiteral("done"), true}};
}

QJsonObject error(int number, const QString& message, int severity) {
    return {{QStringLiteral("error"), QJsonObject{{QStringLiteral("number"), number},
                                                  {QStringLiteral("message"), message},
                                                  {QStringLiteral("class"), severity}}}};
}

QJsonObject rule(const QString& match, const QJsonArray& reply, bool once) {
    QJsonObject r{{QStringLiteral("match"), match}, {QStringLiteral("reply"), reply}};
    if (once)
        r.insert(QStringLiteral("once"), true);
    return r;
}

} // namespace tdstest
