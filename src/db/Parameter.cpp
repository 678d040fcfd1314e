// Ordered statement and procedure parameters, by name or by position.
#include "db/Parameter.h"

#include "db/DatabaseError.h"

namespace db {

static QString plainName(const QString& name) {
    QString n = name.trimmed();
    if (n.startsWith(u'@') || n.startsWith(u':'))
        n.remove(0, 1);
    return n;
}

Parameter& Parameters::add(Parameter p) {
    items_.push_back(std::move(p));
    return items_.back();
}

Parameter& Parameters::operator[](int index) {
    return const_cast<Parameter&>(static_cast<const Parameters&>(*this)[index]);
}

const Parameter& Parameters::operator[](int index) const {
    if (index < 0 || index >= count())
        throw DatabaseError(QStringLiteral("Parameter index %1 is out of range (there are %2 "
                                           "parameters).")
                                .arg(index)
                                .arg(count()));
    return items_[static_cast<size_t>(index)];
}

Parameter* Parameters::find(const QString& name) {
    const QString wanted = plainName(name);
    for (Parameter& p : items_) {
        if (plainName(p.name).compare(wanted, Qt::CaseInsensitive) == 0)
            return &p;
    }
    return nullptr;
}

Parameter& Parameters::byName(const QString& name) {
    if (Parameter* p = find(name))
        return *p;
    throw DatabaseError(QStringLiteral("Parameter '%1' not found.").arg(name));
}

const Parameter& Parameters::byName(const QString& name) const {
    return const_cast<Parameters&>(*this).byName(name);
}

} // namespace db
