// Fails the running test on every Qt warning while it is in scope.
#pragma once

#include <gtest/gtest.h>

#include <QtGlobal>

namespace testsupport {

class FailOnQtWarnings {
public:
    FailOnQtWarnings() { previous_ = qInstallMessageHandler(&handle); }
    ~FailOnQtWarnings() { qInstallMessageHandler(previous_); }
    FailOnQtWarnings(const FailOnQtWarnings&) = delete;
    FailOnQtWarnings& operator=(const FailOnQtWarnings&) = delete;

private:
    static void handle(QtMsgType type, const QMessageLogContext&, const QString& message) {
        if (type == QtWarningMsg || type == QtCriticalMsg)
            ADD_FAILURE() << "Qt warning: " << message.toStdString();
    }

    QtMessageHandler previous_ = nullptr;
};

} // namespace testsupport
