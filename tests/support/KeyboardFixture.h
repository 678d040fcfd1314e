// The main window with the fixture's journal loaded, driven as a person drives it: clicks on
// cells, keys sent to whichever window has the keyboard; Qt's warnings collected.
#pragma once

#include "support/MainWindowFixture.h"

#include "support/QtWarnings.h"

#include <QApplication>
#include <QGuiApplication>
#include <QHeaderView>
#include <QTimer>
#include <QWindow>

#include <functional>
#include <memory>

namespace testsupport {

inline bool isInside(const QWidget* w, const QWidget* ancestor) {
    for (; w != nullptr; w = w->parentWidget())
        if (w == ancestor)
            return true;
    return false;
}

class KeyboardFixture : public MainWindowFixture {
protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        TForm2& w = openMainWindow();
        w.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
        chooseFixtureJournal();
        // The selectors' lists were popups; the keyboard is back with the main window.
        w.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
        ASSERT_EQ(journal().recordCount(), 3);
        ASSERT_TRUE(boxes.empty());
    }

    TKvDBGridEh* grid() { return window->DBGridEh2; }

    // The window that a keyboard's keys reach: the popup's while one is open.
    static QWindow* keyWindow() {
        if (QWidget* popup = QApplication::activePopupWidget())
            return popup->windowHandle();
        return QGuiApplication::focusWindow();
    }

    static void key(Qt::Key k, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QWindow* target = keyWindow();
        ASSERT_NE(target, nullptr) << "no window has the keyboard";
        QTest::keyClick(target, k, mods);
    }

    static void type(const char* text) {
        for (const char* c = text; *c != '\0'; ++c) {
            QWindow* target = keyWindow();
            ASSERT_NE(target, nullptr) << "no window has the keyboard";
            QTest::keyClick(target, *c);
        }
    }

    // A left click on a cell, sent to the main window at the cell's place.
    void clickCell(int row, const QString& field) {
        QWidget* viewport = grid()->viewport();
        const QRect cell = grid()->visualRect(grid()->model()->index(row, columnOf(grid(), field)));
        ASSERT_TRUE(cell.isValid());
        const QPoint at = viewport->mapTo(window.get(), cell.center());
        QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {}, at);
    }

    // Loads the journal again (the filter picked away and back), as after changes made by
    // others; the offscreen platform leaves no window active after the loading notice.
    void reloadJournal() {
        QTest::keyClick(window->ComboBox1, Qt::Key_Up);
        QTest::keyClick(window->ComboBox1, Qt::Key_Down);
        backToMainWindow();
    }

    // The offscreen platform activates no window when another one closes; a window manager
    // gives the keyboard back to the main window.
    void backToMainWindow() {
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }

    // Ctrl+click on the row indicators, as a person selects several rows.
    void selectRows(std::initializer_list<int> rows) {
        QHeaderView* indicator = grid()->verticalHeader();
        for (int row : rows) {
            const QPoint at(indicator->width() / 2, indicator->sectionViewportPosition(row) +
                                                        indicator->sectionSize(row) / 2);
            QTest::mouseClick(indicator->viewport(), Qt::LeftButton, Qt::ControlModifier, at);
        }
    }

    // Runs act on the modal window of class W once it is up, as a person waits for it; the
    // test fails when none comes.
    template <typename W> void onModal(std::function<void(W*)> act) {
        auto* poll = new QTimer(window.get());
        auto tries = std::make_shared<int>(0);
        QObject::connect(poll, &QTimer::timeout, poll, [=] {
            auto* form = qobject_cast<W*>(QApplication::activeModalWidget());
            if (form == nullptr) {
                if (++*tries > 200) {
                    ADD_FAILURE() << "no " << W::staticMetaObject.className() << " window";
                    poll->deleteLater();
                }
                return;
            }
            poll->deleteLater();
            act(form);
        });
        poll->start(10);
    }

    // The journal row's key at a visible position.
    int rowId(int row) {
        db::DisplayRowScope scope(journal(), row);
        return journal().fieldByName(QStringLiteral("id_mark_mag"))->value().toInt();
    }

    testsupport::QtWarnings warnings;
};

} // namespace testsupport
