#include "app/Application.h"
#include "db/DatabaseError.h"
#include "platform/ApplicationState.h"
#include "platform/MessageBoxes.h"
#include "support/BoxScript.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEvent>

#include <functional>

namespace {

// An object whose event handler fails the way a handler of the program may.
class Thrower : public QObject {
public:
    std::function<void()> fail;
    bool event(QEvent* e) override {
        if (e->type() == QEvent::User)
            fail();
        return QObject::event(e);
    }
};

} // namespace

TEST(Application, EscapingErrorShowsItsTextInOneCriticalBox) {
    platform::setApplicationTitle(QStringLiteral("KEL 14 Учет успеваемости"));
    std::vector<platform::MessageBoxRequest> boxes;
    platform::ScopedMessageBoxScript script(testsupport::recordBoxes(boxes));

    Thrower t;
    t.fail = [] { throw db::DatabaseError(QStringLiteral("Invalid object name 'mark_mag'.")); };
    QEvent e(QEvent::User);
    QCoreApplication::sendEvent(&t, &e);

    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, QStringLiteral("Invalid object name 'mark_mag'."));
    EXPECT_EQ(boxes[0].caption, QStringLiteral("KEL 14 Учет успеваемости"));
    EXPECT_EQ(boxes[0].icon, QMessageBox::Critical);
}

TEST(Application, AbortIsSilent) {
    int shown = 0;
    platform::ScopedMessageBoxScript script([&](const platform::MessageBoxRequest&) {
        ++shown;
        return QMessageBox::Ok;
    });
    Thrower t;
    t.fail = [] { throw db::Abort(); };
    QEvent e(QEvent::User);
    QCoreApplication::sendEvent(&t, &e);
    EXPECT_EQ(shown, 0);
}
