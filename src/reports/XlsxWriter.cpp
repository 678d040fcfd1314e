#include "reports/XlsxWriter.h"

#include "reports/OutputModule.h"

namespace reports {

QByteArray toXlsx(const SheetTable& table, QString* error) {
    QString reason;
    const OutputModule* module = outputModule(&reason);
    if (module == nullptr) {
        if (error != nullptr)
            *error = reason;
        return {};
    }
    return module->toXlsx(table, error);
}

} // namespace reports
