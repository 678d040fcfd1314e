// Data sets on the ODBC driver: the marks database reached through the SQLite ODBC driver.
#include "DataSetFixture.h"

#include "db/Field.h"
#include "db/OdbcDriver.h"

using namespace db;

namespace {

// The same marks file, but every statement of the data sets goes through unixODBC.
class MarksOverOdbc : public dbtest::MarksDb {
protected:
    void SetUp() override {
        MarksDb::SetUp();
        conn_.close();
        conn_.setConnectionString(QStringLiteral("Driver=SQLite3;Database=") + path_);
        DB_STEP(conn_.open());
        ASSERT_NE(dynamic_cast<OdbcDriver*>(&conn_.driver()), nullptr);
    }
};

TEST_F(MarksOverOdbc, OpenEditPostInsertAndDelete) {
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

TEST_F(MarksOverOdbc, AnotherClientsChangeMakesThePostFail) {
    DB_STEP(marks_.open());
    Connection other;
    other.setConnectionString(QStringLiteral("Driver=SQLite3;Database=") + path_);
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
    EXPECT_EQ(marks_.state(), DataSetState::Edit);
    EXPECT_EQ(dbValue(QStringLiteral("select p35 from mark where id_mark = 10")).toString(),
              QStringLiteral("theirs"));
    marks_.cancel();
}

// A date-time column takes part in the optimistic check of a post.
TEST_F(MarksOverOdbc, DateTimeColumnsMatchTheirOldValues) {
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

} // namespace
