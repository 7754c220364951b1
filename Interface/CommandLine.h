// What the program was asked to do on its command line: open the window (with a project
// to open at start-up, or none), export a project's folder without a window, or show the
// usage. Pure: no toolkit initialisation is needed to parse, so a bad command line is
// answered before any display is opened.
#ifndef GLYPHARA_INTERFACE_COMMANDLINE_H
#define GLYPHARA_INTERFACE_COMMANDLINE_H

#include <wx/string.h>

#include <string>
#include <vector>

// Exit statuses of the program, stable for build scripts.
enum ExitStatus
{
    kExitOk = 0,
    kExitFailure = 1,      // the program could not start
    kExitUsage = 2,        // the command line is wrong
    kExitBadProject = 3,   // the project cannot be read or used; nothing was written
    kExitWriteFailed = 4   // the folder could not be written; it was left as it was
};

struct CommandLine
{
    enum Mode
    {
        Window,
        Export,
        Help,
        Error
    };

    Mode mode = Window;
    // Absolute path of the project to open or export; may be empty in window mode.
    wxString project;
    // Export only: the folder that receives the sample page and glypharadata/; empty for
    // the project's own folder beside its file.
    wxString folder;
    // Error only: one line, without the program name.
    wxString error;
};

// args are the arguments after the program name. Relative paths are taken relative to
// workingFolder (the folder the program was started in, not the one it moves to).
// Options of the window toolkit (--display, --class, --name, --gtk-module...) are
// accepted and left for the toolkit.
CommandLine ParseCommandLine(const std::vector<wxString>& args, const wxString& workingFolder);

// The text of --help, ending with a newline.
wxString CommandLineUsage();

// The window program beside the running executable, given the executable's full path as
// /proc/self/exe names it; empty when that names no folder (the link could not be read).
std::string WindowProgramBeside(const std::string& executable);

#endif
