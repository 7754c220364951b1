// Starting a program as a new user would and timing its first window on the display,
// for the start-up benchmarks. Include after any toolkit header: Xlib's names clash.
#ifndef GLYPHARA_BENCH_BENCHWINDOW_H
#define GLYPHARA_BENCH_BENCHWINDOW_H

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace bench
{
// Starts the command with HOME, its settings and TMPDIR in home, its errors silenced,
// in a process group of its own so that its helper processes (the web view's) can be
// ended with it; without a display when asked.
inline pid_t StartProgram(const std::vector<std::string>& command, const std::string& home, bool display)
{
    const pid_t child = fork();
    if (child == 0)
    {
        setpgid(0, 0);
        setenv("HOME", home.c_str(), 1);
        setenv("XDG_CONFIG_HOME", (home + "/.config").c_str(), 1);
        setenv("TMPDIR", home.c_str(), 1);
        setenv("GSETTINGS_BACKEND", "memory", 1);
        if (!display)
        {
            unsetenv("DISPLAY");
            unsetenv("WAYLAND_DISPLAY");
        }
        if (std::FILE* quiet = std::freopen("/dev/null", "w", stderr))
            (void)quiet;
        std::vector<char*> arguments;
        for (const std::string& part : command)
            arguments.push_back(const_cast<char*>(part.c_str()));
        arguments.push_back(nullptr);
        execv(arguments[0], arguments.data());
        _exit(127);
    }
    if (child > 0)
        setpgid(child, child);
    return child;
}

inline bool TitleStartsWith(Display* display, Window window, const char* prefix)
{
    char* name = nullptr;
    bool match = false;
    if (XFetchName(display, window, &name) && name)
    {
        match = std::strncmp(name, prefix, std::strlen(prefix)) == 0;
        XFree(name);
    }
    return match;
}

// Starts the program and returns the milliseconds until a top-level window whose title
// starts with the prefix is mapped; -1 when none appears within a minute. The program
// is ended then.
inline double TimeToWindow(const std::vector<std::string>& command, const std::string& home, const char* titlePrefix)
{
    typedef std::chrono::steady_clock Clock;
    // The server may still be busy closing the connections of the last run's processes.
    Display* display = nullptr;
    for (int attempt = 0; attempt < 50 && !display; ++attempt)
    {
        display = XOpenDisplay(nullptr);
        if (!display)
            usleep(100000);
    }
    if (!display)
    {
        std::printf("start-up: cannot open the display\n");
        return -1;
    }
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    XSync(display, False);

    const Clock::time_point start = Clock::now();
    const pid_t child = StartProgram(command, home, true);
    double elapsed = -1;
    while (elapsed < 0 && std::chrono::duration<double>(Clock::now() - start).count() < 60)
    {
        while (XPending(display))
        {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == MapNotify && TitleStartsWith(display, event.xmap.window, titlePrefix))
                elapsed = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        }
        if (elapsed < 0)
            usleep(1000);
    }
    kill(-child, SIGTERM);
    int status = 0;
    waitpid(child, &status, 0);
    if (elapsed < 0)
        std::printf("start-up: %s showed no window (exit status %d)\n", command[0].c_str(), status);
    XCloseDisplay(display);
    return elapsed;
}
}

#endif
