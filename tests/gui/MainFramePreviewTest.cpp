// The live preview in the window's own browser: a change shows in the drawn tag, a burst
// of changes gives one load after the core's delay, and an unchanged address is reloaded
// instead of navigated to again.
#include "MainFrameTestSupport.h"

#include "Interface/glypharamainframe.h"
#include "Library/CustomControls/TextColorPickerCtrl.h"
#include "Library/CustomControls/TextSlider.h"
#include "browser/EmbeddedBrowser.h"
#include "browser/WebViewCreator.h"

#include <wx/slider.h>
#include <wx/stopwatch.h>
#include <wx/textctrl.h>
#include <wx/webview.h>

namespace
{
// Counts the pages the browser finished loading, with the time of the last one.
class LoadCounter
{
public:
    explicit LoadCounter(wxWebView* view) : m_view(view)
    {
        m_view->Bind(wxEVT_WEBVIEW_LOADED, &LoadCounter::OnLoaded, this);
        m_clock.Start();
    }
    ~LoadCounter() { m_view->Unbind(wxEVT_WEBVIEW_LOADED, &LoadCounter::OnLoaded, this); }
    int loads = 0;
    long lastAt = 0;
    long Now() const { return m_clock.Time(); }

private:
    void OnLoaded(wxWebViewEvent& event)
    {
        ++loads;
        lastAt = m_clock.Time();
        event.Skip();
    }
    wxWebView* m_view;
    wxStopWatch m_clock;
};
}

class MainFramePreviewTest : public MainFrameTest
{
protected:
    // The window with its first preview drawn and every pending preview done.
    wxWebView* OpenPreviewedFrame()
    {
        if (!UseBuiltRuntime())
            return nullptr;
        OpenFrame();
        CEmbeddedBrowser* browser = Find<CEmbeddedBrowser>(ID_BROWSER);
        if (!browser || !browser->HasBrowser() || !browser->GetWebView())
            return nullptr;
        wxWebView* view = browser->GetWebView();
        LoadCounter counter(view);
        // The first preview comes 2 s after start; size events may add more.
        WaitFor([&] { return counter.loads > 0 && counter.Now() - counter.lastAt > 1500; }, 20000);
        WaitFor([&] { return !view->IsBusy() && Evaluate(view, kPreviewDrawn) == wxS("true"); }, 20000);
        return view;
    }
};

TEST_F(MainFramePreviewTest, TheWindowsBrowserDrawsTheTagReloadsOnceAfterABurstAndReloadsTheSameAddress)
{
    wxWebView* view = OpenPreviewedFrame();
    if (!view)
        GTEST_SKIP() << "needs the built runtime scripts and fonts, and a web view";
    EXPECT_TRUE(view->GetCurrentURL().StartsWith(Core()->GetEmbeddedPreviewUrl())) << view->GetCurrentURL();
    EXPECT_EQ(wxS("Sample Text"), Evaluate(view, wxS("document.querySelector('h1').innerText.trim()")));
    const wxString navigationType = wxS("performance.getEntriesByType('navigation')[0].type");
    EXPECT_EQ(wxS("navigate"), Evaluate(view, navigationType));

    Find<CTextColorPickerCtrl>(ID_FONT_COLOR)->GetTextCtrl()->SetValue(wxS("#b22222"));
    const wxString inkIsRed = kPreviewDrawn + wxS(" && ") + TagColour(wxS("h1")) + wxS(" === '#b22222'");
    EXPECT_TRUE(WaitFor([&] { return !view->IsBusy() && Evaluate(view, inkIsRed) == wxS("true"); }, 20000))
        << "the tag was not drawn in the new colour";
    // The second firing with the same address reloads.
    EXPECT_EQ(wxS("reload"), Evaluate(view, navigationType));

    ChangeRecord([](FontProperties& record) { record.dropshadow.enabled = true; });
    WaitFor([&] { return false; }, 1500);
    LoadCounter counter(view);
    CTextSlider* angle = Find<CTextSlider>(ID_DROPSHADOW_ANGLE);
    long lastChange = 0;
    for (int value : {90, 120, 150})
    {
        Move(angle->GetSlider(), value);
        lastChange = counter.Now();
        RunPendingEvents(100);
    }
    EXPECT_EQ(0, counter.loads) << "a preview came before the burst ended";
    ASSERT_TRUE(WaitFor([&] { return counter.loads > 0; }, 10000));
    // The timer never fires early: the load ends at least the delay after the last move.
    EXPECT_GE(counter.lastAt - lastChange, 450);
    WaitFor([&] { return false; }, 1500);
    EXPECT_EQ(1, counter.loads);
    EXPECT_EQ(wxS("reload"), Evaluate(view, navigationType));
    EXPECT_TRUE(WaitFor([&] { return Evaluate(view, kPreviewDrawn) == wxS("true"); }, 20000));
}

namespace
{
wxWebView* NoWebView(wxWindow*)
{
    return nullptr;
}
}

TEST_F(MainFrameTest, WithoutAWebViewTheWindowKeepsWorking)
{
    const WebViewCreator previous = SetWebViewCreator(&NoWebView);
    OpenFrame();
    SetWebViewCreator(previous);
    CEmbeddedBrowser* browser = Find<CEmbeddedBrowser>(ID_BROWSER);
    ASSERT_NE(nullptr, browser);
    EXPECT_FALSE(browser->HasBrowser());

    // Edits still reach the model and the preview timer runs without a view to load into.
    Find<CTextColorPickerCtrl>(ID_FONT_COLOR)->GetTextCtrl()->SetValue(wxS("#123456"));
    EXPECT_EQ(wxColour(0x12, 0x34, 0x56), Record().color);
    Frame()->UpdateFlash(1);
    RunPendingEvents(200);
    EXPECT_TRUE(LogContains(wxS("URL to preview: ")));
}
