// A whole working session as a designer has it: a new project, a second tag, a font and a
// colour for each tag, an effect, Save as, reopening, and finally the saved folder served
// as a web site, where the runtime draws every tag in its font, colour and effect.
#include "CommandTestSupport.h"

#include "Interface/glypharamainframe.h"
#include "Library/BasicWebServer/BasicWebServer.h"
#include "Interface/FontListCtrl.h"
#include "Library/CustomControls/TextColorPickerCtrl.h"
#include "core/FontListModel.h"

#include <wx/choice.h>
#include <wx/frame.h>
#include <wx/webview.h>

namespace
{
struct Look
{
    const char* tag;
    const char* font;   // the font's display name
    const char* colour; // as typed into the colour field
};
}

class DesignerSessionTest : public CommandTest
{
protected:
    // Clicks the font's row in the font list.
    void PickFont(const wxString& font)
    {
        CFontListCtrl* fonts = Find<CFontListCtrl>(ID_FONT_LISTBOX);
        const std::vector<FontListRow>& rows = Core()->GetInstalledFontModel().Rows();
        ASSERT_EQ(rows.size(), fonts->GetCount());
        for (size_t i = 0; i < rows.size(); ++i)
            if (rows[i].kind == FontRowKind::Font && rows[i].font == font)
                return Select(fonts, static_cast<int>(i));
        FAIL() << "no row for " << font;
    }
};

TEST_F(DesignerSessionTest, ANewProjectStyledSavedAndReopenedServesAPageWithEveryTagDrawn)
{
    if (!UseBuiltRuntime() || !UseBuiltEffects())
        GTEST_SKIP() << "needs the built runtime scripts, fonts and effects";
    OpenFrame();
    const Look looks[] = {{"h1", "DejaVu Serif [regular][italic][bold][bolditalic]", "#8b1a1a"},
                          {"h2", "DejaVu Sans Mono [regular][italic][bold][bolditalic]", "#1e6b52"}};
    const wxString site = Home() + wxS("/sites/");
    wxMkdir(site);

    // A new project; the untouched one from start-up goes without a question.
    Command(Frame(), ID_TOOL_NEW);
    wxTEST_DIALOG(Command(Frame(), ID_ADDTAG_BUTTON, wxEVT_BUTTON),
                  TagDialog(wxS("Add a new tag"), wxS("Choose a name for the new tag:"), nullptr));
    ASSERT_EQ((std::vector<wxString>{wxS("h1"), wxS("h2")}), TagNames());

    for (const Look& look : looks)
    {
        Select(TagList(), TagList()->FindString(wxString::Format(wxS("<%s>"), look.tag)));
        PickFont(wxString(look.font));
        Find<CTextColorPickerCtrl>(ID_FONT_COLOR)->GetTextCtrl()->SetValue(wxString(look.colour));
        EXPECT_EQ(wxString(look.font), Record().font) << look.tag;
    }
    // The last tag, still selected, gets an effect.
    wxChoice* effects = Find<wxChoice>(ID_EFFECT_CHOICE);
    Choose(effects, effects->FindString(wxS("Soft Shadow")));
    const FontProperties softShadow = Core()->GetEffectFilters().at(wxS("Soft Shadow"));
    ASSERT_TRUE(softShadow.dropshadow.enabled);
    EXPECT_TRUE(FiltersEqual(softShadow, Record()));

    wxTEST_DIALOG(Command(Frame(), ID_MENUITEM_SAVEAS), SaveChooser(site + wxS("session")), GetCode(wxS("session")));
    ASSERT_TRUE(Core()->IsProjectSaved());

    // Reopened from a fresh project: the saved one is left without a question, and so
    // is the untouched new one.
    Command(Frame(), ID_MENUITEM_NEW);
    ASSERT_EQ(std::vector<wxString>{wxS("h1")}, TagNames());
    wxTEST_DIALOG(Command(Frame(), ID_MENUITEM_OPEN), OpenChooser(site + wxS("session.xml")));
    ASSERT_EQ((std::vector<wxString>{wxS("h1"), wxS("h2")}), TagNames());
    for (const Look& look : looks)
    {
        const FontProperties& record = Core()->GetTags().at(wxString(look.tag));
        EXPECT_EQ(wxString(look.font), record.font) << look.tag;
        EXPECT_EQ(wxColour(wxString(look.colour)), record.color) << look.tag;
    }
    EXPECT_TRUE(FiltersEqual(softShadow, Core()->GetTags().at(wxS("h2"))));
    EXPECT_FALSE(Core()->GetTags().at(wxS("h1")).dropshadow.enabled);
    Select(TagList(), TagList()->FindString(wxS("<h2>")));
    EXPECT_EQ(wxS("Soft Shadow"), effects->GetStringSelection());

    // The saved folder as a web site.
    CBasicWebServer* server = new CBasicWebServer();
    ASSERT_TRUE(server->IsListening());
    server->SetRoot(site + wxS("session files"));
    ASSERT_EQ(wxTHREAD_NO_ERROR, server->Run());
    int port = 0;
    server->GetPort(port);
    wxFrame* window = new wxFrame(nullptr, wxID_ANY, wxS("Site"), wxPoint(0, 0), wxSize(1000, 700));
    wxWebView* view = wxWebView::New(window, wxID_ANY, wxS("about:blank"));
    if (view)
    {
        window->Show();
        view->LoadURL(wxString::Format(wxS("http://127.0.0.1:%d/session.html"), port));
        const wxString drawn = TagShown(wxS("h1")) + wxS(" && ") + TagShown(wxS("h2"));
        EXPECT_TRUE(WaitFor([&] { return !view->IsBusy() && Evaluate(view, drawn) == wxS("true"); }, 20000))
            << "the served page did not draw every tag";
        for (const Look& look : looks)
            EXPECT_EQ(wxString(look.colour), Evaluate(view, TagColour(look.tag))) << look.tag;
        EXPECT_EQ(wxS("true"), Evaluate(view, TagFiltered(wxS("h2"))));
        EXPECT_EQ(wxS("false"), Evaluate(view, TagFiltered(wxS("h1"))));
    }
    window->Destroy();
    RunPendingEvents(100);
    CBasicWebServer::StopAndDelete(server);
    if (!view)
        GTEST_SKIP() << "no web view to load the served page";
}
