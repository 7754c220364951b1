#include "TestSupport.h"

#include "core/GlypharaCore.h"
#include "trace/TraceSystem.h"

#include <wx/dir.h>
#include <wx/filefn.h>
#include <wx/filename.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

bool CapturingLog::Contains(const wxString& fragment) const
{
    return Count(fragment) > 0;
}

int CapturingLog::Count(const wxString& fragment) const
{
    int count = 0;
    for (const Line& line : lines)
        if (line.text.Contains(fragment))
            ++count;
    return count;
}

void CapturingLog::DoLogRecord(wxLogLevel level, const wxString& msg, const wxLogRecordInfo&)
{
    lines.push_back({level, msg});
}

bool RecordingLauncher::OpenUrl(const wxString& url)
{
    if (m_urls)
        m_urls->push_back(url);
    return true;
}

bool RecordingLauncher::StartProcess(const wxString& executable)
{
    if (m_processes)
        m_processes->push_back(executable);
    return true;
}

TempDir::TempDir()
{
    char pattern[] = "/tmp/glyphara-test-XXXXXX";
    const char* made = mkdtemp(pattern);
    m_path = wxString::FromUTF8(made ? made : "/tmp");
}

TempDir::~TempDir()
{
    if (m_path.StartsWith(wxS("/tmp/glyphara-test-")))
        wxFileName::Rmdir(m_path, wxPATH_RMDIR_RECURSIVE);
}

void MakeFolders(const wxString& path)
{
    wxFileName::Mkdir(path, 0777, wxPATH_MKDIR_FULL);
}

void WriteTextFile(const wxString& path, const std::string& text)
{
    MakeFolders(wxFileName(path).GetPath());
    std::ofstream out(path.fn_str(), std::ios::binary | std::ios::trunc);
    out << text;
}

std::string ReadTextFile(const wxString& path)
{
    std::ifstream in(path.fn_str(), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteSupportFiles(const wxString& programDir)
{
    for (const char* name : {"sifr-config.js", "sIFR-print.css", "sIFR-screen.css", "sifr.js"})
        WriteTextFile(programDir + wxS("/sIFR/") + name, std::string("// ") + name + "\n");
}

void SetFont(const wxString& tag, const wxString& foundry, const wxString& font)
{
    CGlypharaCore* core = CGlypharaCore::GetInstance();
    wxString added = tag;
    if (core->GetTags().count(core->CleanTag(tag)) == 0)
        core->AddNewTag(added, false);
    core->SetSelectedTag(tag);
    FontProperties record;
    core->GetSelectedFontProperties(record);
    record.foundry = foundry;
    record.font = font;
    core->SetCurrentFontProperties(record);
}

void CoreTest::SetUp()
{
    m_home = new TempDir;
    m_program = new TempDir;
    m_tmp = new TempDir;
    setenv("HOME", m_home->Path().fn_str(), 1);
    setenv("XDG_CONFIG_HOME", (m_home->Path() + wxS("/.config")).fn_str(), 1);
    setenv("TMPDIR", m_tmp->Path().fn_str(), 1);
    m_previousCwd = wxGetCwd();
    wxSetWorkingDirectory(m_program->Path());

    log = new CapturingLog;
    m_previousLog = wxLog::SetActiveTarget(log);
    wxLog::SetVerbose(true);
    TraceSystem::GetInstance()->Init(wxS("Glyphara"), wxEmptyString);
    wxLog::SetVerbose(true);
    CGlypharaCore::GetInstance()->SetLauncher(
        std::unique_ptr<CPlatformLauncher>(new RecordingLauncher(&openedUrls, &startedProcesses)));
}

void CoreTest::TearDown()
{
    CGlypharaCore::GetInstance()->Release();
    CGlypharaCore::DestroyInstance();
    TraceSystem::GetInstance()->Shutdown();
    TraceSystem::DestroyInstance();
    wxLog::SetActiveTarget(m_previousLog);
    delete log;
    log = nullptr;
    wxSetWorkingDirectory(m_previousCwd);
    delete m_tmp;
    delete m_program;
    delete m_home;
}

CGlypharaCore* CoreTest::Core()
{
    return CGlypharaCore::GetInstance();
}

int CoreTest::InitCore()
{
    const int result = Core()->Init();
    // Init may have replaced the launcher's owner; keep recording.
    return result;
}
