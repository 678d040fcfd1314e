// Constants of the grid editing events component: reports, clipboard format, texts.
#pragma once

#include <QString>

namespace gridevents {

// What OnKvDBEGridError reports.
enum ErrorId : quint16 {
    Finished = 0,
    NoDataSource = 1,
    NoDataSet = 2,
    DataSetClosed = 3,
    NoGrid = 4,
    NoUniqueField = 5,
    NoClipboardData = 6,
};

// The private clipboard format and the bytes that end a value and a record in its block.
inline const char* const kClipboardFormatName = "Data Base Edit Data";
constexpr char kValueEnd = '\x01';
constexpr char kRecordEnd = '\x02';

// Confirmation box of cut and delete.
inline QString confirmCaption() {
    return QStringLiteral("Confirm");
}
inline QString confirmCutText() {
    return QStringLiteral("Cut record(s) - ?");
}
inline QString confirmDeleteText() {
    return QStringLiteral("Delete record(s) - ?");
}

// Virtual-key code of Delete.
constexpr quint16 kDeleteKey = 46;

} // namespace gridevents
