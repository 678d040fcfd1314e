// The journal's row numbers and posting rules, with the recorder attached as the main window
// attaches it, against the embedded server's rights.
#include "support/BoxScript.h"
#include "support/DataModuleFixture.h"

#include "history/log_u.h"
#include "platform/MessageBoxes.h"

namespace {

using testsupport::DataModuleFixture;

std::vector<QVariant> numbers(db::DataSet& journal) {
    std::vector<QVariant> out;
    for (journal.first(); !journal.eof(); journal.next())
        out.push_back(journal.fieldByName(QStringLiteral("No"))->value());
    return out;
}

TEST_F(DataModuleFixture, RowsAreNumberedInTheOrderShownOnlyWithAFormOfControl) {
    ASSERT_NO_FATAL_FAILURE(signIn());
    view.select(Group, Semester, Discipline, Examination);
    view.gridSource = &dm.DS_SP_Sort;
    ASSERT_NO_FATAL_FAILURE(loadJournal());
    const std::vector<QVariant> oneTwoThree = {1, 2, 3};
    EXPECT_EQ(numbers(dm.ADO_SP_Sort), oneTwoThree);

    dm.ADO_SP_Sort.sortBy(QStringLiteral("student"), false);
    EXPECT_EQ(journalStudents(),
              (QStringList{QStringLiteral("Яковлев Яков"), QStringLiteral("Петров Пётр"),
                           QStringLiteral("Андреев Андрей")}));
    EXPECT_EQ(numbers(dm.ADO_SP_Sort), oneTwoThree);

    view.select(Group, Semester, Discipline, std::nullopt);
    for (const QVariant& n : numbers(dm.ADO_SP_Sort))
        EXPECT_TRUE(n.isNull()) << "no form of control: " << n.toString().toStdString();

    view.select(Group, Semester, Discipline, Examination);
    view.gridSource = nullptr;
    for (const QVariant& n : numbers(dm.ADO_SP_Sort))
        EXPECT_TRUE(n.isNull()) << "grid unbound: " << n.toString().toStdString();
}

TEST_F(DataModuleFixture, PostedRowCarriesTheSelectedKeysOnlyWhenAllThreeAreSelected) {
    ASSERT_NO_FATAL_FAILURE(signIn());
    ASSERT_NO_FATAL_FAILURE(loadJournal());
    db::DataSet& j = dm.ADO_SP_Sort;
    const auto postMark = [&](int student, int mark) {
        if (!j.locate(QStringLiteral("id_student"), student)) {
            ADD_FAILURE() << "no journal row for student " << student;
            return -1;
        }
        j.edit();
        j.fieldByName(QStringLiteral("id_estimation"))->setValue(mark);
        j.post();
        return j.fieldByName(QStringLiteral("id_mark_mag"))->asInteger();
    };

    // All three selected, with keys other than the row's own: the row takes them.
    view.select(6, 3, 12, Examination);
    const int carried = postMark(7, 5);
    EXPECT_EQ(stored(QStringLiteral("id_group"), carried).toInt(), 6);
    EXPECT_EQ(stored(QStringLiteral("id_semester"), carried).toInt(), 3);
    EXPECT_EQ(stored(QStringLiteral("id_discipline"), carried).toInt(), 12);
    EXPECT_EQ(stored(QStringLiteral("id_estimation"), carried).toInt(), 5);
    EXPECT_EQ(view.enabled, (std::vector<JournalSelector>{
                                JournalSelector::Group, JournalSelector::Semester,
                                JournalSelector::FormOfControl, JournalSelector::Discipline}));

    const std::optional<qint32> none;
    const struct {
        std::optional<qint32> group, semester, discipline;
    } partial[] = {{6, 3, none}, {6, none, 12}, {none, 3, 12}};
    for (const auto& p : partial) {
        view.select(p.group, p.semester, p.discipline, Examination);
        const int kept = postMark(8, 3);
        EXPECT_EQ(stored(QStringLiteral("id_group"), kept).toInt(), Group);
        EXPECT_EQ(stored(QStringLiteral("id_semester"), kept).toInt(), Semester);
        EXPECT_EQ(stored(QStringLiteral("id_discipline"), kept).toInt(), Discipline);
        EXPECT_EQ(stored(QStringLiteral("id_estimation"), kept).toInt(), 3);
        postMark(8, 5); // a change, so the next round posts something
    }
}

// The main window's recorder wiring, reduced to what the audit log would receive.
class RefusedPostTest : public DataModuleFixture {
protected:
    void SetUp() override {
        DataModuleFixture::SetUp();
        // This user may not change marks.
        asOwner({QStringLiteral("DELETE FROM kel_srv_grant WHERE action = 'UPDATE' AND "
                                "object_name = 'mark_mag' AND column_name = 'id_estimation'")});
        ASSERT_NO_FATAL_FAILURE(signIn());
        view.select(Group, Semester, Discipline, Examination);
        view.gridSource = &dm.DS_SP_Sort;
        view.columnTitle = QStringLiteral("Оценка");
        ASSERT_NO_FATAL_FAILURE(loadJournal());

        recorder.OnFieldChanged = [this](const QString& message, db::DataSet&, const QString&,
                                         const QString&, QStringList& statements) {
            messages << message;
            statements << message;
        };
        recorder.OnExecute = [this](const QStringList& statements) { executed << statements; };
        recorder.OnRowDeleted = [this](const QString& image, db::DataSet&, const QString&,
                                       const QString&, QStringList& statements) {
            messages << image;
            statements << image;
        };
        recorder.MessageTemplate =
            QStringLiteral("Поле \"<?>\" изменило значение \"<old>\" на \"<new>\".");
        recorder.Attach(&dm.ADO_SP_Sort, QStringLiteral("mark_mag"), QStringLiteral("id_mark_mag"),
                        true, true);
    }

    void editMark(int student, int mark) {
        ASSERT_TRUE(dm.ADO_SP_Sort.locate(QStringLiteral("id_student"), student));
        dm.ADO_SP_Sort.edit();
        dm.ADO_SP_Sort.fieldByName(QStringLiteral("id_estimation"))->setValue(mark);
    }

    TADOUpdateHistoryExec recorder;
    QStringList messages, executed;
    std::vector<platform::MessageBoxRequest> boxes;
};

TEST_F(RefusedPostTest, FirstRefusalGoesOnThroughTheRecorderLaterOnesAreReportedAllRecorded) {
    platform::ScopedMessageBoxScript script(testsupport::recordBoxes(boxes));
    db::DataSet& j = dm.ADO_SP_Sort;
    const auto mark = [&] { return j.fieldByName(QStringLiteral("id_estimation"))->value(); };
    ASSERT_TRUE(j.locate(QStringLiteral("id_student"), 7));
    const QVariant before = mark();
    const int row = j.fieldByName(QStringLiteral("id_mark_mag"))->asInteger();

    // First time: the error reaches the caller; the edit stays, and the recorder stays on.
    ASSERT_NO_FATAL_FAILURE(editMark(7, 5));
    EXPECT_THROW(j.post(), db::DatabaseError);
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(j.state(), db::DataSetState::Edit);
    EXPECT_EQ(mark().toInt(), 5);
    EXPECT_EQ(recorder.DataSet(), &j);
    EXPECT_EQ(messages.size(), 1);
    EXPECT_TRUE(executed.isEmpty()) << "nothing is logged for a refused write";

    // Second time: one "Warning!" box naming the current column; the row shows stored values.
    EXPECT_THROW(j.post(), db::Abort);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, QStringLiteral("Warning!"));
    EXPECT_EQ(boxes[0].text,
              QStringLiteral("Вы пытаетесь изменить запись в поле \"Оценка\", но у вас нет на "
                             "это прав."));
    EXPECT_EQ(boxes[0].owner, nullptr);
    EXPECT_EQ(boxes[0].icon, QMessageBox::Warning);
    EXPECT_EQ(boxes[0].buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    EXPECT_EQ(j.state(), db::DataSetState::Browse);
    EXPECT_EQ(mark(), before);
    EXPECT_EQ(stored(QStringLiteral("id_estimation"), row), before);

    // Later changes and deletions are still recorded: a refusal never switches the log off.
    messages.clear();
    j.edit();
    j.fieldByName(QStringLiteral("p35"))->setValue(QStringLiteral("17"));
    j.post();
    j.deleteRecord();
    ASSERT_EQ(messages.size(), 2);
    EXPECT_EQ(messages[0], QStringLiteral("Поле \"p35\" изменило значение \"NULL\" на \"17\"."));
    EXPECT_TRUE(messages[1].startsWith(QStringLiteral("(id_estimation_other[NULL], id_mark_mag[")))
        << messages[1].toStdString();
    EXPECT_EQ(executed, messages);
    EXPECT_EQ(stored(QStringLiteral("p35"), row), QVariant()) << "row deleted";
}

// A post that lost the link is no refused right: the user is told so and keeps the values.
TEST_F(RefusedPostTest, ALostLinkIsReportedAsSuchAndKeepsTheUsersValues) {
    platform::ScopedMessageBoxScript script(testsupport::recordBoxes(boxes));
    db::DataSet& j = dm.ADO_SP_Sort;
    ASSERT_NO_FATAL_FAILURE(editMark(7, 5));
    const db::DatabaseError lost(QStringLiteral("Связь с сервером потеряна.\nUnexpected EOF"),
                                 QStringLiteral("08S01"), 20017);
    db::DataAction action = db::DataAction::Fail;
    dm.ADO_SP_SortPostError(j, lost, action);
    EXPECT_EQ(action, db::DataAction::Abort);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, QStringLiteral("Warning!"));
    EXPECT_EQ(boxes[0].text, lost.message());
    EXPECT_EQ(j.state(), db::DataSetState::Edit);
    EXPECT_EQ(j.fieldByName(QStringLiteral("id_estimation"))->value().toInt(), 5);
    j.cancel();
}

TEST_F(RefusedPostTest, AcceptedPostLogsOnlyTheUsersChangeNotTheCarriedKeys) {
    view.select(6, 3, 12, Examination);
    ASSERT_TRUE(dm.ADO_SP_Sort.locate(QStringLiteral("id_student"), 9));
    dm.ADO_SP_Sort.edit();
    dm.ADO_SP_Sort.fieldByName(QStringLiteral("p35"))->setValue(QStringLiteral("12'a"));
    dm.ADO_SP_Sort.post();
    EXPECT_EQ(messages,
              QStringList{QStringLiteral("Поле \"p35\" изменило значение \"NULL\" на \"12''a\".")});
    EXPECT_EQ(executed, messages);
    const int row = dm.ADO_SP_Sort.fieldByName(QStringLiteral("id_mark_mag"))->asInteger();
    EXPECT_EQ(stored(QStringLiteral("id_group"), row).toInt(), 6);
}

} // namespace
