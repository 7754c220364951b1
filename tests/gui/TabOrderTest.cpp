// Keyboard users reach every part of the compound controls (the colour field's swatch
// too) and the preview with Tab, in the order they see them, and leave each again in
// both directions.
#include "GuiTestSupport.h"

#include "Library/CustomControls/TextColorPickerCtrl.h"
#include "Library/CustomControls/TextSlider.h"
#include "browser/EmbeddedBrowser.h"

#include <wx/button.h>
#include <wx/frame.h>
#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/slider.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>
#include <wx/webview.h>

#include <gtk/gtk.h>

#include <string>
#include <vector>

TEST_F(GuiTest, TabWalksThroughTheInnerControlsAndStopsOnceOnThePreview)
{
    wxFrame* frame = new wxFrame(nullptr, wxID_ANY, wxS("Tab"), wxPoint(30, 30), wxSize(600, 420));
    wxPanel* panel = new wxPanel(frame, wxID_ANY);
    wxButton* first = new wxButton(panel, wxID_ANY, wxS("First"));
    CTextSlider* slider = new CTextSlider(panel, 10003, wxSize(90, 10));
    CTextColorPickerCtrl* colour = new CTextColorPickerCtrl(panel, 10081, wxSize(90, 10));
    CEmbeddedBrowser* host = new CEmbeddedBrowser(panel, 10007, wxSize(100, 100));
    wxButton* last = new wxButton(panel, wxID_ANY, wxS("Last"));
    wxBoxSizer* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(first, 0, wxALL, 4);
    sizer->Add(slider, 0, wxALL, 4);
    sizer->Add(colour, 0, wxALL, 4);
    sizer->Add(host, 1, wxEXPAND | wxALL, 4);
    sizer->Add(last, 0, wxALL, 4);
    panel->SetSizer(sizer);
    frame->Show();
    RunPendingEvents(300);
    ASSERT_TRUE(host->HasBrowser());

    // Which part has the keyboard; the web view's focus lives inside WebKit's widget.
    auto focused = [&]() -> std::string {
        wxWindow* focus = wxWindow::FindFocus();
        const std::pair<wxWindow*, const char*> parts[] = {{first, "first"},
                                                           {last, "last"},
                                                           {slider->GetSlider(), "slider"},
                                                           {slider->GetTextCtrl(), "number"},
                                                           {colour->GetTextCtrl(), "colour"},
                                                           {colour->GetSwatch(), "swatch"}};
        for (const auto& part : parts)
            if (focus == part.first)
                return part.second;
        if (gtk_window_get_focus(GTK_WINDOW(frame->GetHandle())) == host->GetWebView()->GetNativeBackend())
            return "preview";
        return focus ? "other" : "none";
    };
    auto walk = [&](int modifiers) {
        std::vector<std::string> seen;
        wxUIActionSimulator keyboard;
        for (int i = 0; i < 7; ++i)
        {
            keyboard.Char(WXK_TAB, modifiers);
            RunPendingEvents(250);
            seen.push_back(focused());
        }
        return seen;
    };

    first->SetFocus();
    RunPendingEvents(200);
    ASSERT_EQ("first", focused());
    EXPECT_EQ((std::vector<std::string>{"slider", "number", "colour", "swatch", "preview", "last", "first"}), walk(0));
    EXPECT_EQ((std::vector<std::string>{"last", "preview", "swatch", "colour", "number", "slider", "first"}),
              walk(wxMOD_SHIFT));

    // Giving a compound control the focus puts it into its first inner window.
    colour->SetFocus();
    RunPendingEvents(100);
    EXPECT_EQ("colour", focused());
    slider->SetFocus();
    RunPendingEvents(100);
    EXPECT_EQ("slider", focused());

    frame->Destroy();
    RunPendingEvents(100);
}
