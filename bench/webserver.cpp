// Preview servers: the threads each one keeps for the rest of the run, how long a stop
// takes, and how long Release takes with twenty of them running. Prints the ratio of
// a stop to the poll period of 8 s last.
#include "Library/BasicWebServer/BasicWebServer.h"
#include "core/GlypharaCore.h"
#include "core/PlatformLauncher.h"
#include "trace/TraceSystem.h"

#include <wx/dir.h>
#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/init.h>
#include <wx/log.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <unistd.h>
#include <vector>

namespace
{
const double kPollPeriodMs = 8000.0;

class SilentLauncher : public CPlatformLauncher
{
public:
    bool OpenUrl(const wxString&) override { return true; }
    bool StartProcess(const wxString&) override { return true; }
};

wxString MakeTempFolder()
{
    char pattern[] = "/tmp/glyphara-bench-XXXXXX";
    const char* made = mkdtemp(pattern);
    return wxString::FromUTF8(made ? made : "/tmp");
}

void WriteFile(const wxString& path, const std::string& text)
{
    wxFileName::Mkdir(wxFileName(path).GetPath(), 0777, wxPATH_MKDIR_FULL);
    std::ofstream out(path.fn_str(), std::ios::binary | std::ios::trunc);
    out << text;
}

size_t ThreadCount()
{
    wxDir dir(wxS("/proc/self/task"));
    size_t count = 0;
    wxString name;
    for (bool more = dir.GetFirst(&name, wxEmptyString, wxDIR_DIRS); more; more = dir.GetNext(&name))
        ++count;
    return count;
}

double MillisecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}
}

int main()
{
    const wxString home = MakeTempFolder();
    const wxString program = MakeTempFolder();
    const wxString tmp = MakeTempFolder();
    setenv("HOME", home.fn_str(), 1);
    setenv("XDG_CONFIG_HOME", (home + wxS("/.config")).fn_str(), 1);
    setenv("TMPDIR", tmp.fn_str(), 1);
    wxSetWorkingDirectory(program);
    srand(static_cast<unsigned>(time(nullptr)) ^ (static_cast<unsigned>(getpid()) << 16));

    wxInitializer initializer;
    if (!initializer.IsOk())
        return 1;
    TraceSystem::GetInstance()->Init(wxS("Glyphara"), wxEmptyString);
    delete wxLog::SetActiveTarget(nullptr);

    for (const char* name : {"sifr-config.js", "sIFR-print.css", "sIFR-screen.css", "sifr.js"})
        WriteFile(program + wxS("/sIFR/") + name, std::string("// ") + name + "\n");
    WriteFile(program + wxS("/Fonts/My_Foundry/Big_Sans.swf"), "FWS");

    std::vector<double> stops;
    for (int i = 0; i < 10; ++i)
    {
        CBasicWebServer* server = new CBasicWebServer();
        server->Run();
        const auto start = std::chrono::steady_clock::now();
        CBasicWebServer::StopAndDelete(server);
        stops.push_back(MillisecondsSince(start));
    }
    std::sort(stops.begin(), stops.end());

    CGlypharaCore* core = CGlypharaCore::GetInstance();
    core->SetLauncher(std::unique_ptr<CPlatformLauncher>(new SilentLauncher));
    core->Init();
    const size_t before = ThreadCount();
    const int previews = 20;
    for (int i = 0; i < previews; ++i)
        core->WebBrowserPreview(wxEmptyString, false);
    const size_t servers = core->GetWebServerCount();
    const size_t added = ThreadCount() - before;
    const auto start = std::chrono::steady_clock::now();
    core->Release();
    const double release = MillisecondsSince(start);

    CGlypharaCore::DestroyInstance();
    TraceSystem::GetInstance()->Shutdown();
    TraceSystem::DestroyInstance();
    for (const wxString& scratch : {home, program, tmp})
        wxFileName::Rmdir(scratch, wxPATH_RMDIR_RECURSIVE);

    std::printf("Preview servers\n");
    std::printf("  threads added by %d previews: %zu (%.1f per preview)\n", previews, added,
                static_cast<double>(added) / previews);
    std::printf("  stop of one server, median / worst of %zu: %.1f / %.1f ms\n", stops.size(), stops[stops.size() / 2],
                stops.back());
    std::printf("  Release with %zu servers running: %.1f ms\n", servers, release);
    std::printf("ratio median stop / poll period of 8 s: %.4f\n", stops[stops.size() / 2] / kPollPeriodMs);
    return 0;
}
