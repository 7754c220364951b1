// Shared fixtures for the core tests: a private HOME and program folder per test, a log
// target that keeps every traced line, and a launcher that records instead of opening.
#ifndef GLYPHARA_TESTS_CORE_TESTSUPPORT_H
#define GLYPHARA_TESTS_CORE_TESTSUPPORT_H

#include "core/PlatformLauncher.h"
#include "trace/ResultCodes.h"

#include <wx/arrstr.h>
#include <wx/log.h>
#include <wx/string.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

class CGlypharaCore;

// Keeps every log line (level, text) while installed as the active target.
class CapturingLog : public wxLog
{
public:
    struct Line
    {
        wxLogLevel level;
        wxString text;
    };
    std::vector<Line> lines;

    bool Contains(const wxString& fragment) const;
    int Count(const wxString& fragment) const;
    void Clear() { lines.clear(); }

protected:
    void DoLogRecord(wxLogLevel level, const wxString& msg, const wxLogRecordInfo& info) override;
};

class RecordingLauncher : public CPlatformLauncher
{
public:
    explicit RecordingLauncher(std::vector<wxString>* urls, std::vector<wxString>* processes)
        : m_urls(urls), m_processes(processes)
    {
    }
    bool OpenUrl(const wxString& url) override;
    bool StartProcess(const wxString& executable) override;

private:
    std::vector<wxString>* m_urls;
    std::vector<wxString>* m_processes;
};

// A scratch folder removed with everything below it when the object goes away.
class TempDir
{
public:
    TempDir();
    ~TempDir();
    const wxString& Path() const { return m_path; }
    // Path + "/" + relative
    wxString operator/(const wxString& relative) const { return m_path + wxS("/") + relative; }

private:
    wxString m_path;
};

// Writes text to a file, creating the folders above it.
void WriteTextFile(const wxString& path, const std::string& text);
std::string ReadTextFile(const wxString& path);
void MakeFolders(const wxString& path);
// Small stand-ins for the four runtime files in programDir/sIFR/.
void WriteSupportFiles(const wxString& programDir);
// Selects tag (added first when the project lacks it) and gives it a font, the way the
// font list would.
void SetFont(const wxString& tag, const wxString& foundry, const wxString& font);

// A test with its own HOME (documents folder), its own program folder as the working
// directory, the trace system initialised over a capturing log, and a recording launcher.
// The core is not initialised: call InitCore() once the folders hold what the test needs.
class CoreTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // Initialises the core (Release is called by TearDown).
    int InitCore();
    CGlypharaCore* Core();

    wxString Home() const { return m_home->Path(); }
    wxString ProgramDir() const { return m_program->Path(); }
    wxString UserDataDir() const { return m_home->Path() + wxS("/Tallowby Software/Glyphara/"); }
    wxString UserFontDir() const { return UserDataDir() + wxS("Fonts/"); }
    wxString UserEffectDir() const { return UserDataDir() + wxS("Effects/"); }
    wxString SystemFontDir() const { return ProgramDir() + wxS("/Fonts/"); }
    wxString SystemEffectDir() const { return ProgramDir() + wxS("/Effects/"); }

    // The installed fonts most project tests use: Big Sans of My Foundry with its picture,
    // Slim of Type Co without one, and the sIFR files.
    void InstallBigSansAndSlim()
    {
        WriteTextFile(SystemFontDir() + wxS("My_Foundry/Big_Sans.swf"), "FWS-big-sans");
        WriteTextFile(SystemFontDir() + wxS("My_Foundry/Big_Sans.png"), "PNG-big-sans");
        WriteTextFile(SystemFontDir() + wxS("Type_Co/Slim.swf"), "FWS-slim");
        WriteSupportFiles(ProgramDir());
    }

    CapturingLog* log = nullptr;
    std::vector<wxString> openedUrls;
    std::vector<wxString> startedProcesses;

private:
    TempDir* m_home = nullptr;
    TempDir* m_program = nullptr;
    TempDir* m_tmp = nullptr;
    wxString m_previousCwd;
    wxLog* m_previousLog = nullptr;
};

#endif
