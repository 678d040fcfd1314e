// Typing dates: the grid's date editor as a keyboard fills it, and the picker.
#include "controls/DateLineEdit.h"
#include "controls/DateTimePicker.h"
#include "controls/TypedDate.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QTest>

namespace {

// Keys sent one by one to the focused editor, as a keyboard sends them.
void typeInto(QWidget* w, const char* keys) {
    QTest::keyClicks(w, QString::fromLatin1(keys));
}

TEST(DateLineEdit, DigitsGoWhereTheyAreTyped) {
    struct Case {
        const char* keys;
        const char* shown;
        QDate date; // null: refused
    };
    const Case cases[] = {
        {"05.04.2024", "05.04.2024", QDate(2024, 4, 5)},
        {"05042024", "05.04.2024", QDate(2024, 4, 5)},
        {"5.4.2024", "05.04.2024", QDate(2024, 4, 5)},
        {"5,4,2024", "05.04.2024", QDate(2024, 4, 5)},
        {"31.12.1999", "31.12.1999", QDate(1999, 12, 31)},
        {"05..2024", "05.20.24__", QDate()},
        {"05.04.20", "05.04.20__", QDate()},
        {"31.02.2024", "31.02.2024", QDate()},
        {"29.02.2023", "29.02.2023", QDate()},
        {"29.02.2024", "29.02.2024", QDate(2024, 2, 29)},
        {"ab.cd.efgh", "__.__.____", QDate()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.keys);
        controls::DateLineEdit edit;
        edit.setDate(QDate(2000, 1, 1));
        edit.selectAll();
        edit.setCursorPosition(0);
        // Typing over a shown date starts at its beginning.
        edit.clear();
        typeInto(&edit, c.keys);
        EXPECT_EQ(edit.displayText(), QString::fromLatin1(c.shown));
        if (c.date.isValid()) {
            EXPECT_EQ(edit.date(), c.date);
        } else {
            try {
                const QDate d = edit.date();
                ADD_FAILURE() << "accepted " << d.toString().toStdString();
            } catch (const InvalidDateError& e) {
                EXPECT_TRUE(QString::fromUtf8(e.what()).startsWith(QStringLiteral("Неверная дата")))
                    << e.what();
            }
        }
    }
}

TEST(DateLineEdit, BlankAndPastedAndShown) {
    controls::DateLineEdit edit;
    EXPECT_TRUE(edit.isBlank());
    edit.setDate(QDate(2024, 4, 5));
    EXPECT_FALSE(edit.isBlank());
    EXPECT_EQ(edit.displayText(), QStringLiteral("05.04.2024"));
    edit.clear();
    QApplication::clipboard()->setText(QStringLiteral("17.09.2025"));
    edit.paste();
    EXPECT_EQ(edit.date(), QDate(2025, 9, 17));
}

TEST(DateTimePicker, TypedDateKeepsItsSections) {
    struct Case {
        const char* keys;
        QDate date;
    };
    const Case cases[] = {
        {"05.04.2024", QDate(2024, 4, 5)},
        {"05042024", QDate(2024, 4, 5)},
        {"5.4.2024", QDate(2024, 4, 5)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.keys);
        TDateTimePicker picker;
        picker.setDateTimeValue(QDateTime(QDate(2026, 12, 10), QTime(14, 30)));
        picker.show();
        picker.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&picker));
        picker.setFocus();
        picker.setSelectedSection(QDateTimeEdit::DaySection); // as Tab into it does
        typeInto(&picker, c.keys);
        QTest::keyClick(&picker, Qt::Key_Return);
        EXPECT_EQ(picker.Date(), c.date) << picker.text().toStdString();
        EXPECT_EQ(picker.DateTime().time(), QTime(14, 30)) << "the time it was set to is kept";
    }
}

} // namespace
