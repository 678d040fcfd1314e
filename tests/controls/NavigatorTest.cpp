// The navigator's post and cancel buttons over a real data set.
#include "support/JournalDb.h"

#include "controls/DBNavigator.h"
#include "controls/DateTimePicker.h"

#include <QTest>

using testsupport::JournalDb;

TEST_F(JournalDb, NavigatorPostsAndCancelsTheEditWithHintedButtons) {
    addMarks({{12, 1, 1}});
    DB_STEP(marks_.open());
    TDBNavigator nav;
    nav.setVisibleButtons(TButtonSet(nbPost) | nbCancel);
    nav.setHint(nbPost, QStringLiteral("Сохранить"));
    nav.setHint(nbCancel, QStringLiteral("Отмена"));
    nav.setShowHint(true);
    nav.setDataSource(&markSource_);
    show(nav);
    QToolButton* post = nav.button(nbPost);
    QToolButton* cancel = nav.button(nbCancel);
    EXPECT_TRUE(post->isVisible());
    EXPECT_FALSE(nav.button(nbFirst)->isVisible());
    EXPECT_EQ(post->toolTip(), QStringLiteral("Сохранить"));
    EXPECT_EQ(cancel->toolTip(), QStringLiteral("Отмена"));
    EXPECT_FALSE(post->isEnabled());

    marks_.edit();
    marks_.fieldByName(QStringLiteral("p35"))->setText(QStringLiteral("y"));
    EXPECT_TRUE(post->isEnabled());
    QTest::mouseClick(post, Qt::LeftButton);
    EXPECT_EQ(marks_.state(), db::DataSetState::Browse);
    EXPECT_EQ(dbValue(QStringLiteral("select p35 from mark")).toString(), QStringLiteral("y"));

    marks_.edit();
    marks_.fieldByName(QStringLiteral("p35"))->setText(QStringLiteral("z"));
    QTest::mouseClick(cancel, Qt::LeftButton);
    EXPECT_EQ(marks_.fieldByName(QStringLiteral("p35"))->text(), QStringLiteral("y"));
    EXPECT_FALSE(cancel->isEnabled());
}

TEST(DateTimePicker, StartsAtNowAndKeepsTheTimeItIsGiven) {
    TDateTimePicker picker;
    EXPECT_EQ(picker.Date(), QDate::currentDate());
    const QDateTime when(QDate(2024, 3, 5), QTime(14, 30));
    picker.setDateTimeValue(when);
    EXPECT_EQ(picker.DateTime(), when);
}
