// Runs the window tests inside a real toolkit application (under a virtual X server).
#include "GuiTestSupport.h"

#include <wx/app.h>
#include <wx/dialog.h>
#include <wx/image.h>
#include <wx/modalhook.h>
#include <wx/msgdlg.h>

#include <gtest/gtest.h>

#include <glib.h>

#include <cstdlib>
#include <ctime>
#include <string>
#include <unistd.h>

namespace
{
// A failed toolkit check (an unexpected modal dialog among them) fails the running test
// instead of opening a dialog that nobody answers.
void FailTheTest(const wxString& file, int line, const wxString& func, const wxString& cond, const wxString& msg)
{
    ADD_FAILURE_AT(file.utf8_str(), line) << func << ": " << cond << " " << msg;
}

// The last hook asked about a modal dialog: one that no test expects fails the running
// test and is dismissed, so that the run goes on instead of waiting for a user.
class UnexpectedDialogHook : public wxModalDialogHook
{
protected:
    int Enter(wxDialog* dialog) override
    {
        wxMessageDialog* box = dynamic_cast<wxMessageDialog*>(dialog);
        ADD_FAILURE() << "unexpected modal dialog: " << dialog->GetTitle() << " "
                      << dialog->GetClassInfo()->GetClassName() << " " << (box ? box->GetMessage() : wxString());
        return wxID_CANCEL;
    }
    void Exit(wxDialog*) override {}
};

class GuiTestApp : public wxApp
{
public:
    bool OnInit() override
    {
        wxInitAllImageHandlers();
        wxSetAssertHandler(FailTheTest);
        m_unexpectedDialogs.Register();
        return true;
    }
    int OnExit() override
    {
        m_unexpectedDialogs.Unregister();
        return wxApp::OnExit();
    }

private:
    UnexpectedDialogHook m_unexpectedDialogs;
};
}

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    // The web views' helper processes keep their caches and storage where the first one
    // found them, for the whole run, and write there after a test's own folders are gone:
    // one folder for the run holds them and goes at the end.
    char pattern[] = "/tmp/glyphara-guirun-XXXXXX";
    const char* run = mkdtemp(pattern);
    if (run)
    {
        setenv("XDG_CACHE_HOME", (std::string(run) + "/cache").c_str(), 1);
        setenv("XDG_DATA_HOME", (std::string(run) + "/data").c_str(), 1);
        // So does GTK with its own settings (its file chooser's), in the configuration
        // folder GLib reads once; each test still gives the program a folder of its own.
        setenv("XDG_CONFIG_HOME", (std::string(run) + "/config").c_str(), 1);
        g_get_user_config_dir();
    }
    // Seeded like the application, so its preview ports differ from other test programs'.
    srand(static_cast<unsigned>(time(nullptr)) ^ (static_cast<unsigned>(getpid()) << 16));
    wxApp::SetInstance(new GuiTestApp);
    if (!wxEntryStart(argc, argv))
        return 1;
    int result = 1;
    if (wxTheApp->CallOnInit())
        result = RUN_ALL_TESTS();
    wxTheApp->OnExit();
    wxEntryCleanup();
    if (run)
        std::system((std::string("rm -rf '") + run + "'").c_str());
    return result;
}
