// "glyphara --export" of a project whose folder is up to date, from process start to
// exit, without a display, against the window program from process start to its main
// window on the screen, in the same run. Needs a display for the window program: runs
// itself under xvfb-run when there is none. Prints the ratio last.
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
#include <fstream>
#include <string>
#include <vector>

namespace
{
typedef std::chrono::steady_clock Clock;
const int kRounds = 7;

pid_t Start(const std::vector<std::string>& command, const std::string& home, bool display)
{
    const pid_t child = fork();
    if (child == 0)
    {
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
    return child;
}

double ExportMilliseconds(const std::string& glyphara, const std::string& project, const std::string& home)
{
    const Clock::time_point start = Clock::now();
    const pid_t child = Start({glyphara, "--export", project}, home, false);
    int status = 0;
    waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return -1;
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
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

// Until a top-level window titled "Glyphara..." is mapped; -1 when none appears in time.
double WindowMilliseconds(const std::string& glyphara, const std::string& home)
{
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return -1;
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    XSync(display, False);
    const Clock::time_point start = Clock::now();
    const pid_t child = Start({glyphara}, home, true);
    double elapsed = -1;
    while (elapsed < 0 && std::chrono::duration<double>(Clock::now() - start).count() < 60)
    {
        while (XPending(display))
        {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == MapNotify && TitleStartsWith(display, event.xmap.window, "Glyphara"))
                elapsed = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        }
        usleep(1000);
    }
    kill(child, SIGTERM);
    int status = 0;
    waitpid(child, &status, 0);
    XCloseDisplay(display);
    return elapsed;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

std::string MakeTempFolder()
{
    char pattern[] = "/tmp/glyphara-bench-XXXXXX";
    const char* made = mkdtemp(pattern);
    return made ? made : "/tmp";
}
}

int main(int argc, char** argv)
{
    if (!std::getenv("DISPLAY") && (argc < 2 || std::strcmp(argv[1], "--under-xvfb") != 0))
    {
        execlp("xvfb-run", "xvfb-run", "-a", "-s", "-screen 0 1600x1200x24", argv[0], "--under-xvfb",
               static_cast<char*>(nullptr));
        std::printf("export start-up: no display and no xvfb-run\n");
        return 1;
    }
    const std::string glyphara = std::string(GLYPHARA_PROGRAM_DIR) + "/glyphara";
    if (access(glyphara.c_str(), X_OK) != 0)
    {
        std::printf("export start-up: build the glyphara target first\n");
        return 1;
    }

    // A project of two tags with fonts from the program's own library, whose folder the
    // first export brings up to date.
    const std::string site = MakeTempFolder();
    std::string fonts[2];
    {
        const std::string listing = site + "/fonts.txt";
        std::system(("cd '" + std::string(GLYPHARA_PROGRAM_DIR) + "/Fonts' && ls */*.swf | head -2 > '" + listing + "'")
                        .c_str());
        std::ifstream in(listing);
        for (std::string& font : fonts)
            std::getline(in, font);
    }
    std::string tags;
    for (int i = 0; i < 2; ++i)
    {
        std::string foundry = fonts[i].substr(0, fonts[i].find('/'));
        std::string font = fonts[i].substr(fonts[i].find('/') + 1);
        font = font.substr(0, font.rfind('.'));
        std::replace(foundry.begin(), foundry.end(), '_', ' ');
        std::replace(font.begin(), font.end(), '_', ' ');
        tags += "<h" + std::to_string(i + 1) + " font=\"" + font + "\" foundry=\"" + foundry + "\"/>";
    }
    const std::string project = site + "/site.xml";
    std::ofstream(project) << "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<GlypharaProject><project "
                              "projectname=\"site\"><tags>"
                           << tags << "</tags><files/></project></GlypharaProject>\n";
    const std::string home = MakeTempFolder();
    if (ExportMilliseconds(glyphara, project, home) < 0)
    {
        std::printf("export start-up: the first export failed (fonts %s, %s)\n", fonts[0].c_str(), fonts[1].c_str());
        return 1;
    }

    std::vector<double> exported, window;
    for (int round = 0; round < kRounds; ++round)
    {
        const std::string fresh = MakeTempFolder();
        const double ours = ExportMilliseconds(glyphara, project, home);
        const double shown = WindowMilliseconds(glyphara, fresh);
        std::system(("rm -rf '" + fresh + "'").c_str());
        // A busy machine may keep a window from coming up in time: that round is left out.
        if (ours < 0 || shown < 0)
        {
            std::printf("export start-up: round %d left out (export %.0f, window %.0f)\n", round, ours, shown);
            continue;
        }
        exported.push_back(ours);
        window.push_back(shown);
    }
    if (exported.size() < 3)
    {
        std::printf("export start-up: too few rounds succeeded\n");
        return 1;
    }
    std::system(("rm -rf '" + site + "' '" + home + "'").c_str());

    std::printf("Process start-up, %zu rounds, median (ms)\n", exported.size());
    std::printf("  --export, folder up to date, no display     %8.1f\n", Median(exported));
    std::printf("  window program, start to main window shown  %8.1f\n", Median(window));
    std::printf("\nRatio export to window start-up (goal <= 0.3): %.2f\n", Median(exported) / Median(window));
    return 0;
}
