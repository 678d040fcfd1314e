// The filter language on its own: what it accepts and how it reports what it refuses.
#include "db/FilterExpression.h"
#include "db/DatabaseError.h"

#include <gtest/gtest.h>

using db::DatabaseError;
using db::FilterExpression;

TEST(FilterExpression, AcceptsTheLanguage) {
    for (const char* text :
         {"id_student=152 and id_examination=3", "p35='12' and [id group] <> -1",
          "not (a is null) or b is not null", "a >= 1.5 and a <= 2 and a<3 and a>0",
          "name = 'O''Brien'", "x in (1, 2, 'three')", "p like 'Ив%'", "  ", ""}) {
        SCOPED_TRACE(text);
        EXPECT_NO_THROW(FilterExpression::parse(QString::fromUtf8(text)));
    }
}

TEST(FilterExpression, RefusesWithTheTextAndThePlace) {
    const struct {
        const char* text;
        const char* says;
    } cases[] = {
        {"a = ", "a number or a quoted text expected instead of 'end of text' at position 5"},
        {"a = 'x", "unterminated text"},
        {"(a = 1", "')' expected"},
        {"a = 1)", "unexpected ')'"},
        {"a 1", "a comparison expected after 'a'"},
        {"a == 1", "unknown operator '=='"},
        {"a is 1", "'null' expected"},
        {"a = 1 and", "a field name expected instead of 'end of text'"},
        {"a = 1 # b", "unexpected character '#'"},
        {"a = b", "a number or a quoted text expected instead of 'b'"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        try {
            FilterExpression::parse(QString::fromUtf8(c.text));
            ADD_FAILURE() << "accepted";
        } catch (const DatabaseError& e) {
            EXPECT_TRUE(e.message().startsWith(QStringLiteral("Filter '") +
                                               QString::fromUtf8(c.text) +
                                               QStringLiteral("' is not valid: ")))
                << e.what();
            EXPECT_TRUE(e.message().contains(QString::fromUtf8(c.says))) << e.what();
        }
    }
}

TEST(FilterExpression, RefusesNestingAndLengthBeyondItsLimitsWithoutCrashing) {
    const struct {
        const char* name;
        QString text;
        const char* says;
    } cases[] = {
        {"parentheses", QString(50000, QLatin1Char('(')) + QStringLiteral("a = 1"),
         "nested deeper than"},
        {"not", QStringLiteral("not ").repeated(100000) + QStringLiteral("a = 1"),
         "nested deeper than"},
        {"and", QStringLiteral("a = 1 and ").repeated(100000) + QStringLiteral("a = 1"),
         "more than"},
    };
    for (const auto& c : cases) {
        QString error;
        try {
            FilterExpression::parse(c.text);
        } catch (const DatabaseError& e) {
            error = e.message();
        }
        EXPECT_TRUE(error.contains(QString::fromUtf8(c.says))) << c.name;
    }
    EXPECT_NO_THROW(FilterExpression::parse(
        QString(100, QLatin1Char('(')) + QStringLiteral("a = 1") + QString(100, QLatin1Char(')'))));
}

TEST(FilterExpression, APlaceholderInTheFilterStaysInTheErrorText) {
    const struct {
        const char* text;
        const char* says;
    } cases[] = {
        {"a = '%1' and", "Filter 'a = '%1' and' is not valid:"},
        {"%1 = 1", "Filter '%1 = 1' is not valid: unexpected character '%' at position 1."},
        {"a = 1 %2", "Filter 'a = 1 %2' is not valid: unexpected character '%' at position 7."},
    };
    for (const auto& c : cases) {
        QString error;
        try {
            FilterExpression::parse(QString::fromUtf8(c.text));
        } catch (const DatabaseError& e) {
            error = e.message();
        }
        EXPECT_TRUE(error.startsWith(QString::fromUtf8(c.says)))
            << c.text << " -> " << error.toStdString();
    }
}
