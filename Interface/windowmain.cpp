// The window program's process entry. It answers the same command line as the program
// on the PATH (glyphara execs it for the window); the project named there is handed to
// the application object, which opens it once the main window is up.
#include "Interface/CommandRunner.h"
#include "Interface/glypharaapp.h"

#include <wx/app.h>
#include <wx/init.h>

int main(int argc, char** argv)
{
    CommandLine command;
    int status = kExitOk;
    if (!RunWithoutWindow(argc, argv, command, status))
        return status;

    // The toolkit makes the application object itself: made here, it would report a
    // missing display in a message box that cannot be shown.
    GlypharaApp::SetStartupProject(command.project);
    return wxEntry(argc, argv);
}
