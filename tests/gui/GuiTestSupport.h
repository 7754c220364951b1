// Shared pieces of the window tests: a private HOME and program folder per test, the
// trace system running over a capturing log, ways to let pending events run, and
// folder copies and page scripts.
#ifndef GLYPHARA_TESTS_GUI_GUITESTSUPPORT_H
#define GLYPHARA_TESTS_GUI_GUITESTSUPPORT_H

#include <wx/log.h>
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

class GuiTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    const wxString& Home() const { return m_home; }
    const wxString& ProgramDir() const { return m_program; }
    bool LogContains(const wxString& fragment) const;
    int LogCount(const wxString& fragment) const;

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

#endif
