// The update-history recorder on a journal table in a plain SQLite file.
#include "history/log_u.h"

#include "support/TempDir.h"

#include "db/Connection.h"
#include "db/DataSet.h"

#include <gtest/gtest.h>

#include <QDate>
#include <QDateTime>
#include <QLocale>

#include <cstdlib>

namespace {

const QString Template = QStringLiteral("Поле \"<?>\" изменило значение \"<old>\" на \"<new>\".");

// A mark_mag table with the journal's eighteen columns, a mark list for a lookup, an audit
// table, and a trigger that refuses one sheet number the way a server refuses a right.
class RecorderTest : public ::testing::Test {
protected:
    void SetUp() override {
        conn.setConnectionString(QStringLiteral("Data Source=") + dir.path("journal.sqlite"));
        for (const char* sql : {
                 "CREATE TABLE mark_mag(id_estimation_other INTEGER, id_mark_mag INTEGER "
                 "PRIMARY KEY AUTOINCREMENT, id_group INTEGER, id_student INTEGER, "
                 "id_examination INTEGER, id_estimation INTEGER, id_discipline INTEGER, "
                 "id_semester INTEGER, id_teacher INTEGER, p35 VARCHAR(50), p36 DATETIME, "
                 "id_f_est INTEGER, oper VARCHAR(5), u_date DATETIME, KEL_User VARCHAR(20), "
                 "KEL_Update DATE, primech VARCHAR(50), dopusk_izm BIT)",
                 "CREATE TABLE estimation(id_estimation INTEGER, p31 VARCHAR(30))",
                 "INSERT INTO estimation VALUES(3, 'удовл.'), (5, 'отлично')",
                 "CREATE TABLE KEL_LOG([table] VARCHAR(50), row_id INTEGER, descr TEXT)",
                 "CREATE TRIGGER refuse BEFORE UPDATE OF p35 ON mark_mag "
                 "WHEN NEW.p35 = 'refused' BEGIN SELECT RAISE(ABORT, 'UPDATE permission "
                 "denied on column p35'); END",
                 "INSERT INTO mark_mag(id_mark_mag, id_group, id_student, id_examination, "
                 "id_estimation, id_discipline, id_semester, id_teacher, p35, p36, id_f_est, "
                 "primech, dopusk_izm) VALUES(123, 5, 7, 1, 3, 11, 2, NULL, '12', "
                 "'2024-04-05 00:00:00', 1, 'д', 0)",
                 "INSERT INTO mark_mag(id_mark_mag, id_group, id_student, id_estimation, p35) "
                 "VALUES(124, 5, 8, 5, NULL)",
             })
            conn.execute(QString::fromUtf8(sql));

        marks.setConnection(&conn);
        marks.setSql(QStringLiteral("select * from estimation"));
        marks.open();

        journal.setConnection(&conn);
        journal.setSql(QStringLiteral("select * from mark_mag order by id_mark_mag"));
        journal.setUpdateTable(QStringLiteral("mark_mag"), QStringLiteral("id_mark_mag"));
        addField("id_estimation_other", db::FieldType::Integer);
        addField("id_mark_mag", db::FieldType::AutoInc);
        for (const char* name : {"id_group", "id_student", "id_examination", "id_estimation",
                                 "id_discipline", "id_semester", "id_teacher"})
            addField(name, db::FieldType::Integer);
        addField("p35", db::FieldType::String, 50);
        addField("p36", db::FieldType::DateTime);
        addField("id_f_est", db::FieldType::Integer);
        addField("oper", db::FieldType::String, 5);
        addField("u_date", db::FieldType::DateTime);
        db::FieldDef lookup;
        lookup.name = QStringLiteral("estimation");
        lookup.kind = db::FieldKind::Lookup;
        lookup.size = 30;
        lookup.lookupDataSet = &marks;
        lookup.lookupKeyFields = QStringLiteral("id_estimation");
        lookup.lookupResultField = QStringLiteral("p31");
        lookup.keyFields = QStringLiteral("id_estimation");
        journal.addFieldDef(lookup);
        addField("KEL_User", db::FieldType::String, 20);
        addField("KEL_Update", db::FieldType::Date);
        addField("primech", db::FieldType::String, 50);
        addField("dopusk_izm", db::FieldType::Boolean);
        journal.open();

        recorder.MessageTemplate = Template;
        recorder.OnFieldChanged = [this](const QString& message, db::DataSet& ds,
                                         const QString& table, const QString& key,
                                         QStringList& statements) {
            messages << message;
            statements << insertLog(table, ds.fieldByName(key)->text(), message);
        };
        recorder.OnRowDeleted = [this](const QString& image, db::DataSet& ds, const QString& table,
                                       const QString& key, QStringList& statements) {
            images << image;
            statements << insertLog(table, ds.fieldByName(key)->text(), image);
        };
        recorder.OnExecute = [this](const QStringList& statements) {
            for (const QString& s : statements) {
                executed << s;
                conn.execute(s);
            }
        };
    }

    void addField(const char* name, db::FieldType type, int size = 0) {
        db::FieldDef def;
        def.name = QString::fromLatin1(name);
        def.type = type;
        def.size = size;
        def.readOnly = type == db::FieldType::AutoInc;
        journal.addFieldDef(def);
    }

    static QString insertLog(const QString& table, const QString& key, const QString& descr) {
        return QStringLiteral("INSERT INTO KEL_LOG([table], [row_id], [descr]) VALUES(") +
               QuoteSQL(table) + QStringLiteral(", ") + key + QStringLiteral(", ") +
               QuoteSQL(descr) + QLatin1Char(')');
    }

    void attach(bool logEdits = true, bool logDeletes = true) {
        recorder.Attach(&journal, QStringLiteral("mark_mag"), QStringLiteral("id_mark_mag"),
                        logEdits, logDeletes);
    }

    QStringList logged() {
        QStringList out;
        for (const auto& row :
             conn.query(QStringLiteral("SELECT descr FROM KEL_LOG ORDER BY rowid")).rows)
            out << row.at(0).toString();
        return out;
    }

    QVariant stored(const char* column, int key) {
        const auto rows = conn.query(QStringLiteral("SELECT %1 FROM mark_mag WHERE "
                                                    "id_mark_mag = %2")
                                         .arg(QString::fromLatin1(column))
                                         .arg(key))
                              .rows;
        return rows.empty() ? QVariant() : rows.front().at(0);
    }

    void editFirst(const char* field, const QVariant& value) {
        journal.first();
        journal.edit();
        journal.fieldByName(QString::fromLatin1(field))->setValue(value);
    }

    testsupport::TempDir dir;
    db::Connection conn;
    db::DataSet marks{db::DataSetKind::Query};
    db::DataSet journal{db::DataSetKind::Query};
    TADOUpdateHistoryExec recorder;
    QStringList messages, images, executed;
};

TEST_F(RecorderTest, MarkChangedFrom3To5NamesTheDataFieldAndIsLoggedAfterTheWrite) {
    attach();
    QStringList seenWhenRun;
    recorder.OnExecute = [&](const QStringList& statements) {
        seenWhenRun << stored("id_estimation", 123).toString();
        for (const QString& s : statements)
            conn.execute(s);
    };
    editFirst("id_estimation", 5);
    journal.post();

    const QString expected =
        QStringLiteral("Поле \"id_estimation\" изменило значение \"3\" на \"5\".");
    EXPECT_EQ(messages, QStringList{expected});
    EXPECT_EQ(seenWhenRun, QStringList{QStringLiteral("5")}) << "statements ran before the write";
    EXPECT_EQ(logged(), QStringList{expected});
    EXPECT_TRUE(recorder.Statements().isEmpty());
}

TEST_F(RecorderTest, PostWithoutChangeGivesNoMessageAndNoStatement) {
    attach();
    editFirst("id_estimation", 3);
    journal.post();
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_TRUE(executed.isEmpty());
    EXPECT_TRUE(logged().isEmpty());
}

TEST_F(RecorderTest, ANewRowIsNoChangeAndIsNotLogged) {
    attach();
    journal.append();
    journal.fieldByName(QStringLiteral("id_student"))->setValue(9);
    journal.fieldByName(QStringLiteral("id_estimation"))->setValue(5);
    journal.post();
    EXPECT_EQ(conn.query(QStringLiteral("SELECT COUNT(*) FROM mark_mag WHERE id_student = 9"))
                  .rows.front()
                  .at(0)
                  .toInt(),
              1)
        << "the row was written";
    EXPECT_TRUE(messages.isEmpty()) << messages.join(u'|').toStdString();
    EXPECT_TRUE(logged().isEmpty());
}

TEST_F(RecorderTest, NullOnEitherSideReadsNull) {
    attach();
    journal.first();
    journal.edit();
    journal.fieldByName(QStringLiteral("id_teacher"))->setValue(4); // was NULL
    journal.fieldByName(QStringLiteral("p35"))->clear();            // was 12
    journal.post();
    EXPECT_EQ(messages,
              (QStringList{
                  QStringLiteral("Поле \"id_teacher\" изменило значение \"NULL\" на \"4\"."),
                  QStringLiteral("Поле \"p35\" изменило значение \"12\" на \"NULL\"."),
              }));
    EXPECT_EQ(logged(), messages) << "statements run in the order they were added";
}

TEST_F(RecorderTest, DateChangedOnlyInItsTimeShowsTheSameDateTwice) {
    attach();
    editFirst("p36", QDateTime(QDate(2024, 4, 5), QTime(14, 30)));
    journal.post();
    const QString date = QLocale().toString(QDate(2024, 4, 5), QLocale::ShortFormat);
    EXPECT_EQ(messages, QStringList{QStringLiteral("Поле \"p36\" изменило значение \"%1\" на "
                                                   "\"%1\".")
                                        .arg(date)});
}

// Edits applied one after another to row 123; each reports the columns the UPDATE names, which
// triggers on the columns write down.
TEST_F(RecorderTest, ReportsExactlyTheColumnsTheWriteChanges) {
    const char* watched[] = {"id_estimation", "id_teacher", "p35", "p36", "primech", "dopusk_izm"};
    conn.execute(QStringLiteral("CREATE TABLE written(col TEXT)"));
    for (const char* col : watched)
        conn.execute(QStringLiteral("CREATE TRIGGER written_%1 AFTER UPDATE OF %1 ON mark_mag "
                                    "BEGIN INSERT INTO written VALUES('%1'); END")
                         .arg(QString::fromLatin1(col)));
    recorder.MessageTemplate = QStringLiteral("<?>");
    attach();
    const QDateTime midnight(QDate(2024, 4, 5), QTime(0, 0));
    const struct {
        const char* name;
        const char* field;
        QVariant value;
        bool changed;
    } cases[] = {
        {"a mark given as a double of its value", "id_estimation", 3.0, false},
        {"a mark given as text", "id_estimation", QStringLiteral("3"), false},
        {"a sheet number with a trailing space", "p35", QStringLiteral("12 "), true},
        {"the same sheet number again", "p35", QStringLiteral("12 "), false},
        {"zero where there was null", "id_teacher", 0, true},
        {"an empty note where there was text", "primech", QStringLiteral(""), true},
        {"null where there was an empty note", "primech", QVariant(), true},
        {"the stored date as a date-time", "p36", midnight, false},
        {"the date with milliseconds", "p36", midnight.addMSecs(250), true},
        {"the same milliseconds again", "p36", midnight.addMSecs(250), false},
        {"a flag given as a number", "dopusk_izm", 0, false},
        {"a flag set", "dopusk_izm", true, true},
    };
    for (const auto& c : cases) {
        messages.clear();
        conn.execute(QStringLiteral("DELETE FROM written"));
        editFirst(c.field, c.value);
        journal.post();
        QStringList written;
        for (const auto& row : conn.query(QStringLiteral("SELECT col FROM written")).rows)
            written << row.at(0).toString();
        const QStringList expected =
            c.changed ? QStringList{QString::fromLatin1(c.field)} : QStringList();
        EXPECT_EQ(written, expected) << c.name << ": the write";
        EXPECT_EQ(messages, expected) << c.name << ": the report";
    }
}

TEST_F(RecorderTest, QuoteInSheetNumberIsDoubledInTheMessageAndStoredOnce) {
    attach();
    editFirst("p35", QStringLiteral("12'a"));
    journal.post();
    EXPECT_EQ(messages,
              QStringList{QStringLiteral("Поле \"p35\" изменило значение \"12\" на \"12''a\".")});
    EXPECT_EQ(logged(),
              QStringList{QStringLiteral("Поле \"p35\" изменило значение \"12\" на \"12'a\".")});
}

TEST_F(RecorderTest, EmptyTemplateGivesTheEnglishMessage) {
    recorder.MessageTemplate.clear();
    attach();
    editFirst("p35", QStringLiteral("13"));
    journal.post();
    EXPECT_EQ(messages, QStringList{QStringLiteral(
                            "The field \"p35\" has been changed from \"12\" on \"13\".")});
}

TEST_F(RecorderTest, TemplateMarkersAreReplacedEverywhereAndOnlyExactly) {
    recorder.MessageTemplate = QStringLiteral("<?>/<?>: <old> -> <new> <NEW> <old>");
    attach();
    editFirst("p35", QStringLiteral("<new>"));
    journal.post();
    // Each replacement works on the result of the one before.
    EXPECT_EQ(messages, QStringList{QStringLiteral("p35/p35: 12 -> <new> <NEW> 12")});
}

TEST_F(RecorderTest, DeletedRowImageListsTheEighteenDataFieldsInOrder) {
    attach();
    journal.first();
    journal.deleteRecord();

    const QString date = QLocale().toString(QDate(2024, 4, 5), QLocale::ShortFormat);
    const QString expected =
        QStringLiteral("(id_estimation_other[NULL], id_mark_mag[123], id_group[5], "
                       "id_student[7], id_examination[1], id_estimation[3], id_discipline[11], "
                       "id_semester[2], id_teacher[NULL], p35[''12''], p36[''%1''], "
                       "id_f_est[1], oper[NULL], u_date[NULL], KEL_User[NULL], "
                       "KEL_Update[NULL], primech[''д''], dopusk_izm[False])")
            .arg(date);
    EXPECT_EQ(images, QStringList{expected});
    EXPECT_FALSE(stored("id_mark_mag", 123).isValid()) << "row not deleted";
    // The audit statement's quoting turns the doubled quotes back into single ones.
    QString once = expected;
    once.replace(QStringLiteral("''"), QStringLiteral("'"));
    EXPECT_EQ(logged(), QStringList{once});
}

TEST_F(RecorderTest, ImageDropsTheTrailingCommaWhenTheLastFieldIsNoDataField) {
    db::DataSet narrow{db::DataSetKind::Query};
    narrow.setConnection(&conn);
    narrow.setSql(QStringLiteral("select id_mark_mag, p35, id_estimation from mark_mag"));
    narrow.setUpdateTable(QStringLiteral("mark_mag"), QStringLiteral("id_mark_mag"));
    for (const auto& [name, type] :
         {std::pair{"id_mark_mag", db::FieldType::AutoInc}, std::pair{"p35", db::FieldType::String},
          std::pair{"id_estimation", db::FieldType::Integer}}) {
        db::FieldDef def;
        def.name = QString::fromLatin1(name);
        def.type = type;
        def.size = type == db::FieldType::String ? 50 : 0;
        narrow.addFieldDef(def);
    }
    db::FieldDef lookup;
    lookup.name = QStringLiteral("estimation");
    lookup.kind = db::FieldKind::Lookup;
    lookup.size = 30;
    lookup.lookupDataSet = &marks;
    lookup.lookupKeyFields = QStringLiteral("id_estimation");
    lookup.lookupResultField = QStringLiteral("p31");
    lookup.keyFields = QStringLiteral("id_estimation");
    narrow.addFieldDef(lookup);
    narrow.open();

    recorder.Attach(&narrow, QStringLiteral("mark_mag"), QStringLiteral("id_mark_mag"), true, true);
    narrow.first();
    narrow.edit();
    narrow.fieldByName(QStringLiteral("p35"))->setValue(QStringLiteral("a'b"));
    narrow.post();
    narrow.deleteRecord();
    EXPECT_EQ(images, QStringList{QStringLiteral("(id_mark_mag[123], p35[''a''b''], "
                                                 "id_estimation[3])")});
    recorder.Detach();
}

TEST_F(RecorderTest, StatementsRunOnlyAfterASuccessfulWriteAndARefusalNeverStopsTheRecording) {
    int savedBeforePost = 0, savedAfterPost = 0, savedBeforeDelete = 0, savedAfterDelete = 0;
    int savedPostError = 0;
    journal.beforePost = [&](db::DataSet&) { ++savedBeforePost; };
    journal.afterPost = [&](db::DataSet&) { ++savedAfterPost; };
    journal.beforeDelete = [&](db::DataSet&) { ++savedBeforeDelete; };
    journal.afterDelete = [&](db::DataSet&) { ++savedAfterDelete; };
    journal.onPostError = [&](db::DataSet&, const db::DatabaseError&, db::DataAction&) {
        ++savedPostError;
    };
    attach();

    editFirst("p35", QStringLiteral("refused"));
    EXPECT_THROW(journal.post(), db::DatabaseError) << "the first error goes on to the caller";
    EXPECT_EQ(messages.size(), 1) << "the change was reported before the write";
    EXPECT_TRUE(executed.isEmpty());
    EXPECT_TRUE(logged().isEmpty());
    EXPECT_EQ(savedPostError, 0) << "the saved handler is not called for the first error";
    EXPECT_EQ(recorder.DataSet(), &journal) << "still recording";
    EXPECT_EQ(journal.state(), db::DataSetState::Edit);
    EXPECT_EQ(journal.fieldByName(QStringLiteral("p35"))->text(), QStringLiteral("refused"));

    // Later changes and deletions are recorded as before.
    journal.cancel();
    messages.clear();
    editFirst("id_estimation", 5);
    journal.post();
    journal.last();
    journal.deleteRecord();
    EXPECT_EQ(messages, QStringList{QStringLiteral(
                            "Поле \"id_estimation\" изменило значение \"3\" на \"5\".")});
    EXPECT_EQ(images.size(), 1);
    EXPECT_EQ(logged(), messages + images) << "the refused change's record was dropped";
    EXPECT_EQ(savedAfterPost, 1);
    EXPECT_EQ(savedBeforeDelete, 1);
    EXPECT_EQ(savedAfterDelete, 1);
    EXPECT_EQ(savedBeforePost, 2) << "chained before both writes";

    // A later refusal goes to the data set's own handler, and the recorder goes on.
    editFirst("p35", QStringLiteral("refused"));
    EXPECT_THROW(journal.post(), db::DatabaseError);
    EXPECT_EQ(savedPostError, 1);
    journal.cancel();
    editFirst("p35", QStringLiteral("14"));
    journal.post();
    EXPECT_EQ(logged().size(), 3);
    EXPECT_EQ(logged().back(), QStringLiteral("Поле \"p35\" изменило значение \"12\" на \"14\"."));
}

// A change is stored with its records or not at all: a record refused by the database takes
// the change back, and the row keeps the user's values.
TEST_F(RecorderTest, ARefusedRecordTakesTheChangeOrTheDeletionBack) {
    attach();
    conn.execute(QStringLiteral("CREATE TRIGGER refuse_log BEFORE INSERT ON KEL_LOG "
                                "BEGIN SELECT RAISE(ABORT, 'INSERT permission denied'); END"));
    editFirst("p35", QStringLiteral("13"));
    EXPECT_THROW(journal.post(), db::DatabaseError);
    EXPECT_EQ(stored("p35", 123).toString(), QStringLiteral("12"));
    EXPECT_EQ(journal.state(), db::DataSetState::Edit);
    EXPECT_EQ(journal.fieldByName(QStringLiteral("p35"))->text(), QStringLiteral("13"));
    journal.cancel();

    journal.first();
    EXPECT_THROW(journal.deleteRecord(), db::DatabaseError);
    EXPECT_EQ(stored("id_student", 123).toInt(), 7) << "the row is still there";
    EXPECT_EQ(journal.recordCount(), 2);

    conn.execute(QStringLiteral("DROP TRIGGER refuse_log"));
    editFirst("p35", QStringLiteral("13"));
    journal.post();
    EXPECT_EQ(stored("p35", 123).toString(), QStringLiteral("13"));
    EXPECT_EQ(logged().size(), 1);
}

// The process ends after the row's write and before its record: neither is stored.
TEST_F(RecorderTest, AProcessEndedBetweenTheWriteAndTheRecordLeavesNeither) {
    GTEST_FLAG_SET(death_test_style, "fast");
    attach();
    const auto endBeforeTheRecord = [this](const QString& sql) {
        if (sql.startsWith(QStringLiteral("INSERT INTO KEL_LOG")))
            std::_Exit(3);
    };
    // The child opens its own handle; none is shared across the fork.
    conn.close();
    EXPECT_EXIT(
        {
            conn.onStatement = endBeforeTheRecord;
            editFirst("p35", QStringLiteral("13"));
            journal.post();
            std::_Exit(0);
        },
        ::testing::ExitedWithCode(3), "");
    conn.close();
    EXPECT_EXIT(
        {
            conn.onStatement = endBeforeTheRecord;
            journal.first();
            journal.deleteRecord();
            std::_Exit(0);
        },
        ::testing::ExitedWithCode(3), "");
    EXPECT_EQ(stored("p35", 123).toString(), QStringLiteral("12"));
    EXPECT_EQ(stored("id_student", 123).toInt(), 7);
    EXPECT_TRUE(logged().isEmpty());
}

TEST_F(RecorderTest, SavedBeforePostRunsAfterTheMessagesSoItsValuesAreNotReported) {
    std::vector<int> messagesSeenBySaved;
    journal.beforePost = [&](db::DataSet& ds) {
        messagesSeenBySaved.push_back(static_cast<int>(messages.size()));
        ds.fieldByName(QStringLiteral("id_group"))->setValue(99);
    };
    attach();
    journal.first();
    journal.edit();
    journal.fieldByName(QStringLiteral("id_estimation"))->setValue(5);
    journal.fieldByName(QStringLiteral("p35"))->setValue(QStringLiteral("13"));
    journal.post();

    EXPECT_EQ(messagesSeenBySaved, std::vector<int>{2});
    EXPECT_EQ(messages,
              (QStringList{
                  QStringLiteral("Поле \"id_estimation\" изменило значение \"3\" на \"5\"."),
                  QStringLiteral("Поле \"p35\" изменило значение \"12\" на \"13\"."),
              }));
    EXPECT_EQ(stored("id_group", 123).toInt(), 99);
    EXPECT_EQ(logged(), messages);
}

TEST_F(RecorderTest, DetachPutsEveryHandlerBackAndFlagsDecideWhatIsInstalled) {
    int ownBeforeDelete = 0;
    journal.beforeDelete = [&](db::DataSet&) { ++ownBeforeDelete; };
    attach(/*logEdits=*/false, /*logDeletes=*/false);
    EXPECT_EQ(recorder.DataSet(), &journal);
    EXPECT_FALSE(journal.beforePost) << "no before-post step without LogEdits";

    editFirst("id_estimation", 5);
    journal.post();
    journal.first();
    journal.deleteRecord();
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_TRUE(images.isEmpty());
    EXPECT_EQ(ownBeforeDelete, 1) << "the data set's own before-delete stays in place";

    recorder.Detach();
    EXPECT_EQ(recorder.DataSet(), nullptr);
    EXPECT_FALSE(journal.afterPost);
    EXPECT_FALSE(journal.afterDelete);
    EXPECT_FALSE(journal.onPostError);
    EXPECT_FALSE(journal.onEditError);
    ASSERT_TRUE(journal.beforeDelete);
    recorder.Detach(); // a second detach does nothing
}

} // namespace
