#include "app/Application.h"
#include "db/DatabaseError.h"
#include "platform/ApplicationState.h"
#include "platform/FileDialogs.h"
#include "platform/MessageBoxes.h"
#include "support/BoxScript.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QLabel>
#include <QTest>
#include <QTimer>

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

namespace {

// The texts of the buttons and labels of the modal window open now.
QStringList shownTexts() {
    QStringList texts;
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr)
        return texts;
    for (auto* b : modal->findChildren<QAbstractButton*>())
        if (b->isVisible())
            texts << b->text().remove(u'&');
    for (auto* l : modal->findChildren<QLabel*>())
        if (l->isVisible())
            texts << l->text().remove(u'&');
    return texts;
}

// Reads what the next modal window shows, then closes it as the Escape key does.
void readNextModal(QStringList& into) {
    QTimer::singleShot(0, [&into] {
        ASSERT_TRUE(QTest::qWaitFor([] { return QApplication::activeModalWidget() != nullptr; }));
        QWidget* modal = QApplication::activeModalWidget();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(modal));
        into = shownTexts();
        QTest::keyClick(modal, Qt::Key_Escape);
    });
}

} // namespace

TEST(Application, QtsOwnBoxesAndDialogsSpeakRussian) {
    QStringList box;
    readNextModal(box);
    platform::messageBox(nullptr, QStringLiteral("Вставить 2 значения в столбец \"№\"?"),
                         QStringLiteral("Warning!"), QMessageBox::Question,
                         QMessageBox::Yes | QMessageBox::No);
    EXPECT_TRUE(box.contains(QStringLiteral("Да")) && box.contains(QStringLiteral("Нет")))
        << box.join(u'|').toStdString();
    EXPECT_FALSE(box.contains(QStringLiteral("Yes"))) << box.join(u'|').toStdString();

    QStringList dialog;
    readNextModal(dialog);
    platform::saveFileName(nullptr, QStringLiteral("Сохранить ведомость"), QDir::tempPath(),
                           QStringLiteral("CSV (*.csv)"));
    EXPECT_TRUE(dialog.contains(QStringLiteral("Сохранить"))) << dialog.join(u'|').toStdString();
    EXPECT_TRUE(dialog.contains(QStringLiteral("Отмена"))) << dialog.join(u'|').toStdString();
    for (const char* english : {"Save", "Cancel", "Look in:", "File name:"})
        EXPECT_FALSE(dialog.contains(QString::fromLatin1(english)))
            << english << " in " << dialog.join(u'|').toStdString();
}
