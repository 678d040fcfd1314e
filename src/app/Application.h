// The application object: every exception that escapes a handler ends in one error box.
#pragma once

#include <QApplication>
#include <QTranslator>

namespace app {

class Application : public QApplication {
    Q_OBJECT
public:
    Application(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;

private:
    QTranslator qtRussian_;
};

} // namespace app
