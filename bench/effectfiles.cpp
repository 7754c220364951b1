// Effect file figures: how long the reader takes over hostile files (very deep nesting,
// several MB in one attribute, a hundred thousand attributes) against an ordinary effect
// file, and how long a library of a few hundred effects takes to build.
#include "core/GlypharaCore.h"
#include "core/PlatformLauncher.h"
#include "trace/TraceSystem.h"

#include <wx/filename.h>
#include <wx/init.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace
{
typedef std::chrono::steady_clock Clock;

class SilentLauncher : public CPlatformLauncher
{
public:
    bool OpenUrl(const wxString&) override { return true; }
    bool StartProcess(const wxString&) override { return true; }
};

void Write(const std::string& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

double MedianMilliseconds(int rounds, const std::function<void()>& work)
{
    std::vector<double> times;
    for (int i = 0; i < rounds; ++i)
    {
        const Clock::time_point start = Clock::now();
        work();
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

const char* kFilters =
    "<bevel enabled=\"0\" angle=\"45\" distance=\"4.000000\" strength=\"1\" quality=\"2\" "
    "highlightcolor=\"#0000FF\" shadowcolor=\"#FF0000\" type=\"1\"/>"
    "<glow enabled=\"1\" strength=\"2\" blurx=\"6.000000\" blury=\"6.000000\" knockout=\"0\" inner=\"0\" "
    "quality=\"1\" alpha=\"0.250000\" color=\"#FFFF00\"/>";
}

int main()
{
    wxInitializer initializer;
    if (!initializer.IsOk())
        return 1;
    TraceSystem::GetInstance()->Init(wxS("Glyphara"), wxEmptyString);

    char pattern[] = "/tmp/glyphara-bench-XXXXXX";
    const char* made = mkdtemp(pattern);
    if (!made)
        return 1;
    const std::string base = made;
    const std::string home = base + "/home", program = base + "/program";
    mkdir(home.c_str(), 0777);
    mkdir(program.c_str(), 0777);
    mkdir((program + "/Effects").c_str(), 0777);
    setenv("HOME", home.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (home + "/.config").c_str(), 1);

    const std::string head = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<GlypharaEffect><effect effectname=\"";
    std::vector<std::pair<std::string, std::string>> files;
    files.push_back({"ordinary", head + "Glow\">" + kFilters + "</effect></GlypharaEffect>\n"});
    std::string deep = head + "Deep\">";
    for (int i = 0; i < 1000000; ++i)
        deep += "<n>";
    for (int i = 0; i < 1000000; ++i)
        deep += "</n>";
    files.push_back({"1,000,000 levels", deep + kFilters + "</effect></GlypharaEffect>\n"});
    files.push_back({"6 MB attribute value", head + std::string(6000000, 'x') + "\">" + kFilters + "</effect></GlypharaEffect>\n"});
    std::string many = head + "Many\"><glow";
    for (int i = 0; i < 100000; ++i)
        many += " a" + std::to_string(i) + "=\"123456789012345678901234567890\"";
    files.push_back({"100,000 attributes", many + " enabled=\"1\"/></effect></GlypharaEffect>\n"});

    for (int i = 0; i < 300; ++i)
        Write(program + "/Effects/Effect " + std::to_string(i) + ".xml",
              head + "Effect " + std::to_string(i) + "\">" + kFilters + "</effect></GlypharaEffect>\n");

    wxSetWorkingDirectory(wxString::FromUTF8(program.c_str()));
    CGlypharaCore* core = CGlypharaCore::GetInstance();
    core->SetLauncher(std::unique_ptr<CPlatformLauncher>(new SilentLauncher));
    core->Init();

    const int rounds = 5;
    std::printf("Effect reader, medians of %d rounds (ms)\n", rounds);
    std::printf("%-24s %10s %10s %8s\n", "file", "bytes", "load", "result");
    for (const auto& file : files)
    {
        const std::string path = base + "/probe.xml";
        Write(path, file.second);
        int result = 0;
        const double ms = MedianMilliseconds(rounds, [&] {
            FontProperties filters;
            wxString name;
            result = core->LoadEffect(wxString::FromUTF8(path.c_str()), filters, name);
        });
        std::printf("%-24s %10zu %10.2f %8d\n", file.first.c_str(), file.second.size(), ms, result);
    }
    const double library = MedianMilliseconds(rounds, [&] { core->BuildEffectList(); });
    std::printf("\nLibrary of 300 system effects: BuildEffectList %.2f ms (%zu entries)\n", library,
                core->GetEffectFilters().size());

    core->Release();
    CGlypharaCore::DestroyInstance();
    wxFileName::Rmdir(wxString::FromUTF8(base.c_str()), wxPATH_RMDIR_RECURSIVE);
    TraceSystem::GetInstance()->Shutdown();
    TraceSystem::DestroyInstance();
    return 0;
}
