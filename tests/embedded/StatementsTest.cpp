// Every statement text the client sends runs unchanged against the embedded server.
#include "ServerFixture.h"

#include "db/DataSet.h"

#include <iterator>

using namespace embeddedtest;

namespace {

class Statements : public ServerFixture {};

} // namespace

TEST_F(Statements, EveryStatementOfTheClientRuns) {
    // Sign-in on the verification login, with and without a password change.
    {
        auto check = connect(CheckLogin, CheckPassword);
        const QString plain =
            getUserStatement(QStringLiteral("ivanova"), QStringLiteral("secret1"));
        ASSERT_TRUE(plain.endsWith(QStringLiteral(",'0','4'"))) << plain.toStdString();
        EXPECT_RUNS(check->query(plain));
        const QString change = getUserStatement(
            QStringLiteral("ivanova"), QStringLiteral("secret1"), QStringLiteral("Other_1"));
        ASSERT_TRUE(change.endsWith(QStringLiteral(",'0','34'")));
        EXPECT_RUNS(check->query(change));
    }
    auto work = signIn(QStringLiteral("ivanova"), QStringLiteral("Other_1"));
    const QString g = QString::number(Group), s = QString::number(Semester),
                  d = QString::number(Discipline), e = QString::number(Exam);

    const QString queries[] = {
        QStringLiteral("select * from t_fio"),
        QStringLiteral("select * from s_fio"),
        QStringLiteral("select * from estimation"),
        QStringLiteral("select * from examination"),
        QStringLiteral("select * from semester"),
        QStringLiteral("select * from f_est"),
        QStringLiteral("SELECT  id_group, p20 FROM group_form where o_z = 1 AND  id_login = ") +
            QString::number(userId) + QStringLiteral(" GROUP BY id_group, p20"),
        QStringLiteral("select * from g_sem "),
        QStringLiteral("select top 0 * from educ_sh"),
        QStringLiteral("select * from discipline"),
        QStringLiteral("Select * from g_s where id_group=") + g,
        QStringLiteral(" SELECT id_group,  id_semester, p34, id_discipline FROM gr_sem_disc_exam "
                       "WHERE  id_semester=") +
            s + QStringLiteral(" and id_group=") + g +
            QStringLiteral(" GROUP BY id_group, id_semester, p34, id_discipline"),
        QStringLiteral("Select id_semester, p43, id_rate from g_sem where  id_group=") + g +
            QStringLiteral(" GROUP BY id_semester, p43, id_rate"),
        QStringLiteral("Select id_student, s_fio, idid from s_g where id_group=") + g +
            QStringLiteral(" GROUP BY dbo.s_g.id_student, dbo.s_g.s_fio, idid"),
        QStringLiteral("Select top (1) g_r_y.* from g_r_y  where id_group=") + g +
            QStringLiteral(" and id_rate=") + QStringLiteral("1"),
        QStringLiteral(" SELECT id_group, id_semester, p34, id_discipline FROM gr_sem_disc_exam "
                       "WHERE  id_semester=") +
            s + QStringLiteral(" and id_group=") + g +
            QStringLiteral(" GROUP BY id_group, id_semester, p34, id_discipline"),
        QStringLiteral("select id_examination, p30 from gr_sem_disc_exam  where id_discipline=") +
            d + QStringLiteral(" and id_semester=") + s + QStringLiteral(" and id_group=") + g +
            QStringLiteral(" GROUP BY id_examination, p30"),
        QStringLiteral("Select * from est2 where id_examination=") + e,
        QStringLiteral(" SELECT id_group,  id_examination, p30, id_semester, p34, id_discipline "
                       "FROM gr_sem_disc_exam WHERE  id_semester=") +
            s + QStringLiteral(" and id_group=") + g +
            QStringLiteral(
                " GROUP BY id_group, id_examination, p30, id_semester, p34, id_discipline"),
        QStringLiteral("SELECT  ROW_NUMBER() OVER(ORDER BY s_fio.s_fio) as [no], "
                       "s_fio.id_student, s_fio.idid, s_fio.s_fio FROM s_fio WHERE "
                       "s_fio.id_student in(") +
            QStringLiteral(" 12, 40, 12") + QStringLiteral(") ") +
            QStringLiteral("ORDER BY s_fio.s_fio"),
        QStringLiteral("Select * from  DEL_mark_mag where  id_group=") + g +
            QStringLiteral(" and id_semester=") + s + QStringLiteral(" and id_examination=") + e +
            QStringLiteral(" and id_discipline=") + d,
    };
    // What each statement gives from the fixture's faculty: the number of rows, and for the
    // narrowed ones the values of one column, sorted.
    const struct {
        int rows;
        int column;
        QString values;
    } wanted[] = {
        {2, 1, QStringLiteral("Петров Петр Петрович|Сидорова Анна")},
        {4, 0, QStringLiteral("12|40|41|42")},
        {8, -1, {}},
        {2, -1, {}},
        {2, -1, {}},
        {2, -1, {}},
        {1, 1, QStringLiteral("ПИ-21")},
        {2, -1, {}},
        {0, -1, {}},
        {2, -1, {}},
        {1, 1, QStringLiteral("Прикладная информатика")},
        {2, 3, QStringLiteral("5|6")},
        {2, 1, QStringLiteral("1 семестр|2 семестр")},
        {4, 1,
         QStringLiteral("Ёлкин Пётр Ильич|Абрамова Анна Сергеевна|Иванов Иван Иванович|"
                        "егоров Олег Петрович")},
        {1, 2, QStringLiteral("2021/2022 учебный год")},
        {2, 2, QStringLiteral("Математика|Физика")},
        {1, 1, QStringLiteral("Экзамен")},
        {8, -1, {}},
        {2, 2, QStringLiteral("Зачет|Экзамен")},
        {2, 3, QStringLiteral("Абрамова Анна Сергеевна|Иванов Иван Иванович")},
        {0, -1, {}},
    };
    static_assert(std::size(wanted) == std::size(queries));
    std::map<QString, db::Result> results;
    for (size_t i = 0; i < std::size(queries); ++i) {
        const QString& sql = queries[i];
        SCOPED_TRACE(sql.toStdString());
        db::Result r;
        EXPECT_RUNS(r = work->query(sql));
        EXPECT_EQ(static_cast<int>(r.rows.size()), wanted[i].rows) << "statement " << i;
        if (wanted[i].column >= 0) {
            QStringList values;
            for (const auto& row : r.rows)
                values << row.at(wanted[i].column).toString();
            values.sort();
            EXPECT_EQ(values.join(u'|'), wanted[i].values) << "statement " << i;
        }
        results[sql] = r;
    }

    EXPECT_EQ(results[queries[8]].columns.size(), 6u);
    // The client's one named parameter goes through a data set, which binds it by position.
    db::DataSet special(db::DataSetKind::Query);
    special.setConnection(work.get());
    special.setSql(QStringLiteral("SELECT EstimationOther.* \r\nFROM EstimationOther, com_sfe\r\n"
                                  "WHERE EstimationOther.id_ebe_var = com_sfe.id_ebe_var AND\r\n"
                                  "             com_sfe.id_speciality=:id_speciality"));
    special.parameters().byName(QStringLiteral("id_speciality")).value = 1;
    EXPECT_RUNS(special.open());
    EXPECT_EQ(special.recordCount(), 1);

    EXPECT_RUNS(work->execute(QStringLiteral("EXEC InsertInto_SORT_MARK_MAG ") + g +
                              QStringLiteral(",") + s + QStringLiteral(",") + d +
                              QStringLiteral(",") + e + QStringLiteral(",") + QStringLiteral("1")));
    EXPECT_EQ(work->query(QStringLiteral("select count(*) from mark_mag where id_group = ") + g)
                  .rows.at(0)
                  .at(0)
                  .toInt(),
              4)
        << "one journal row per student";
    // No mark is set yet: only the condition that takes every row finds them.
    const struct {
        const char* condition;
        size_t rows;
    } sorts[] = {
        {"1=1", 4}, {"(id_estimation <> 25)", 0}, {"(id_estimation in(8, 9, 10, 11, 16))", 0}};
    for (const auto& [condition, rows] : sorts) {
        db::Parameters p;
        p.add({QStringLiteral("@RETURN_VALUE"), db::FieldType::Integer,
               db::ParameterDirection::ReturnValue, 0, 0, false, 0});
        for (const QString& v : {g, s, d, e})
            p.add(
                {QString(), db::FieldType::Integer, db::ParameterDirection::Input, 10, 0, true, v});
        p.add({QString(), db::FieldType::Integer, db::ParameterDirection::Input, 0, 0, true, 1});
        p.add({QString(), db::FieldType::Memo, db::ParameterDirection::Input, 0, 0, true,
               QString::fromUtf8(condition)});
        db::Result sorted;
        EXPECT_RUNS(sorted = work->callProcedure(QStringLiteral("SORT_MARK_MAG;1"), p, 120));
        EXPECT_EQ(sorted.rows.size(), rows) << condition;
    }
    EXPECT_RUNS(work->execute(
        QStringLiteral("INSERT INTO KEL_LOG([table], [row_id], [descr], [KEL_User], [comp]) "
                       "VALUES('mark_mag', 1234, 'Запись с уникальным номером - ''1234'' была "
                       "удалена - R.', 'user1', 'PC-7\\10.0.0.7')")));
    {
        db::Parameters p;
        p.add({QStringLiteral("@RETURN_VALUE"), db::FieldType::Integer,
               db::ParameterDirection::ReturnValue, 0, 0, false, 0});
        p.add({QStringLiteral("@group"), db::FieldType::Integer, db::ParameterDirection::Input, 10,
               0, true, g});
        p.add({QStringLiteral("@semester"), db::FieldType::Integer, db::ParameterDirection::Input,
               10, 0, true, s});
        EXPECT_RUNS(work->callProcedure(QStringLiteral("CTRL_Z_Mark_mag;1"), p));
    }
    EXPECT_RUNS(work->execute(QStringLiteral("SET DATEFORMAT dmy")));

    embedded::ServerAdmin admin(path);
    const db::Result log = admin.exec(QStringLiteral("select descr, comp from KEL_LOG"));
    EXPECT_EQ(log.rows[0][0].toString(),
              QStringLiteral("Запись с уникальным номером - '1234' была удалена - R."));
    EXPECT_EQ(log.rows[0][1].toString(), QStringLiteral("PC-7\\10.0.0.7"));
}

TEST_F(Statements, DateLiteralsFollowTheSessionsDateFormat) {
    auto work = signIn();
    work->execute(QStringLiteral("EXEC InsertInto_SORT_MARK_MAG 10,1,5,1,1"));
    const QString update =
        QStringLiteral("UPDATE mark_mag SET p36 = '05.04.2024' WHERE id_student = 12");
    const QString read = QStringLiteral("select p36 from mark_mag where id_student = 12");

    work->execute(update); // the server's default order is month first, as SQL Server's
    EXPECT_EQ(work->query(read).rows[0][0].toDateTime(), QDateTime(QDate(2024, 5, 4), QTime(0, 0)));

    work->execute(QStringLiteral("SET DATEFORMAT dmy"));
    work->execute(update);
    EXPECT_EQ(work->query(read).rows[0][0].toDateTime(), QDateTime(QDate(2024, 4, 5), QTime(0, 0)));
    EXPECT_EQ(work->query(QStringLiteral("select count(*) from mark_mag where p36 = '5.4.2024' "
                                         "or '05/04/2024 00:00' = p36"))
                  .rows[0][0]
                  .toInt(),
              1);
    EXPECT_EQ(work->query(QStringLiteral("select count(*) from mark_mag where p36 between "
                                         "'01.04.2024' and '30.04.2024 23:59:59'"))
                  .rows[0][0]
                  .toInt(),
              1);

    // A text that is no date, or a date beside a text column, is left alone.
    work->execute(QStringLiteral(
        "UPDATE mark_mag SET p35 = '05.04.2024', primech = 'н/д' WHERE id_student = 12"));
    EXPECT_EQ(work->query(QStringLiteral("select p35 from mark_mag where id_student = 12"))
                  .rows[0][0]
                  .toString(),
              QStringLiteral("05.04.2024"));
    EXPECT_EQ(
        errorOf([&] { work->execute(QStringLiteral("UPDATE mark_mag SET p36 = '31.02.2024'")); }),
        QStringLiteral("Ошибка преобразования даты или времени из символьной строки."));
    EXPECT_EQ(errorOf([&] { work->execute(QStringLiteral("SET DATEFORMAT xyz")); }),
              QStringLiteral("\"xyz\" не является допустимым значением DATEFORMAT."));
    EXPECT_EQ(errorOf([&] { work->execute(QStringLiteral("SET FOO ON")); }),
              QStringLiteral("\"FOO\" не является распознаваемым параметром SET."));
    EXPECT_RUNS(work->execute(QStringLiteral("SET NOCOUNT ON")));
}

TEST_F(Statements, ExecReadsQuotedTextsIntegersNullAndNamedArguments) {
    auto check = connect(CheckLogin, CheckPassword);
    // Quotes inside a text, named arguments in any order, a schema and a group number.
    const db::Result r = check->query(
        QStringLiteral(
            "EXEC dbo.GET_USER;1 @program = N'KEL 14', @login = 'ivanova', @password = '") +
        MD5Hex(QStringLiteral("secret1")) +
        QStringLiteral("', @new_password = NULL, @address = '10.0.0.7', @computer = 'O''Neil PC', "
                       "@user = 'ivanova', @mode = '0', @new_password_length = 4;"));
    ASSERT_EQ(r.rows.size(), 1u);
    EXPECT_EQ(r.rows[0][4].toString(), QString());

    const struct {
        const char* sql;
        const char* error;
    } cases[] = {
        {"EXEC NO_SUCH 1", "Не удалось найти хранимую процедуру \"NO_SUCH\"."},
        {"EXEC GET_USER 'a', 'b'", "Процедура или функция \"GET_USER\" ожидает параметр "
                                   "\"@new_password\", который не был указан."},
        {"EXEC GET_USER 'x', 'y', NULL, 'KEL 14', 'a', 'c', 'x', '0', '4', 'extra'",
         "Для процедуры или функции GET_USER задано слишком много аргументов."},
        {"EXEC GET_USER 'O'Neil', 'y'", "Неправильный синтаксис около конструкции \"Neil\"."},
        {"EXEC GET_USER @nope = 1", "@nope не является параметром для процедуры GET_USER."},
        {"EXEC GET_USER 'kel', 'abc", "Незакрытые кавычки после строки символов \"abc\"."},
        {"EXEC GET_USER N'it''s", "Незакрытые кавычки после строки символов \"it''s\"."},
        {"EXEC [GET_USER 'a'", "Незакрытые кавычки после строки символов \"GET_USER 'a'\"."},
        {"SET DATEFORMAT 'dmy", "Незакрытые кавычки после строки символов \"dmy\"."},
    };
    for (const auto& c : cases)
        EXPECT_EQ(errorOf([&] { check->query(QString::fromUtf8(c.sql)); }),
                  QString::fromUtf8(c.error))
            << c.sql;
    auto work = signIn();
    EXPECT_EQ(errorOf([&] {
                  work->execute(QStringLiteral("EXEC InsertInto_SORT_MARK_MAG 'x',1,5,1,1"));
              }),
              QStringLiteral("Ошибка при преобразовании типа данных varchar к int."));
}
