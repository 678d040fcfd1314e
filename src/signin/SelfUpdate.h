// Replacing the running client with the build the server asks for.
#pragma once

#include <QString>

class TForm8;

namespace signin {

// What an update replaces and where it fetches the new build from.
struct UpdateTarget {
    // The executable's folder; the temporary folder and the script go beside it.
    QString folder;
    // The file name of the executable the script replaces.
    QString executable;
    // The running program, whose end the script waits for.
    qint64 processId = 0;
    // "http://" and the update server's host, fixed when the program is built.
    QString server;
};

// This program, updated from the build's update server.
UpdateTarget runningProgram();

// Where the update server keeps the newest build of this platform.
QString downloadPath();

// The script an update leaves in folder; the next start deletes it.
QString updateScriptPath(const QString& folder);

// The file a system package puts beside the executable it installs, and only a package.
QString packageMarkerPath(const QString& folder);

// What a client installed by a package tells its user instead of updating itself.
QString packagedUpdateMessage();

// Run by the sign-in when the server answers that this build is out of date: shows the
// notice, downloads the new build into folder/tempKEL, writes and starts the script and
// starts Timer1, which ends the program. When nothing usable arrives it says so in a box
// and ends the program. A file that cannot be written throws. A client a package installed
// downloads nothing: it asks for the administrator in a box and ends the program.
void StartSelfUpdate(TForm8& form, const UpdateTarget& target);

} // namespace signin
