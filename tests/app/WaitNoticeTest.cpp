// The program's notice for a wait on the database: it cancels a long load, and nothing else
// of the window takes input while the statement runs.
#include "platform/WaitNotice.h"
#include "app/WaitNoticeHook.h"
#include "controls/DBGridEh.h"
#include "db/Connection.h"
#include "db/DataSet.h"
#include "db/DataSource.h"
#include "db/DatabaseError.h"
#include "db/Field.h"

#include "support/QtWarnings.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <optional>

namespace {

const QString kLongQuery = QStringLiteral(
    "with recursive n(i) as (select 1 union all select i + 1 from n where i < 2000000000) "
    "select count(*) from n");

platform::WaitNotice* notice() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* n = qobject_cast<platform::WaitNotice*>(w); n != nullptr && n->isVisible())
            return n;
    }
    return nullptr;
}

class WaitNoticeTest : public ::testing::Test {
protected:
    void SetUp() override {
        connection_.setConnectionString(QStringLiteral("Data Source=") + dir_.path("w.sqlite"));
        connection_.execute(QStringLiteral("create table t (id integer primary key, name text)"));
        connection_.execute(QStringLiteral("insert into t values (1, 'один'), (2, 'два')"));
        connection_.setWaitHook(app::waitNoticeHook());
    }

    std::optional<db::DatabaseError> errorOf(const std::function<void()>& work) {
        try {
            work();
        } catch (const db::DatabaseError& e) {
            return e;
        }
        return std::nullopt;
    }

    testsupport::FailOnQtWarnings warnings_;
    testsupport::TempDir dir_;
    db::Connection connection_;
};

TEST_F(WaitNoticeTest, ALoadIsCancelledFromTheNoticeAndTheConnectionAnswersNext) {
    QString said;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        platform::WaitNotice* n = notice();
        if (n == nullptr || !n->cancelButton()->isVisible() || !said.isEmpty())
            return;
        said = n->text()->text();
        QTest::mouseClick(n->cancelButton(), Qt::LeftButton);
    });
    poll.start(50);
    std::optional<db::DatabaseError> e;
    {
        db::WaitPurpose load(connection_, QStringLiteral("загрузка журнала"), true);
        e = errorOf([&] { connection_.query(kLongQuery, {}, 20); });
    }
    poll.stop();

    EXPECT_EQ(said, QStringLiteral("Ожидание базы данных: загрузка журнала, 1 с"));
    ASSERT_TRUE(e);
    EXPECT_EQ(e->message(), QStringLiteral("Запрос прерван по вашей команде: загрузка журнала."));
    EXPECT_EQ(notice(), nullptr) << "the notice outlived the wait";
    EXPECT_EQ(connection_.query(QStringLiteral("select count(*) from t")).rows.front().front(), 2);
}

// Keys typed while a statement runs wait for its end, as they would for a busy window: the
// grid does not act on them meanwhile, and then takes them in order.
TEST_F(WaitNoticeTest, InputTypedDuringAWaitReachesTheGridOnlyAfterIt) {
    db::DataSet ds(db::DataSetKind::Query);
    ds.setConnection(&connection_);
    ds.setSql(QStringLiteral("select id, name from t order by id"));
    ds.setUpdateTable(QStringLiteral("t"), QStringLiteral("id"));
    db::DataSource source;
    source.setDataSet(&ds);
    ds.open();
    QWidget window;
    TDBGridEh grid(&window);
    grid.setDataSource(&source);
    window.resize(400, 200);
    grid.resize(400, 200);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    grid.setFocus();
    grid.setCurrentIndex(grid.model()->index(0, 1));
    const auto editorText = [&]() -> QString {
        for (const QLineEdit* editor : grid.viewport()->findChildren<QLineEdit*>()) {
            if (editor->isVisible())
                return editor->text();
        }
        return {};
    };

    bool typed = false;
    QString editedDuring = QStringLiteral("not looked");
    QTimer::singleShot(100, [&] {
        QTest::keyClick(&grid, Qt::Key_X);
        typed = true;
    });
    QTimer::singleShot(400, [&] {
        QCoreApplication::processEvents();
        editedDuring = editorText();
    });
    const auto e = errorOf([&] { connection_.query(kLongQuery, {}, 1); });
    ASSERT_TRUE(typed);
    ASSERT_TRUE(e);
    EXPECT_EQ(editedDuring, QString()) << "the grid took keys during the wait";
    EXPECT_EQ(ds.state(), db::DataSetState::Browse);

    QCoreApplication::processEvents();
    EXPECT_EQ(editorText(), QStringLiteral("x")) << "the key was lost";
    // A grid destroyed with its editor open writes into columns already gone.
    if (QWidget* editor = QApplication::focusWidget(); editor != nullptr)
        QTest::keyClick(editor, Qt::Key_Escape);
}

// A box that a handler opens during the wait takes the answer held for it as soon as the
// statement has ended, rather than waiting for an input gate that only its own end would lift.
TEST_F(WaitNoticeTest, ABoxOpenedDuringAWaitIsAnsweredOnceTheStatementEnds) {
    bool answered = false;
    bool forced = false;
    QTimer::singleShot(100, [&] {
        QMessageBox box(QMessageBox::Information, QStringLiteral("Проверка"),
                        QStringLiteral("Ждём"), QMessageBox::Ok);
        QTimer click;
        QObject::connect(&click, &QTimer::timeout,
                         [&] { QTest::mouseClick(box.button(QMessageBox::Ok), Qt::LeftButton); });
        click.start(100);
        QTimer::singleShot(5000, &box, [&] {
            forced = true;
            box.hide();
        });
        box.exec();
        answered = true;
    });
    const auto e = errorOf([&] { connection_.query(kLongQuery, {}, 1); });
    ASSERT_TRUE(e);
    EXPECT_EQ(e->kind(), db::ErrorKind::TimedOut);
    EXPECT_TRUE(answered);
    EXPECT_FALSE(forced) << "the box took no answer after the statement had ended";
}

} // namespace
