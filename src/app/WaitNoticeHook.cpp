#include "app/WaitNoticeHook.h"

#include "platform/WaitNotice.h"

#include <QApplication>
#include <QPointer>

#include <memory>

namespace app {

db::WaitHook waitNoticeHook() {
    auto notice = std::make_shared<QPointer<platform::WaitNotice>>();
    db::WaitHook hook;
    hook.show = [notice](const db::WaitState& state) {
        if (notice->isNull())
            *notice = new platform::WaitNotice(QApplication::activeWindow());
        (*notice)->showWait(state.what, state.seconds, state.cancel);
    };
    hook.hide = [notice] { delete notice->data(); };
    hook.takesInput = [notice](QObject* receiver) {
        return !notice->isNull() && (*notice)->holds(receiver);
    };
    return hook;
}

} // namespace app
