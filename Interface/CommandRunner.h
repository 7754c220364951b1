// What both program entries do before any window: read the command line, answer --help
// and wrong command lines, and run --export as a console program that never opens a
// display.
#ifndef GLYPHARA_INTERFACE_COMMANDRUNNER_H
#define GLYPHARA_INTERFACE_COMMANDRUNNER_H

#include "Interface/CommandLine.h"

class CGlypharaCore;

// True when the window program is wanted (command then says with which project);
// otherwise the work is done and status is the process's exit status.
bool RunWithoutWindow(int argc, char** argv, CommandLine& command, int& status);

// The export of command on a core that is not initialised yet: initialises it for work
// without a window, exports and releases it. Returns the exit status; on a failure
// message says what failed, in one line without the program's name.
int ExportProjectWithCore(CGlypharaCore& core, const CommandLine& command, wxString& message);

#endif
