// The restore of ticked rows reaches only the chosen group and semester: ticks left on the
// server for another semester or another group stay where they are.
#include "support/KeyboardFixture.h"
#include "support/RestoreDriving.h"

#include "journal/Unit3.h"
#include "journal/Unit6.h"

namespace {

class RestoreScope : public testsupport::KeyboardFixture {
protected:
    // Ticked deleted rows of other selections, as an earlier restore window left them.
    void tickedElsewhere() {
        asOwner({QStringLiteral(
            "INSERT INTO DEL_mark_mag(id_mark_mag, id_group, id_student, id_examination, "
            "id_estimation, id_discipline, id_semester, Check_ch, del_oper) VALUES "
            "(901, 5, 7, 1, 5, 11, 3, 1, 'ivanov'), "      // the group's other semester
            "(902, 6, 8, 2, 3, 12, 2, 1, 'ivanov'), "      // another group, the same semester
            "(903, 6, 9, 2, NULL, 12, 3, 1, 'ivanov')")}); // another group and semester
    }

    QStringList keysOf(const char* table, const char* condition) {
        QStringList keys;
        const db::Result r =
            admin->exec(QStringLiteral("SELECT id_mark_mag FROM %1 WHERE %2 ORDER BY 1")
                            .arg(QLatin1String(table), QLatin1String(condition)));
        for (const auto& row : r.rows)
            keys << row.at(0).toString();
        return keys;
    }
};

TEST_F(RestoreScope, OKRestoresTheChosenGroupsSemesterOnly) {
    tickedElsewhere();
    const int gone = rowId(1);
    clickCell(1, QStringLiteral("student"));
    selectRows({1});
    onModal<TForm1>([](TForm1* form) { QTest::mouseClick(form->BitBtn1, Qt::LeftButton); });
    key(Qt::Key_Delete, Qt::ControlModifier);
    backToMainWindow();
    ASSERT_EQ(journal().recordCount(), 2);

    QStringList listed;
    onModal<TForm5>([&](TForm5* form) {
        db::DataSet& list = DM_TAZ_2->ADOQ_Buffer;
        for (int i = 0; i < list.visibleRowCount(); ++i) {
            db::DisplayRowScope row(list, i);
            listed << list.fieldByName(QStringLiteral("id_mark_mag"))->text();
        }
        testsupport::tickRestoreRow(form, 0);
        QTest::mouseClick(form->BitBtn1, Qt::LeftButton);
    });
    clickCell(0, QStringLiteral("student"));
    QWindow* target = keyWindow();
    ASSERT_NE(target, nullptr);
    testsupport::pressRestoreChord(target);
    backToMainWindow();

    EXPECT_EQ(listed, QStringList{QString::number(gone)}) << "the list is the selection's";
    EXPECT_EQ(journal().recordCount(), 3);
    EXPECT_EQ(keysOf("mark_mag", "id_mark_mag > 900"), QStringList())
        << "no row of another selection came back";
    EXPECT_EQ(keysOf("DEL_mark_mag", "Check_ch = 1"),
              (QStringList{QStringLiteral("901"), QStringLiteral("902"), QStringLiteral("903")}))
        << "their ticks stay on the server";
    EXPECT_EQ(keysOf("DEL_mark_mag", "1 = 1"),
              (QStringList{QStringLiteral("901"), QStringLiteral("902"), QStringLiteral("903")}));
    EXPECT_EQ(
        keysOf("mark_mag", QStringLiteral("id_mark_mag = %1").arg(gone).toLatin1().constData()),
        QStringList{QString::number(gone)});
    EXPECT_TRUE(boxes.empty()) << boxes.front().text.toStdString();
}

} // namespace
