// Editing data sets against a real SQLite file, through each driver: write-back of changed
// columns, optimistic concurrency, insert, delete, the error handlers and refused input.
#include "support/MarksDb.h"

#include "db/Field.h"

using namespace db;
using DataSetEdit = testsupport::MarksOverDrivers;

INSTANTIATE_TEST_SUITE_P(Drivers, DataSetEdit,
                         ::testing::Values(testsupport::MarksDriver::Sqlite,
                                           testsupport::MarksDriver::SqliteOdbc),
                         testsupport::driverName);

// Equal texts down a column are kept once; editing one row's text leaves its neighbours as
// they were, and empty and null texts stay apart.
TEST_P(DataSetEdit, EqualTextsDownAColumnStayApartWhenOneIsEdited) {
    DB_STEP(conn_.execute(QStringLiteral(
        "INSERT INTO mark (id_mark, p35) VALUES (20, 'x'), (21, 'x'), (22, 'x'), (23, ''), "
        "(24, NULL), (25, '')")));
    marks_.setSql(QStringLiteral("select * from mark where id_mark >= 20 order by id_mark"));
    DB_STEP(marks_.open());
    marks_.setRecNo(2);
    marks_.edit();
    marks_.fieldByName(QStringLiteral("p35"))->setValue(QStringLiteral("y"));
    DB_STEP(marks_.post());
    EXPECT_EQ(column(marks_, "p35"), (QStringList{"x", "y", "x", "", "", ""}));
    const bool nulls[] = {false, false, false, false, true, false};
    for (int row = 0; row < 6; ++row) {
        marks_.setRecNo(row + 1);
        EXPECT_EQ(marks_.fieldByName(QStringLiteral("p35"))->isNull(), nulls[row]) << "row " << row;
    }
    marks_.close();
    DB_STEP(marks_.open());
    EXPECT_EQ(column(marks_, "p35"), (QStringList{"x", "y", "x", "", "", ""}));
}

TEST_P(DataSetEdit, PostWritesOnlyChangedColumnsAndOnlyWhenSomethingChanged) {
    addMarkFields();
    DB_STEP(teachers_.open());
    DB_STEP(marks_.open());
    statements_.clear();

    marks_.edit();
    marks_.fieldByName(QStringLiteral("grade"))->setValue(5); // the value it has
    DB_STEP(marks_.post());
    EXPECT_TRUE(statements_.isEmpty());
    EXPECT_EQ(marks_.state(), DataSetState::Browse);

    marks_.next(); // id 11: p35 'a', p36 midnight
    marks_.edit();
    marks_.fieldByName(QStringLiteral("p35"))->setText(QStringLiteral("12'a"));
    marks_.fieldByName(QStringLiteral("p36"))->setText(QStringLiteral("07.03.2024 08:15:00"));
    EXPECT_TRUE(marks_.modified());
    EXPECT_EQ(marks_.fieldByName(QStringLiteral("p35"))->oldValue().toString(),
              QStringLiteral("a"));
    DB_STEP(marks_.post());
    ASSERT_EQ(statements_.size(), 1);
    EXPECT_EQ(statements_[0], QStringLiteral("UPDATE mark SET p35 = ?, p36 = ? WHERE id_mark = ? "
                                             "AND p35 = ? AND p36 = ?"));
    EXPECT_EQ(
        dbValue(QStringLiteral("select p35 || '|' || p36 from mark where id_mark = 11")).toString(),
        QStringLiteral("12'a|2024-03-07 08:15:00"));
    EXPECT_EQ(marks_.fieldByName(QStringLiteral("p35"))->oldValue().toString(),
              QStringLiteral("12'a"));

    // A null old value is matched with IS NULL; leaving the row posts it.
    marks_.next(); // id 12: p36 null
    marks_.edit();
    marks_.fieldByName(QStringLiteral("p36"))->setValue(QDate(2024, 1, 2));
    statements_.clear();
    marks_.next();
    ASSERT_EQ(statements_.size(), 1);
    EXPECT_EQ(statements_[0], QStringLiteral("UPDATE mark SET p36 = ? WHERE id_mark = ? AND p36 "
                                             "IS NULL"));
    EXPECT_EQ(
        dbValue(QStringLiteral("select cast(p36 as text) from mark where id_mark = 12")).toString(),
        QStringLiteral("2024-01-02 00:00:00"));
}

TEST_P(DataSetEdit, AnotherClientsChangeMakesThePostFailAndKeepsBothRows) {
    DB_STEP(marks_.open());
    Connection other;
    other.setConnectionString(connectionText());
    other.execute(QStringLiteral("update mark set p35 = 'theirs' where id_mark = 10"));

    marks_.edit();
    marks_.fieldByName(QStringLiteral("p35"))->setValue(QStringLiteral("mine"));
    try {
        marks_.post();
        FAIL() << "the post went through";
    } catch (const DatabaseError& e) {
        EXPECT_EQ(e.message(), QStringLiteral("Row cannot be located for updating. Some values may "
                                              "have been changed since it was last read."));
    }
    // Fail leaves the row in edit with the user's value; the database keeps the other's.
    EXPECT_EQ(marks_.state(), DataSetState::Edit);
    EXPECT_EQ(text("p35"), QStringLiteral("mine"));
    EXPECT_EQ(dbValue(QStringLiteral("select p35 from mark where id_mark = 10")).toString(),
              QStringLiteral("theirs"));
    EXPECT_EQ(dbValue(QStringLiteral("select count(*) from mark")).toInt(), 4);

    // Abort: the handler cancels the edit and the post ends silently.
    int calls = 0;
    marks_.onPostError = [&](DataSet& ds, const DatabaseError&, DataAction& action) {
        ++calls;
        ds.cancel();
        action = DataAction::Abort;
    };
    EXPECT_THROW(marks_.post(), Abort);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(marks_.state(), DataSetState::Browse);
    EXPECT_EQ(text("p35"), QStringLiteral("theirs")) << "the cancelled row is read again";
    EXPECT_EQ(text("id_mark"), QStringLiteral("10")) << "the row stays the same row";
    EXPECT_EQ(text("grade"), QStringLiteral("5"));

    // Retry: the handler puts the value back and tries again, which then goes through.
    other.execute(QStringLiteral("update mark set p35 = 'again' where id_mark = 10"));
    marks_.edit();
    marks_.fieldByName(QStringLiteral("p35"))->setValue(QStringLiteral("mine"));
    marks_.onPostError = [&](DataSet&, const DatabaseError&, DataAction& action) {
        ++calls;
        other.execute(QStringLiteral("update mark set p35 = 'theirs' where id_mark = 10"));
        // Once: a row still not found then is a failure, not a loop.
        action = calls == 2 ? DataAction::Retry : DataAction::Fail;
    };
    DB_STEP(marks_.post());
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(dbValue(QStringLiteral("select p35 from mark where id_mark = 10")).toString(),
              QStringLiteral("mine"));
}

TEST_P(DataSetEdit, BeforeInsertAbortAddsNoRow) {
    DB_STEP(marks_.open());
    marks_.setRecNo(2);
    marks_.beforeInsert = [](DataSet&) { throw Abort(); };
    statements_.clear();
    EXPECT_THROW(marks_.insert(), Abort);
    EXPECT_THROW(marks_.append(), Abort);
    EXPECT_EQ(marks_.recordCount(), 4);
    EXPECT_EQ(marks_.visibleRowCount(), 4);
    EXPECT_EQ(marks_.state(), DataSetState::Browse);
    EXPECT_EQ(marks_.recNo(), 2);
    EXPECT_TRUE(statements_.isEmpty());
}

TEST_P(DataSetEdit, InsertWritesTheGivenColumnsAndTakesTheNewKey) {
    addMarkFields();
    DB_STEP(teachers_.open());
    DB_STEP(marks_.open());
    marks_.setRecNo(2);
    marks_.insert();
    EXPECT_EQ(marks_.state(), DataSetState::Insert);
    EXPECT_EQ(marks_.recNo(), -1);
    EXPECT_EQ(text("No"), QStringLiteral("1")); // a row without a place counts as 1
    EXPECT_EQ(marks_.visibleRowCount(), 5);
    EXPECT_EQ(marks_.recordCount(), 4);
    marks_.fieldByName(QStringLiteral("grade"))->setText(QStringLiteral("2"));
    marks_.fieldByName(QStringLiteral("teacher"))->setValue(QStringLiteral("Петров П.П."));
    statements_.clear();
    DB_STEP(marks_.post());
    ASSERT_EQ(statements_.size(), 1);
    EXPECT_EQ(statements_[0], QStringLiteral("INSERT INTO mark (id_teacher, grade) VALUES (?, ?)"));
    const int id = marks_.fieldByName(QStringLiteral("id_mark"))->value().toInt();
    EXPECT_EQ(id, 14);
    EXPECT_EQ(marks_.recNo(), 2); // inserted before the row that was current
    EXPECT_EQ(marks_.recordCount(), 5);
    EXPECT_EQ(text("teacher"), QStringLiteral("Петров П"));

    // The new row can be changed and deleted by its key at once.
    marks_.edit();
    marks_.fieldByName(QStringLiteral("grade"))->setValue(3);
    DB_STEP(marks_.post());
    EXPECT_EQ(dbValue(QStringLiteral("select grade from mark where id_mark = 14")).toInt(), 3);

    // Cancelling an insert puts the cursor back.
    marks_.last();
    marks_.append();
    marks_.cancel();
    EXPECT_EQ(marks_.visibleRowCount(), 5);
    EXPECT_EQ(marks_.recNo(), 5);
}

TEST_P(DataSetEdit, DeleteRemovesByKeyAndAFailedDeleteKeepsTheRow) {
    DB_STEP(marks_.open());
    marks_.setRecNo(2);
    statements_.clear();
    QList<int> before;
    int after = 0;
    marks_.beforeDelete = [&](DataSet& ds) {
        before << ds.fieldByName(QStringLiteral("id_mark"))->value().toInt();
    };
    marks_.afterDelete = [&](DataSet&) { ++after; };
    DB_STEP(marks_.deleteRecord());
    EXPECT_EQ(statements_, QStringList{QStringLiteral("DELETE FROM mark WHERE id_mark = ?")});
    EXPECT_EQ(before, QList<int>{11});
    EXPECT_EQ(after, 1);
    EXPECT_EQ(marks_.recordCount(), 3);
    EXPECT_EQ(text("id_mark"), QStringLiteral("12")); // the next row becomes current
    EXPECT_EQ(dbValue(QStringLiteral("select count(*) from mark where id_mark = 11")).toInt(), 0);

    // Gone already on the server: the error goes through onDeleteError, the row stays.
    conn_.execute(QStringLiteral("delete from mark where id_mark = 12"));
    bool handled = false;
    marks_.onDeleteError = [&](DataSet&, const DatabaseError&, DataAction&) { handled = true; };
    EXPECT_THROW(marks_.deleteRecord(), DatabaseError);
    EXPECT_TRUE(handled);
    EXPECT_EQ(after, 1);
    EXPECT_EQ(marks_.recordCount(), 3);
    EXPECT_EQ(text("id_mark"), QStringLiteral("12"));
}

TEST_P(DataSetEdit, RefusedInputLeavesRowsAndStateAsTheyWere) {
    addMarkFields();
    DB_STEP(teachers_.open());
    DB_STEP(marks_.open());
    marks_.setRecNo(2);
    const struct {
        const char* what;
        std::function<void()> action;
        const char* named; // the message names this
        DataSetState stateBefore;
    } cases[] = {
        {"bad filter", [&] { marks_.setFilter(QStringLiteral("grade = = 5")); }, "grade = = 5",
         DataSetState::Browse},
        {"unterminated text", [&] { marks_.setFilter(QStringLiteral("p35 = 'a")); }, "p35 = 'a",
         DataSetState::Browse},
        {"filter on unknown field", [&] { marks_.setFilter(QStringLiteral("nope = 1")); }, "nope",
         DataSetState::Browse},
        {"unknown field", [&] { marks_.fieldByName(QStringLiteral("nope")); }, "nope",
         DataSetState::Browse},
        {"field index", [&] { marks_.field(42); }, "42", DataSetState::Browse},
        {"parameter index", [&] { marks_.parameters()[3]; }, "3", DataSetState::Browse},
        {"sort by unknown field", [&] { marks_.sortBy(QStringLiteral("nope")); }, "nope",
         DataSetState::Browse},
        {"text not an integer",
         [&] { marks_.fieldByName(QStringLiteral("grade"))->setText(QStringLiteral("five")); },
         "five", DataSetState::Edit},
        {"text not a date",
         [&] { marks_.fieldByName(QStringLiteral("p36"))->setText(QStringLiteral("31.02.2024")); },
         "p36", DataSetState::Edit},
        {"name not in the lookup",
         [&] { marks_.fieldByName(QStringLiteral("teacher"))->setValue(QStringLiteral("X")); },
         "teacher", DataSetState::Edit},
        {"read-only field", [&] { marks_.fieldByName(QStringLiteral("id_mark"))->setValue(77); },
         "id_mark", DataSetState::Edit},
        {"write outside edit", [&] { marks_.fieldByName(QStringLiteral("grade"))->setValue(1); },
         "grade", DataSetState::Browse},
        {"post in browse", [&] { marks_.post(); }, "edit or insert", DataSetState::Browse},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.stateBefore == DataSetState::Edit)
            marks_.edit();
        try {
            c.action();
            ADD_FAILURE() << "no error";
        } catch (const DatabaseError& e) {
            EXPECT_TRUE(e.message().contains(QString::fromUtf8(c.named))) << e.what();
        }
        EXPECT_EQ(marks_.state(), c.stateBefore);
        EXPECT_EQ(marks_.recNo(), 2);
        EXPECT_EQ(text("grade"), QStringLiteral("4"));
        EXPECT_EQ(text("p36"), QStringLiteral("06.03.2024"));
        EXPECT_EQ(text("id_mark"), QStringLiteral("11"));
        marks_.cancel();
    }
    EXPECT_EQ(marks_.recordCount(), 4);
    EXPECT_FALSE(marks_.filtered());

    // A closed data set refuses posting and writing.
    marks_.close();
    EXPECT_THROW(marks_.post(), DatabaseError);
    EXPECT_THROW(marks_.fieldByName(QStringLiteral("grade"))->setValue(1), DatabaseError);
    EXPECT_FALSE(marks_.active());

    // A data set without an update table is read-only.
    DB_STEP(teachers_.first());
    EXPECT_FALSE(teachers_.canModify());
    EXPECT_THROW(teachers_.edit(), DatabaseError);
    EXPECT_EQ(teachers_.state(), DataSetState::Browse);
}

TEST_P(DataSetEdit, OpenEditPostInsertAndDelete) {
    addMarkFields();
    DB_STEP(teachers_.open());
    DB_STEP(marks_.open());
    ASSERT_EQ(marks_.recordCount(), 4);
    EXPECT_EQ(text("teacher"), QStringLiteral("Петров П")); // cut to the field's size
    EXPECT_EQ(marks_.fieldByName(QStringLiteral("p36"))->value().toDateTime(),
              QDateTime(QDate(2024, 3, 5), QTime(14, 30)));
    EXPECT_TRUE(marks_.fieldByName(QStringLiteral("done"))->value().toBool());

    marks_.next(); // id 11
    marks_.edit();
    marks_.fieldByName(QStringLiteral("p35"))->setText(QStringLiteral("зачёт"));
    marks_.fieldByName(QStringLiteral("grade"))->setValue(2);
    DB_STEP(marks_.post());
    EXPECT_EQ(dbValue(QStringLiteral("select p35 || '|' || grade from mark where id_mark = 11"))
                  .toString(),
              QStringLiteral("зачёт|2"));

    marks_.insert();
    marks_.fieldByName(QStringLiteral("grade"))->setValue(4);
    marks_.fieldByName(QStringLiteral("teacher"))->setValue(QStringLiteral("Сидоров С.С."));
    DB_STEP(marks_.post());
    EXPECT_EQ(marks_.fieldByName(QStringLiteral("id_mark"))->value().toInt(), 14);
    EXPECT_EQ(dbValue(QStringLiteral("select id_teacher from mark where id_mark = 14")).toInt(), 3);

    DB_STEP(marks_.deleteRecord());
    EXPECT_EQ(dbValue(QStringLiteral("select count(*) from mark")).toInt(), 4);
    EXPECT_EQ(marks_.recordCount(), 4);

    // Re-reading keeps the current row and shows what the database holds.
    marks_.setRecNo(2);
    DB_STEP(marks_.refresh());
    EXPECT_EQ(text("id_mark"), QStringLiteral("11"));
    EXPECT_EQ(text("p35"), QStringLiteral("зачёт"));
}

// A date-time column takes part in the optimistic check of a post.
TEST_P(DataSetEdit, DateTimeColumnsMatchTheirOldValues) {
    DB_STEP(marks_.open());
    marks_.edit(); // id 10, p36 2024-03-05 14:30
    marks_.fieldByName(QStringLiteral("p36"))->setValue(QDateTime(QDate(2024, 3, 6), QTime(8, 0)));
    DB_STEP(marks_.post());
    marks_.edit();
    marks_.fieldByName(QStringLiteral("p36"))->setValue(QDateTime(QDate(2024, 3, 7), QTime(9, 0)));
    DB_STEP(marks_.post());
    DB_STEP(marks_.refresh());
    EXPECT_EQ(marks_.fieldByName(QStringLiteral("p36"))->value().toDateTime(),
              QDateTime(QDate(2024, 3, 7), QTime(9, 0)));
}
