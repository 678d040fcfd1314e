// The restore of deleted rows driven as a person drives it: the Ctrl+Z+D chord on the
// keyboard and a click on a row's tick in the restore window.
#pragma once

#include "controls/DBGridEh.h"
#include "journal/Unit6.h"
#include "support/MainWindowFixture.h"

#include <QApplication>
#include <QTest>
#include <QWindow>

namespace testsupport {

// Ctrl held, Z and D pressed, both let go: the chord, to the window that has the keyboard.
inline void pressRestoreChord(QWindow* target) {
    QTest::keyPress(target, Qt::Key_Z, Qt::ControlModifier);
    QTest::keyPress(target, Qt::Key_D, Qt::ControlModifier);
    QTest::keyRelease(target, Qt::Key_D, Qt::ControlModifier);
    QTest::keyRelease(target, Qt::Key_Z, Qt::ControlModifier);
    QApplication::processEvents(); // a handler's error reaches its box from its own event
}

// A click on the tick of one row of the restore window's list.
inline void tickRestoreRow(TForm5* form, int row) {
    TDBGridEh* g = form->DBGridEh2;
    const QRect cell =
        g->visualRect(g->model()->index(row, columnOf(g, QStringLiteral("Check_ch"))));
    ASSERT_TRUE(cell.isValid());
    QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, cell.center());
}

} // namespace testsupport
