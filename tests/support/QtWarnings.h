// Qt's warnings in GUI tests: collected to be asserted on, or failing the test at once.
#pragma once

#include <gtest/gtest.h>

#include <QStringList>
#include <QtGlobal>

namespace testsupport {

// The offscreen platform says so whenever a window or popup asks for what it lacks.
inline bool isPlatformLimit(const QString& text) {
    return text.startsWith(QLatin1String("This plugin does not support"));
}

class QtWarnings {
public:
    QtWarnings()
        : previous_(qInstallMessageHandler(&QtWarnings::handle)) {
        current() = this;
    }
    ~QtWarnings() {
        qInstallMessageHandler(previous_);
        current() = nullptr;
    }
    QtWarnings(const QtWarnings&) = delete;
    QtWarnings& operator=(const QtWarnings&) = delete;

    const QStringList& seen() const { return seen_; }
    void clear() { seen_.clear(); }

private:
    static QtWarnings*& current() {
        static QtWarnings* instance = nullptr;
        return instance;
    }
    static void handle(QtMsgType type, const QMessageLogContext& context, const QString& text) {
        QtWarnings* self = current();
        if (self != nullptr && type != QtDebugMsg && type != QtInfoMsg && !isPlatformLimit(text))
            self->seen_ << text;
        if (self != nullptr && self->previous_ != nullptr)
            self->previous_(type, context, text);
    }

    QtMessageHandler previous_;
    QStringList seen_;
};

// Fails the running test on every Qt warning while it is in scope.
class FailOnQtWarnings {
public:
    FailOnQtWarnings() { previous_ = qInstallMessageHandler(&handle); }
    ~FailOnQtWarnings() { qInstallMessageHandler(previous_); }
    FailOnQtWarnings(const FailOnQtWarnings&) = delete;
    FailOnQtWarnings& operator=(const FailOnQtWarnings&) = delete;

private:
    static void handle(QtMsgType type, const QMessageLogContext&, const QString& message) {
        if ((type == QtWarningMsg || type == QtCriticalMsg) && !isPlatformLimit(message))
            ADD_FAILURE() << "Qt warning: " << message.toStdString();
    }

    QtMessageHandler previous_ = nullptr;
};

} // namespace testsupport
