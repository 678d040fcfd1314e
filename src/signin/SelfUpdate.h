// Replacing the running client with the build the server asks for.
#pragma once

#include <QString>

class TForm8;

namespace signin {

// The script an update leaves beside the executable; the next start deletes it.
QString updateScriptPath();

// Run by the sign-in when the server answers that this build is out of date. It shows the
// update notice in the window's version label.
void StartSelfUpdate(TForm8& form);

} // namespace signin
