// Statements of a connection with a wait hook run on its worker while this thread keeps its
// events going: the notice, the cancel, a statement asked for meanwhile, rows into a data set.
#include "db/Connection.h"
#include "db/DataSet.h"
#include "db/DatabaseError.h"
#include "db/Field.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <QThread>
#include <QTimer>

#include <optional>

using namespace db;

namespace {

// Runs long enough on any machine; the tests cut it short or give it a time-out.
const QString kLongQuery = QStringLiteral(
    "with recursive n(i) as (select 1 union all select i + 1 from n where i < 2000000000) "
    "select count(*) from n");

class DatabaseWait : public ::testing::Test {
protected:
    void SetUp() override {
        connection_.setConnectionString(QStringLiteral("Data Source=") + dir_.path("w.sqlite"));
        connection_.execute(QStringLiteral("create table t (id integer primary key, name text)"));
        connection_.execute(QStringLiteral("insert into t values (1, 'один'), (2, 'два')"));
        WaitHook hook;
        hook.show = [this](const WaitState& state) {
            shown_.push_back(state);
            if (cancelWhenOffered_ && state.cancel)
                state.cancel();
        };
        hook.hide = [this] { ++hidden_; };
        connection_.setWaitHook(hook);
    }

    static std::optional<DatabaseError> errorOf(const std::function<void()>& work) {
        try {
            work();
        } catch (const DatabaseError& e) {
            return e;
        }
        return std::nullopt;
    }

    testsupport::TempDir dir_;
    Connection connection_;
    std::vector<WaitState> shown_;
    int hidden_ = 0;
    bool cancelWhenOffered_ = false;
};

// The notice comes after a second and names the wait; a journal load may be cancelled at once.
// The cancelled statement fails in Russian and the connection answers the next one.
TEST_F(DatabaseWait, ALongLoadIsCancelledFromTheNoticeAndTheConnectionGoesOn) {
    cancelWhenOffered_ = true;
    int ticks = 0;
    QTimer clock;
    QObject::connect(&clock, &QTimer::timeout, [&] { ++ticks; });
    clock.start(10);
    std::optional<DatabaseError> e;
    {
        WaitPurpose purpose(connection_, QStringLiteral("загрузка журнала"), true);
        e = errorOf([&] { connection_.query(kLongQuery, {}, 60); });
    }
    clock.stop();

    ASSERT_TRUE(e) << "the cancel did not stop the statement";
    EXPECT_EQ(e->kind(), ErrorKind::TimedOut);
    EXPECT_EQ(e->message(), QStringLiteral("Запрос прерван по вашей команде: загрузка журнала."));
    ASSERT_EQ(shown_.size(), 1u);
    EXPECT_EQ(shown_.front().seconds, 1);
    EXPECT_EQ(shown_.front().what, QStringLiteral("загрузка журнала"));
    EXPECT_EQ(hidden_, 1);
    EXPECT_GT(ticks, 20) << "the thread's own events stopped during the wait";
    EXPECT_EQ(connection_.query(QStringLiteral("select name from t where id = 2")).rows,
              (std::vector<std::vector<QVariant>>{{QStringLiteral("два")}}));
}

// A handler that runs during the wait (a timer's) and asks for a statement of its own is
// refused as busy; the statement waited for is not disturbed, and only past its time-out
// would the notice offer to cancel it.
TEST_F(DatabaseWait, AStatementAskedForDuringTheWaitIsRefusedAsBusy) {
    std::optional<DatabaseError> during;
    bool ranDuring = false;
    QTimer::singleShot(100, [&] {
        ranDuring = true;
        during = errorOf([&] { connection_.execute(QStringLiteral("delete from t")); });
    });
    const auto e = errorOf([&] { connection_.query(kLongQuery, {}, 2); });
    ASSERT_TRUE(e);
    EXPECT_EQ(e->kind(), ErrorKind::TimedOut) << "ended by its own time-out";
    ASSERT_FALSE(shown_.empty());
    EXPECT_EQ(shown_.front().what, QStringLiteral("ответ базы данных"));
    EXPECT_FALSE(shown_.front().cancel) << "offered before the time-out";
    ASSERT_TRUE(ranDuring);
    ASSERT_TRUE(during);
    EXPECT_EQ(during->kind(), ErrorKind::Busy);
    EXPECT_TRUE(during->message().startsWith(QStringLiteral("База данных ещё отвечает")));
    EXPECT_EQ(connection_.query(QStringLiteral("select count(*) from t")).rows.front().front(), 2);
}

// Rows read on the worker reach the data set whole; its fields are made on this thread, where
// the data set lives, and a re-read keeps them.
TEST_F(DatabaseWait, ADataSetOpensAndRereadsThroughTheWorker) {
    DataSet ds(DataSetKind::Query);
    ds.setConnection(&connection_);
    ds.setSql(QStringLiteral("select id, name from t order by id"));
    ds.open();
    ASSERT_EQ(ds.recordCount(), 2);
    ASSERT_EQ(ds.fieldCount(), 2);
    for (int i = 0; i < ds.fieldCount(); ++i)
        EXPECT_EQ(ds.field(i)->thread(), QThread::currentThread());
    EXPECT_EQ(ds.fieldByName(QStringLiteral("name"))->asString(), QStringLiteral("один"));
    connection_.execute(QStringLiteral("insert into t values (3, 'три')"));
    ds.refresh();
    EXPECT_EQ(ds.recordCount(), 3);
    ds.last();
    EXPECT_EQ(ds.fieldByName(QStringLiteral("id"))->value(), 3);
    EXPECT_EQ(ds.fieldByName(QStringLiteral("name"))->asString(), QStringLiteral("три"));
}

} // namespace
