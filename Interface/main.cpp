// The program as started from the command line or the desktop. It links no window code,
// so --help, a wrong command line and --export (which never opens a display) start in a
// fraction of the window program's time; the window program, glyphara-window beside this
// executable, takes over the process when a window is wanted.
#include "Interface/CommandRunner.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>

int main(int argc, char** argv)
{
    CommandLine command;
    int status = kExitOk;
    if (!RunWithoutWindow(argc, argv, command, status))
        return status;

    char self[4096] = {0};
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    const int linkError = length < 0 ? errno : 0;
    const std::string window =
        WindowProgramBeside(length > 0 ? std::string(self, static_cast<size_t>(length)) : std::string());
    // Without its own folder the program would run whatever lies in the current one.
    if (window.empty())
    {
        std::fprintf(stderr, "glyphara: the program's folder cannot be found (/proc/self/exe: %s)\n",
                     linkError != 0 ? std::strerror(linkError) : "no folder");
        return kExitFailure;
    }
    // Same process, same arguments: the window program reads them again.
    execv(window.c_str(), argv);
    std::fprintf(stderr, "glyphara: cannot start %s: %s\n", window.c_str(), std::strerror(errno));
    return kExitFailure;
}
