// Duplicate tracking: activation scans, deletion releases, key strings, deactivation, and
// the one-pass scan agreeing with the filter-based check.
#include "GridEventsFixture.h"

using gridtest::Component;

namespace {

struct Duplicates : Component {
    void SetUp() override {
        Component::SetUp();
        useKeys();
        kv.setEditActions(TDBGridEhEditActions(geaDeleteEh));
        grid.setOptions(grid.Options() & ~TDBGridOptions(dgConfirmDelete));
    }
    // The duplicate list the filter-based check gives, record by record.
    QStringList byFilter() {
        TKvDBGridEvents checker;
        checker.setDBGridEh(&grid);
        for (int i = 0; i < kv.KeyFieldList.Count(); ++i)
            checker.KeyFieldList.Add(kv.KeyFieldList[i]);
        for (marks_.first(); !marks_.eof(); marks_.next())
            checker.CheckDuplicate();
        checker.setDBGridEh(nullptr);
        kv.setDBGridEh(&grid);
        return checker.DuplicateList();
    }
};

} // namespace

TEST_F(Duplicates, ActivationMarksSharedKeysAndLeavesTheFirstRecordCurrent) {
    addMarks({{12, 1, 1}, {40, 1, 1}, {12, 1, 2}, {7, 2, 1}, {7, 2, 2}, {7, 2, 3}});
    kv.setActive(true); // opens the data set itself
    EXPECT_TRUE(kv.Active());
    EXPECT_TRUE(marks_.active());
    EXPECT_EQ(kv.DuplicateList(), (QStringList{QStringLiteral("121"), QStringLiteral("72")}));
    EXPECT_EQ(marks_.recNo(), 1);
    EXPECT_EQ(marks_.filter(), QString());
    EXPECT_FALSE(marks_.filtered());
    EXPECT_EQ(kv.DuplicateList(), byFilter());
}

TEST_F(Duplicates, DeletingOneOfTwoReleasesTheKeyOneOfThreeKeepsIt) {
    addMarks({{12, 1, 1}, {12, 1, 2}, {7, 2, 1}, {7, 2, 2}, {7, 2, 3}});
    kv.setActive(true);
    select({1});
    ctrl(Qt::Key_Delete);
    EXPECT_EQ(kv.DuplicateList(), QStringList{QStringLiteral("72")});
    select({2});
    ctrl(Qt::Key_Delete);
    EXPECT_EQ(kv.DuplicateList(), QStringList{QStringLiteral("72")});
    EXPECT_EQ(rowCount(), 3);
    EXPECT_FALSE(marks_.filtered());
}

TEST_F(Duplicates, KeyStringsJoinValuesWithNothingBetween) {
    addMarks({{1, 23, 1}, {1, 23, 2}, {12, 3, 1}});
    kv.setActive(true);
    EXPECT_EQ(kv.DuplicateList(), QStringList{QStringLiteral("123")});
    QString key, filter;
    marks_.setRecNo(3);
    kv.BuildKeyFilter(key, filter);
    EXPECT_EQ(key, QStringLiteral("123"));
    EXPECT_EQ(filter, QStringLiteral("id_student=12 and id_exam=3"));
}

TEST_F(Duplicates, KeysWhoseJoinedTextsMatchAreNotDuplicates) {
    // Both show the key text "123", but no record shares both values with another.
    addMarks({{1, 23, 1}, {12, 3, 1}});
    kv.setActive(true);
    EXPECT_EQ(kv.DuplicateList(), QStringList());
    EXPECT_EQ(kv.DuplicateList(), byFilter());
}

TEST_F(Duplicates, SecondActivationDoesNotRescanAndDeactivationClosesAndClears) {
    addMarks({{12, 1, 1}, {40, 1, 1}, {41, 1, 1}});
    open();
    select({0});
    kv.setUniqueField(marks_.fieldByName(QStringLiteral("id_mark")));
    kv.setEditActions(TDBGridEhEditActions(geaCopyEh) | geaPasteEh);
    kv.KeyFieldList.Clear();
    ctrl(Qt::Key_C);
    ctrl(Qt::Key_V);
    useKeys();
    ASSERT_EQ(kv.PastedList().size(), 1);
    kv.setActive(true);
    EXPECT_EQ(kv.DuplicateList(), QStringList{QStringLiteral("121")});

    marks_.locate(QStringLiteral("id_mark"), 2); // student 40 becomes 41
    marks_.edit();
    marks_.fieldByName(QStringLiteral("id_student"))->setValue(41);
    marks_.post();
    kv.setActive(true);
    EXPECT_EQ(kv.DuplicateList(), QStringList{QStringLiteral("121")});

    reports.clear();
    kv.setActive(false);
    EXPECT_FALSE(kv.Active());
    EXPECT_FALSE(marks_.active());
    EXPECT_EQ(grid.model()->rowCount(), 0);
    EXPECT_TRUE(kv.DuplicateList().isEmpty());
    EXPECT_TRUE(kv.ErrorList().isEmpty());
    EXPECT_EQ(kv.PastedList().size(), 1);
    EXPECT_TRUE(reports.empty());
    kv.setActive(true); // a real scan again
    EXPECT_EQ(kv.DuplicateList(), (QStringList{QStringLiteral("121"), QStringLiteral("411")}));
}

TEST_F(Duplicates, WithoutKeyFieldsActivationOpensAndMarksNothing) {
    addMarks({{12, 1, 1}, {12, 1, 2}});
    kv.KeyFieldList.Clear();
    kv.setActive(true);
    EXPECT_TRUE(kv.Active());
    EXPECT_TRUE(marks_.active());
    EXPECT_TRUE(kv.DuplicateList().isEmpty());
}

TEST_F(Duplicates, MissingSourceOrDataSetIsReportedAndLeavesItInactive) {
    grid.setDataSource(nullptr);
    kv.setActive(true);
    EXPECT_FALSE(kv.Active());
    db::DataSource empty;
    grid.setDataSource(&empty);
    kv.setActive(true);
    kv.setActive(false); // already off: nothing
    EXPECT_EQ(reports, (std::vector<quint16>{gridevents::NoDataSource, gridevents::NoDataSet}));
}

TEST_F(Duplicates, OnePassScanAgreesWithTheFilterCheckOnTextKeysToo) {
    addMarks({{1, 1, 1}, {2, 1, 1}, {1, 1, 2}, {3, 4, 1}, {2, 1, 3}, {5, 5, 1}, {3, 4, 2}});
    conn_.execute(QStringLiteral("update mark set p35 = case id_mark % 3 when 0 then 'Аб' "
                                 "when 1 then 'аБ' else 'в' end"));
    kv.KeyFieldList.Add(marks_.fieldByName(QStringLiteral("p35")));
    kv.setActive(true);
    const QStringList scanned = kv.DuplicateList();
    EXPECT_FALSE(scanned.isEmpty());
    EXPECT_EQ(scanned, byFilter());
}
