// The journal as the client's data set holds it: read through SORT_MARK_MAG, edited and
// deleted through the server's rights and triggers.
#include "ServerFixture.h"

#include "db/DataSet.h"
#include "db/Field.h"
#include "support/ZoneScope.h"

#include <QLocale>

using namespace embeddedtest;

namespace {

class JournalDataSet : public ServerFixture {
protected:
    void SetUp() override {
        ServerFixture::SetUp();
        work = signIn();
        work->execute(QStringLiteral("EXEC InsertInto_SORT_MARK_MAG 10,1,5,1,1"));
        journal.setConnection(work.get());
        journal.setProcedureName(QStringLiteral("SORT_MARK_MAG;1"));
        journal.setCommandTimeout(120);
        journal.setUpdateTable(QStringLiteral("mark_mag"), QStringLiteral("id_mark_mag"));
        db::Parameters& p = journal.parameters();
        p.add({QStringLiteral("@RETURN_VALUE"), db::FieldType::Integer,
               db::ParameterDirection::ReturnValue, 0, 0, false, 0});
        for (const char* name : {"@group", "@semester", "@discipline", "@examination"})
            p.add({QLatin1String(name), db::FieldType::Integer, db::ParameterDirection::Input, 10,
                   0, true, QVariant()});
        p.add({QStringLiteral("@id_teacher"), db::FieldType::Integer, db::ParameterDirection::Input,
               0, 0, true, 1});
        p.add({QStringLiteral("@DoNotShow"), db::FieldType::Memo, db::ParameterDirection::Input, 0,
               0, true, QStringLiteral("1=1")});
        p[1].value = QStringLiteral("10");
        p[2].value = QStringLiteral("1");
        p[3].value = QStringLiteral("5");
        p[4].value = QStringLiteral("1");
        journal.open();
    }

    std::unique_ptr<db::Connection> work;
    db::DataSet journal{db::DataSetKind::StoredProc};
};

} // namespace

TEST_F(JournalDataSet, EditsAreWrittenAndRefusedColumnsReportTheServersText) {
    ASSERT_EQ(journal.recordCount(), 4);
    journal.first();
    const int id = journal.fieldByName(QStringLiteral("id_mark_mag"))->asInteger();
    journal.edit();
    journal.fieldByName(QStringLiteral("id_estimation"))->setValue(3);
    journal.fieldByName(QStringLiteral("p36"))
        ->setValue(QDateTime(QDate(2024, 1, 20), QTime(0, 0)));
    EXPECT_RUNS(journal.post());
    // A second edit of the same row after the first: the old values still match.
    journal.edit();
    journal.fieldByName(QStringLiteral("id_estimation"))->setValue(2);
    EXPECT_RUNS(journal.post());
    EXPECT_EQ(work->query(QStringLiteral("select id_estimation, KEL_User from mark_mag where "
                                         "id_mark_mag = ?"),
                          {id})
                  .rows[0],
              (std::vector<QVariant>{2, QStringLiteral("ivanova")}));

    journal.edit();
    // The first row is Абрамова's; the client may not give it to another student.
    journal.fieldByName(QStringLiteral("id_student"))->setValue(Ivanov);
    EXPECT_EQ(errorOf([&] { journal.post(); }),
              QStringLiteral("Отказано в разрешении \"UPDATE\" на столбец \"id_student\" объекта "
                             "\"mark_mag\", база данных \"KEL\", схема \"dbo\"."));
    journal.cancel();

    journal.deleteRecord();
    EXPECT_EQ(journal.recordCount(), 3);
    const db::Result deleted =
        work->query(QStringLiteral("select id_estimation, del_oper from DEL_mark_mag where "
                                   "id_mark_mag = ?"),
                    {id});
    ASSERT_EQ(deleted.rows.size(), 1u);
    EXPECT_EQ(deleted.rows[0][0].toInt(), 2);
    EXPECT_EQ(deleted.rows[0][1].toString().trimmed(), QStringLiteral("ivanova"));
}

// The journal's date-times at midnight are the same day and midnight in any zone, as values
// and as the text the grid shows.
TEST_F(JournalDataSet, MidnightDateTimesKeepTheirDayInAnyZone) {
    const std::pair<int, QDate> handedIn[] = {{Ivanov, QDate(2024, 3, 5)},
                                              {Abramova, QDate(2023, 12, 31)}};
    embedded::ServerAdmin owner(path);
    for (const auto& [student, date] : handedIn)
        owner.exec(QStringLiteral("UPDATE mark_mag SET p36 = ? WHERE id_student = ?"),
                   {date.toString(Qt::ISODate) + QStringLiteral(" 00:00:00"), student});
    for (const char* zone : {"UTC", "Europe/Moscow"}) {
        SCOPED_TRACE(zone);
        testsupport::ZoneScope scope(zone);
        journal.close();
        journal.open();
        for (const auto& [student, date] : handedIn) {
            ASSERT_TRUE(journal.locate(QStringLiteral("id_student"), student));
            const db::Field* f = journal.fieldByName(QStringLiteral("p36"));
            EXPECT_EQ(f->value(), QVariant(QDateTime(date, QTime(0, 0))));
            EXPECT_EQ(f->value().toDateTime().timeSpec(), Qt::LocalTime);
            EXPECT_EQ(f->text(), QLocale().toString(date, QLocale::ShortFormat));
        }
    }
}
