#include "MainFrameTestSupport.h"

#include "Interface/glypharamainframe.h"
#include "core/GlypharaCore.h"
#include "core/PlatformLauncher.h"

#include <wx/dir.h>
#include <wx/ffile.h>
#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/process.h>
#include <wx/toplevel.h>
#include <wx/utils.h>

#include <cstdlib>
#include <memory>

namespace
{
const wxString kBuilt = wxS(GLYPHARA_PROGRAM_DIR);
}

// Records what would have gone to the desktop.
class MainFrameTest::RecordingLauncher : public CPlatformLauncher
{
public:
    explicit RecordingLauncher(MainFrameTest* test) : m_test(test) {}
    bool OpenUrl(const wxString& url) override
    {
        m_test->openedUrls.push_back(url);
        return true;
    }
    bool StartProcess(const wxString& executable) override { return OpenUrl(executable); }
    wxString GetOpenCommand(const wxString& extension, const wxString& path) override
    {
        const auto found = m_test->openCommands.find(extension);
        wxString command = found == m_test->openCommands.end() ? wxString() : found->second;
        command.Replace(wxS("%s"), path);
        return command;
    }
    bool RunCommand(const wxString& command) override
    {
        m_test->ranCommands.push_back(command);
        return true;
    }

private:
    MainFrameTest* m_test;
};

void MakeEmptyFile(const wxString& path)
{
    wxFileName::Mkdir(wxFileName(path).GetPath(), 0777, wxPATH_MKDIR_FULL);
    wxFFile file(path, wxS("wb"));
    ASSERT_TRUE(file.IsOpened()) << path;
}

WindowManager::WindowManager()
{
    const wxString openbox = wxS("/usr/bin/openbox");
    if (!wxFileExists(openbox))
        return;
    m_pid = wxExecute(openbox, wxEXEC_ASYNC | wxEXEC_MAKE_GROUP_LEADER);
    // Time to take over the display; an openbox that finds another manager ends at once.
    RunPendingEvents(700);
    if (m_pid > 0 && !wxProcess::Exists(static_cast<int>(m_pid)))
        m_pid = 0;
}

WindowManager::~WindowManager()
{
    if (m_pid <= 0)
        return;
    wxKill(m_pid, wxSIGTERM);
    WaitFor([this] { return !wxProcess::Exists(static_cast<int>(m_pid)); }, 3000);
}

void MainFrameTest::SetUp()
{
    GuiTest::SetUp();
    // The preview folders go below the test's own folder and go with it.
    m_tmp = Home() + wxS("/tmp");
    wxFileName::Mkdir(m_tmp, 0777, wxPATH_MKDIR_FULL);
    setenv("TMPDIR", m_tmp.fn_str(), 1);
    wxFileName::Mkdir(SystemFontDir(), 0777, wxPATH_MKDIR_FULL);
    wxFileName::Mkdir(ProgramDir() + wxS("/Effects"), 0777, wxPATH_MKDIR_FULL);
}

void MainFrameTest::TearDown()
{
    CloseFrame();
    GuiTest::TearDown();
    unsetenv("TMPDIR");
}

bool MainFrameTest::UseBuiltRuntime()
{
    if (!wxFileExists(kBuilt + wxS("/sIFR/sifr.js")) || !wxDirExists(kBuilt + wxS("/Fonts/DejaVu")))
        return false;
    CopyTree(kBuilt + wxS("/sIFR"), ProgramDir() + wxS("/sIFR"));
    CopyTree(kBuilt + wxS("/Fonts/DejaVu"), SystemFontDir() + wxS("/DejaVu"));
    return true;
}

bool MainFrameTest::UseBuiltPictures()
{
    if (!wxFileExists(kBuilt + wxS("/Data/data.bin")))
        return false;
    CopyTree(kBuilt + wxS("/Data"), ProgramDir() + wxS("/Data"));
    return true;
}

bool MainFrameTest::UseBuiltEffects()
{
    if (!wxDirExists(kBuilt + wxS("/Effects")))
        return false;
    CopyTree(kBuilt + wxS("/Effects"), ProgramDir() + wxS("/Effects"));
    return true;
}

GlypharaMainFrame* MainFrameTest::OpenFrame()
{
    CGlypharaCore* core = Core();
    core->SetLauncher(std::unique_ptr<CPlatformLauncher>(new RecordingLauncher(this)));
    EXPECT_EQ(RC_OK, core->Init());
    m_frame = new GlypharaMainFrame(nullptr, wxS("Glyphara"), wxSize(1024, 768));
    m_frame->Show();
    RunPendingEvents(300);
    return m_frame;
}

void MainFrameTest::CloseFrame()
{
    if (!m_frame)
        return;
    // A test may have closed the window already.
    if (wxTopLevelWindows.Find(m_frame))
        m_frame->Destroy();
    m_frame = nullptr;
    RunPendingEvents(100);
}

wxWindow* MainFrameTest::FindWindowInFrame(int id) const
{
    return m_frame ? m_frame->FindWindow(id) : nullptr;
}

CGlypharaCore* MainFrameTest::Core() const
{
    return CGlypharaCore::GetInstance();
}

FontProperties MainFrameTest::Record() const
{
    FontProperties record;
    Core()->GetSelectedFontProperties(record);
    return record;
}

void MainFrameTest::ChangeRecord(const std::function<void(FontProperties&)>& change)
{
    FontProperties record = Record();
    change(record);
    Core()->SetCurrentFontProperties(record);
}
