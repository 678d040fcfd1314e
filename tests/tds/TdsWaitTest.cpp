// A statement on the SQL Server path waited for in the window's thread: it keeps painting while
// the server is silent, and a load is cancelled from the notice with SQLCancel.
#include "TdsFixture.h"

#include "app/WaitNoticeHook.h"
#include "platform/WaitNotice.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWidget>

using namespace tdstest;

namespace {

// Repaints itself on a timer and counts the paints that reached it.
class Ticker : public QWidget {
public:
    Ticker() {
        resize(100, 100);
        connect(&timer_, &QTimer::timeout, this, [this] { update(); });
        timer_.start(20);
    }
    int paints = 0;

protected:
    void paintEvent(QPaintEvent*) override { ++paints; }

private:
    QTimer timer_;
};

class TdsWait : public TdsTest {
protected:
    void SetUp() override {
        TdsTest::SetUp();
        connect(connection_);
        connection_.setWaitHook(app::waitNoticeHook());
        connection_.query(QStringLiteral("select 1"));
    }

    db::Connection connection_;
};

QJsonArray oneRow() {
    return {rows({column(QStringLiteral("a"), QStringLiteral("int"))}, {{1}})};
}

// The server answers neither the statement nor its cancel: the call still returns within its
// time-out and a little, and the window painted throughout.
TEST_F(TdsWait, ASilentServerLeavesTheWindowPaintingAndReturnsInTime) {
    standIn_.setRules(
        {rule(QStringLiteral("^exec slow"),
              {QJsonObject{{QStringLiteral("hold"), true}, {QStringLiteral("deaf"), true}}}),
         rule(QStringLiteral("^select"), oneRow())});
    Ticker window;
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QCoreApplication::processEvents();
    const int before = window.paints;
    constexpr int timeout = 2;
    QElapsedTimer clock;
    clock.start();
    const auto e = errorOf([&] { connection_.query(QStringLiteral("exec slow"), {}, timeout); });
    const qint64 took = clock.elapsed();

    ASSERT_TRUE(e);
    EXPECT_LT(took, timeout * 1000 + 2500) << "past the time-out and its margin";
    EXPECT_GE(window.paints - before, timeout * 1000 / 20 / 4) << "the window stopped painting";
    EXPECT_EQ(connection_.query(QStringLiteral("select 1")).rows.size(), 1u);
}

TEST_F(TdsWait, ALoadIsCancelledFromTheNoticeWithTheServersConsent) {
    standIn_.setRules({rule(QStringLiteral("^exec slow"), {QJsonObject{{"hold", true}}}),
                       rule(QStringLiteral("^select"), oneRow())});
    bool clicked = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* n = qobject_cast<platform::WaitNotice*>(w);
            if (!clicked && n != nullptr && n->cancelButton()->isVisible()) {
                clicked = true;
                QTest::mouseClick(n->cancelButton(), Qt::LeftButton);
            }
        }
    });
    poll.start(50);
    std::optional<db::DatabaseError> e;
    {
        db::WaitPurpose load(connection_, QStringLiteral("загрузка журнала"), true);
        e = errorOf([&] { connection_.query(QStringLiteral("exec slow"), {}, 30); });
    }
    poll.stop();

    ASSERT_TRUE(clicked);
    ASSERT_TRUE(e);
    EXPECT_EQ(e->message(), QStringLiteral("Запрос прерван по вашей команде: загрузка журнала."));
    EXPECT_EQ(standIn_.eventsOf(QStringLiteral("attention")).size(), 1)
        << "the server was told to stop";
    EXPECT_EQ(connection_.query(QStringLiteral("select 1")).rows.size(), 1u);
    EXPECT_EQ(standIn_.eventsOf(QStringLiteral("login")).size(), 1) << "the same connection";
}

} // namespace
