// Calling the server's procedures: names, arguments, rights and the return value.
#include "db/DatabaseError.h"
#include "db/ValueCompare.h"
#include "embedded/EmbeddedServer.h"
#include "embedded/ProcedureCalls.h"
#include "embedded/Rights.h"

#include <limits>

namespace embedded {
namespace {

struct ProcedureInfo {
    const char* name;
    std::vector<const char*> parameters;
};

const ProcedureInfo Procedures[] = {
    {"GET_USER",
     {"login", "password", "new_password", "program", "address", "computer", "user", "mode",
      "new_password_length"}},
    {"InsertInto_SORT_MARK_MAG",
     {"group", "semester", "discipline", "examination", "discipline_chosen"}},
    {"SORT_MARK_MAG",
     {"group", "semester", "discipline", "examination", "id_teacher", "DoNotShow"}},
    {"CTRL_Z_Mark_mag", {"group", "semester"}},
};

const ProcedureInfo* findProcedure(const QString& name) {
    for (const ProcedureInfo& p : Procedures)
        if (name.compare(QLatin1String(p.name), Qt::CaseInsensitive) == 0)
            return &p;
    return nullptr;
}

QString withoutAt(const QString& name) {
    return name.startsWith(QLatin1Char('@')) ? name.mid(1) : name;
}

} // namespace

std::optional<qint32> integerArgument(const QVariant& value) {
    if (db::isNullValue(value))
        return std::nullopt;
    bool ok = false;
    qlonglong v = 0;
    if (value.typeId() == QMetaType::QString)
        v = value.toString().trimmed().toLongLong(&ok);
    else
        v = value.toLongLong(&ok);
    if (!ok || v < std::numeric_limits<qint32>::min() || v > std::numeric_limits<qint32>::max())
        throw db::DatabaseError(
            QStringLiteral("Ошибка при преобразовании типа данных varchar к int."));
    return qint32(v);
}

QString textArgument(const QVariant& value) {
    if (db::isNullValue(value))
        return QString();
    return value.toString();
}

void EmbeddedServer::checkExecute(const QString& procedure) {
    if (access_ == Access::Owner ||
        (rights_ && rights_->allows(QStringLiteral("EXECUTE"), procedure, QString())))
        return;
    throw db::DatabaseError(
        Rights().denial(QStringLiteral("EXECUTE"), procedure, QString(), database_));
}

namespace {

// The arguments of a call; the return value's place, if any, in returnValue.
std::vector<std::pair<QString, QVariant>> argumentsOf(const db::Parameters& parameters,
                                                      int& returnValue) {
    std::vector<std::pair<QString, QVariant>> arguments;
    returnValue = -1;
    for (int i = 0; i < parameters.count(); ++i) {
        const db::Parameter& p = parameters[i];
        if (p.direction == db::ParameterDirection::ReturnValue)
            returnValue = i;
        else
            arguments.emplace_back(p.name, p.value);
    }
    return arguments;
}

} // namespace

db::Result EmbeddedServer::callProcedure(const QString& name, db::Parameters& parameters,
                                         int timeoutSeconds) {
    int returnValue = -1;
    const auto arguments = argumentsOf(parameters, returnValue);
    db::Result result;
    guarded(timeoutSeconds,
            [&](int timeout) { result = callWithArguments(name, arguments, timeout); });
    if (returnValue >= 0)
        parameters[returnValue].value = 0;
    return result;
}

void EmbeddedServer::queryProcedure(const QString& name, db::Parameters& parameters,
                                    int timeoutSeconds, db::RowSink& sink) {
    int returnValue = -1;
    const auto arguments = argumentsOf(parameters, returnValue);
    guarded(timeoutSeconds, [&](int timeout) {
        const ProcedureCall call = resolveCall(name, arguments);
        // The journal's rows go to the sink as they are read; the other results are small.
        if (call.name == QLatin1String("SORT_MARK_MAG"))
            sortMarkMag(call.arguments, timeout, sink);
        else
            sink.take(runProcedure(call.name, call.arguments, timeout));
    });
    if (returnValue >= 0)
        parameters[returnValue].value = 0;
}

db::Result
EmbeddedServer::callWithArguments(const QString& name,
                                  const std::vector<std::pair<QString, QVariant>>& arguments,
                                  int timeoutSeconds) {
    const ProcedureCall call = resolveCall(name, arguments);
    return runProcedure(call.name, call.arguments, timeoutSeconds);
}

EmbeddedServer::ProcedureCall
EmbeddedServer::resolveCall(const QString& name,
                            const std::vector<std::pair<QString, QVariant>>& arguments) {
    QString bare = name.trimmed();
    const qsizetype semicolon = bare.indexOf(QLatin1Char(';'));
    if (semicolon >= 0)
        bare.truncate(semicolon);
    if (bare.startsWith(QLatin1String("dbo."), Qt::CaseInsensitive))
        bare.remove(0, 4);
    const ProcedureInfo* info = findProcedure(bare);
    if (info == nullptr)
        throw db::DatabaseError(
            QStringLiteral("Не удалось найти хранимую процедуру \"%1\".").arg(bare));
    const QString canonical = QLatin1String(info->name);

    // Named arguments go to their place, the others fill the places in order.
    std::vector<std::optional<QVariant>> args(info->parameters.size());
    size_t nextPosition = 0;
    for (const auto& [argName, value] : arguments) {
        const QString pname = withoutAt(argName);
        if (pname.compare(QLatin1String("RETURN_VALUE"), Qt::CaseInsensitive) == 0)
            continue;
        size_t place = info->parameters.size();
        for (size_t k = 0; k < info->parameters.size(); ++k)
            if (pname.compare(QLatin1String(info->parameters[k]), Qt::CaseInsensitive) == 0)
                place = k;
        if (place == info->parameters.size()) {
            if (!pname.isEmpty())
                throw db::DatabaseError(
                    QStringLiteral("@%1 не является параметром для процедуры %2.")
                        .arg(pname, canonical));
            while (nextPosition < args.size() && args[nextPosition].has_value())
                ++nextPosition;
            if (nextPosition >= args.size())
                throw db::DatabaseError(
                    QStringLiteral("Для процедуры или функции %1 задано слишком много аргументов.")
                        .arg(canonical));
            place = nextPosition;
        }
        args[place] = value;
    }
    std::vector<QVariant> values;
    for (size_t k = 0; k < args.size(); ++k) {
        if (!args[k].has_value())
            throw db::DatabaseError(
                QStringLiteral("Процедура или функция \"%1\" ожидает параметр \"@%2\", который не "
                               "был указан.")
                    .arg(canonical, QLatin1String(info->parameters[k])));
        values.push_back(*args[k]);
    }
    checkExecute(canonical);
    return {canonical, std::move(values)};
}

db::Result EmbeddedServer::runProcedure(const QString& name, const std::vector<QVariant>& args,
                                        int timeoutSeconds) {
    if (name == QLatin1String("GET_USER"))
        return getUser(args);
    if (name == QLatin1String("InsertInto_SORT_MARK_MAG"))
        return insertIntoSortMarkMag(args);
    if (name == QLatin1String("SORT_MARK_MAG"))
        return sortMarkMag(args, timeoutSeconds);
    return ctrlZMarkMag(args);
}

} // namespace embedded
