// The journal's post and deletion steps on a real embedded database, with no window: the rows,
// their KEL_LOG records and the undo history they leave.
#include "support/DataModuleCore.h"

#include "embedded/JournalColumns.h"
#include "embedded/ServerAdmin.h"
#include "session/JournalSession.h"
#include "session/StudentCodes.h"

#include <QDateTime>

#include <memory>

namespace {

using testsupport::DataModuleCore;

struct Shown {
    QString text, caption;
    data::MessageKind kind;
};

class JournalSessionTest : public DataModuleCore {
protected:
    void SetUp() override {
        DataModuleCore::SetUp();
        dm.ShowMessage = [this](const QString& text, const QString& caption,
                                data::MessageKind kind) {
            shown.push_back({text, caption, kind});
        };
        ASSERT_NO_FATAL_FAILURE(connectAsUser());
        view.select(Group, Semester, Discipline, Examination);
        view.gridSource = &dm.DS_SP_Sort;
        view.columnTitle = QStringLiteral("Оценка");
        ASSERT_NO_FATAL_FAILURE(loadJournal());
        session = std::make_unique<session::JournalSession>(
            dm, [] { return QStringLiteral("O'Neil"); }, [this] { return computer; });
    }
    void TearDown() override { session.reset(); }

    db::DataSet& journal() { return dm.ADO_SP_Sort; }
    int rowOf(int student) {
        EXPECT_TRUE(journal().locate(QStringLiteral("id_student"), student));
        return journal().fieldByName(QStringLiteral("id_mark_mag"))->asInteger();
    }
    void typeMark(int student, int mark) {
        rowOf(student);
        journal().edit();
        journal().fieldByName(QStringLiteral("id_estimation"))->setValue(mark);
    }
    std::vector<std::vector<QVariant>> log() {
        embedded::ServerAdmin admin(path);
        std::vector<std::vector<QVariant>> rows;
        for (const auto& row :
             admin
                 .exec(QStringLiteral("SELECT [table], row_id, descr, KEL_User, comp, log_date "
                                      "FROM KEL_LOG ORDER BY id_log"))
                 .rows)
            rows.emplace_back(row.begin(), row.end());
        return rows;
    }
    void refuseRecords() {
        asOwner({QStringLiteral("CREATE TRIGGER refuse_log BEFORE INSERT ON KEL_LOG BEGIN "
                                "SELECT RAISE(ABORT, 'The INSERT permission was denied on the "
                                "object ''KEL_LOG''.'); END")});
    }

    QString computer = QStringLiteral("PC-7\\10.0.0.7");
    std::vector<Shown> shown;
    std::unique_ptr<session::JournalSession> session;
};

TEST_F(JournalSessionTest, APostStoresTheSelectionLogsOnlyTheUsersChangeAndKeepsOneUndoStep) {
    // The selection differs from the row's own keys: the row takes them, the log does not
    // report them, and the record names who and where, apostrophe and all.
    view.select(6, 3, 12, Examination);
    const int row = rowOf(9);
    const QVariant estimationBefore = stored(QStringLiteral("id_estimation"), row);
    const QDateTime before = QDateTime::currentDateTime().addSecs(-2);
    typeMark(9, 5);
    journal().post();

    EXPECT_EQ(stored(QStringLiteral("id_group"), row).toInt(), 6);
    EXPECT_EQ(stored(QStringLiteral("id_semester"), row).toInt(), 3);
    EXPECT_EQ(stored(QStringLiteral("id_discipline"), row).toInt(), 12);
    EXPECT_EQ(stored(QStringLiteral("id_estimation"), row).toInt(), 5);
    EXPECT_EQ(stored(QStringLiteral("id_student"), row).toInt(), 9);
    EXPECT_EQ(view.enabled, (std::vector<JournalSelector>{
                                JournalSelector::Group, JournalSelector::Semester,
                                JournalSelector::FormOfControl, JournalSelector::Discipline}));

    const auto records = log();
    ASSERT_EQ(records.size(), 1u);
    const auto& r = records.front();
    EXPECT_EQ(r[0].toString(), QStringLiteral("mark_mag"));
    EXPECT_EQ(r[1].toInt(), row);
    EXPECT_EQ(r[2].toString(), QStringLiteral("Поле \"id_estimation\" изменило значение \"") +
                                   (estimationBefore.isNull() ? QStringLiteral("NULL")
                                                              : estimationBefore.toString()) +
                                   QStringLiteral("\" на \"5\"."));
    EXPECT_EQ(r[3].toString(), QStringLiteral("O'Neil"));
    EXPECT_EQ(r[4].toString(), computer);
    const QDateTime logged = r[5].toDateTime();
    EXPECT_TRUE(logged >= before && logged <= QDateTime::currentDateTime().addSecs(2))
        << r[5].toString().toStdString();

    ASSERT_EQ(session->history().steps(), 1);
    const session::RowChange& change = session->history().lastStep().front();
    EXPECT_EQ(change.key.toInt(), row);
    bool markSeen = false;
    for (const session::FieldChange& f : change.fields)
        if (f.field == QLatin1String("id_estimation"))
            markSeen = f.after.toInt() == 5 && f.before == estimationBefore;
    EXPECT_TRUE(markSeen) << "the undo step holds the mark as it was and as it is";
    EXPECT_TRUE(shown.empty());
}

TEST_F(JournalSessionTest, ARefusedRecordStoresNeitherRowNorStepAndTheRecordingGoesOn) {
    const int row = rowOf(8);
    const QVariant before = stored(QStringLiteral("id_estimation"), row);
    refuseRecords();

    // The first refusal goes on to the caller with the server's text; the row keeps the value.
    typeMark(8, 25);
    try {
        journal().post();
        ADD_FAILURE() << "the refused post was taken as saved";
    } catch (const db::DatabaseError& e) {
        EXPECT_EQ(e.kind(), db::ErrorKind::AuditRefused);
        EXPECT_TRUE(e.message().startsWith(QStringLiteral(
            "Сервер не принял запись журнала изменений (KEL_LOG), поэтому изменение не "
            "сохранено.\n")))
            << e.message().toStdString();
    }
    EXPECT_EQ(journal().state(), db::DataSetState::Edit);
    EXPECT_EQ(journal().fieldByName(QStringLiteral("id_estimation"))->value().toInt(), 25);

    // A later one is the data module's to report, with the same reason, and the post ends
    // silently; the value stays typed.
    EXPECT_THROW(journal().post(), db::Abort);
    EXPECT_EQ(journal().fieldByName(QStringLiteral("id_estimation"))->value().toInt(), 25);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].caption, QStringLiteral("Warning!"));
    EXPECT_TRUE(shown[0].text.contains(QStringLiteral("KEL_LOG")));
    EXPECT_EQ(shown[0].kind, data::MessageKind::Warning);
    EXPECT_EQ(stored(QStringLiteral("id_estimation"), row), before);
    EXPECT_TRUE(log().empty());
    EXPECT_EQ(session->history().steps(), 0);

    // Deleting takes its record with it, or stays undone.
    const int rows = journal().recordCount();
    journal().cancel();
    rowOf(7);
    EXPECT_THROW(journal().deleteRecord(), db::DatabaseError);
    EXPECT_EQ(journal().recordCount(), rows);
    EXPECT_TRUE(stored(QStringLiteral("id_mark_mag"), rowOf(7)).isValid());
    EXPECT_TRUE(log().empty());

    // Once the server takes records again, every change is recorded.
    asOwner({QStringLiteral("DROP TRIGGER refuse_log")});
    typeMark(8, 25);
    journal().post();
    EXPECT_EQ(stored(QStringLiteral("id_estimation"), row).toInt(), 25);
    const int deleted = rowOf(7);
    journal().deleteRecord();
    const auto records = log();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0][1].toInt(), row);
    EXPECT_EQ(records[1][0].toString(), QStringLiteral("mark_mag"));
    EXPECT_EQ(records[1][1].toInt(), deleted);
    EXPECT_TRUE(records[1][2].toString().startsWith(
        QStringLiteral("Запись с уникальным номером - '%1' была удалена - (").arg(deleted)))
        << records[1][2].toString().toStdString();
    EXPECT_EQ(records[1][3].toString(), QStringLiteral("O'Neil"));
    EXPECT_FALSE(stored(QStringLiteral("id_mark_mag"), deleted).isValid());
    EXPECT_EQ(session->history().steps(), 1);
}

TEST_F(JournalSessionTest, AReopenedJournalLeavesNothingToUndoAndTheSessionGivesItsStepsBack) {
    typeMark(9, 3);
    journal().post();
    ASSERT_EQ(session->history().steps(), 1);
    loadJournal();
    EXPECT_EQ(session->history().steps(), 0);

    // Without the session the journal posts with the data module's own rule and no record.
    session.reset();
    typeMark(9, 25);
    journal().post();
    EXPECT_EQ(stored(QStringLiteral("id_estimation"), rowOf(9)).toInt(), 25);
    EXPECT_EQ(log().size(), 1u);
}

TEST_F(JournalSessionTest, UndoPutsTheStepBackAsALoggedChangeUnlessAnotherUserChangedIt) {
    const int row = rowOf(9);
    const QVariant before = stored(QStringLiteral("id_estimation"), row);
    typeMark(9, 5);
    journal().post();
    typeMark(9, 3);
    journal().post();
    ASSERT_EQ(session->history().steps(), 2);

    // Another user writes over the last change: it is not taken back, nothing moves.
    asOwner(
        {QStringLiteral("UPDATE mark_mag SET id_estimation = 25 WHERE id_mark_mag = %1").arg(row)});
    EXPECT_EQ(session->undoLastStep(),
              QStringLiteral("Запись студента \"Яковлев Яков\" изменил другой пользователь "
                             "после вас: отменить ваше изменение нельзя. Ничего не изменено."));
    EXPECT_EQ(stored(QStringLiteral("id_estimation"), row).toInt(), 25);
    EXPECT_EQ(journal().fieldByName(QStringLiteral("id_estimation"))->value().toInt(), 25)
        << "the journal shows what the server holds";
    EXPECT_EQ(session->history().steps(), 2);
    EXPECT_EQ(log().size(), 2u);

    // Put back as this user left it, the step goes, logged as any change is.
    asOwner(
        {QStringLiteral("UPDATE mark_mag SET id_estimation = 3 WHERE id_mark_mag = %1").arg(row)});
    journal().rereadRow();
    EXPECT_EQ(session->undoLastStep(), QString());
    EXPECT_EQ(stored(QStringLiteral("id_estimation"), row).toInt(), 5);
    EXPECT_EQ(session->history().steps(), 1);
    const auto records = log();
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[2][2].toString(),
              QStringLiteral("Поле \"id_estimation\" изменило значение \"3\" на \"5\"."));
    EXPECT_EQ(records[2][3].toString(), QStringLiteral("O'Neil"));
    EXPECT_EQ(session->undoLastStep(), QString());
    EXPECT_EQ(stored(QStringLiteral("id_estimation"), row), before);
    EXPECT_EQ(session->history().steps(), 0);
}

TEST_F(JournalSessionTest, TheHandInDateGoesToStatementRowsOnlyAsOneStepWithTheirRecords) {
    asOwner({QStringLiteral("UPDATE mark_mag SET id_f_est = 1 WHERE id_student IN (7, 9)"),
             QStringLiteral("UPDATE mark_mag SET id_f_est = 2 WHERE id_student = 8")});
    loadJournal();
    const QDate day(2024, 1, 31);
    session->setHandInDate(day);

    for (const int student : {7, 8, 9}) {
        const QVariant handedIn = stored(QStringLiteral("p36"), rowOf(student));
        if (student == 8) {
            EXPECT_TRUE(handedIn.isNull()) << "a row of another form keeps its date";
        } else {
            EXPECT_EQ(handedIn.toDateTime(), QDateTime(day, QTime(0, 0)))
                << student << ": " << handedIn.toString().toStdString();
        }
    }
    const auto records = log();
    ASSERT_EQ(records.size(), 2u);
    for (const auto& r : records)
        EXPECT_EQ(r[2].toString(),
                  QStringLiteral("Поле \"p36\" изменило значение \"NULL\" на \"31.01.2024\"."));
    EXPECT_EQ(session->history().steps(), 1);
    EXPECT_EQ(session->history().lastStep().size(), 2u);

    // Deleted, a row is listed for the chosen journal's restore (its lists as the cascade
    // leaves them once a form of control is chosen).
    rowOf(8);
    journal().deleteRecord();
    dm.ADOQ_Discipline.close();
    dm.ADOQ_Discipline.setSql(
        QStringLiteral("SELECT id_group, id_examination, p30, id_semester, p34, id_discipline "
                       "FROM gr_sem_disc_exam WHERE id_semester=%1 and id_group=%2 GROUP BY "
                       "id_group, id_examination, p30, id_semester, p34, id_discipline")
            .arg(Semester)
            .arg(Group));
    dm.ADOQ_Discipline.open();
    EXPECT_EQ(session->openDeletedMarks(), 1);
    EXPECT_EQ(dm.ADOQ_Buffer.fieldByName(QStringLiteral("id_student"))->asInteger(), 8);
    session->closeDeletedMarks();
    EXPECT_FALSE(dm.ADOQ_Buffer.active());
}

TEST_F(JournalSessionTest, TheJournalOpensForTheChosenKeysWithItsFilter) {
    // A row without a mark is no "<> 25" row either, as on the server.
    asOwner({QStringLiteral("UPDATE mark_mag SET id_estimation = 25 WHERE id_student = 8"),
             QStringLiteral("UPDATE mark_mag SET id_estimation = 5 WHERE id_student = 9")});
    journal().close();
    view.select(Group, Semester, Discipline, Examination);
    session->prepareJournal(1);
    session->openJournal(QStringLiteral("(id_estimation <> 25)"));
    EXPECT_EQ(journalStudents(), QStringList{QStringLiteral("Яковлев Яков")});
    for (journal().first(); !journal().eof(); journal().next()) {
        EXPECT_EQ(journal().fieldByName(QStringLiteral("id_group"))->asInteger(), Group);
        EXPECT_EQ(journal().fieldByName(QStringLiteral("id_discipline"))->asInteger(), Discipline);
    }

    // Another discipline of the same group and semester is a journal of its own.
    asOwner({QStringLiteral("INSERT INTO educ_sh(id_group, id_semester, id_discipline, "
                            "id_examination) VALUES(5, 2, 12, 1)")});
    view.select(Group, Semester, 12, Examination);
    session->prepareJournal(1);
    session->openJournal(QStringLiteral("1=1"));
    EXPECT_EQ(journal().recordCount(), 3);
    for (journal().first(); !journal().eof(); journal().next())
        EXPECT_EQ(journal().fieldByName(QStringLiteral("id_discipline"))->asInteger(), 12);
}

TEST_F(JournalSessionTest, StudentCodesListTheJournalsStudentsByNameAndAnEditedCodeIsStored) {
    const int current = rowOf(9);
    session::openStudentCodes(dm);
    EXPECT_EQ(journal().fieldByName(QStringLiteral("id_mark_mag"))->asInteger(), current)
        << "the journal stays on its row";
    db::DataSet& codes = dm.ADOQ_Students;
    QStringList listed;
    for (codes.first(); !codes.eof(); codes.next())
        listed << codes.fieldByName(QStringLiteral("no"))->text() + QLatin1Char(' ') +
                      codes.fieldByName(QStringLiteral("s_fio"))->text() + QLatin1Char(' ') +
                      codes.fieldByName(QStringLiteral("idid"))->text();
    EXPECT_EQ(listed, (QStringList{QStringLiteral("1 Андреев Андрей A-8"),
                                   QStringLiteral("2 Петров Пётр A-7"),
                                   QStringLiteral("3 Яковлев Яков ")}));

    ASSERT_TRUE(codes.locate(QStringLiteral("id_student"), 9));
    codes.edit();
    codes.fieldByName(QStringLiteral("idid"))->setValue(QStringLiteral("Я-9"));
    dm.StudentsChanged = false;
    session::saveStudentCodes(dm);
    EXPECT_TRUE(dm.StudentsChanged);
    embedded::ServerAdmin admin(path);
    EXPECT_EQ(admin.exec(QStringLiteral("SELECT idid, s_fio FROM s_fio WHERE id_student = 9"))
                  .rows.front(),
              (std::vector<QVariant>{QStringLiteral("Я-9"), QStringLiteral("Яковлев Яков")}));
}

TEST_F(JournalSessionTest, TheJournalsStoredColumnsAreOneListInTheTableAndTheDataSet) {
    QStringList listed;
    for (const embedded::JournalColumn& c : embedded::JournalColumns)
        listed << QLatin1String(c.name);
    QStringList table;
    embedded::ServerAdmin admin(path);
    for (const auto& row : admin.exec(QStringLiteral("PRAGMA table_info(mark_mag)")).rows)
        table << row.at(1).toString();
    EXPECT_EQ(table, listed);
    QStringList stored;
    for (const db::Field* f : journal().fields())
        if (f->isData() && f->fieldName() != QLatin1String("No"))
            stored << f->fieldName();
    EXPECT_EQ(stored, listed);
}

} // namespace
