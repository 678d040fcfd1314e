// Data sets as the windows and components use them: a stored procedure journal, a table,
// statements without rows, control signals while editing, and a key-filter count walk.
#include "support/MarksDb.h"

#include "db/Field.h"
#include "db/SqliteDriver.h"

#include <QSignalSpy>

using namespace db;
using testsupport::MarksDb;

namespace {

// A SQLite file whose one procedure, marks_of, returns the marks of a grade; the embedded
// server answers procedures the same way, through the driver.
class ProcedureDriver : public SqliteDriver {
public:
    std::vector<QVariant> lastValues;
    int lastTimeout = -1;

    Result callProcedure(const QString& name, Parameters& parameters, int timeoutSeconds) override {
        lastTimeout = timeoutSeconds;
        lastValues.clear();
        for (const Parameter& p : parameters.items())
            lastValues.push_back(p.value);
        if (name != QStringLiteral("marks_of;1"))
            return SqliteDriver::callProcedure(name, parameters, timeoutSeconds);
        parameters[0].value = 0;
        return execute(QStringLiteral("select * from mark where grade = ? order by id_mark"),
                       {parameters.byName(QStringLiteral("grade")).value});
    }
};

} // namespace

TEST_F(MarksDb, StoredProcedureDataSetPassesOrderedParametersAndItsTimeout) {
    ProcedureDriver* driver = nullptr;
    Connection conn;
    conn.setConnectionString(QStringLiteral("Data Source=") + path_);
    conn.setDriverFactory([&](const ConnectionString&) {
        auto d = std::make_unique<ProcedureDriver>();
        driver = d.get();
        return d;
    });
    DataSet journal(DataSetKind::StoredProc);
    journal.setConnection(&conn);
    journal.setProcedureName(QStringLiteral("marks_of;1"));
    journal.setCommandTimeout(120);
    Parameter ret;
    ret.name = QStringLiteral("@RETURN_VALUE");
    ret.direction = ParameterDirection::ReturnValue;
    journal.parameters().add(ret);
    Parameter grade;
    grade.name = QStringLiteral("@grade");
    journal.parameters().add(grade);
    Parameter note;
    note.name = QStringLiteral("@DoNotShow");
    note.type = FieldType::Memo;
    journal.parameters().add(note);
    journal.setUpdateTable(QStringLiteral("mark"), QStringLiteral("id_mark"));

    journal.parameters()[1].value = 5; // by position, as the windows set them
    journal.parameters().byName(QStringLiteral("DoNotShow")).value = QStringLiteral("1=1");
    DB_STEP(journal.open());
    ASSERT_NE(driver, nullptr);
    EXPECT_EQ(driver->lastTimeout, 120);
    ASSERT_EQ(driver->lastValues.size(), 3u);
    EXPECT_EQ(driver->lastValues[1].toInt(), 5);
    EXPECT_EQ(driver->lastValues[2].toString(), QStringLiteral("1=1"));
    EXPECT_EQ(journal.parameters()[0].value.toInt(), 0);
    EXPECT_EQ(journal.recordCount(), 2);

    // Its rows are written back to the update table like any other.
    journal.edit();
    journal.fieldByName(QStringLiteral("p35"))->setValue(QStringLiteral("x"));
    DB_STEP(journal.post());
    DB_STEP(journal.refresh());
    EXPECT_EQ(journal.fieldByName(QStringLiteral("p35"))->text(), QStringLiteral("x"));

    // A procedure the database does not know is the database's error, unchanged.
    DataSet unknown(DataSetKind::StoredProc);
    unknown.setConnection(&conn);
    unknown.setProcedureName(QStringLiteral("nothing;1"));
    try {
        unknown.open();
        ADD_FAILURE() << "opened";
    } catch (const DatabaseError& e) {
        EXPECT_EQ(e.message(), QStringLiteral("Could not find stored procedure 'nothing'."));
    }
    EXPECT_FALSE(unknown.active());
}

TEST_F(MarksDb, TablesAndStatementsWithoutRows) {
    DataSet table(DataSetKind::Table);
    table.setConnection(&conn_);
    table.setTableName(QStringLiteral("teacher"));
    DB_STEP(table.open());
    EXPECT_EQ(statements_.last(), QStringLiteral("select * from teacher"));
    EXPECT_EQ(table.recordCount(), 3);
    table.sortBy(QStringLiteral("t_fio"), false);
    EXPECT_EQ(column(table, "t_fio").first(), QStringLiteral("Сидоров С.С."));

    DataSet exec(DataSetKind::Query);
    exec.setConnection(&conn_);
    exec.setSql(QStringLiteral("update mark set grade = :g where grade = 5"));
    exec.parameters()[0].value = 2;
    int changed = 0;
    DB_STEP(changed = exec.execSql());
    EXPECT_EQ(changed, 2);
    exec.setSql(QStringLiteral("delete from nowhere"));
    EXPECT_THROW(exec.execSql(), DatabaseError);
}

TEST_F(MarksDb, ControlsHearStateFieldAndRowChanges) {
    addMarkFields();
    DB_STEP(teachers_.open());
    DB_STEP(marks_.open());
    DataSource source;
    source.setDataSet(&marks_);
    QSignalSpy state(&source, &DataSource::stateChanged);
    QSignalSpy record(&source, &DataSource::recordChanged);
    QSignalSpy rows(&source, &DataSource::dataSetChanged);
    marks_.edit();
    EXPECT_EQ(state.count(), 1);
    marks_.fieldByName(QStringLiteral("id_teacher"))->setValue(3);
    // The key field and the lookup shown from it.
    ASSERT_EQ(record.count(), 2);
    EXPECT_EQ(record[0][0].toInt(), marks_.fieldByName(QStringLiteral("id_teacher"))->index());
    EXPECT_EQ(record[1][0].toInt(), marks_.fieldByName(QStringLiteral("teacher"))->index());
    DB_STEP(marks_.post());
    EXPECT_EQ(state.count(), 2);
    DB_STEP(marks_.deleteRecord());
    EXPECT_EQ(rows.count(), 1);

    // A data source destroyed first is forgotten by the data set.
    {
        DataSource second;
        second.setDataSet(&marks_);
    }
    marks_.next();

    // A data set destroyed first leaves its data source empty.
    auto shortLived = std::make_unique<DataSet>(DataSetKind::Query);
    source.setDataSet(shortLived.get());
    shortLived.reset();
    EXPECT_EQ(source.dataSet(), nullptr);
}

// The grid component's duplicate walk: for each row a key filter, a count, the filter off
// and back to the row by number.
TEST_F(MarksDb, KeyFilterCountsDuringAWalkKeepThePlace) {
    DB_STEP(marks_.open());
    QStringList duplicated;
    ControlsDisabled quiet(marks_);
    marks_.first();
    while (!marks_.eof()) {
        const int kept = marks_.recNo();
        const QString key = QStringLiteral("grade=%1 and done=%2")
                                .arg(marks_.fieldByName(QStringLiteral("grade"))->text(),
                                     marks_.fieldByName(QStringLiteral("done"))->text());
        marks_.setFilter(key);
        marks_.setFiltered(true);
        if (marks_.recordCount() > 1 && !duplicated.contains(key))
            duplicated << key;
        marks_.setFiltered(false);
        marks_.setRecNo(kept);
        marks_.setFilter(QString());
        marks_.setFiltered(false);
        EXPECT_EQ(marks_.recNo(), kept);
        marks_.next();
    }
    EXPECT_EQ(duplicated, QStringList{QStringLiteral("grade=5 and done=True")});
    EXPECT_EQ(marks_.recordCount(), 4);
}
