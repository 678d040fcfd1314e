// The loading notice TForm4 and its one shared reference.
#include "journal/Unit4.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>

namespace {

int noticesOnScreen() {
    int n = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        n += qobject_cast<TForm4*>(w) != nullptr && w->isVisible();
    return n;
}

void runDeferredDeletes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

class NoticeWindowTest : public ::testing::Test {
protected:
    void TearDown() override {
        journal::destroyLoadingNotice();
        runDeferredDeletes();
    }
};

TEST_F(NoticeWindowTest, LooksAsANoticeShould) {
    journal::showLoadingNotice();
    ASSERT_TRUE(Form4);
    const TForm4& w = *Form4;
    EXPECT_TRUE(w.isVisible());
    EXPECT_FALSE(w.isModal());
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Загрузка"));
    EXPECT_EQ(w.size(), QSize(328, 56));
    EXPECT_EQ(w.minimumSize(), w.maximumSize()) << "fixed size";
    EXPECT_TRUE(w.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_FALSE(w.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_EQ(w.Label1->text(), QStringLiteral("Идёт загрузка, подождите..."));
    EXPECT_EQ(w.Label1->alignment(), Qt::AlignCenter);
    EXPECT_TRUE(w.Label1->font().bold());
    EXPECT_EQ(w.Label1->font().pixelSize(), 19);
    EXPECT_EQ(w.Label1->geometry(), w.rect()) << "the label fills the window";
}

TEST_F(NoticeWindowTest, OneNoticeAtATimeAndDestroyingItClearsTheReference) {
    journal::showLoadingNotice();
    TForm4* first = Form4;
    journal::showLoadingNotice();
    EXPECT_EQ(Form4.data(), first);
    EXPECT_EQ(noticesOnScreen(), 1);

    journal::destroyLoadingNotice();
    EXPECT_FALSE(Form4);
    EXPECT_EQ(noticesOnScreen(), 0);
    journal::destroyLoadingNotice(); // nothing left to destroy
}

TEST_F(NoticeWindowTest, ClosingTheNoticeDestroysItAndClearsTheReference) {
    journal::showLoadingNotice();
    QPointer<TForm4> window = Form4.data();
    window->close();
    EXPECT_FALSE(Form4) << "cleared when closed";
    runDeferredDeletes();
    EXPECT_TRUE(window.isNull()) << "destroyed, not hidden";

    const data::LoadingNoticeHook hook = journal::loadingNoticeHook();
    EXPECT_FALSE(hook.exists());
    hook.create();
    EXPECT_TRUE(hook.exists());
    hook.destroy();
    EXPECT_FALSE(hook.exists());
}

} // namespace
