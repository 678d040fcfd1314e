// Statements through FreeTDS against the stand-in: typed rows, counts, errors, procedures,
// time-outs and how parameters are declared.
#include "TdsFixture.h"

#include "db/DataSet.h"
#include "db/Field.h"
#include "db/OdbcDriver.h"

#include <QDateTime>
#include <QElapsedTimer>

using namespace tdstest;

namespace {

class TdsStatement : public TdsTest {
protected:
    void SetUp() override {
        TdsTest::SetUp();
        connect(connection_);
    }

    db::Connection connection_;
};

TEST_F(TdsStatement, RowsComeBackTyped) {
    standIn_.setRules(
        {rule(QStringLiteral("^select"),
              {rows({column(QStringLiteral("id"), QStringLiteral("int")),
                     column(QStringLiteral("fio"), QStringLiteral("varchar"), 40),
                     column(QStringLiteral("p20"), QStringLiteral("nvarchar"), 10),
                     column(QStringLiteral("taken"), QStringLiteral("datetime")),
                     column(QStringLiteral("paid"), QStringLiteral("bit")),
                     column(QStringLiteral("score"), QStringLiteral("float"))},
                    {{7, QStringLiteral("Иванов Пётр"), QStringLiteral("ИС-21"),
                      QStringLiteral("2024-03-05 14:30:00.003"), true, 4.5},
                     {8, QJsonValue(), QStringLiteral(""), QJsonValue(), false, QJsonValue()}})})});
    const db::Result r = connection_.query(QStringLiteral("select * from marks"));
    ASSERT_EQ(r.columns.size(), 6u);
    const db::FieldType types[] = {db::FieldType::Integer,    db::FieldType::String,
                                   db::FieldType::WideString, db::FieldType::DateTime,
                                   db::FieldType::Boolean,    db::FieldType::Float};
    for (size_t i = 0; i < r.columns.size(); ++i)
        EXPECT_EQ(r.columns[i].type, types[i]) << r.columns[i].name.toStdString();
    EXPECT_EQ(r.columns[1].size, 40);
    ASSERT_EQ(r.rows.size(), 2u);
    EXPECT_EQ(r.rows[0][0], QVariant::fromValue<qint32>(7));
    EXPECT_EQ(r.rows[0][1].toString(), QStringLiteral("Иванов Пётр")) << "code page 1251 text";
    EXPECT_EQ(r.rows[0][2].toString(), QStringLiteral("ИС-21"));
    EXPECT_EQ(r.rows[0][3].toDateTime(), QDateTime(QDate(2024, 3, 5), QTime(14, 30, 0, 3)));
    EXPECT_EQ(r.rows[0][4], QVariant(true));
    EXPECT_DOUBLE_EQ(r.rows[0][5].toDouble(), 4.5);
    EXPECT_FALSE(r.rows[1][1].isValid()) << "a null is an invalid QVariant";
    EXPECT_TRUE(r.rows[1][2].isValid()) << "an empty text is not a null";
    EXPECT_FALSE(r.rows[1][3].isValid());
}

// With NOCOUNT the server sends no count: that is "unknown" (-1), never "no rows" (0).
// FreeTDS answers a count of 0 with success and keeps "no data" for no count at all, so the
// count read after "no data" is watched by the ODBC tests over the SQLite ODBC driver.
TEST_F(TdsStatement, RowCountsAreTheServersOrUnknown) {
    const struct {
        const char* title;
        QJsonObject reply;
        int expected;
    } cases[] = {
        {"two rows", count(2), 2},
        {"no row matched", count(0), 0},
        {"no count sent", noCount(), -1},
    };
    for (const auto& c : cases) {
        standIn_.setRules({rule(QStringLiteral("^update"), {c.reply})});
        EXPECT_EQ(connection_.execute(QStringLiteral("UPDATE t SET a = 1")), c.expected) << c.title;
        EXPECT_EQ(connection_.execute(QStringLiteral("UPDATE t SET a = ? WHERE b = ?"),
                                      {QStringLiteral("x"), 5}),
                  c.expected)
            << c.title << ", with parameters";
    }
}

TEST_F(TdsStatement, ErrorsCarryTheServersTextStateAndNumber) {
    standIn_.setRules({rule(QStringLiteral("^select"),
                            {error(208, QStringLiteral("Invalid object name 'missing'."))})});
    const auto e = errorOf([&] { connection_.query(QStringLiteral("select * from missing")); });
    ASSERT_TRUE(e);
    EXPECT_EQ(e->message(), QStringLiteral("Invalid object name 'missing'."));
    EXPECT_EQ(e->sqlState(), QStringLiteral("42S02"));
    EXPECT_EQ(e->nativeError(), 208);
    EXPECT_FALSE(e->connectionLost());
    EXPECT_TRUE(connection_.connected()) << "a refused statement keeps the connection";
}

// A procedure that returns its rows and then raises keeps the rows, as the first recordset
// of an ADO command does; one that raises before any row fails.
TEST_F(TdsStatement, AnErrorAfterTheRowsKeepsThem) {
    const QJsonObject someRows =
        rows({column(QStringLiteral("id"), QStringLiteral("int"))}, {{1}, {2}});
    const QJsonObject late = error(50000, QStringLiteral("too late"));
    standIn_.setRules({rule(QStringLiteral("^select rows"), {someRows, late}),
                       rule(QStringLiteral("^select none"), {late, someRows})});
    const db::Result r = connection_.query(QStringLiteral("select rows"));
    EXPECT_EQ(r.rows.size(), 2u);
    const auto e = errorOf([&] { connection_.query(QStringLiteral("select none")); });
    ASSERT_TRUE(e);
    EXPECT_EQ(e->message(), QStringLiteral("too late"));
    EXPECT_EQ(e->nativeError(), 50000);
}

TEST_F(TdsStatement, ABatchKeepsItsFirstRowsAndDrainsTheRest) {
    standIn_.setRules(
        {rule(QStringLiteral("^exec"),
              {count(3), rows({column(QStringLiteral("a"), QStringLiteral("int"))}, {{1}}),
               rows({column(QStringLiteral("b"), QStringLiteral("nvarchar"), 5)}, {{"x"}, {"y"}}),
               count(4)})});
    for (int round = 0; round < 2; ++round) {
        const db::Result r = connection_.query(QStringLiteral("exec InsertInto_SORT_MARK_MAG"));
        ASSERT_EQ(r.columns.size(), 1u) << "round " << round;
        EXPECT_EQ(r.columns[0].name, QStringLiteral("a"));
        EXPECT_EQ(r.rows.size(), 1u);
    }
}

TEST_F(TdsStatement, AProcedureReturnsRowsOutputsAndItsStatus) {
    standIn_.setRules({rule(
        QStringLiteral("^SORT_MARK_MAG$"),
        {rows({column(QStringLiteral("id_mark_mag"), QStringLiteral("int"))}, {{10}, {11}}),
         QJsonObject{{QStringLiteral("status"), 7},
                     {QStringLiteral("outputs"), QJsonArray{42, QStringLiteral("Готово")}}}})});
    const auto parameter = [](const char* name, db::ParameterDirection direction,
                              db::FieldType type, QVariant value) {
        db::Parameter p;
        p.name = QString::fromLatin1(name);
        p.direction = direction;
        p.type = type;
        p.size = 20;
        p.value = std::move(value);
        return p;
    };
    using D = db::ParameterDirection;
    db::Parameters parameters;
    parameters.add(parameter("@RETURN_VALUE", D::ReturnValue, db::FieldType::Integer, {}));
    parameters.add(parameter("@group", D::Input, db::FieldType::Integer, 10));
    parameters.add(parameter("@count", D::Output, db::FieldType::Integer, {}));
    parameters.add(
        parameter("@note", D::InputOutput, db::FieldType::WideString, QStringLiteral("до")));
    const db::Result r =
        connection_.callProcedure(QStringLiteral("SORT_MARK_MAG;1"), parameters, 120);
    EXPECT_EQ(r.rows.size(), 2u);
    EXPECT_EQ(parameters[0].value.toInt(), 7);
    EXPECT_EQ(parameters[2].value.toInt(), 42);
    EXPECT_EQ(parameters[3].value.toString(), QStringLiteral("Готово"));

    const QJsonArray calls = standIn_.eventsOf(QStringLiteral("rpc"));
    ASSERT_FALSE(calls.isEmpty());
    const QJsonArray sent = calls.last()[QStringLiteral("params")].toArray();
    ASSERT_EQ(sent.size(), 3);
    EXPECT_EQ(sent[0][QStringLiteral("value")].toInt(), 10);
    EXPECT_FALSE(sent[0][QStringLiteral("output")].toBool());
    EXPECT_TRUE(sent[1][QStringLiteral("output")].toBool());
    EXPECT_EQ(sent[2][QStringLiteral("value")].toString(), QStringLiteral("до"));
}

TEST_F(TdsStatement, ATimeOutCancelsTheStatementAndKeepsTheConnection) {
    standIn_.setRules({rule(QStringLiteral("^exec slow"), {QJsonObject{{"hold", true}}}),
                       rule(QStringLiteral("^select"),
                            {rows({column(QStringLiteral("a"), QStringLiteral("int"))}, {{1}})})});
    const auto e = errorOf([&] { connection_.query(QStringLiteral("exec slow"), {}, 1); });
    ASSERT_TRUE(e);
    EXPECT_EQ(e->sqlState(), QStringLiteral("HYT00"));
    EXPECT_FALSE(e->connectionLost());
    EXPECT_EQ(standIn_.eventsOf(QStringLiteral("attention")).size(), 1)
        << "the server was told to stop";
    EXPECT_EQ(connection_.query(QStringLiteral("select 1")).rows.size(), 1u);
}

// A server that answers neither the statement nor the cancel costs the time-out once, not
// twice (FreeTDS alone waits a full time-out again for the cancel's answer): the link is cut,
// the user is told in Russian, and the next statement connects again.
TEST_F(TdsStatement, ASilentServerCostsTheTimeOutOnce) {
    standIn_.setRules(
        {rule(QStringLiteral("^exec slow"),
              {QJsonObject{{QStringLiteral("hold"), true}, {QStringLiteral("deaf"), true}}}),
         rule(QStringLiteral("^select"),
              {rows({column(QStringLiteral("a"), QStringLiteral("int"))}, {{1}})})});
    constexpr int timeout = 3;
    QElapsedTimer clock;
    clock.start();
    const auto e = errorOf([&] { connection_.query(QStringLiteral("exec slow"), {}, timeout); });
    const qint64 took = clock.elapsed();
    ASSERT_TRUE(e);
    EXPECT_LT(took, 2 * timeout * 1000) << "the time-out was doubled";
    EXPECT_EQ(e->sqlState(), QStringLiteral("HYT00"));
    EXPECT_TRUE(e->message().startsWith(QStringLiteral("Сервер не ответил за 3 с")))
        << e->message().toStdString();
    EXPECT_EQ(standIn_.eventsOf(QStringLiteral("attention")).size(), 1);
    EXPECT_EQ(connection_.query(QStringLiteral("select 1")).rows.size(), 1u);
    EXPECT_EQ(standIn_.eventsOf(QStringLiteral("login")).size(), 2) << "connected again";
}

// Texts are declared at one size, so the server keeps one plan; an old date-time goes as
// ISO text, which the server reads the same under any SET DATEFORMAT.
TEST_F(TdsStatement, ParametersAreDeclaredAtFixedSizes) {
    standIn_.setRules({rule(QStringLiteral("^update"), {count(1)})});
    const QDateTime old(QDate(2024, 3, 5), QTime(14, 30, 0, 7));
    connection_.execute(
        QStringLiteral("UPDATE mark_mag SET p35 = ? WHERE id_mark_mag = ? AND p36 = ?"),
        {QStringLiteral("зачёт"), 10, old});
    connection_.execute(QStringLiteral("UPDATE mark_mag SET p35 = ? WHERE id_mark_mag = ?"),
                        {QStringLiteral("a much longer text than before"), 11});
    const QJsonArray calls = standIn_.eventsOf(QStringLiteral("rpc"));
    ASSERT_EQ(calls.size(), 2);
    EXPECT_EQ(
        calls[0][QStringLiteral("sql")].toString(),
        QStringLiteral("UPDATE mark_mag SET p35 = @P1 WHERE id_mark_mag = @P2 AND p36 = @P3"));
    EXPECT_EQ(calls[0][QStringLiteral("declarations")].toString(),
              QStringLiteral("@P1 NVARCHAR(4000),@P2 INT,@P3 NVARCHAR(4000)"));
    EXPECT_EQ(calls[1][QStringLiteral("declarations")].toString(),
              QStringLiteral("@P1 NVARCHAR(4000),@P2 INT"));
    const QJsonArray values = calls[0][QStringLiteral("params")].toArray();
    ASSERT_EQ(values.size(), 3);
    EXPECT_EQ(values[0][QStringLiteral("value")].toString(), QStringLiteral("зачёт"));
    EXPECT_EQ(values[2][QStringLiteral("value")].toString(),
              QStringLiteral("2024-03-05T14:30:00.007"));
}

} // namespace

namespace {

// What the server saw, in order: statements by their first word, transactions by their request.
QStringList conversation(StandIn& standIn) {
    QStringList seen;
    for (const QJsonValue& v : standIn.events()) {
        const QJsonObject e = v.toObject();
        const QString kind = e.value(QStringLiteral("event")).toString();
        if (kind == QStringLiteral("transaction"))
            seen << e.value(QStringLiteral("request")).toString();
        else if (e.contains(QStringLiteral("sql")))
            seen << e.value(QStringLiteral("sql")).toString().section(u' ', 0, 0).toUpper();
    }
    return seen;
}

} // namespace

// A journal row and its audit record reach SQL Server inside one transaction, committed after
// both; a refused record rolls the row back.
TEST_F(TdsStatement, ARowAndItsRecordAreOneTransaction) {
    standIn_.setRules({rule(QStringLiteral("^select"),
                            {rows({column(QStringLiteral("id"), QStringLiteral("int")),
                                   column(QStringLiteral("p35"), QStringLiteral("varchar"), 10)},
                                  {{1, QStringLiteral("a")}})}),
                       rule(QStringLiteral("^update"), {count(1)}),
                       rule(QStringLiteral("refused"),
                            {error(229, QStringLiteral("The INSERT permission was denied on the "
                                                       "object 'KEL_LOG'."))}),
                       rule(QStringLiteral("^insert"), {count(1)})});
    db::DataSet marks(db::DataSetKind::Query);
    marks.setConnection(&connection_);
    marks.setSql(QStringLiteral("select id, p35 from marks"));
    marks.setUpdateTable(QStringLiteral("marks"), QStringLiteral("id"));
    marks.open();
    QString record = QStringLiteral("INSERT INTO KEL_LOG(descr) VALUES('a → b')");
    marks.whilePosting = [&](db::DataSet&) { connection_.execute(record); };

    standIn_.clear();
    marks.edit();
    marks.fieldByName(QStringLiteral("p35"))->setValue(QStringLiteral("b"));
    marks.post();
    // FreeTDS then ends the empty transaction its commit opened, with a rollback.
    EXPECT_EQ(conversation(standIn_).mid(0, 4),
              (QStringList{QStringLiteral("begin"), QStringLiteral("UPDATE"),
                           QStringLiteral("INSERT"), QStringLiteral("commit")}));

    standIn_.clear();
    record = QStringLiteral("INSERT INTO KEL_LOG(descr) VALUES('refused')");
    marks.edit();
    marks.fieldByName(QStringLiteral("p35"))->setValue(QStringLiteral("c"));
    try {
        marks.post();
        ADD_FAILURE() << "the post went through";
    } catch (const db::DatabaseError& e) {
        EXPECT_EQ(e.kind(), db::ErrorKind::RightRefused);
    }
    const QStringList seen = conversation(standIn_);
    ASSERT_FALSE(seen.isEmpty());
    EXPECT_EQ(seen.front(), QStringLiteral("begin"));
    EXPECT_TRUE(seen.contains(QStringLiteral("rollback"))) << seen.join(u' ').toStdString();
    EXPECT_FALSE(seen.contains(QStringLiteral("commit"))) << seen.join(u' ').toStdString();
    EXPECT_EQ(marks.state(), db::DataSetState::Edit);
    marks.cancel();

    // The connection works on as before, one statement at a time.
    standIn_.clear();
    EXPECT_EQ(connection_.execute(QStringLiteral("UPDATE marks SET p35 = 'd'")), 1);
    EXPECT_EQ(conversation(standIn_), QStringList{QStringLiteral("UPDATE")});
}

// A server that sends no row count (NOCOUNT ON) does not say whether the UPDATE found its row:
// the row is read back, and a row that holds another value is a conflict, never a saved change.
TEST_F(TdsStatement, APostWithoutARowCountIsCheckedAgainstTheRow) {
    const struct {
        const char* title;
        const char* held; // p35 on the server after the UPDATE
        bool saved;
    } cases[] = {
        {"the row holds the new value", "b", true},
        {"another user's value is there", "theirs", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.title);
        standIn_.setRules(
            {rule(QStringLiteral("^select p35 from marks where id = "),
                  {rows({column(QStringLiteral("p35"), QStringLiteral("varchar"), 10)},
                        {{QString::fromUtf8(c.held)}})}),
             rule(QStringLiteral("^select id, p35 from marks where id = "),
                  {rows({column(QStringLiteral("id"), QStringLiteral("int")),
                         column(QStringLiteral("p35"), QStringLiteral("varchar"), 10)},
                        {{1, QString::fromUtf8(c.held)}})}),
             rule(QStringLiteral("^select"),
                  {rows({column(QStringLiteral("id"), QStringLiteral("int")),
                         column(QStringLiteral("p35"), QStringLiteral("varchar"), 10)},
                        {{1, QStringLiteral("a")}})}),
             rule(QStringLiteral("^update"), {noCount()})});
        db::DataSet marks(db::DataSetKind::Query);
        marks.setConnection(&connection_);
        marks.setSql(QStringLiteral("select id, p35 from marks"));
        marks.setUpdateTable(QStringLiteral("marks"), QStringLiteral("id"));
        marks.open();
        marks.edit();
        marks.fieldByName(QStringLiteral("p35"))->setValue(QStringLiteral("b"));
        if (c.saved) {
            EXPECT_NO_THROW(marks.post());
            EXPECT_EQ(marks.state(), db::DataSetState::Browse);
        } else {
            try {
                marks.post();
                ADD_FAILURE() << "taken as saved";
            } catch (const db::DatabaseError& e) {
                EXPECT_EQ(e.kind(), db::ErrorKind::Conflict);
            }
            EXPECT_EQ(marks.state(), db::DataSetState::Edit);
            marks.cancel();
            EXPECT_EQ(marks.fieldByName(QStringLiteral("p35"))->text(), QStringLiteral("theirs"))
                << "the row is read again";
        }
    }
}
