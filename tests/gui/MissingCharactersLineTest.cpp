// The line under the preview that names the characters of the sample which the selected
// tag's font lacks: shown while there are some, gone (and taking no room) when there are
// none, never widening the window, and the preview drawn all the same.
#include "MainFrameTestSupport.h"

#include "Interface/glypharamainframe.h"
#include "browser/EmbeddedBrowser.h"

#include <wx/statbmp.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/tooltip.h>
#include <wx/webview.h>

namespace
{
const wxString kBuilt = wxS(GLYPHARA_PROGRAM_DIR);
const char* const kLobsterTwo = "Lobster Two [regular][italic][bold][bolditalic]";
}

class MissingCharactersLineTest : public MainFrameTest
{
protected:
    // The built runtime with DejaVu (which has every character used here) and Lobster Two
    // (which lacks ł and ő).
    bool UseBuiltFonts()
    {
        if (!UseBuiltRuntime() || !wxDirExists(kBuilt + wxS("/Fonts/Impallari_Type")))
            return false;
        CopyTree(kBuilt + wxS("/Fonts/Impallari_Type"), SystemFontDir() + wxS("/Impallari_Type"));
        MakeEmptyFile(SystemFontDir() + wxS("/Fake/Empty.swf"));
        return true;
    }
    void UseFont(const wxString& foundry, const wxString& font)
    {
        ChangeRecord([&](FontProperties& record) {
            record.foundry = foundry;
            record.font = font;
        });
        ASSERT_EQ(font, Record().font);
    }
    void Type(const char* utf8)
    {
        Find<wxTextCtrl>(ID_USER_TEXT)->SetValue(wxString::FromUTF8(utf8));
        RunPendingEvents(50);
    }
    wxStaticText* Line() { return Find<wxStaticText>(ID_MISSING_CHARACTERS); }
    int BrowserHeight() { return Find<wxWindow>(ID_BROWSER)->GetSize().y; }
};

TEST_F(MissingCharactersLineTest, NamesTheLackingCharactersWhileTheSampleUsesThem)
{
    if (!UseBuiltFonts())
        GTEST_SKIP() << "needs the built runtime scripts and fonts";
    OpenFrame();
    ASSERT_NE(nullptr, Line());
    EXPECT_FALSE(Line()->IsShown());
    const int fullHeight = BrowserHeight();
    const wxSize frameSize = Frame()->GetSize();

    UseFont(wxS("Impallari Type"), wxString(kLobsterTwo));
    EXPECT_FALSE(Line()->IsShown()) << Line()->GetLabel();

    // Typing a character the font lacks shows the line; the browser gives up its height.
    Type("Zł ő");
    ASSERT_TRUE(Line()->IsShown());
    EXPECT_EQ(wxString::FromUTF8("Not in Lobster Two: ł ő"), Line()->GetLabel());
    // Its warning sign stands before it.
    wxStaticBitmap* sign = nullptr;
    for (wxWindow* child : Find<wxWindow>(ID_PREVIEW_PANEL)->GetChildren())
        if (wxStaticBitmap* bitmap = dynamic_cast<wxStaticBitmap*>(child))
            sign = bitmap;
    ASSERT_NE(nullptr, sign);
    EXPECT_TRUE(sign->IsShown() && sign->GetBitmap().IsOk());
    EXPECT_GT(sign->GetSize().x, 0);
    EXPECT_LE(sign->GetRect().GetRight(), Line()->GetRect().GetLeft());
    EXPECT_LT(BrowserHeight(), fullHeight);
    EXPECT_GT(BrowserHeight(), fullHeight - 40);
    // The tag is shown all the same, the lacking characters in the browser's font: as
    // text in its web font, or drawn from the movie. The web process may start first,
    // slowly on a busy machine.
    CEmbeddedBrowser* browser = Find<CEmbeddedBrowser>(ID_BROWSER);
    if (wxWebView* view = browser->HasBrowser() ? browser->GetWebView() : nullptr)
    {
        const wxString drawnWithText = wxString(kPreviewDrawn) +
                                       wxS(" && document.querySelector('h1').innerText.startsWith('") +
                                       wxString::FromUTF8("Zł ő") +
                                       wxS("') && (() => { if (document.querySelector('h1.sIFR-webfont')) return true;"
                                           " const t = Array.from(document.querySelectorAll('h1 svg "
                                           "text')).map((e) => e.textContent).join(''); return t.includes('") +
                                       wxString::FromUTF8("ł') && t.includes('ő'); })()");
        EXPECT_TRUE(WaitFor([&] { return !view->IsBusy() && Evaluate(view, drawnWithText) == wxS("true"); }, 45000))
            << Evaluate(view, wxS("document.querySelector('h1') ? document.querySelector('h1').outerHTML : 'no h1'"));
    }

    // Text without them: gone, and the browser has its room back.
    Type("Zo");
    EXPECT_FALSE(Line()->IsShown());
    EXPECT_EQ(fullHeight, BrowserHeight());

    // A refresh for another font names that font; one whose movie cannot be read is
    // not checked, and the line goes.
    Type("Zł");
    ASSERT_TRUE(Line()->IsShown());
    UseFont(wxS("DejaVu"), wxS("DejaVu Sans [regular][italic][bold][bolditalic]"));
    EXPECT_EQ(wxString::FromUTF8("Not in DejaVu Sans: ł"), Line()->GetLabel());
    UseFont(wxS("Fake"), wxS("Empty"));
    EXPECT_FALSE(Line()->IsShown()) << Line()->GetLabel();
    EXPECT_EQ(fullHeight, BrowserHeight());

    // A long list is cut off rather than widening the window, and whole in the tooltip.
    UseFont(wxS("Impallari Type"), wxString(kLobsterTwo));
    wxString many;
    for (wxChar c = 0x4E00; c < 0x4E00 + 300; ++c)
        many << c;
    Find<wxTextCtrl>(ID_USER_TEXT)->SetValue(many);
    RunPendingEvents(200);
    ASSERT_TRUE(Line()->IsShown());
    EXPECT_TRUE(Line()->GetLabel().StartsWith(wxS("Not in Lobster Two: ")));
    ASSERT_NE(nullptr, Line()->GetToolTip());
    EXPECT_EQ(Line()->GetLabel(), Line()->GetToolTip()->GetTip());
    EXPECT_EQ(frameSize, Frame()->GetSize());
    // Nor at the next layout, when the window is resized.
    Frame()->SetSize(frameSize.x - 10, frameSize.y);
    RunPendingEvents(100);
    Frame()->SetSize(frameSize);
    RunPendingEvents(100);
    wxWindow* preview = Find<wxWindow>(ID_PREVIEW_PANEL);
    EXPECT_LE(Line()->GetScreenRect().GetRight(), preview->GetScreenRect().GetRight());
    // The preview asks for no more room than it has, so no later fitting widens anything.
    EXPECT_LE(preview->GetBestSize().x, preview->GetSize().x);
}
