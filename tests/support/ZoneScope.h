// The process's time zone for one scope: the local-time functions read TZ on every call.
#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <ctime>

namespace testsupport {

class ZoneScope {
public:
    explicit ZoneScope(const char* zone)
        : had_(qEnvironmentVariableIsSet("TZ"))
        , old_(qgetenv("TZ")) {
        qputenv("TZ", zone);
        tzset();
    }
    ~ZoneScope() {
        if (had_)
            qputenv("TZ", old_);
        else
            qunsetenv("TZ");
        tzset();
    }
    ZoneScope(const ZoneScope&) = delete;
    ZoneScope& operator=(const ZoneScope&) = delete;

private:
    bool had_;
    QByteArray old_;
};

} // namespace testsupport
