// SQLite's faults as the user reads them: in Russian, saying what happened and what became
// of the change, never the engine's English text.
#pragma once

#include <QString>

namespace embedded {

// What the failed call was doing, which decides what the message says was not done.
enum class CallKind { SignIn, Write, Read };

// The message for SQLite's primary result code and text; empty when the fault is not one
// the user must read differently (the caller then keeps the error as it was).
QString engineErrorText(int code, const QString& engineText, const QString& path, CallKind kind);

// The message for a file that cannot be written at all (read-only file or folder).
QString readOnlyFileText(const QString& path, CallKind kind);

} // namespace embedded
