// Reading data sets from a real SQLite file: fields, lookups, texts, navigation, sort,
// filter, bookmarks, record numbers, refresh and silenced controls.
#include "support/MarksDb.h"

#include "db/Field.h"

#include <QSignalSpy>

using namespace db;
using DataSetRead = testsupport::MarksOverDrivers;

INSTANTIATE_TEST_SUITE_P(Drivers, DataSetRead,
                         ::testing::Values(testsupport::MarksDriver::Sqlite,
                                           testsupport::MarksDriver::SqliteOdbc),
                         testsupport::driverName);

TEST_P(DataSetRead, DynamicFieldsFollowTheResultAndTypesFollowDeclarations) {
    DB_STEP(marks_.open());
    ASSERT_EQ(marks_.fieldCount(), 6);
    EXPECT_EQ(marks_.recordCount(), 4);
    const Field* p35 = marks_.fieldByName(QStringLiteral("P35"));
    EXPECT_EQ(p35->dataType(), FieldType::String);
    EXPECT_EQ(p35->size(), 10);
    EXPECT_EQ(marks_.fieldByName(QStringLiteral("p36"))->dataType(), FieldType::DateTime);
    EXPECT_EQ(marks_.fieldByName(QStringLiteral("done"))->dataType(), FieldType::Boolean);
    EXPECT_EQ(marks_.fieldByName(QStringLiteral("grade"))->alignment(), Alignment::Right);
    marks_.close();
    EXPECT_EQ(marks_.fieldCount(), 0);
    EXPECT_FALSE(marks_.active());
}

TEST_P(DataSetRead, FieldTextsUseTheUserLocale) {
    DB_STEP(marks_.open());
    // Row 1: a date with a time of day, a true flag.
    EXPECT_EQ(text("p36"), QStringLiteral("05.03.2024 14:30:00"));
    EXPECT_EQ(text("done"), QStringLiteral("True"));
    EXPECT_EQ(text("grade"), QStringLiteral("5"));
    marks_.next();
    // Midnight shows the date alone.
    EXPECT_EQ(text("p36"), QStringLiteral("06.03.2024"));
    EXPECT_EQ(text("done"), QStringLiteral("False"));
    marks_.next();
    EXPECT_EQ(text("p36"), QString());
    EXPECT_TRUE(marks_.fieldByName(QStringLiteral("p36"))->isNull());
}

TEST_P(DataSetRead, LookupShowsTheNameCutToSizeAndStoresTheKey) {
    addMarkFields();
    DB_STEP(teachers_.open());
    DB_STEP(marks_.open());
    Field* teacher = marks_.fieldByName(QStringLiteral("teacher"));
    EXPECT_EQ(teacher->text(), QStringLiteral("Петров П")); // size 8
    EXPECT_TRUE(teacher->isLookup());
    EXPECT_EQ(teacher->keyFields(), QStringLiteral("id_teacher"));

    // Choosing a name stores the key; the write goes to the key column only.
    marks_.edit();
    teacher->setValue(QStringLiteral("Сидоров С.С."));
    EXPECT_EQ(marks_.fieldByName(QStringLiteral("id_teacher"))->value().toInt(), 3);
    EXPECT_EQ(teacher->text(), QStringLiteral("Сидоров "));
    statements_.clear();
    DB_STEP(marks_.post());
    ASSERT_EQ(statements_.size(), 1);
    EXPECT_EQ(statements_[0], QStringLiteral("UPDATE mark SET id_teacher = ? WHERE id_mark = ? AND "
                                             "id_teacher = ?"));
    EXPECT_EQ(dbValue(QStringLiteral("select id_teacher from mark where id_mark = 10")).toInt(), 3);

    // A key without a lookup row shows nothing; a renamed teacher shows after the lookup
    // data set is re-read.
    marks_.edit();
    marks_.fieldByName(QStringLiteral("id_teacher"))->setValue(99);
    EXPECT_EQ(teacher->text(), QString());
    marks_.cancel();
    conn_.execute(QStringLiteral("update teacher set t_fio = 'Новиков' where id_teacher = 3"));
    teachers_.refresh();
    EXPECT_EQ(teacher->text(), QStringLiteral("Новиков"));
}

TEST_P(DataSetRead, NavigationRecordNumbersAndCalculatedRowNumbers) {
    addMarkFields();
    DB_STEP(teachers_.open());
    DB_STEP(marks_.open());
    EXPECT_TRUE(marks_.bof());
    EXPECT_EQ(marks_.recNo(), 1);
    marks_.last();
    EXPECT_TRUE(marks_.eof());
    EXPECT_EQ(marks_.recNo(), 4);
    marks_.next();
    EXPECT_TRUE(marks_.eof());
    EXPECT_EQ(marks_.recNo(), 4);
    marks_.setRecNo(2);
    EXPECT_EQ(text("id_mark"), QStringLiteral("11"));
    marks_.setRecNo(9); // out of range: stays
    EXPECT_EQ(marks_.recNo(), 2);
    EXPECT_EQ(marks_.moveBy(5), 2);
    EXPECT_TRUE(marks_.eof());

    // The calculated field numbers each row by its place in the present order, also for a
    // painting grid reading rows it does not stand on.
    marks_.sortBy(QStringLiteral("teacher"));
    EXPECT_EQ(column(marks_, "No"), (QStringList{"1", "2", "3", "4"}));
    EXPECT_EQ(column(marks_, "id_mark"), (QStringList{"11", "13", "10", "12"}));
    marks_.first();
    const int previous = marks_.setDisplayRow(2);
    EXPECT_EQ(text("No"), QStringLiteral("3"));
    EXPECT_EQ(text("id_mark"), QStringLiteral("10"));
    marks_.setDisplayRow(previous);
    EXPECT_EQ(text("id_mark"), QStringLiteral("11"));
}

TEST_P(DataSetRead, SortIsStableAndLostOnReopen) {
    DB_STEP(marks_.open());
    marks_.setRecNo(3); // id 12
    marks_.sortBy(QStringLiteral("grade"), false);
    EXPECT_EQ(text("id_mark"), QStringLiteral("12")); // the current row is kept
    EXPECT_EQ(column(marks_, "id_mark"), (QStringList{"10", "13", "11", "12"}));
    marks_.sortBy(QStringLiteral("p35"));
    EXPECT_EQ(column(marks_, "p35"), (QStringList{"", "a", "b", "c"}));
    marks_.close();
    marks_.open();
    EXPECT_EQ(marks_.sortField(), QString());
    EXPECT_EQ(column(marks_, "id_mark"), (QStringList{"10", "11", "12", "13"}));
}

TEST_P(DataSetRead, FilterLanguageSelectsRows) {
    addMarkFields();
    DB_STEP(teachers_.open());
    DB_STEP(marks_.open());
    const struct {
        const char* filter;
        QStringList ids;
    } cases[] = {
        {"id_teacher=1 and grade=5", {"13"}},
        {"grade >= 4 AND NOT (done = True)", {"11"}},
        {"p35='a' or p35 = 'C'", {"11", "12"}},
        {"p35 is null", {"13"}},
        {"p35 is not null and grade<>5", {"11", "12"}},
        {"p36 < '06.03.2024 12:00'", {"10", "11"}},
        {"teacher = 'Иванов И'", {"11", "13"}},
        {"grade in (3, 4)", {"11", "12"}},
        {"(grade > 3) and (grade < 5)", {"11"}},
        {"grade <= 4", {"11", "12"}}, // the bounds themselves are in
        {"grade >= 5", {"10", "13"}},
        {"grade <= 3 or grade >= 5", {"10", "12", "13"}},
        {"p35 like 'b%' or id_mark = 12", {"10", "12"}},
        {"", {"10", "11", "12", "13"}},
    };
    marks_.setFiltered(true);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.filter);
        DB_STEP(marks_.setFilter(QString::fromUtf8(c.filter)));
        EXPECT_EQ(marks_.recordCount(), c.ids.size());
        EXPECT_EQ(column(marks_, "id_mark"), c.ids);
    }
    // Switching the filter off shows every row again; the text stays for the next switch.
    marks_.setFilter(QStringLiteral("grade=5"));
    marks_.setFiltered(false);
    EXPECT_EQ(marks_.recordCount(), 4);
    marks_.setFiltered(true);
    EXPECT_EQ(marks_.recordCount(), 2);
    EXPECT_EQ(marks_.recNo(), 1);
}

TEST_P(DataSetRead, BookmarksSurviveSortFilterAndRefreshButNotDeletion) {
    DB_STEP(marks_.open());
    marks_.setRecNo(3);
    const Bookmark b = marks_.bookmark();
    const QString s = marks_.bookmarkString();
    EXPECT_FALSE(s.isEmpty());
    marks_.sortBy(QStringLiteral("grade"));
    marks_.first();
    marks_.gotoBookmarkString(s);
    EXPECT_EQ(text("id_mark"), QStringLiteral("12"));

    // Hidden by a filter: not valid until the filter is off.
    marks_.setFilter(QStringLiteral("grade = 5"));
    marks_.setFiltered(true);
    EXPECT_FALSE(marks_.bookmarkValid(b));
    EXPECT_THROW(marks_.gotoBookmark(b), DatabaseError);
    marks_.setFiltered(false);
    EXPECT_TRUE(marks_.bookmarkValid(b));

    DB_STEP(marks_.refresh());
    EXPECT_TRUE(marks_.bookmarkValid(b));
    EXPECT_EQ(marks_.valueAt(b, QStringLiteral("p35")).toString(), QStringLiteral("c"));

    marks_.gotoBookmark(b);
    DB_STEP(marks_.deleteRecord());
    EXPECT_FALSE(marks_.bookmarkValid(b));
    EXPECT_FALSE(marks_.bookmarkValid(marks_.bookmarkFromString(QStringLiteral("junk"))));
}

TEST_P(DataSetRead, RefreshKeepsTheCurrentRowByKeyAndShowsOtherClientsChanges) {
    DB_STEP(marks_.open());
    marks_.setRecNo(3); // id 12
    Connection other;
    other.setConnectionString(connectionText());
    other.execute(QStringLiteral("insert into mark (id_mark, grade) values (5, 2), (6, 2)"));
    other.execute(QStringLiteral("update mark set p35 = 'new' where id_mark = 12"));
    DB_STEP(marks_.refresh());
    EXPECT_EQ(marks_.recordCount(), 6);
    EXPECT_EQ(text("id_mark"), QStringLiteral("12"));
    EXPECT_EQ(text("p35"), QStringLiteral("new"));
    EXPECT_EQ(marks_.recNo(), 5);

    // The current row gone: the same place.
    other.execute(QStringLiteral("delete from mark where id_mark = 12"));
    DB_STEP(marks_.refresh());
    EXPECT_EQ(marks_.recNo(), 5);
    EXPECT_EQ(text("id_mark"), QStringLiteral("13"));
}

TEST_P(DataSetRead, QueryParametersBindByName) {
    marks_.setSql(QStringLiteral("select * from mark where grade = :g and p35 <> ':no' "
                                 "and id_teacher = :t order by id_mark"));
    ASSERT_EQ(marks_.parameters().count(), 2);
    marks_.parameters().byName(QStringLiteral("g")).value = 5;
    marks_.parameters()[1].value = 2;
    DB_STEP(marks_.open());
    EXPECT_EQ(marks_.recordCount(), 1);
    EXPECT_EQ(statements_.last(), QStringLiteral("select * from mark where grade = ? and p35 <> "
                                                 "':no' and id_teacher = ? order by id_mark"));
    // Re-texting keeps the values of parameters of the same name.
    marks_.close();
    marks_.setSql(QStringLiteral("select * from mark where grade = :G"));
    EXPECT_EQ(marks_.parameters()[0].value.toInt(), 5);
}

TEST_P(DataSetRead, DisabledControlsHearNothingUntilOneRefreshAtTheEnd) {
    DataSource source;
    source.setDataSet(&marks_);
    QSignalSpy moved(&source, &DataSource::recordMoved);
    QSignalSpy changed(&source, &DataSource::dataSetChanged);
    QSignalSpy active(&source, &DataSource::activeChanged);
    DB_STEP(marks_.open());
    EXPECT_EQ(active.count(), 1);
    marks_.next();
    EXPECT_EQ(moved.count(), 1);

    marks_.disableControls();
    {
        ControlsDisabled nested(marks_);
        EXPECT_TRUE(marks_.controlsDisabled());
        while (!marks_.eof())
            marks_.next();
        marks_.sortBy(QStringLiteral("grade"));
    }
    EXPECT_TRUE(marks_.controlsDisabled()); // counted: one disable is still open
    EXPECT_EQ(moved.count(), 1);
    EXPECT_EQ(changed.count(), 0);
    marks_.enableControls();
    EXPECT_FALSE(marks_.controlsDisabled());
    EXPECT_EQ(moved.count(), 1);
    EXPECT_EQ(changed.count(), 1);
    marks_.enableControls(); // one too many changes nothing
    EXPECT_FALSE(marks_.controlsDisabled());
    EXPECT_EQ(changed.count(), 1);
}
