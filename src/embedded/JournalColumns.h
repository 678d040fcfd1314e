// The journal's eighteen stored columns, in the order the table, the journal's procedures and
// the data module's fields all use: their one home.
#pragma once

#include "db/Result.h"

#include <QString>

#include <array>

namespace embedded {

struct JournalColumn {
    const char* name;
    db::FieldType type;
    int size; // characters, for the text columns
};

inline constexpr std::array<JournalColumn, 18> JournalColumns{{
    {"id_estimation_other", db::FieldType::Integer, 0},
    {"id_mark_mag", db::FieldType::AutoInc, 0},
    {"id_group", db::FieldType::Integer, 0},
    {"id_student", db::FieldType::Integer, 0},
    {"id_examination", db::FieldType::Integer, 0},
    {"id_estimation", db::FieldType::Integer, 0},
    {"id_discipline", db::FieldType::Integer, 0},
    {"id_semester", db::FieldType::Integer, 0},
    {"id_teacher", db::FieldType::Integer, 0},
    {"p35", db::FieldType::String, 50},
    {"p36", db::FieldType::DateTime, 0},
    {"id_f_est", db::FieldType::Integer, 0},
    {"oper", db::FieldType::String, 5},
    {"u_date", db::FieldType::DateTime, 0},
    {"KEL_User", db::FieldType::String, 20},
    {"KEL_Update", db::FieldType::Date, 0},
    {"primech", db::FieldType::String, 50},
    {"dopusk_izm", db::FieldType::Boolean, 0},
}};

// The names joined by ", ", each after the prefix (a table's alias and its dot, or nothing).
inline QString journalColumnList(const QString& prefix = QString()) {
    QString list;
    for (const JournalColumn& column : JournalColumns) {
        if (!list.isEmpty())
            list += QStringLiteral(", ");
        list += prefix + QLatin1String(column.name);
    }
    return list;
}

} // namespace embedded
