// A lost link through FreeTDS: the failing statement says so, the next one reconnects with the
// session's settings; and posts of a data set against counts, missing counts and a drop.
#include "TdsFixture.h"

#include "db/DataSet.h"

using namespace tdstest;

namespace {

const QString rowNotFound = QStringLiteral(
    "Row cannot be located for updating. Some values may have been changed since it was last "
    "read.");

class TdsReconnect : public TdsTest {
protected:
    void SetUp() override {
        TdsTest::SetUp();
        connect(connection_);
        connection_.setSessionStatements({QStringLiteral("SET DATEFORMAT dmy")});
        standIn_.setRules(
            {rule(QStringLiteral("^select id_mark_mag"),
                  {rows({column(QStringLiteral("id_mark_mag"), QStringLiteral("int")),
                         column(QStringLiteral("p35"), QStringLiteral("varchar"), 10)},
                        {{10, QStringLiteral("old")}})}),
             rule(QStringLiteral("^update mark_mag"), {count(1)})});
        journal_.setConnection(&connection_);
        journal_.setSql(QStringLiteral("select id_mark_mag, p35 from mark_mag"));
        journal_.setUpdateTable(QStringLiteral("mark_mag"), QStringLiteral("id_mark_mag"));
        journal_.open();
        standIn_.clear();
    }

    // The journal row in edit with the user's value.
    void editRow(const QString& value) {
        journal_.edit();
        journal_.fieldByName(QStringLiteral("p35"))->setValue(value);
    }
    QString value() { return journal_.fieldByName(QStringLiteral("p35"))->asString(); }

    // The statements of one connection the stand-in accepted, by its number.
    QStringList statementsOfConnection(int number) {
        QStringList texts;
        for (const QJsonValue& e : standIn_.events()) {
            if (e[QStringLiteral("connection")].toInt() != number)
                continue;
            if (e[QStringLiteral("event")].toString() == QLatin1String("batch") ||
                e[QStringLiteral("sql")].isString())
                texts << e[QStringLiteral("sql")].toString();
        }
        return texts;
    }

    db::Connection connection_;
    db::DataSet journal_{db::DataSetKind::Query};
};

TEST_F(TdsReconnect, TheStatementAfterADropFailsAsLostAndTheNextReconnects) {
    ASSERT_EQ(standIn_.drop(), 1);
    const auto e = errorOf([&] { connection_.execute(QStringLiteral("UPDATE mark_mag SET a=1")); });
    ASSERT_TRUE(e);
    EXPECT_TRUE(e->connectionLost()) << e->sqlState().toStdString();
    EXPECT_TRUE(e->message().startsWith(QStringLiteral("Связь с сервером потеряна")))
        << e->message().toStdString();
    EXPECT_FALSE(e->message().contains(QLatin1Char('['))) << "driver prefixes stay out";
    EXPECT_FALSE(connection_.connected()) << "a dead link must not pass for an open one";

    EXPECT_EQ(connection_.execute(QStringLiteral("UPDATE mark_mag SET a=1")), 1);
    const QJsonArray logins = standIn_.eventsOf(QStringLiteral("login"));
    ASSERT_EQ(logins.size(), 1);
    EXPECT_EQ(statementsOfConnection(logins[0][QStringLiteral("connection")].toInt()),
              (QStringList{QStringLiteral("SET NOCOUNT OFF"), QStringLiteral("SET DATEFORMAT dmy"),
                           QStringLiteral("UPDATE mark_mag SET a=1")}));
}

// The drop comes while the server holds the post: the user keeps the values, and the next
// post reconnects and writes them.
TEST_F(TdsReconnect, APostCutByADropKeepsTheValuesAndTheNextPostWritesThem) {
    standIn_.setRules(
        {rule(QStringLiteral("^update mark_mag"), {QJsonObject{{"drop", true}}}, true),
         rule(QStringLiteral("^update mark_mag"), {count(1)})});
    editRow(QStringLiteral("new"));
    const auto e = errorOf([&] { journal_.post(); });
    ASSERT_TRUE(e);
    EXPECT_TRUE(e->connectionLost());
    EXPECT_EQ(journal_.state(), db::DataSetState::Edit);
    EXPECT_EQ(value(), QStringLiteral("new"));

    ASSERT_NO_THROW(journal_.post());
    EXPECT_EQ(journal_.state(), db::DataSetState::Browse);
    EXPECT_EQ(value(), QStringLiteral("new"));
    QJsonArray updates;
    for (const QJsonValue& e : standIn_.eventsOf(QStringLiteral("rpc")))
        if (e[QStringLiteral("sql")].toString().startsWith(QLatin1String("UPDATE")))
            updates.append(e);
    ASSERT_EQ(updates.size(), 2) << "sent once on each connection";
    EXPECT_EQ(updates[1][QStringLiteral("params")][0][QStringLiteral("value")].toString(),
              QStringLiteral("new"));
    EXPECT_EQ(
        statementsOfConnection(updates[1][QStringLiteral("connection")].toInt()).mid(0, 2),
        (QStringList{QStringLiteral("SET NOCOUNT OFF"), QStringLiteral("SET DATEFORMAT dmy")}));
}

// The link falls while the row is written: the row read on a new connection tells whether the
// server stored it, and the user is told what is known, not more.
TEST_F(TdsReconnect, AWriteCutByADropIsSettledByTheRowOnTheServer) {
    const QJsonObject dropped{{"drop", true}};
    const struct {
        const char* title;
        const char* typed;
        QJsonArray check; // the reply to reading the row back
        bool saved;
        const char* says; // the start of the message when not saved
    } cases[] = {
        {"the server had stored it",
         "n1",
         {rows({column(QStringLiteral("p35"), QStringLiteral("varchar"), 10)},
               {{QStringLiteral("n1")}})},
         true,
         ""},
        {"the server had not",
         "n2",
         {rows({column(QStringLiteral("p35"), QStringLiteral("varchar"), 10)},
               {{QStringLiteral("old")}})},
         false,
         "Связь с сервером потеряна: команда не выполнена, изменения не сохранены."},
        {"the server cannot be asked",
         "n3",
         {dropped},
         false,
         "Связь с сервером потеряна во время записи, и проверить, сохранено ли изменение, не "
         "удалось"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.title);
        standIn_.setRules({rule(QStringLiteral("^update mark_mag"), {dropped}, true),
                           rule(QStringLiteral("^select p35 from mark_mag where"), c.check, true)});
        editRow(QString::fromUtf8(c.typed));
        if (c.saved) {
            EXPECT_NO_THROW(journal_.post());
            EXPECT_EQ(journal_.state(), db::DataSetState::Browse);
            EXPECT_TRUE(journal_.lastPostSurvivedLostLink());
        } else {
            const auto e = errorOf([&] { journal_.post(); });
            ASSERT_TRUE(e);
            EXPECT_TRUE(e->connectionLost());
            EXPECT_TRUE(e->message().startsWith(QString::fromUtf8(c.says)))
                << e->message().toStdString();
            EXPECT_EQ(journal_.state(), db::DataSetState::Edit) << "the typed value stays";
            EXPECT_EQ(value(), QString::fromUtf8(c.typed));
            EXPECT_FALSE(journal_.lastPostSurvivedLostLink());
            journal_.cancel();
        }
    }
}

// A count of 0 is a conflict; a reply without a count (NOCOUNT) is checked against the row.
TEST_F(TdsReconnect, ACountOfNoRowsOrAnotherValueInTheRowIsAConflict) {
    const struct {
        const char* title;
        QJsonObject reply;
        const char* typed;
        const char* held; // p35 in the row read back, if it is read
        bool conflict;
    } cases[] = {
        {"one row", count(1), "v1", "", false},
        {"no count sent, the row holds it", noCount(), "v2", "v2", false},
        {"no count sent, another value", noCount(), "v3", "чужое", true},
        {"no row matched", count(0), "v4", "", true},
    };
    for (const auto& c : cases) {
        standIn_.setRules(
            {rule(QStringLiteral("^update mark_mag"), {c.reply}),
             rule(QStringLiteral("^select p35 from mark_mag where"),
                  {rows({column(QStringLiteral("p35"), QStringLiteral("varchar"), 50)},
                        {{QString::fromUtf8(c.held)}})})});
        editRow(QString::fromUtf8(c.typed));
        try {
            journal_.post();
            EXPECT_FALSE(c.conflict) << c.title << ": the post went through";
        } catch (const db::DatabaseError& e) {
            EXPECT_TRUE(c.conflict) << c.title << ": " << e.message().toStdString();
            EXPECT_EQ(e.message(), rowNotFound) << c.title;
            EXPECT_EQ(e.kind(), db::ErrorKind::Conflict) << c.title;
            journal_.cancel();
        }
    }
}

} // namespace
