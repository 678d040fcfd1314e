// Test programs of the controls run under an application object that, like the program's
// own, catches what escapes an event handler; tests read what it caught.
#include "support/CaughtErrors.h"

#include "db/DatabaseError.h"

#include <gtest/gtest.h>

#include <QApplication>

namespace {

class CatchingApplication : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override {
        try {
            return QApplication::notify(receiver, event);
        } catch (const db::DatabaseError& e) {
            testsupport::caughtErrors().push_back(e.message());
        } catch (const std::exception& e) {
            testsupport::caughtErrors().push_back(QString::fromUtf8(e.what()));
        }
        return false;
    }
};

} // namespace

QStringList& testsupport::caughtErrors() {
    static QStringList errors;
    return errors;
}

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    CatchingApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
