// One edit cycle (a style change that rewrites the embedded preview folder) against a
// plain copy of the same files, for a 100 kB font movie. Prints the ratio last.
#include "core/GlypharaCore.h"
#include "trace/TraceSystem.h"

#include <wx/dir.h>
#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/init.h>
#include <wx/log.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace
{
const int kCycles = 200;

class QuietLog : public wxLog
{
protected:
    void DoLogRecord(wxLogLevel, const wxString&, const wxLogRecordInfo&) override {}
};

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

// What a program without any care for readers would do: open, truncate, write.
void PlainCopy(const wxString& source, const wxString& target, bool fresh)
{
    if (fresh)
        ::unlink(target.fn_str());
    const int in = ::open(source.fn_str(), O_RDONLY | O_CLOEXEC);
    const int out = ::open(target.fn_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    char buffer[65536];
    ssize_t got;
    while (in >= 0 && out >= 0 && (got = ::read(in, buffer, sizeof buffer)) > 0)
        if (::write(out, buffer, static_cast<size_t>(got)) != got)
            break;
    if (in >= 0)
        ::close(in);
    if (out >= 0)
        ::close(out);
}

double Seconds(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
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

    // The shipped sIFR files where the source tree has them, stand-ins of similar size
    // otherwise.
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
    FontProperties record;
    core->GetSelectedFontProperties(record);
    record.foundry = wxS("My Foundry");
    record.font = wxS("Big Sans");
    core->SetCurrentFontProperties(record);

    const wxString page = core->GetEmbeddedPreviewPath();
    if (page.empty() || !wxFileExists(page))
    {
        std::printf("embedded preview page missing; nothing to measure\n");
        return 1;
    }
    const wxString folder = page.BeforeLast('/');

    auto editCycles = [&]() {
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < kCycles; ++i)
        {
            record.size = 40 + i % 2;
            core->SetCurrentFontProperties(record);
        }
        return Seconds(start) / kCycles;
    };

    // The same files the export leaves in the preview folder.
    wxArrayString files;
    wxDir::GetAllFiles(folder, &files);
    const wxString copyFolder = MakeTempFolder();
    // Overwriting in place and writing fresh files cost very differently on some file
    // systems; the cheaper of the two is the yardstick.
    auto plainCycles = [&](bool fresh) {
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < kCycles; ++i)
            for (size_t f = 0; f < files.size(); ++f)
                PlainCopy(files[f], copyFolder + wxString::Format(wxS("/%zu"), f), fresh);
        return Seconds(start) / kCycles;
    };

    editCycles();
    plainCycles(false);
    plainCycles(true);
    // Best of a few rounds, interleaved, so that a busy machine hurts all alike.
    double edit = 1e9, overwrite = 1e9, fresh = 1e9;
    for (int round = 0; round < 9; ++round)
    {
        edit = std::min(edit, editCycles());
        overwrite = std::min(overwrite, plainCycles(false));
        fresh = std::min(fresh, plainCycles(true));
    }
    const double plain = std::min(overwrite, fresh);

    core->Release();
    CGlypharaCore::DestroyInstance();
    TraceSystem::GetInstance()->Shutdown();
    TraceSystem::DestroyInstance();
    for (const wxString& scratch : {home, program, tmp, copyFolder})
        wxFileName::Rmdir(scratch, wxPATH_RMDIR_RECURSIVE);

    std::printf("files per cycle: %zu (font movie %zu bytes)\n", files.size(), movie.size());
    std::printf("edit cycle with preview rewrite: %.3f ms\n", edit * 1000.0);
    std::printf("plain copy, overwriting:         %.3f ms\n", overwrite * 1000.0);
    std::printf("plain copy, fresh files:         %.3f ms\n", fresh * 1000.0);
    std::printf("ratio edit/plain: %.2f\n", edit / plain);
    return 0;
}
