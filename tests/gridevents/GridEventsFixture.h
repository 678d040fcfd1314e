// The grid editing events component on a journal-like grid over a real SQLite file.
#pragma once

#include "support/JournalDb.h"

#include "db/DataSet.h"
#include "gridevents/Kv_DBGrd_Evns.h"

#include <QTest>

namespace gridtest {

class Component : public testsupport::JournalDb {
protected:
    void SetUp() override {
        JournalDb::SetUp();
        addMarkFields();
        grid.addColumn(QStringLiteral("id_student"), QStringLiteral("Студент"), 60);
        grid.addColumn(QStringLiteral("id_exam"), QStringLiteral("Форм/контр."), 60);
        grid.addColumn(QStringLiteral("teacher"), QStringLiteral("Преподаватель"), 150);
        grid.addColumn(QStringLiteral("p35"), QStringLiteral("№"), 60)->Visible = false;
        grid.setDataSource(&markSource_);
        kv.setDBGridEh(&grid);
        kv.OnKvDBEGridError = [this](QObject* sender, quint16 id) {
            EXPECT_EQ(sender, &kv);
            reports.push_back(id);
        };
    }

    void open() {
        DB_STEP(teachers_.open());
        DB_STEP(marks_.open());
    }
    void useKeys() {
        kv.setUniqueField(marks_.fieldByName(QStringLiteral("id_mark")));
        kv.KeyFieldList.Add(marks_.fieldByName(QStringLiteral("id_student")));
        kv.KeyFieldList.Add(marks_.fieldByName(QStringLiteral("id_exam")));
    }
    void select(std::initializer_list<int> rows) {
        grid.SelectedRows().Clear();
        for (int r : rows)
            grid.SelectedRows().add(marks_.bookmarkAt(r));
    }
    void ctrl(int key) { QTest::keyClick(&grid, Qt::Key(key), Qt::ControlModifier); }
    // The component's reports only, without the Ctrl key's own.
    int rowCount(const QString& where = QString()) {
        return dbValue(QStringLiteral("select count(*) from mark ") + where).toInt();
    }

    TKvDBGridEh grid;
    TKvDBGridEvents kv;
    std::vector<quint16> reports;
};

} // namespace gridtest
