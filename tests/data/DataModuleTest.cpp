// The data module on a signed-in working connection: its data sets, fields and refusals.
#include "support/DataModuleFixture.h"

#include "platform/MessageBoxes.h"

namespace {

using testsupport::DataModuleFixture;

// Opens a data set and reports the database's own text when it fails.
::testing::AssertionResult opens(db::DataSet& ds, const char* name) {
    try {
        if (!ds.active())
            ds.open();
        return ::testing::AssertionSuccess();
    } catch (const db::DatabaseError& e) {
        return ::testing::AssertionFailure() << name << ": " << e.message().toStdString();
    }
}

TEST_F(DataModuleFixture, OpensEveryDataSetOnTheWorkingConnection) {
    ASSERT_NO_FATAL_FAILURE(signIn());
    EXPECT_EQ(dm.ADOQ_group.recordCount(), 1) << "only the user's own group";
    ASSERT_NO_FATAL_FAILURE(loadJournal());

    dm.ADOQ_g_s.setSql(QStringLiteral("Select * from g_s where id_group=5"));
    dm.ADOQ_Year.setSql(
        QStringLiteral("Select top (1) g_r_y.* from g_r_y  where id_group=5 and id_rate=1"));
    dm.ADOQ_Vremennyi.setSql(QStringLiteral(
        "select id_examination, p30 from gr_sem_disc_exam  where id_discipline=11 and "
        "id_semester=2 and id_group=5 GROUP BY id_examination, p30"));
    dm.ADOQ_estimation.close();
    dm.ADOQ_estimation.setSql(QStringLiteral("Select * from est2 where id_examination=1"));
    dm.ADOQ_EstimationOther.parameters().byName(QStringLiteral("id_speciality")).value = 1;
    // The deleted-rows list names each row's form of control from the discipline list, which
    // carries it in the shape a journal load leaves.
    dm.ADOQ_Discipline.close();
    dm.ADOQ_Discipline.setSql(
        QStringLiteral(" SELECT id_group,  id_examination, p30, id_semester, p34, id_discipline "
                       "FROM gr_sem_disc_exam WHERE  id_semester=2 and id_group=5 GROUP BY "
                       "id_group, id_examination, p30, id_semester, p34, id_discipline"));
    dm.ADOQ_Buffer.setSql(QStringLiteral("Select * from  DEL_mark_mag where  id_group=5 and "
                                         "id_semester=2 and id_examination=1 and "
                                         "id_discipline=11"));
    dm.ADOQ_Students.setSql(QStringLiteral(
        "SELECT  ROW_NUMBER() OVER(ORDER BY s_fio.s_fio) as [no], s_fio.id_student, "
        "s_fio.idid, s_fio.s_fio FROM s_fio WHERE s_fio.id_student in( 7, 8, 9) ORDER BY "
        "s_fio.s_fio"));

    const struct {
        db::DataSet* ds;
        const char* name;
    } all[] = {
        {&dm.ADOQ_group, "ADOQ_group"},
        {&dm.ADOQ_g_sem, "ADOQ_g_sem"},
        {&dm.ADOQ_Discipline, "ADOQ_Discipline"},
        {&dm.ADOQ_Vremennyi, "ADOQ_Vremennyi"},
        {&dm.ADOQ_g_s, "ADOQ_g_s"},
        {&dm.ADOQ_Year, "ADOQ_Year"},
        {&dm.ADOQ_t_fio, "ADOQ_t_fio"},
        {&dm.ADOQ_s_fio, "ADOQ_s_fio"},
        {&dm.ADOQ_estimation, "ADOQ_estimation"},
        {&dm.ADOTSemestr, "ADOTSemestr"},
        {&dm.ADOT_f_est, "ADOT_f_est"},
        {&dm.ADOQ_Examination, "ADOQ_Examination"},
        {&dm.ADOQ_EstimationOther, "ADOQ_EstimationOther"},
        {&dm.ADO_SP_Sort, "ADO_SP_Sort"},
        {&dm.ADOQ_Buffer, "ADOQ_Buffer"},
        {&dm.ADOQ_del_discipline, "ADOQ_del_discipline"},
        {&dm.ADOQ_Students, "ADOQ_Students"},
        {&dm.ADOQEduc_sh, "ADOQEduc_sh"},
        {&dm.ADOQuery1, "ADOQuery1"},
    };
    for (const auto& d : all)
        EXPECT_TRUE(opens(*d.ds, d.name));
    EXPECT_EQ(dm.ADOQ_g_s.fieldByName(QStringLiteral("spec"))->text(),
              QStringLiteral("Информатика"));
    EXPECT_EQ(dm.ADOQ_Year.fieldByName(QStringLiteral("p32"))->text(), QStringLiteral("2023-2024"));
    EXPECT_EQ(dm.ADOQ_EstimationOther.recordCount(), 1);
    EXPECT_EQ(dm.ADOQEduc_sh.recordCount(), 0);
    EXPECT_EQ(dm.ADOQ_Students.recordCount(), 3);

    dm.ADOStoredProc1.parameters()[1].value = 5;
    dm.ADOStoredProc1.parameters()[2].value = 2;
    EXPECT_NO_THROW(dm.ADOStoredProc1.execProc());
    dm.ADOQ_Exec.setSql(QStringLiteral("SET DATEFORMAT dmy"));
    EXPECT_NO_THROW(dm.ADOQ_Exec.execSql());
}

TEST_F(DataModuleFixture, JournalHasItsFieldsInOrderAndResolvesNamesInTheClient) {
    ASSERT_NO_FATAL_FAILURE(signIn());
    ASSERT_NO_FATAL_FAILURE(loadJournal());
    const QStringList expected = {"EstimationOther",
                                  "id_estimation_other",
                                  "id_mark_mag",
                                  "id_group",
                                  "id_student",
                                  "id_examination",
                                  "id_estimation",
                                  "id_discipline",
                                  "id_semester",
                                  "id_teacher",
                                  "p35",
                                  "p36",
                                  "id_f_est",
                                  "oper",
                                  "u_date",
                                  "estimation",
                                  "semestr",
                                  "teacher",
                                  "f_est",
                                  "exam",
                                  "discipline",
                                  "student",
                                  "No",
                                  "KEL_User",
                                  "KEL_Update",
                                  "primech",
                                  "idid",
                                  "dopusk_izm"};
    QStringList names;
    for (const db::Field* f : dm.ADO_SP_Sort.fields())
        names << f->fieldName();
    EXPECT_EQ(names, expected);
    EXPECT_TRUE(dm.ADO_SP_Sort.fieldByName(QStringLiteral("id_mark_mag"))->readOnly());
    EXPECT_EQ(dm.ADO_SP_Sort.commandTimeout(), 120);
    EXPECT_EQ(dm.ADO_SP_Sort.parameters()[0].name, QStringLiteral("@RETURN_VALUE"));
    EXPECT_EQ(dm.ADO_SP_Sort.parameters()[6].name, QStringLiteral("@DoNotShow"));

    EXPECT_EQ(dm.ADO_SP_Sort.recordCount(), 3);
    dm.ADO_SP_Sort.locate(QStringLiteral("id_student"), 7);
    EXPECT_EQ(dm.ADO_SP_Sort.fieldByName(QStringLiteral("student"))->text(),
              QStringLiteral("Петров Пётр"));
    EXPECT_EQ(dm.ADO_SP_Sort.fieldByName(QStringLiteral("idid"))->text(), QStringLiteral("A-7"));
    EXPECT_EQ(dm.ADO_SP_Sort.fieldByName(QStringLiteral("exam"))->text(),
              QStringLiteral("Экзамен"));
    EXPECT_EQ(dm.ADO_SP_Sort.fieldByName(QStringLiteral("semestr"))->text(),
              QStringLiteral("Весенний"));
    EXPECT_EQ(dm.ADO_SP_Sort.fieldByName(QStringLiteral("discipline"))->text(),
              QStringLiteral("Математика"));
}

TEST_F(DataModuleFixture, NewJournalAndStudentRowsAreRefusedSilently) {
    ASSERT_NO_FATAL_FAILURE(signIn());
    ASSERT_NO_FATAL_FAILURE(loadJournal());
    dm.ADOQ_Students.setSql(QStringLiteral("SELECT s_fio.id_student, s_fio.idid, s_fio.s_fio "
                                           "FROM s_fio WHERE s_fio.id_student in( 7, 8)"));
    dm.ADOQ_Students.open();
    int boxes = 0, beeps = 0;
    platform::ScopedMessageBoxScript script(
        [&](const platform::MessageBoxRequest&) {
            ++boxes;
            return QMessageBox::Ok;
        },
        &beeps);

    for (db::DataSet* ds : {&dm.ADO_SP_Sort, &dm.ADOQ_Students}) {
        const int rows = ds->recordCount();
        ds->last();
        EXPECT_THROW(ds->append(), db::Abort);
        EXPECT_THROW(ds->insert(), db::Abort);
        EXPECT_EQ(ds->state(), db::DataSetState::Browse);
        EXPECT_EQ(ds->recordCount(), rows);
    }
    EXPECT_EQ(boxes, 0);
    EXPECT_EQ(beeps, 0);
}

TEST_F(DataModuleFixture, PostedStudentCodeSetsStudentsChanged) {
    ASSERT_NO_FATAL_FAILURE(signIn());
    dm.ADOQ_Students.setSql(QStringLiteral("SELECT s_fio.id_student, s_fio.idid, s_fio.s_fio "
                                           "FROM s_fio WHERE s_fio.id_student in( 7, 8)"));
    dm.ADOQ_Students.open();
    EXPECT_FALSE(dm.StudentsChanged);
    dm.ADOQ_Students.edit();
    dm.ADOQ_Students.cancel();
    EXPECT_FALSE(dm.StudentsChanged) << "nothing was posted";

    dm.ADOQ_Students.locate(QStringLiteral("id_student"), 8);
    dm.ADOQ_Students.edit();
    dm.ADOQ_Students.fieldByName(QStringLiteral("idid"))->setValue(QStringLiteral("Б-8"));
    dm.ADOQ_Students.post();
    EXPECT_TRUE(dm.StudentsChanged);
    dm.ADOQ_s_fio.close();
    dm.ADOQ_s_fio.open();
    ASSERT_TRUE(dm.ADOQ_s_fio.locate(QStringLiteral("id_student"), 8));
    EXPECT_EQ(dm.ADOQ_s_fio.fieldByName(QStringLiteral("idid"))->text(), QStringLiteral("Б-8"));
}

TEST_F(DataModuleFixture, DestroyingTheModuleClosesTheConnection) {
    ASSERT_NO_FATAL_FAILURE(signIn());
    ASSERT_TRUE(dm.ADO_TAZ.connected());
    EXPECT_EQ(DM_TAZ_2, &dm);
    bool closing = false;
    QObject::connect(&dm.ADO_TAZ, &db::Connection::closing, [&] { closing = true; });
    dm.DataModuleDestroy();
    EXPECT_TRUE(closing);
    EXPECT_FALSE(dm.ADO_TAZ.connected());
}

} // namespace
