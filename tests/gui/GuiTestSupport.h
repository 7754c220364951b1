// Shared pieces of the window tests: a private HOME and program folder per test, the
// trace system running over a capturing log, ways to let pending events run, and
// folder copies and page scripts.
#ifndef GLYPHARA_TESTS_GUI_GUITESTSUPPORT_H
#define GLYPHARA_TESTS_GUI_GUITESTSUPPORT_H

#include <wx/frame.h>
#include <wx/image.h>
#include <wx/log.h>
#include <wx/panel.h>
#include <wx/string.h>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

class wxWebView;

// Lets the toolkit handle what is pending (size, move and paint events) for a while.
void RunPendingEvents(int milliseconds = 200);
// Pumps events until the condition holds or the time is up; true when it held.
bool WaitFor(const std::function<bool()>& condition, int milliseconds = 10000);
// Copies a folder with everything below it.
void CopyTree(const wxString& from, const wxString& to);
// Runs a script in the page and returns what it evaluated to.
wxString Evaluate(wxWebView* view, const wxString& script);
// What the screen shows in a rectangle given in the window system's logical pixels, in
// device pixels (twice as many each way on a display that doubles).
wxImage GrabScreen(const wxRect& area);
// Page scripts about the tag that `selector` finds, whichever way the runtime showed
// it: its own text in the web font, or a drawing from the movie.
// True once the runtime is done and the tag is shown either way.
wxString TagShown(const wxString& selector);
// The tag's text colour as "#rrggbb".
wxString TagColour(const wxString& selector);
// True when the tag's filters are applied.
wxString TagFiltered(const wxString& selector);

class GuiTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    const wxString& Home() const { return m_home; }
    const wxString& ProgramDir() const { return m_program; }
    bool LogContains(const wxString& fragment) const;
    int LogCount(const wxString& fragment) const;
    // The first captured line that contains the fragment; empty when none does.
    wxString LogLine(const wxString& fragment) const;

private:
    class Capture : public wxLog
    {
    public:
        std::vector<wxString> lines;

    protected:
        void DoLogRecord(wxLogLevel, const wxString& msg, const wxLogRecordInfo&) override { lines.push_back(msg); }
    };

    wxString m_home;
    wxString m_program;
    wxString m_previousCwd;
    Capture* m_log = nullptr;
    wxLog* m_previousLog = nullptr;
};

// One of the custom controls alone in a frame, 90 pixels wide as the main window makes
// them.
template <class Control>
class ControlTest : public GuiTest
{
protected:
    void SetUp() override
    {
        GuiTest::SetUp();
        m_frame = new wxFrame(nullptr, wxID_ANY, wxS("Control"), wxPoint(50, 50), wxSize(300, 200));
        m_panel = new wxPanel(m_frame, wxID_ANY);
        m_control = new Control(m_panel, kControlId, wxSize(90, 10));
        m_control->Move(20, 20);
        m_frame->Show();
        RunPendingEvents(100);
    }

    void TearDown() override
    {
        m_frame->Destroy();
        RunPendingEvents(50);
        GuiTest::TearDown();
    }

    // The focus leaves the control's text box.
    void LeaveTextBox()
    {
        wxFocusEvent event(wxEVT_KILL_FOCUS, m_control->GetTextCtrl()->GetId());
        event.SetEventObject(m_control->GetTextCtrl());
        m_control->GetTextCtrl()->GetEventHandler()->ProcessEvent(event);
    }

    static constexpr wxWindowID kControlId = 10081;
    wxFrame* m_frame = nullptr;
    wxPanel* m_panel = nullptr;
    Control* m_control = nullptr;
};

#endif
