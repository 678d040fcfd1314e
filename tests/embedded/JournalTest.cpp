// The journal procedures: preparing rows, reading a selection, deleting and restoring.
#include "ServerFixture.h"

#include "db/LocalDateTime.h"
#include "support/ZoneScope.h"

#include <algorithm>

using namespace embeddedtest;

namespace {

class Journal : public ServerFixture {
protected:
    void SetUp() override {
        ServerFixture::SetUp();
        work = signIn();
    }

    // SORT_MARK_MAG;1 as the journal data set calls it.
    db::Result sort(const QVariant& condition, int examination = Exam) {
        db::Parameters p = sortParameters(condition, examination);
        return work->callProcedure(QStringLiteral("SORT_MARK_MAG;1"), p, 120);
    }

    static db::Parameters sortParameters(const QVariant& condition, int examination = Exam) {
        db::Parameters p;
        p.add({QStringLiteral("@RETURN_VALUE"), db::FieldType::Integer,
               db::ParameterDirection::ReturnValue, 0, 0, false, 0});
        for (const auto& [name, value] :
             {std::pair{"@group", QVariant(QString::number(Group))},
              std::pair{"@semester", QVariant(QString::number(Semester))},
              std::pair{"@discipline", QVariant(QString::number(Discipline))},
              std::pair{"@examination", QVariant(QString::number(examination))},
              std::pair{"@id_teacher", QVariant(1)}})
            p.add({QLatin1String(name), db::FieldType::Integer, db::ParameterDirection::Input, 10,
                   0, true, value});
        p.add({QStringLiteral("@DoNotShow"), db::FieldType::Memo, db::ParameterDirection::Input, 0,
               0, true, condition});
        return p;
    }

    std::vector<int> students(const db::Result& r) {
        std::vector<int> ids;
        for (const auto& row : r.rows)
            ids.push_back(row[3].toInt());
        return ids;
    }

    void prepare() { work->execute(QStringLiteral("EXEC InsertInto_SORT_MARK_MAG 10,1,5,1,1")); }

    void setMark(int student, QVariant mark) {
        work->execute(QStringLiteral("UPDATE mark_mag SET id_estimation = ? WHERE id_student = ?"),
                      {mark, student});
    }

    std::unique_ptr<db::Connection> work;
};

} // namespace

TEST_F(Journal, PreparingCreatesOneRowPerStudentOnceAndOnlyAfterADisciplineChoice) {
    work->execute(QStringLiteral("EXEC InsertInto_SORT_MARK_MAG 10,1,5,1,0"));
    EXPECT_TRUE(sort(QStringLiteral("1=1")).rows.empty());
    // Outside the curriculum (discipline 6 has no examination there): nothing.
    work->execute(QStringLiteral("EXEC InsertInto_SORT_MARK_MAG 10,1,6,1,1"));
    EXPECT_TRUE(
        work->query(QStringLiteral("select * from mark_mag where id_discipline = 6")).rows.empty());

    prepare();
    prepare();
    const db::Result r = sort(QStringLiteral("1=1"));
    EXPECT_EQ(r.rows.size(), 4u);
    const db::Result made =
        work->query(QStringLiteral("select KEL_User, dopusk_izm from mark_mag"));
    EXPECT_EQ(made.rows[0][0].toString(), QStringLiteral("ivanova"));
    EXPECT_FALSE(made.rows[0][1].toBool());
}

TEST_F(Journal, SortGivesTheEighteenColumnsOrderedByNameAndFiltered) {
    prepare();
    setMark(Ivanov, 25);
    setMark(Abramova, 9);
    setMark(Yolkin, 2);
    const db::Result all = sort(QStringLiteral("1=1"));
    const char* const names[] = {"id_estimation_other",
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
                                 "KEL_User",
                                 "KEL_Update",
                                 "primech",
                                 "dopusk_izm"};
    ASSERT_EQ(all.columns.size(), 18u);
    for (size_t i = 0; i < 18; ++i)
        EXPECT_EQ(all.columns[i].name, QLatin1String(names[i]));
    EXPECT_EQ(all.columns[1].type, db::FieldType::AutoInc);
    EXPECT_TRUE(all.columns[1].readOnly);
    EXPECT_EQ(all.columns[9].size, 50);
    // Names compare without case, Ё with Е: Абрамова, егоров, Ёлкин, Иванов.
    EXPECT_EQ(students(all), (std::vector<int>{Abramova, Egorov, Yolkin, Ivanov}));

    EXPECT_EQ(students(sort(QStringLiteral("(id_estimation <> 25)"))),
              (std::vector<int>{Abramova, Yolkin}));
    EXPECT_EQ(students(sort(QStringLiteral("(id_estimation in(8, 9, 10, 11, 16))"))),
              (std::vector<int>{Abramova}));
    EXPECT_EQ(students(sort(QStringLiteral("id_estimation IS NULL OR NOT (id_teacher >= 0)"))),
              (std::vector<int>{Egorov}));
    EXPECT_EQ(sort(QVariant()).rows.size(), 4u);
    EXPECT_TRUE(sort(QStringLiteral("1=1"), 2).rows.empty());
}

TEST_F(Journal, SortRefusesAnyConditionBeyondIntegerComparisonsOfJournalColumns) {
    prepare();
    const char* const refused[] = {
        "1=1; DROP TABLE mark_mag",
        "1=1) OR (1=1",
        "id_estimation = 2 --",
        "p35 = 'x'",
        "id_student IN (SELECT id_student FROM s_fio)",
        "password = 1",
        "kel_user_id() = 1",
        "id_estimation in()",
        "id_estimation = 2.5",
        "id_estimation <> 25 AND",
    };
    for (const char* condition : refused) {
        const QString error = errorOf([&] { sort(QString::fromUtf8(condition)); });
        EXPECT_TRUE(error.startsWith(QStringLiteral("Условие @DoNotShow не принято")))
            << condition << " -> " << error.toStdString();
    }
    EXPECT_EQ(work->query(QStringLiteral("select count(*) from mark_mag")).rows[0][0].toInt(), 4);
}

TEST_F(Journal, ADeletedRowComesBackIdenticalWhenTickedAndRestored) {
    prepare();
    work->execute(QStringLiteral("UPDATE mark_mag SET id_estimation = 2, id_teacher = 1, "
                                 "p35 = '17', p36 = ?, id_f_est = 1, primech = 'д', "
                                 "dopusk_izm = 1, id_estimation_other = 1 WHERE id_student = ?"),
                  {QDateTime(QDate(2024, 1, 20), QTime(0, 0)), Ivanov});
    const QString row = QStringLiteral("select * from mark_mag where id_student = 12");
    const db::Result before = work->query(row);
    const QVariant id = before.rows[0][1];

    now = fixedNow().addDays(2);
    work->execute(QStringLiteral("DELETE FROM mark_mag WHERE id_mark_mag = ?"), {id});
    const db::Result deleted = work->query(
        QStringLiteral("Select * from  DEL_mark_mag where  id_group=10 and id_semester=1 and "
                       "id_examination=1 and id_discipline=5"));
    ASSERT_EQ(deleted.rows.size(), 1u);
    EXPECT_EQ(deleted.rows[0][0], id);
    EXPECT_EQ(deleted.rows[0][14].toString(), QStringLiteral("ivanova"));
    EXPECT_EQ(deleted.rows[0][15].toDateTime(), now);

    // Unticked rows stay deleted; the ticked one returns with its own key and values.
    db::Parameters p;
    p.add({QStringLiteral("@RETURN_VALUE"), db::FieldType::Integer,
           db::ParameterDirection::ReturnValue, 0, 0, false, QVariant()});
    p.add({QStringLiteral("@group"), db::FieldType::Integer, db::ParameterDirection::Input, 10, 0,
           true, QStringLiteral("10")});
    p.add({QStringLiteral("@semester"), db::FieldType::Integer, db::ParameterDirection::Input, 10,
           0, true, QStringLiteral("1")});
    work->callProcedure(QStringLiteral("CTRL_Z_Mark_mag;1"), p);
    EXPECT_TRUE(work->query(row).rows.empty());
    EXPECT_EQ(p[0].value.toInt(), 0);

    work->execute(QStringLiteral("UPDATE DEL_mark_mag SET Check_ch = ? WHERE id_mark_mag = ?"),
                  {true, id});
    work->callProcedure(QStringLiteral("CTRL_Z_Mark_mag;1"), p);
    const db::Result after = work->query(row);
    ASSERT_EQ(after.rows.size(), 1u);
    EXPECT_EQ(after.rows[0], before.rows[0]);
    EXPECT_TRUE(work->query(QStringLiteral("select * from DEL_mark_mag")).rows.empty());
}

TEST_F(Journal, AFailingRestoreLeavesEverythingAsItWas) {
    prepare();
    const QVariant id =
        work->query(QStringLiteral("select id_mark_mag from mark_mag where id_student = 12"))
            .rows[0][0];
    work->execute(QStringLiteral("DELETE FROM mark_mag WHERE id_mark_mag = ?"), {id});
    work->execute(QStringLiteral("UPDATE DEL_mark_mag SET Check_ch = 1"));
    // The student has left the faculty meanwhile: the row cannot come back.
    embedded::ServerAdmin admin(path);
    admin.exec(QStringLiteral("UPDATE DEL_mark_mag SET id_student = 999"));
    EXPECT_TRUE(errorOf([&] {
                    work->execute(QStringLiteral("EXEC CTRL_Z_Mark_mag 10,1"));
                }).contains(QStringLiteral("FOREIGN KEY")));
    EXPECT_EQ(work->query(QStringLiteral("select count(*) from DEL_mark_mag")).rows[0][0].toInt(),
              1);
    EXPECT_EQ(work->query(QStringLiteral("select count(*) from mark_mag")).rows[0][0].toInt(), 3);
}

TEST_F(Journal, AProcedureInsideTheSessionsTransactionFollowsItsOutcome) {
    db::Driver& driver = work->driver();
    driver.beginTransaction();
    prepare();
    EXPECT_EQ(sort(QStringLiteral("1=1")).rows.size(), 4u);
    driver.rollback();
    EXPECT_TRUE(sort(QStringLiteral("1=1")).rows.empty());

    // Inside the session's transaction a restore is part of it; readers see nothing of
    // it until the commit (WAL).
    prepare();
    driver.beginTransaction();
    work->execute(QStringLiteral("DELETE FROM mark_mag WHERE id_student = 12"));
    work->execute(QStringLiteral("UPDATE DEL_mark_mag SET Check_ch = 1"));
    work->execute(QStringLiteral("EXEC CTRL_Z_Mark_mag 10,1"));
    work->execute(QStringLiteral("UPDATE mark_mag SET id_estimation = 2 WHERE id_student = 12"));
    embedded::ServerAdmin reader(path);
    EXPECT_FALSE(
        reader.exec(QStringLiteral("select id_estimation from mark_mag where id_student = 12"))
            .rows[0][0]
            .isValid());
    driver.commit();
    EXPECT_EQ(
        reader.exec(QStringLiteral("select id_estimation from mark_mag where id_student = 12"))
            .rows[0][0]
            .toInt(),
        2);
    EXPECT_TRUE(reader.exec(QStringLiteral("select * from DEL_mark_mag")).rows.empty());
}

TEST_F(Journal, RowsHandedOverAsTheyAreReadAreThoseOfTheWholeResult) {
    prepare();
    setMark(Ivanov, 25);
    const db::Result whole = sort(QStringLiteral("1=1"));
    ASSERT_FALSE(whole.rows.empty());
    db::Parameters p = sortParameters(QStringLiteral("1=1"));
    p[0].value = 99;
    db::ResultCollector streamed;
    work->queryProcedure(QStringLiteral("SORT_MARK_MAG;1"), p, 120, streamed);
    EXPECT_EQ(p[0].value, QVariant(0)) << "the return value";
    ASSERT_EQ(streamed.result.columns.size(), whole.columns.size());
    for (size_t c = 0; c < whole.columns.size(); ++c) {
        const db::Column& a = streamed.result.columns[c];
        const db::Column& b = whole.columns[c];
        EXPECT_TRUE(a.name == b.name && a.type == b.type && a.readOnly == b.readOnly)
            << b.name.toStdString();
    }
    EXPECT_EQ(streamed.result.rows, whole.rows);
    // Refusals come as from the whole call.
    db::Parameters missing;
    EXPECT_THROW(work->queryProcedure(QStringLiteral("SORT_MARK_MAG"), missing, 0, streamed),
                 db::DatabaseError);
}

namespace {

// A sink that, as the journal's data set does, places date-times in the zone itself.
class StoredDateTimes : public db::ResultCollector {
public:
    bool takesStoredDateTimes() const override { return true; }
};

} // namespace

// The journal's date-times reach a sink that places them itself as the stored date and time,
// not through the zone first; midnight stays midnight of the same day in any zone.
TEST_F(Journal, DateTimesReachASinkThatTakesThemAsStored) {
    prepare();
    const struct {
        int student;
        QDate date;
    } expected[] = {{Ivanov, QDate(2024, 3, 5)}, {Abramova, QDate(2023, 12, 31)}};
    embedded::ServerAdmin owner(path);
    for (const auto& e : expected)
        owner.exec(QStringLiteral("UPDATE mark_mag SET p36 = ? WHERE id_student = ?"),
                   {e.date.toString(Qt::ISODate) + QStringLiteral(" 00:00:00"), e.student});
    constexpr size_t p36 = 10;
    for (const char* zone : {"UTC", "Europe/Moscow"}) {
        SCOPED_TRACE(zone);
        testsupport::ZoneScope scope(zone);
        db::Parameters p = sortParameters(QStringLiteral("1=1"));
        StoredDateTimes sink;
        work->queryProcedure(QStringLiteral("SORT_MARK_MAG;1"), p, 120, sink);
        const auto& rows = sink.result.rows;
        for (const auto& e : expected) {
            const auto row = std::find_if(rows.begin(), rows.end(), [&](const auto& values) {
                return values[3].toInt() == e.student;
            });
            ASSERT_NE(row, rows.end());
            const QVariant& v = (*row)[p36];
            ASSERT_EQ(v.typeId(), qMetaTypeId<db::LocalDateTime>()) << v.toString().toStdString();
            const db::LocalDateTime stored = v.value<db::LocalDateTime>();
            EXPECT_EQ(stored.date(), e.date);
            EXPECT_EQ(stored.time(), QTime(0, 0));
            EXPECT_EQ(stored.value(), QVariant(QDateTime(e.date, QTime(0, 0))));
        }
    }
}
