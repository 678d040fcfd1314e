// A small journal-like database on a real SQLite file, with a students list, a teachers
// lookup and a marks data set bound to a data source, for the data-aware controls.
#pragma once

#include "db/Connection.h"
#include "db/DataSet.h"
#include "db/DataSource.h"

#include "support/DbStep.h"
#include "support/KeyTyping.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QStringList>
#include <QWidget>

namespace testsupport {

class JournalDb : public ::testing::Test {
protected:
    void SetUp() override {
        conn_.setConnectionString(QStringLiteral("Data Source=") +
                                  dir_.path(QStringLiteral("journal.sqlite")));
        for (const char* sql : {
                 "CREATE TABLE teacher (id_teacher INTEGER PRIMARY KEY, t_fio VARCHAR(60))",
                 "CREATE TABLE mark (id_mark INTEGER PRIMARY KEY AUTOINCREMENT, "
                 "id_student INTEGER, id_exam INTEGER, id_teacher INTEGER, p35 VARCHAR(10))",
                 "INSERT INTO teacher VALUES (1, 'Иванов И.И.'), (2, 'Петров П.П.'), "
                 "(3, 'Сидоров С.С.')",
             })
            conn_.execute(QString::fromUtf8(sql));
        teachers_.setConnection(&conn_);
        teachers_.setSql(QStringLiteral("select * from teacher order by id_teacher"));
        marks_.setConnection(&conn_);
        marks_.setSql(QStringLiteral("select * from mark order by id_mark"));
        marks_.setUpdateTable(QStringLiteral("mark"), QStringLiteral("id_mark"));
        teacherSource_.setDataSet(&teachers_);
        markSource_.setDataSet(&marks_);
    }

    // Rows of (student, exam, teacher, p35).
    void addMarks(std::initializer_list<std::array<int, 3>> rows) {
        for (const auto& r : rows)
            conn_.execute(QStringLiteral("insert into mark (id_student, id_exam, id_teacher, p35) "
                                         "values (%1, %2, %3, 'x')")
                              .arg(r[0])
                              .arg(r[1])
                              .arg(r[2]));
    }

    // The journal's shape: data fields and the teacher's name looked up by id_teacher.
    void addMarkFields() {
        using db::FieldDef, db::FieldKind, db::FieldType;
        auto data = [this](const char* name, FieldType type, int size = 0, bool ro = false) {
            FieldDef d;
            d.name = QString::fromUtf8(name);
            d.type = type;
            d.size = size;
            d.readOnly = ro;
            marks_.addFieldDef(d);
        };
        data("id_mark", FieldType::AutoInc, 0, true);
        data("id_student", FieldType::Integer);
        data("id_exam", FieldType::Integer);
        data("id_teacher", FieldType::Integer);
        FieldDef teacher;
        teacher.name = QStringLiteral("teacher");
        teacher.kind = FieldKind::Lookup;
        teacher.type = FieldType::String;
        teacher.size = 60;
        teacher.lookupDataSet = &teachers_;
        teacher.lookupKeyFields = QStringLiteral("id_teacher");
        teacher.lookupResultField = QStringLiteral("t_fio");
        teacher.keyFields = QStringLiteral("id_teacher");
        marks_.addFieldDef(teacher);
        data("p35", FieldType::String, 10);
    }

    QVariant dbValue(const QString& sql) {
        const db::Result r = conn_.query(sql);
        return r.rows.empty() ? QVariant() : r.rows.front().front();
    }

    // Shows a widget offscreen as the active window with the focus.
    static void show(QWidget& w) {
        w.resize(600, 400);
        w.show();
        QApplication::setActiveWindow(&w);
        w.setFocus();
    }

    testsupport::TempDir dir_;
    db::Connection conn_;
    db::DataSet teachers_{db::DataSetKind::Query};
    db::DataSet marks_{db::DataSetKind::Query};
    db::DataSource teacherSource_;
    db::DataSource markSource_;
};

} // namespace testsupport
