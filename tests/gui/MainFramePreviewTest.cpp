// The live preview in the window's own browser: a change shows in the drawn tag, drawn by
// the shown page itself, a burst of changes gives one drawing after the core's delay, and
// a change of font movie loads the page anew.
#include "MainFrameTestSupport.h"

#include "Interface/glypharamainframe.h"
#include "Library/CustomControls/TextColorPickerCtrl.h"
#include "Library/CustomControls/TextSlider.h"
#include "browser/EmbeddedBrowser.h"
#include "browser/WebViewCreator.h"
#include "core/GlypharaCore.h"
#include "core/ProjectPaths.h"

#include <wx/slider.h>
#include <wx/stopwatch.h>
#include <wx/textctrl.h>
#include <wx/uri.h>
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

TEST_F(MainFramePreviewTest, TheShownPageDrawsEachChangeItselfOnceAfterABurstAndReloadsForAnotherFont)
{
    wxWebView* view = OpenPreviewedFrame();
    if (!view)
        GTEST_SKIP() << "needs the built runtime scripts and fonts, and a web view";
    EXPECT_TRUE(view->GetCurrentURL().StartsWith(Core()->GetEmbeddedPreviewUrl())) << view->GetCurrentURL();
    EXPECT_EQ(wxS("Sample Text"), Evaluate(view, wxS("document.querySelector('h1').innerText.trim()")));
    // A mark the page keeps for as long as it is not loaded again, and a count of the
    // drawings the page finishes.
    Evaluate(view, wxS("window.samePage = true; window.drawings = 0; "
                       "addEventListener('sifr:done', () => { window.drawings += 1; }); true"));
    const wxString drawings = wxS("window.samePage === true ? String(window.drawings) : 'reloaded'");
    // The body of the first update is the one every later change restyles in place,
    // filters put on and taken off included.
    const wxString markTag = wxS("document.querySelector('h1').kept = true; true");
    const wxString sameTag = wxS("String(document.querySelector('h1').kept === true)");

    Find<CTextColorPickerCtrl>(ID_FONT_COLOR)->GetTextCtrl()->SetValue(wxS("#b22222"));
    const wxString inkIsRed = kPreviewDrawn + wxS(" && ") + TagColour(wxS("h1")) + wxS(" === '#b22222'");
    EXPECT_TRUE(WaitFor([&] { return !view->IsBusy() && Evaluate(view, inkIsRed) == wxS("true"); }, 20000))
        << "the tag was not drawn in the new colour";
    EXPECT_EQ(wxS("1"), Evaluate(view, drawings)) << "the page was reloaded for a change";
    Evaluate(view, markTag);

    // New characters in the sample are drawn with the web font: the page still loads
    // fonts after an update, from where its style sheet names them. The page keeps the
    // look of the shown drawing only, not one more per change.
    const wxString shownFamily = wxS("getComputedStyle(document.querySelector('h1')).fontFamily.split(',')[0].replace(/[\"']/g, '').trim()");
    const wxString webFont = wxS("!!document.querySelector('h1.sIFR-webfont') && ") + kPreviewDrawn +
                             wxS(" && Array.from(document.fonts).some((f) => f.status === 'loaded' && f.family.replace(/[\"']/g, '') === ") +
                             shownFamily + wxS(")");
    ASSERT_EQ(wxS("true"), Evaluate(view, webFont))
        << "the first drawing is not in the web font; faces: "
        << Evaluate(view, wxS("Array.from(document.fonts, (f) => f.status).join(' ')"));
    Find<wxTextCtrl>(ID_USER_TEXT)->SetValue(wxS("Quiz 1789"));
    const wxString newText = kPreviewDrawn + wxS(" && document.querySelector('h1').textContent.includes('Quiz 1789')");
    EXPECT_TRUE(WaitFor([&] { return !view->IsBusy() && Evaluate(view, newText) == wxS("true"); }, 20000));
    EXPECT_EQ(wxS("true"), Evaluate(view, webFont)) << "the new text fell back to drawing the movie";
    EXPECT_EQ(wxS("false"), Evaluate(view, wxS("Array.from(document.fonts).some((f) => f.status === 'error')")));
    EXPECT_EQ(wxS("1 1"), Evaluate(view, wxS("document.querySelectorAll('#sIFR-looks').length + ' ' + "
                                              "(document.getElementById('sIFR-looks').textContent.match(/[.]sIFR-look-[0-9]+ [{]/g) || []).length")))
        << Evaluate(view, wxS("document.getElementById('sIFR-looks').textContent"));
    EXPECT_EQ(wxS("2"), Evaluate(view, drawings)) << "the page was reloaded for a change";

    // A burst of moves gives one drawing, after the delay; the page's style sheet and
    // drawing follow the last state.
    ChangeRecord([](FontProperties& record) {
        record.dropshadow.enabled = true;
        record.size = 61;
    });
    ASSERT_TRUE(WaitFor([&] { return Evaluate(view, drawings) == wxS("3"); }, 20000)) << Evaluate(view, drawings);
    // The moves follow each other before the window's timer can fire, however slow the
    // machine; once no preview waits and the page has drawn, nothing more comes.
    CTextSlider* angle = Find<CTextSlider>(ID_DROPSHADOW_ANGLE);
    for (int value : {90, 120, 150})
        Move(angle->GetSlider(), value);
    EXPECT_TRUE(Frame()->IsPreviewPending());
    EXPECT_EQ(wxS("3"), Evaluate(view, drawings)) << "a preview came before the burst ended";
    ASSERT_TRUE(WaitFor([&] { return Evaluate(view, drawings) == wxS("4"); }, 20000)) << Evaluate(view, drawings);
    const wxString settled = wxS("!!window.__glypharaUpdate && !window.__glypharaUpdate.running");
    ASSERT_TRUE(WaitFor([&] { return !Frame()->IsPreviewPending() && Evaluate(view, settled) == wxS("true"); }, 20000));
    EXPECT_EQ(wxS("4"), Evaluate(view, drawings));
    EXPECT_EQ(wxS("true"), Evaluate(view, wxS("[...document.querySelectorAll('style')].some((s) => "
                                              "s.textContent.includes('font-size: 61px'))")));
    EXPECT_EQ(wxS("true"), Evaluate(view, wxString(kPreviewDrawn) + wxS(" && ") + TagFiltered(wxS("h1"))));
    ChangeRecord([](FontProperties& record) { record.dropshadow.enabled = false; });
    ASSERT_TRUE(WaitFor([&] { return Evaluate(view, drawings) == wxS("5"); }, 20000)) << Evaluate(view, drawings);
    EXPECT_EQ(wxS("true"), Evaluate(view, sameTag)) << "the tag was made anew for a change";
    EXPECT_EQ(wxS("0"), Evaluate(view, wxS("String(document.querySelectorAll('svg.sIFR-filters, span.sIFR-text').length)")));
    EXPECT_EQ(wxS("navigate"), Evaluate(view, wxS("performance.getEntriesByType('navigation')[0].type")));

    // Another font is another movie: the page is loaded anew and draws with it.
    wxString otherFont;
    for (const auto& font : Core()->GetFontTable().at(wxS("DejaVu")))
        if (font.first != Record().font)
            otherFont = font.first;
    ASSERT_FALSE(otherFont.empty());
    ChangeRecord([&](FontProperties& record) { record.font = otherFont; });
    EXPECT_TRUE(WaitFor([&] { return Evaluate(view, drawings) == wxS("reloaded"); }, 20000));
    // The page shows the movie itself or the web fonts made from it, named after it.
    const wxString movie = wxS("performance.getEntriesByType('resource').map((e) => e.name)"
                               ".filter((n) => /[.](swf|woff2)$/.test(n)).join(' ')");
    EXPECT_TRUE(WaitFor([&] { return !view->IsBusy() && Evaluate(view, kPreviewDrawn) == wxS("true"); }, 20000));
    wxString family = ProjectPaths::FontFileName(wxS("DejaVu"), otherFont);
    family.EndsWith(wxS(".swf"), &family);
    EXPECT_TRUE(wxURI::Unescape(Evaluate(view, movie)).Contains(wxS("/") + family + wxS(".swf")) ||
                wxURI::Unescape(Evaluate(view, movie)).Contains(wxS("/") + family + wxS("-")))
        << Evaluate(view, movie);
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
