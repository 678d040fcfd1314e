#include "journal/Unit2.h"

#include "platform/ApplicationState.h"
#include "platform/ComputerName.h"
#include "signin/Unit10.h"

TForm2::TForm2(QWidget* parent)
    : QMainWindow(parent) {
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("KEL 14 Учет успеваемости"));
    FormCreate();
}

TForm2::~TForm2() = default;

void TForm2::FormCreate() {
    // The main window stays hidden until someone has signed in; only cancel ends the gate.
    Form8 = new TForm8(signin::SignInState{UserLogin, UserId});
    const int result = Form8->exec();
    if (result != TForm8::ModalOk)
        platform::requestTermination();
    delete Form8;
    Form8 = nullptr;

    CompName = platform::computerName(101);
}
