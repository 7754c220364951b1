// An undo and a redo of a style change against the same change made through
// SetCurrentFontProperties, each rewriting the embedded preview, for a 100 kB font movie;
// then the resident memory across 10,000 edits. Prints the ratio last.
#include "core/GlypharaCore.h"
#include "trace/TraceSystem.h"

#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/init.h>
#include <wx/log.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

namespace
{
const int kSteps = 100;

class QuietLog : public wxLog
{
protected:
    void DoLogRecord(wxLogLevel, const wxString&, const wxLogRecordInfo&) override {}
};

// Every edit comes after a pause, so each is a step of its own.
long long g_now = 0;
long long PausedClock()
{
    return g_now += 5000;
}

wxString MakeTempFolder()
{
    char pattern[] = "/tmp/glyphara-bench-XXXXXX";
    const char* made = mkdtemp(pattern);
    return wxString::FromUTF8(made ? made : "/tmp");
}

void WriteBytes(const wxString& path, const std::string& bytes)
{
    wxFileName::Mkdir(wxFileName(path).GetPath(), 0777, wxPATH_MKDIR_FULL);
    std::ofstream out(path.fn_str(), std::ios::binary | std::ios::trunc);
    out << bytes;
}

std::string ReadBytes(const wxString& path)
{
    std::ifstream in(path.fn_str(), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

double Seconds(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

long ResidentKilobytes()
{
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
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

    wxInitializer initializer;
    if (!initializer.IsOk())
        return 1;
    delete wxLog::SetActiveTarget(new QuietLog);

    const char* const sifrFiles[] = {"sifr.js", "sifr-config.js", "sIFR-screen.css", "sIFR-print.css"};
    for (const char* name : sifrFiles)
    {
        const wxString shipped = wxString::FromUTF8(GLYPHARA_SOURCE_DIR) + wxS("/data/sIFR/") + name;
        WriteBytes(program + wxS("/sIFR/") + name,
                   wxFileExists(shipped) ? ReadBytes(shipped) : std::string(8000, 'x'));
    }
    std::mt19937 random(7);
    std::string movie("FWS");
    movie.resize(100 * 1024);
    for (size_t i = 3; i < movie.size(); ++i)
        movie[i] = static_cast<char>(random() & 0xFF);
    WriteBytes(program + wxS("/Fonts/My_Foundry/Big_Sans.swf"), movie);

    TraceSystem::GetInstance()->Init(wxS("Glyphara"), wxEmptyString);
    CGlypharaCore* core = CGlypharaCore::GetInstance();
    core->Init();
    core->SetUndoClock(&PausedClock);
    // A project of a usual size: six tags, the edits on one of them.
    for (const char* tag : {"h2", "h3", "h4", "p", "em"})
    {
        wxString name = wxString::FromUTF8(tag);
        core->AddNewTag(name, false);
    }
    FontProperties record;
    core->GetSelectedFontProperties(record);
    if (core->GetEmbeddedPreviewPath().empty() || record.font.empty())
    {
        std::printf("embedded preview or font missing; nothing to measure\n");
        return 1;
    }

    auto changes = [&]() {
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < kSteps; ++i)
        {
            record.size = record.size == 40 ? 41 : 40;
            core->SetCurrentFontProperties(record);
        }
        return Seconds(start) / kSteps;
    };
    auto walk = [&](bool back) {
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < kSteps; ++i)
            if ((back ? core->Undo() : core->Redo()) != RC_OK)
                std::printf("%s failed\n", back ? "undo" : "redo");
        return Seconds(start) / kSteps;
    };

    changes();
    walk(true);
    walk(false);
    // Best of a few rounds, interleaved, so that a busy machine hurts all alike.
    double change = 1e9, undo = 1e9, redo = 1e9;
    for (int round = 0; round < 9; ++round)
    {
        change = std::min(change, changes());
        undo = std::min(undo, walk(true));
        redo = std::min(redo, walk(false));
    }

    // The rounds have filled the history; see what 10,000 more edits cost in memory.
    const long residentBefore = ResidentKilobytes();
    const size_t stepsBefore = core->GetUndoCount();
    for (int i = 0; i < 100; ++i)
        changes();
    const long residentAfter = ResidentKilobytes();
    const size_t stepsAfter = core->GetUndoCount();

    core->Release();
    CGlypharaCore::DestroyInstance();
    TraceSystem::GetInstance()->Shutdown();
    TraceSystem::DestroyInstance();
    for (const wxString& scratch : {home, program, tmp})
        wxFileName::Rmdir(scratch, wxPATH_RMDIR_RECURSIVE);

    std::printf("style change through SetCurrentFontProperties: %.3f ms\n", change * 1000.0);
    std::printf("undo of a style change:                       %.3f ms\n", undo * 1000.0);
    std::printf("redo of a style change:                       %.3f ms\n", redo * 1000.0);
    std::printf("resident memory before 10,000 edits: %ld kB (%zu steps kept)\n", residentBefore, stepsBefore);
    std::printf("resident memory after 10,000 edits:  %ld kB (%zu steps kept)\n", residentAfter, stepsAfter);
    std::printf("ratio undo-or-redo/change: %.2f\n", std::max(undo, redo) / change);
    return 0;
}
