// The relay object that raises a handler's error from its own event.
#include "controls/HandlerErrors.h"

#include <QCoreApplication>
#include <QEvent>

namespace controls {

namespace {

const QEvent::Type kRaise = static_cast<QEvent::Type>(QEvent::registerEventType());

class ErrorRelay : public QObject {
public:
    ErrorRelay(QObject* parent, std::exception_ptr error)
        : QObject(parent)
        , error_(std::move(error)) {}

    bool event(QEvent* e) override {
        if (e->type() != kRaise)
            return QObject::event(e);
        std::exception_ptr error = std::move(error_);
        deleteLater();
        if (error)
            std::rethrow_exception(error);
        return true;
    }

private:
    std::exception_ptr error_;
};

} // namespace

void postHandlerError(QObject* context, std::exception_ptr error) {
    auto* relay = new ErrorRelay(context, std::move(error));
    QCoreApplication::postEvent(relay, new QEvent(kRaise));
}

} // namespace controls
