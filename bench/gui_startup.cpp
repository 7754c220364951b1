// Start-up: from starting the program to its main window on the screen with its controls
// filled, against a bare program that opens a frame holding one web view on
// "about:blank", both started the same way on the same display. Needs a display; prints
// the ratio last.
#include <wx/app.h>
#include <wx/frame.h>
#include <wx/webview.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace
{
typedef std::chrono::steady_clock Clock;
const int kRounds = 7;
const char* const kBareTitle = "Bare web view";

class BareApp : public wxApp
{
public:
    bool OnInit() override
    {
        wxFrame* frame = new wxFrame(nullptr, wxID_ANY, kBareTitle, wxDefaultPosition, wxSize(1024, 768));
        wxWebView::New(frame, wxID_ANY, wxS("about:blank"));
        frame->Show();
        return true;
    }
};

std::string MakeTempFolder()
{
    char pattern[] = "/tmp/glyphara-bench-XXXXXX";
    const char* made = mkdtemp(pattern);
    return made ? made : "/tmp";
}

bool TitleStartsWith(Display* display, Window window, const char* prefix)
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
// starts with the prefix is mapped; -1 when none appears in time.
double TimeToWindow(const std::vector<std::string>& command, const std::string& home, const char* titlePrefix)
{
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
    const Window root = DefaultRootWindow(display);
    XSelectInput(display, root, SubstructureNotifyMask);
    XSync(display, False);

    const Clock::time_point start = Clock::now();
    const pid_t child = fork();
    if (child == 0)
    {
        // A group of its own, so that its helper processes (the web view's) end with it.
        setpgid(0, 0);
        setenv("HOME", home.c_str(), 1);
        setenv("XDG_CONFIG_HOME", (home + "/.config").c_str(), 1);
        setenv("TMPDIR", home.c_str(), 1);
        std::vector<char*> arguments;
        for (const std::string& part : command)
            arguments.push_back(const_cast<char*>(part.c_str()));
        arguments.push_back(nullptr);
        execv(arguments[0], arguments.data());
        _exit(127);
    }

    double elapsed = -1;
    while (std::chrono::duration<double>(Clock::now() - start).count() < 60)
    {
        while (XPending(display))
        {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == MapNotify && TitleStartsWith(display, event.xmap.window, titlePrefix))
                elapsed = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        }
        if (elapsed >= 0)
            break;
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

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? -1 : values[values.size() / 2];
}

double Minimum(const std::vector<double>& values)
{
    return values.empty() ? -1 : *std::min_element(values.begin(), values.end());
}
}

int main(int argc, char** argv)
{
    if (argc > 1 && std::strcmp(argv[1], "--bare") == 0)
    {
        wxApp::SetInstance(new BareApp);
        return wxEntry(argc, argv);
    }

    char self[4096] = {0};
    if (readlink("/proc/self/exe", self, sizeof self - 1) <= 0)
        return 1;
    const std::string glyphara = std::string(GLYPHARA_PROGRAM_DIR) + "/glyphara";
    if (access(glyphara.c_str(), X_OK) != 0)
    {
        std::printf("start-up: build the glyphara target first\n");
        return 1;
    }

    std::vector<double> program, bare;
    for (int round = 0; round < kRounds; ++round)
    {
        // A new user every time: no settings, no font caches of our own.
        const std::string home = MakeTempFolder();
        const double ours = TimeToWindow({glyphara}, home, "Glyphara ");
        const double plain = TimeToWindow({self, "--bare"}, home, kBareTitle);
        std::system(("rm -rf '" + home + "'").c_str());
        if (ours < 0 || plain < 0)
        {
            std::printf("start-up: a window never appeared (round %d)\n", round);
            return 1;
        }
        program.push_back(ours);
        bare.push_back(plain);
    }
    std::printf("Start-up to the main window shown, %d rounds, median / minimum (ms)\n", kRounds);
    std::printf("  Glyphara                       %8.1f / %8.1f\n", Median(program), Minimum(program));
    std::printf("  bare frame with a web view     %8.1f / %8.1f\n", Median(bare), Minimum(bare));
    std::printf("\nRatio, from medians / from minima (goal)\n");
    std::printf("  Glyphara to bare web view %.2f / %.2f (<= 1.5)\n", Median(program) / Median(bare),
                Minimum(program) / Minimum(bare));
    return 0;
}
