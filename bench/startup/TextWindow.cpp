// The anchor of the start-up measurement (scripts/startup-ratio.sh): a Qt window with a label
// and a line edit, the least a sign-in window shows.
#include <QApplication>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Текстовое окно"));
    auto* layout = new QFormLayout(&window);
    layout->addRow(new QLabel(QStringLiteral("Имя пользователя")), new QLineEdit);
    window.show();
    return QApplication::exec();
}
