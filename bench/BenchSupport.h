// What the benchmarks share: timing and its summaries, scratch folders, plain file
// writing and copying, a log and a launcher that keep everything in, and a private user
// with its own program folder for the core.
#ifndef GLYPHARA_BENCH_BENCHSUPPORT_H
#define GLYPHARA_BENCH_BENCHSUPPORT_H

#include "core/GlypharaCore.h"
#include "core/PlatformLauncher.h"
#include "trace/TraceSystem.h"

#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/log.h>
#include <wx/string.h>

#include <fcntl.h>
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace bench
{
typedef std::chrono::steady_clock Clock;

inline double MillisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

inline double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

inline double Minimum(const std::vector<double>& values)
{
    return values.empty() ? 0 : *std::min_element(values.begin(), values.end());
}

// Medians, and minima: on a busy machine the fastest round shows the cost of the work
// itself best.
struct Timing
{
    double median = 0, minimum = 0;
};

inline Timing Summary(const std::vector<double>& values)
{
    return Timing{Median(values), Minimum(values)};
}

// The fastest of a number of rounds for each measure, after one round to warm up. The
// measures take turns within each round, so that a busy machine hurts all alike.
inline std::vector<double> BestOfInterleaved(int rounds, const std::vector<std::function<double()>>& measures)
{
    for (const auto& measure : measures)
        measure();
    std::vector<double> best(measures.size(), 1e9);
    for (int round = 0; round < rounds; ++round)
        for (size_t m = 0; m < measures.size(); ++m)
            best[m] = std::min(best[m], measures[m]());
    return best;
}

// A folder below /tmp, removed with everything in it when the object goes.
class TempFolder
{
public:
    TempFolder()
    {
        char pattern[] = "/tmp/glyphara-bench-XXXXXX";
        const char* made = mkdtemp(pattern);
        m_path = made ? made : "";
    }
    ~TempFolder()
    {
        if (!m_path.empty())
            nftw(m_path.c_str(), [](const char* path, const struct stat*, int, FTW*) { return ::remove(path); }, 16,
                 FTW_DEPTH | FTW_PHYS);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    bool Ok() const { return !m_path.empty(); }
    const std::string& Utf8() const { return m_path; }
    wxString Path() const { return wxString::FromUTF8(m_path.c_str()); }

private:
    std::string m_path;
};

inline void WriteBytes(const wxString& path, const std::string& bytes)
{
    wxFileName::Mkdir(wxFileName(path).GetPath(), 0777, wxPATH_MKDIR_FULL);
    std::ofstream out(path.fn_str(), std::ios::binary | std::ios::trunc);
    out << bytes;
}

inline std::string ReadBytes(const wxString& path)
{
    std::ifstream in(path.fn_str(), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// What cp does, and what a program without any care for readers would do: open the
// target truncated, write, close.
inline bool PlainCopy(const std::string& from, const std::string& to)
{
    const int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    const int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    bool ok = in >= 0 && out >= 0;
    char buffer[65536];
    while (ok)
    {
        const ssize_t got = ::read(in, buffer, sizeof buffer);
        if (got <= 0)
            break;
        ok = ::write(out, buffer, static_cast<size_t>(got)) == got;
    }
    if (in >= 0)
        ::close(in);
    if (out >= 0)
        ::close(out);
    return ok;
}

// A font library of empty movies, twenty to a foundry folder.
inline void MakeFontTree(const std::string& fonts, int count)
{
    for (int f = 0; f * 20 < count; ++f)
    {
        const std::string folder = fonts + "/Foundry_" + std::to_string(f);
        wxFileName::Mkdir(wxString::FromUTF8(folder.c_str()), 0777, wxPATH_MKDIR_FULL);
        for (int i = 0; i < 20 && f * 20 + i < count; ++i)
        {
            const std::string file = folder + "/Font_Number_" + std::to_string(i) + ".swf";
            const int fd = ::open(file.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0666);
            if (fd >= 0)
                ::close(fd);
        }
    }
}

class QuietLog : public wxLog
{
protected:
    void DoLogRecord(wxLogLevel, const wxString&, const wxLogRecordInfo&) override {}
};

// Nothing may leave the program while it is measured.
class SilentLauncher : public CPlatformLauncher
{
public:
    bool OpenUrl(const wxString&) override { return true; }
    bool StartProcess(const wxString&) override { return true; }
};

// A user of its own (HOME, settings and TMPDIR) and an empty program folder as the
// working directory, all removed at the end.
class PrivateUser
{
public:
    PrivateUser()
    {
        setenv("HOME", home.Utf8().c_str(), 1);
        setenv("XDG_CONFIG_HOME", (home.Utf8() + "/.config").c_str(), 1);
        setenv("TMPDIR", tmp.Utf8().c_str(), 1);
        wxSetWorkingDirectory(program.Path());
    }

    TempFolder home, program, tmp;
};

// The shipped sIFR files where the source tree has them, stand-ins of similar size
// otherwise, and a font movie of random bytes as My Foundry/Big Sans.
inline void WriteProgramFiles(const wxString& program, size_t movieBytes)
{
    for (const char* name : {"sifr.js", "sifr-config.js", "sIFR-screen.css", "sIFR-print.css"})
    {
        const wxString shipped = wxString::FromUTF8(GLYPHARA_SOURCE_DIR) + wxS("/data/sIFR/") + name;
        WriteBytes(program + wxS("/sIFR/") + name, wxFileExists(shipped) ? ReadBytes(shipped) : std::string(8000, 'x'));
    }
    std::mt19937 random(7);
    std::string movie("FWS");
    movie.resize(std::max<size_t>(movieBytes, movie.size()));
    for (size_t i = 3; i < movie.size(); ++i)
        movie[i] = static_cast<char>(random() & 0xFF);
    WriteBytes(program + wxS("/Fonts/My_Foundry/Big_Sans.swf"), movie);
}

inline void StartTrace()
{
    TraceSystem::GetInstance()->Init(wxS("Glyphara"), wxEmptyString);
}

inline void StopTrace()
{
    TraceSystem::GetInstance()->Shutdown();
    TraceSystem::DestroyInstance();
}

// The core over the current folders, with a launcher that opens nothing.
inline CGlypharaCore* StartCore()
{
    CGlypharaCore* core = CGlypharaCore::GetInstance();
    core->SetLauncher(std::unique_ptr<CPlatformLauncher>(new SilentLauncher));
    core->Init();
    return core;
}

inline void StopCore()
{
    CGlypharaCore::GetInstance()->Release();
    CGlypharaCore::DestroyInstance();
}
}

// A page script: true once the runtime has shown the h1 tag, drawn or as web-font text,
// in the colour `html` (#rrggbb).
inline wxString PreviewH1In(const wxString& html)
{
    return wxS("document.documentElement.getAttribute('data-sifr-done') === 'true' && (() => {"
               " const e = document.querySelector('h1.sIFR-webfont, h1.sIFR-replaced'); if (!e) return false;"
               " const ink = e.querySelector('svg g.sIFR-ink');"
               " const c = ink ? ink.getAttribute('fill') : getComputedStyle(e).color;"
               " const m = /rgba?\\((\\d+), *(\\d+), *(\\d+)/.exec(c);"
               " return (m ? '#' + m.slice(1, 4).map((v) => (+v).toString(16).padStart(2, '0')).join('') : c.toLowerCase())"
               " === '") + html.Lower() + wxS("'; })()");
}

#endif
