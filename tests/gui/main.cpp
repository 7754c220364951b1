// Runs the window tests inside a real toolkit application (under a virtual X server).
#include "GuiTestSupport.h"

#include <wx/app.h>
#include <wx/image.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <unistd.h>

namespace
{
// A failed toolkit check (an unexpected modal dialog among them) fails the running test
// instead of opening a dialog that nobody answers.
void FailTheTest(const wxString& file, int line, const wxString& func, const wxString& cond, const wxString& msg)
{
    ADD_FAILURE_AT(file.utf8_str(), line) << func << ": " << cond << " " << msg;
}

class GuiTestApp : public wxApp
{
public:
    bool OnInit() override
    {
        wxInitAllImageHandlers();
        wxSetAssertHandler(FailTheTest);
        return true;
    }
};
}

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
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
    return result;
}
