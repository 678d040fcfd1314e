// Copy, cut, paste, delete and select-all of whole records through the private clipboard
// format, with their reports and confirmations.
#include "GridEventsFixture.h"
#include "support/BoxScript.h"

#include "platform/Clipboard.h"
#include "platform/MessageBoxes.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

using gridtest::Component;

namespace {

struct Records : Component {
    void SetUp() override {
        Component::SetUp();
        addMarks({{12, 1, 1}, {40, 1, 2}, {12, 2, 3}});
        conn_.execute(QStringLiteral("update mark set p35 = 'б1' where id_mark = 3"));
        open();
        useKeys();
        kv.setEditActions(TDBGridEhEditActions(geaCutEh) | geaCopyEh | geaPasteEh | geaDeleteEh |
                          geaSelectAllEh);
        grid.setOptions(grid.Options() & ~TDBGridOptions(dgConfirmDelete));
        QGuiApplication::clipboard()->clear();
    }
    QByteArray block() {
        return platform::readClipboardBlock(TKvDBGridEvents::clipboardFormat()).value_or("none");
    }
};

} // namespace

TEST_F(Records, CopyPutsTheSelectedRecordsInColumnOrderWithKeysForLookups) {
    select({0, 2});
    ctrl(Qt::Key_C);
    // Four columns (one hidden), the teacher as its key, the text in code page 1251.
    EXPECT_EQ(block(), QByteArray("12\x01"
                                  "1\x01"
                                  "1\x01"
                                  "x\x01\x02"
                                  "12\x01"
                                  "2\x01"
                                  "3\x01"
                                  "\xE1"
                                  "1\x01\x02"));
    EXPECT_FALSE(QGuiApplication::clipboard()->mimeData()->hasText());
    EXPECT_EQ(reports, std::vector<quint16>{gridevents::Finished});
    EXPECT_EQ(grid.SelectedRows().Count(), 2);
    EXPECT_EQ(rowCount(), 3);
}

TEST_F(Records, WithoutSelectedRowsCopyAndCutDoNothingAtAll) {
    QGuiApplication::clipboard()->setText(QStringLiteral("keep"));
    ctrl(Qt::Key_C);
    ctrl(Qt::Key_X);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("keep"));
    EXPECT_TRUE(reports.empty());
    EXPECT_EQ(rowCount(), 3);
}

TEST_F(Records, PasteInsertsCopiesMarksThemPastedAndMarksDuplicates) {
    kv.setActive(true);
    EXPECT_TRUE(kv.DuplicateList().isEmpty());
    select({0, 1});
    ctrl(Qt::Key_C);
    reports.clear();
    ctrl(Qt::Key_V);
    EXPECT_EQ(reports, (std::vector<quint16>{gridevents::Finished, gridevents::Finished}));
    EXPECT_EQ(rowCount(), 5);
    EXPECT_EQ(rowCount(QStringLiteral("where id_student = 12 and id_exam = 1 and id_teacher = 1 "
                                      "and p35 = 'x'")),
              2);
    EXPECT_EQ(rowCount(QStringLiteral("where id_student = 40 and id_teacher = 2")), 2);
    EXPECT_EQ(kv.PastedList(), (QStringList{QStringLiteral("4"), QStringLiteral("5")}));
    EXPECT_EQ(kv.DuplicateList(), (QStringList{QStringLiteral("121"), QStringLiteral("401")}));
    // The grid shows the looked-up name again for the pasted key.
    marks_.locate(QStringLiteral("id_mark"), 5);
    EXPECT_EQ(marks_.fieldByName(QStringLiteral("teacher"))->text(), QStringLiteral("Петров П.П."));
}

TEST_F(Records, ADataSetThatRefusesNewRecordsPastesNothingAndReportsNothing) {
    select({0});
    ctrl(Qt::Key_C);
    ctrl(Qt::Key_V);
    ASSERT_EQ(kv.PastedList().size(), 1);
    reports.clear();
    marks_.beforeInsert = [](db::DataSet&) { throw db::Abort(); };
    ctrl(Qt::Key_V);
    EXPECT_TRUE(reports.empty());
    EXPECT_TRUE(kv.PastedList().isEmpty());
    EXPECT_EQ(rowCount(), 4);
    EXPECT_FALSE(marks_.controlsDisabled());
}

TEST_F(Records, PlainTextOnTheClipboardReportsSixAndKeepsThePastedMarks) {
    select({0});
    ctrl(Qt::Key_C);
    ctrl(Qt::Key_V);
    const QStringList pasted = kv.PastedList();
    reports.clear();
    QGuiApplication::clipboard()->setText(QStringLiteral("12\x01"));
    ctrl(Qt::Key_V);
    EXPECT_EQ(reports, std::vector<quint16>{gridevents::NoClipboardData});
    EXPECT_EQ(kv.PastedList(), pasted);
    EXPECT_EQ(rowCount(), 4);
}

TEST_F(Records, PasteReadsValuesByPositionUnescaped) {
    // Too few values leave the rest empty; a 0x01 inside a value shifts the rest.
    platform::writeClipboardBlock(TKvDBGridEvents::clipboardFormat(), QByteArray("77\x01"
                                                                                 "3\x01\x02"
                                                                                 "78\x01"
                                                                                 "4\x01"
                                                                                 "2\x01"
                                                                                 "a\x01"
                                                                                 "b\x01\x02"));
    ctrl(Qt::Key_V);
    EXPECT_EQ(dbValue(QStringLiteral(
                          "select coalesce(id_teacher, 'null') || coalesce(p35, 'null') from mark "
                          "where id_student = 77"))
                  .toString(),
              QStringLiteral("nullnull"));
    EXPECT_EQ(dbValue(QStringLiteral("select p35 from mark where id_student = 78")).toString(),
              QStringLiteral("a"));
    EXPECT_EQ(kv.PastedList().size(), 2);
}

TEST_F(Records, DeleteRemovesTheSelectedRecordsAndReportsTwice) {
    ctrl(Qt::Key_Delete); // nothing selected, no confirmation asked: still runs
    EXPECT_EQ(reports, (std::vector<quint16>{gridevents::Finished, gridevents::Finished}));
    EXPECT_EQ(rowCount(), 3);

    reports.clear();
    select({0, 2});
    ctrl(Qt::Key_Delete);
    EXPECT_EQ(reports, (std::vector<quint16>{gridevents::Finished, gridevents::Finished}));
    EXPECT_EQ(rowCount(), 1);
    EXPECT_EQ(grid.SelectedRows().Count(), 0);

    reports.clear();
    ctrl(Qt::Key_A);
    EXPECT_EQ(reports, std::vector<quint16>{gridevents::Finished});
    EXPECT_EQ(grid.SelectedRows().Count(), 1);
}

TEST_F(Records, CutCopiesThenDeletesAndKeepsTheSelectedList) {
    select({1});
    ctrl(Qt::Key_X);
    EXPECT_EQ(block(), QByteArray("40\x01"
                                  "1\x01"
                                  "2\x01"
                                  "x\x01\x02"));
    EXPECT_EQ(rowCount(), 2);
    EXPECT_EQ(grid.SelectedRows().Count(), 1);
    EXPECT_EQ(reports, std::vector<quint16>{gridevents::Finished});
    // A second cut with the stale selection takes nothing that was not chosen.
    ctrl(Qt::Key_X);
    EXPECT_EQ(rowCount(), 2);
}

TEST_F(Records, ConfirmationComesFromTheOwnerOrFromABox) {
    grid.setOptions(grid.Options() | dgConfirmDelete);
    select({0});
    std::vector<platform::MessageBoxRequest> asked;
    {
        platform::ScopedMessageBoxScript script(testsupport::recordBoxes(asked, QMessageBox::No));
        ctrl(Qt::Key_X);
        ctrl(Qt::Key_Delete);
    }
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[0].text, QStringLiteral("Cut record(s) - ?"));
    EXPECT_EQ(asked[0].caption, QStringLiteral("Confirm"));
    EXPECT_EQ(asked[0].icon, QMessageBox::Question);
    EXPECT_EQ(asked[0].buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(asked[1].text, QStringLiteral("Delete record(s) - ?"));
    EXPECT_TRUE(reports.empty());
    EXPECT_EQ(rowCount(), 3);

    int askedOwner = 0;
    kv.OnKvDBEOnConfirmDelete = [&](QObject* sender, bool& canDelete) {
        EXPECT_EQ(sender, &grid);
        EXPECT_TRUE(canDelete);
        canDelete = ++askedOwner > 1;
    };
    ctrl(Qt::Key_Delete);
    EXPECT_EQ(rowCount(), 3);
    ctrl(Qt::Key_Delete);
    EXPECT_EQ(rowCount(), 2);
    // With confirmation on and nothing selected, Ctrl+Delete does nothing.
    reports.clear();
    ctrl(Qt::Key_Delete);
    EXPECT_EQ(askedOwner, 2);
    EXPECT_TRUE(reports.empty());
}

TEST_F(Records, OwnerKeyHandlerRunsFirstAndCanStopThePaste) {
    select({0});
    ctrl(Qt::Key_C);
    kv.OnKeyDown = [&](QObject* sender, quint16& key, TShiftState) {
        EXPECT_EQ(sender, &grid);
        if (key == 'V')
            key = 0;
    };
    ctrl(Qt::Key_V);
    EXPECT_EQ(rowCount(), 3);
}

TEST_F(Records, RefusalsAreReportedInOrder) {
    db::Field* unique = kv.UniqueField();
    kv.setUniqueField(nullptr);
    ctrl(Qt::Key_A);
    kv.setUniqueField(unique);
    marks_.close();
    ctrl(Qt::Key_A);
    grid.setDataSource(nullptr);
    ctrl(Qt::Key_A);
    EXPECT_EQ(reports, (std::vector<quint16>{gridevents::NoUniqueField, gridevents::DataSetClosed,
                                             gridevents::NoDataSource}));
}
