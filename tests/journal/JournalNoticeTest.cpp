// The loading notice around the journal's opening, with the real notice window.
#include "journal/Unit4.h"
#include "support/DataModuleFixture.h"

#include <QApplication>
#include <QEvent>

namespace {

using testsupport::DataModuleFixture;

int noticesOnScreen() {
    int n = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        n += qobject_cast<TForm4*>(w) != nullptr && w->isVisible();
    return n;
}

// Counts paints of any notice window, however and whenever it is created.
class PaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() == QEvent::Paint) {
            auto* w = qobject_cast<QWidget*>(o);
            paints += w != nullptr && qobject_cast<TForm4*>(w->window()) != nullptr;
        }
        return false;
    }
};

// What was on screen while the journal procedure ran.
struct Seen {
    TForm4* notice = nullptr;
    int onScreen = 0;
    int paints = 0;
};

class JournalNoticeTest : public DataModuleFixture {
protected:
    void SetUp() override {
        DataModuleFixture::SetUp();
        dm.LoadingNotice = journal::loadingNoticeHook();
        qApp->installEventFilter(&painter);
        ASSERT_NO_FATAL_FAILURE(signIn());
        dm.ADO_TAZ.onStatement = [this](const QString& sql) {
            if (sql.startsWith(QStringLiteral("SORT_MARK_MAG")))
                seen.push_back({Form4.data(), noticesOnScreen(), painter.paints});
        };
    }
    void TearDown() override {
        qApp->removeEventFilter(&painter);
        journal::destroyLoadingNotice();
    }

    PaintCounter painter;
    std::vector<Seen> seen;
};

TEST_F(JournalNoticeTest, NoticeIsPaintedBeforeTheProcedureAndGoneAfterTheOpen) {
    for (int load = 1; load <= 2; ++load) {
        ASSERT_NO_FATAL_FAILURE(loadJournal());
        ASSERT_EQ(seen.size(), static_cast<size_t>(load));
        EXPECT_NE(seen.back().notice, nullptr);
        EXPECT_EQ(seen.back().onScreen, 1);
        EXPECT_GT(seen.back().paints, 0) << "the notice was not painted before the wait";
        EXPECT_FALSE(Form4);
        EXPECT_EQ(noticesOnScreen(), 0);
        painter.paints = 0;
    }
}

TEST_F(JournalNoticeTest, NoticeAlreadyOnScreenIsUsedAndRemoved) {
    journal::showLoadingNotice();
    TForm4* const shown = Form4.data();
    QPointer<TForm4> leftOver = shown;
    leftOver->Label1->setText(QStringLiteral("Идёт установка даты..."));
    ASSERT_NO_FATAL_FAILURE(loadJournal());
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].notice, shown) << "a second notice was created";
    EXPECT_EQ(seen[0].onScreen, 1);
    EXPECT_TRUE(leftOver.isNull());
    EXPECT_FALSE(Form4);
}

TEST_F(JournalNoticeTest, NoticeStaysAfterAFailedOpenUntilTheNextOneSucceeds) {
    EXPECT_THROW(loadJournal(QStringLiteral("1=1; DROP TABLE mark_mag")), db::DatabaseError);
    EXPECT_TRUE(Form4);
    EXPECT_EQ(noticesOnScreen(), 1);
    TForm4* const shown = Form4.data();
    QPointer<TForm4> left = shown;

    ASSERT_NO_FATAL_FAILURE(loadJournal());
    EXPECT_EQ(seen.back().notice, shown) << "a second notice was created";
    EXPECT_EQ(seen.back().onScreen, 1);
    EXPECT_FALSE(Form4);
    EXPECT_TRUE(left.isNull());
}

} // namespace
