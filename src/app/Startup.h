// The program's start: the application's long-lived objects in their fixed order.
#pragma once

class TDM_TAZ_2;
class TForm2;

namespace app {

constexpr const char* ApplicationTitle = "KEL 14 Учет успеваемости";

// Sets the title and the show flag, creates the data module and then the main window.
// Returns the main window, or nullptr when its creation failed.
struct Startup {
    TDM_TAZ_2* dataModule = nullptr;
    TForm2* mainWindow = nullptr;
};
Startup createApplicationObjects();

// Runs the message loop when nothing asked to terminate; shows the main window if the
// sign-in switched the flag on. Returns the program's exit code.
int runMessageLoop(const Startup& objects);

// Destroys the main window, then the data module.
void destroyApplicationObjects(Startup& objects);

} // namespace app
