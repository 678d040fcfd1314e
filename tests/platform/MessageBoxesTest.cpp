#include "platform/MessageBoxes.h"

#include <gtest/gtest.h>

using namespace platform;

TEST(MessageBoxes, ScriptAnswersAndSeesWhatWouldShow) {
    std::vector<MessageBoxRequest> seen;
    int beeps = 0;
    {
        ScopedMessageBoxScript script(
            [&](const MessageBoxRequest& r) {
                seen.push_back(r);
                return QMessageBox::No;
            },
            &beeps);
        EXPECT_EQ(messageBox(nullptr, QStringLiteral("Удалить?"), QStringLiteral("Уведомление"),
                             QMessageBox::Question, QMessageBox::Yes | QMessageBox::No),
                  QMessageBox::No);
        beep();
        beep();
    }
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].text, QStringLiteral("Удалить?"));
    EXPECT_EQ(seen[0].caption, QStringLiteral("Уведомление"));
    EXPECT_EQ(seen[0].icon, QMessageBox::Question);
    EXPECT_EQ(seen[0].buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(beeps, 2);
}

TEST(MessageBoxes, NestedScriptsRestoreTheOuterOne) {
    int outer = 0, inner = 0;
    ScopedMessageBoxScript a([&](const MessageBoxRequest&) {
        ++outer;
        return QMessageBox::Ok;
    });
    {
        ScopedMessageBoxScript b([&](const MessageBoxRequest&) {
            ++inner;
            return QMessageBox::Ok;
        });
        messageBox(nullptr, QString(), QString(), QMessageBox::NoIcon);
    }
    messageBox(nullptr, QString(), QString(), QMessageBox::NoIcon);
    EXPECT_EQ(inner, 1);
    EXPECT_EQ(outer, 1);
}
