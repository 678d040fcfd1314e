// Collects Qt's warnings while it lives, so a GUI test can fail on any of them.
#pragma once

#include <QStringList>
#include <QtGlobal>

namespace testsupport {

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
        // The offscreen platform says so whenever a popup asks for what it lacks.
        const bool platformLimit = text.startsWith(QLatin1String("This plugin does not support"));
        if (self != nullptr && type != QtDebugMsg && type != QtInfoMsg && !platformLimit)
            self->seen_ << text;
        if (self != nullptr && self->previous_ != nullptr)
            self->previous_(type, context, text);
    }

    QtMessageHandler previous_;
    QStringList seen_;
};

} // namespace testsupport
