// A small marks database on a real SQLite file, with a teachers lookup and a marks data set,
// reached through the SQLite driver or through unixODBC's SQLite driver.
#pragma once

#include "db/Connection.h"
#include "db/DataSet.h"
#include "db/DataSource.h"
#include "db/OdbcDriver.h"

#include "support/DbStep.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QStringList>

#include <memory>
#include <ostream>
#include <string>

namespace testsupport {

class MarksDb : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = dir_.path(QStringLiteral("marks.sqlite"));
        conn_.setConnectionString(QStringLiteral("Data Source=") + path_);
        for (const char* sql : {
                 "CREATE TABLE teacher (id_teacher INTEGER PRIMARY KEY, t_fio VARCHAR(60))",
                 "CREATE TABLE mark (id_mark INTEGER PRIMARY KEY AUTOINCREMENT, "
                 "id_teacher INTEGER, p35 VARCHAR(10), p36 DATETIME, grade INTEGER, done BIT)",
                 "INSERT INTO teacher VALUES (1, 'Иванов И.И.'), (2, 'Петров П.П.'), "
                 "(3, 'Сидоров С.С.')",
                 "INSERT INTO mark (id_mark, id_teacher, p35, p36, grade, done) VALUES "
                 "(10, 2, 'b', '2024-03-05 14:30:00', 5, 1), "
                 "(11, 1, 'a', '2024-03-06 00:00:00', 4, 0), "
                 "(12, 3, 'c', NULL, 3, 0), "
                 "(13, 1, NULL, '2024-03-07 09:05:00', 5, 1)",
             })
            conn_.execute(QString::fromUtf8(sql));
        teachers_.setObjectName(QStringLiteral("teachers"));
        teachers_.setConnection(&conn_);
        teachers_.setSql(QStringLiteral("select * from teacher"));
        marks_.setObjectName(QStringLiteral("marks"));
        marks_.setConnection(&conn_);
        marks_.setSql(QStringLiteral("select * from mark order by id_mark"));
        marks_.setUpdateTable(QStringLiteral("mark"), QStringLiteral("id_mark"));
        conn_.onStatement = [this](const QString& sql) { statements_ << sql; };
    }

    // The journal's shape: data fields, a lookup of the teacher's name and a row number.
    void addMarkFields() {
        using db::FieldDef, db::FieldKind, db::FieldType;
        auto data = [](const char* name, FieldType type, int size = 0, bool ro = false) {
            FieldDef d;
            d.name = QString::fromUtf8(name);
            d.type = type;
            d.size = size;
            d.readOnly = ro;
            return d;
        };
        marks_.addFieldDef(data("id_mark", FieldType::AutoInc, 0, true));
        marks_.addFieldDef(data("id_teacher", FieldType::Integer));
        FieldDef teacher;
        teacher.name = QStringLiteral("teacher");
        teacher.kind = FieldKind::Lookup;
        teacher.type = FieldType::String;
        teacher.size = 8;
        teacher.lookupDataSet = &teachers_;
        teacher.lookupKeyFields = QStringLiteral("id_teacher");
        teacher.lookupResultField = QStringLiteral("t_fio");
        teacher.keyFields = QStringLiteral("id_teacher");
        marks_.addFieldDef(teacher);
        marks_.addFieldDef(data("p35", FieldType::String, 10));
        marks_.addFieldDef(data("p36", FieldType::DateTime));
        marks_.addFieldDef(data("grade", FieldType::Integer));
        marks_.addFieldDef(data("done", FieldType::Boolean));
        FieldDef no;
        no.name = QStringLiteral("No");
        no.kind = FieldKind::Calculated;
        no.type = FieldType::Integer;
        marks_.addFieldDef(no);
        marks_.onCalcFields = [](db::DataSet& ds) {
            ds.fieldByName(QStringLiteral("No"))->setValue(std::abs(ds.recNo()));
        };
    }

    QVariant dbValue(const QString& sql) {
        const db::Result r = conn_.query(sql);
        return r.rows.empty() ? QVariant() : r.rows.front().front();
    }

    QString text(const char* field) const {
        return marks_.fieldByName(QString::fromUtf8(field))->text();
    }

    // The values of one field over the visible rows, first to last.
    QStringList column(db::DataSet& ds, const char* field) {
        QStringList out;
        ds.first();
        while (!ds.eof()) {
            out << ds.fieldByName(QString::fromUtf8(field))->text();
            ds.next();
        }
        return out;
    }

    testsupport::TempDir dir_;
    QString path_;
    db::Connection conn_;
    db::DataSet teachers_{db::DataSetKind::Query};
    db::DataSet marks_{db::DataSetKind::Query};
    QStringList statements_;
};

// The ways the data sets reach the marks file.
enum class MarksDriver { Sqlite, SqliteOdbc };

inline void PrintTo(MarksDriver d, std::ostream* os) {
    *os << (d == MarksDriver::Sqlite ? "the SQLite driver" : "the SQLite ODBC driver");
}

inline std::string driverName(const ::testing::TestParamInfo<MarksDriver>& info) {
    return info.param == MarksDriver::Sqlite ? "Sqlite" : "SqliteOdbc";
}

// The marks file reached through each driver in turn; the statements are the same.
class MarksOverDrivers : public MarksDb, public ::testing::WithParamInterface<MarksDriver> {
protected:
    void SetUp() override {
        MarksDb::SetUp();
        if (GetParam() != MarksDriver::SqliteOdbc)
            return;
        conn_.close();
        conn_.setConnectionString(connectionText());
        DB_STEP(conn_.open());
        ASSERT_NE(dynamic_cast<db::OdbcDriver*>(&conn_.driver()), nullptr);
    }

    // How another client reaches the same file through the same driver.
    QString connectionText() const {
        return GetParam() == MarksDriver::SqliteOdbc
                   ? QStringLiteral("Driver=SQLite3;Database=") + path_
                   : QStringLiteral("Data Source=") + path_;
    }
};

} // namespace testsupport
