// Parameters of statements and stored procedures.
#pragma once

#include "db/Result.h"

#include <QString>
#include <QVariant>

#include <vector>

namespace db {

enum class ParameterDirection { Input, Output, InputOutput, ReturnValue };

// A named parameter; a null value is an invalid QVariant.
struct Parameter {
    QString name; // "@group", "id_speciality" ...
    FieldType type = FieldType::Integer;
    ParameterDirection direction = ParameterDirection::Input;
    int precision = 0;
    int size = 0;
    bool nullable = true;
    QVariant value;
};

// Ordered parameters, reachable by name (case-insensitive, with or without '@') and by
// position.
class Parameters {
public:
    Parameter& add(Parameter p);
    void clear() { items_.clear(); }
    int count() const { return static_cast<int>(items_.size()); }

    // Throws DatabaseError naming the index or the name when out of range or unknown.
    Parameter& operator[](int index);
    const Parameter& operator[](int index) const;
    Parameter& byName(const QString& name);
    const Parameter& byName(const QString& name) const;
    Parameter* find(const QString& name);

    const std::vector<Parameter>& items() const { return items_; }

private:
    std::vector<Parameter> items_;
};

} // namespace db
