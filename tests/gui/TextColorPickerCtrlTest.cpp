// The colour field as a designer uses it: typing colours, clicking the swatch for the
// colour dialog, and the colours the main window pushes in.
#include "GuiTestSupport.h"

#include "Library/CustomControls/TextColorPickerCtrl.h"
#include "trace/ResultCodes.h"

#include <wx/clrpicker.h>
#include <wx/colordlg.h>
#include <wx/statbmp.h>
#include <wx/testing.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>

#include <gtk/gtk.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace
{
const wxColour kNormalText(2, 2, 2);
const wxColour kInvalidText(255, 0, 0);
const wxColour kWhite(255, 255, 255);

// Answers the colour dialog and remembers how it was opened.
class ColourDialogAnswer : public wxExpectModalBase<wxColourDialog, ColourDialogAnswer>
{
public:
    ColourDialogAnswer(int answer, const wxColour& chosen, wxString* title, wxColour* offered)
        : m_answer(answer), m_chosen(chosen), m_title(title), m_offered(offered)
    {
    }

protected:
    int OnInvoked(wxColourDialog* dialog) const override
    {
        *m_title = dialog->GetTitle();
        *m_offered = dialog->GetColourData().GetColour();
        // The choice is made in the native colour selection, which the dialog reads back
        // after an OK; the toolkit still builds the dialog on GTK's older selection widget.
        const GdkRGBA chosen = {m_chosen.Red() / 255.0, m_chosen.Green() / 255.0, m_chosen.Blue() / 255.0, 1.0};
        G_GNUC_BEGIN_IGNORE_DEPRECATIONS
        GtkWidget* selection =
            gtk_color_selection_dialog_get_color_selection(GTK_COLOR_SELECTION_DIALOG(dialog->GetHandle()));
        gtk_color_selection_set_current_rgba(GTK_COLOR_SELECTION(selection), &chosen);
        G_GNUC_END_IGNORE_DEPRECATIONS
        return m_answer;
    }

private:
    int m_answer;
    wxColour m_chosen;
    wxString* m_title;
    wxColour* m_offered;
};

wxColour PixelAt(const wxImage& image, int x, int y)
{
    return wxColour(image.GetRed(x, y), image.GetGreen(x, y), image.GetBlue(x, y));
}

class TextColorPickerCtrlTest : public ControlTest<CTextColorPickerCtrl>
{
protected:
    void SetUp() override
    {
        ControlTest::SetUp();
        m_panel->Bind(wxEVT_COLOURPICKER_CHANGED, [this](wxColourPickerEvent& event) {
            EXPECT_EQ(kControlId, event.GetId());
            EXPECT_EQ(m_control, event.GetEventObject());
            m_colours.push_back(event.GetColour());
        });
    }

    void Type(const wxString& text) { m_control->GetTextCtrl()->SetValue(text); }

    void ClickSwatch()
    {
        wxUIActionSimulator mouse;
        mouse.MouseMove(m_control->GetSwatch()->ClientToScreen(wxPoint(10, 10)));
        RunPendingEvents(50);
        mouse.MouseClick();
        RunPendingEvents(200);
    }

    std::vector<wxColour> m_colours;
};
}

TEST_F(TextColorPickerCtrlTest, IsInertUntilCreatedAndStartsWithAWhiteFramedSwatchBesideTheText)
{
    std::unique_ptr<wxObject> object(wxCreateDynamicObject(wxS("CTextColorPickerCtrl")));
    CTextColorPickerCtrl* field = wxDynamicCast(object.get(), CTextColorPickerCtrl);
    ASSERT_NE(nullptr, field);
    EXPECT_EQ(RC_NOT_INITIALIZED, field->SetColour(*wxRED, true));
    EXPECT_EQ(RC_NOT_INITIALIZED, field->UpdateUI());
    ASSERT_TRUE(field->Create(m_panel, 10084, wxColour(0x12, 0x34, 0x56), wxSize(90, 10)));
    object.release();
    EXPECT_EQ(wxS("#123456"), field->GetTextCtrl()->GetValue());
    EXPECT_TRUE(m_colours.empty()) << "creation notifies nobody";

    EXPECT_EQ(wxS("#000000"), m_control->GetTextCtrl()->GetValue());

    // A one-pixel white frame round an 18 by 18 black square, in the image and on screen.
    const wxImage shown = m_control->GetSwatch()->GetBitmap().ConvertToImage();
    for (const wxImage* image : {&m_control->GetSwatchImage(), &shown})
    {
        ASSERT_EQ(wxSize(20, 20), image->GetSize());
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 20; ++x)
            {
                const bool frame = x == 0 || y == 0 || x == 19 || y == 19;
                ASSERT_EQ(frame ? kWhite : *wxBLACK, PixelAt(*image, x, y)) << x << "," << y;
            }
    }

    // The text takes the width the swatch leaves, and its 20 pixels of height.
    wxTextCtrl* text = m_control->GetTextCtrl();
    wxWindow* swatch = m_control->GetSwatch();
    EXPECT_EQ(wxSize(90 - swatch->GetSize().x - 5, 20), text->GetSize());
    EXPECT_EQ(wxSize(90, std::max(20, swatch->GetSize().y) + 6), m_control->GetSize());
    EXPECT_EQ(text->GetSize().x + 2, swatch->GetPosition().x);
}

TEST_F(TextColorPickerCtrlTest, PushedColoursNotifyOnlyWhenAskedAndOnlyTypedHtmlColoursApply)
{
    wxTextCtrl* text = m_control->GetTextCtrl();
    EXPECT_EQ(RC_OK, m_control->SetColour(wxColour(0x0a, 0xbc, 0xde), false));
    EXPECT_EQ(wxS("#0ABCDE"), text->GetValue());
    EXPECT_TRUE(m_colours.empty());
    EXPECT_EQ(RC_INVALID_ARGUMENT, m_control->SetColour(wxColour(), true));
    EXPECT_TRUE(LogContains(wxS("Invalid colour")));
    EXPECT_EQ(wxColour(0x0a, 0xbc, 0xde), m_control->GetColour());
    EXPECT_EQ(RC_OK, m_control->SetColour(wxColour(0x20, 0x40, 0x60), true));
    EXPECT_EQ((std::vector<wxColour>{wxColour(0x20, 0x40, 0x60)}), m_colours);
    m_colours.clear();

    Type(wxS("#ff8000"));
    ASSERT_EQ(1u, m_colours.size());
    EXPECT_EQ(wxColour(0xFF, 0x80, 0x00), m_colours[0]);
    EXPECT_EQ(wxColour(0xFF, 0x80, 0x00), m_control->GetColour());
    EXPECT_EQ(wxColour(0xFF, 0x80, 0x00), PixelAt(m_control->GetSwatchImage(), 9, 9));
    EXPECT_EQ(wxS("#ff8000"), text->GetValue()) << "the text stays as typed";

    Type(wxS("#FF80"));
    EXPECT_EQ(kInvalidText, text->GetForegroundColour());
    EXPECT_EQ(wxColour(0xFF, 0x80, 0x00), m_control->GetColour());
    EXPECT_EQ(1u, m_colours.size());

    // A colour name or an rgb() form is a colour, so it is not marked, but only the
    // HTML form applies.
    for (const char* other : {"red", "rgb(0, 0, 255)"})
    {
        Type(wxString(other));
        EXPECT_EQ(kNormalText, text->GetForegroundColour()) << other;
        EXPECT_EQ(wxColour(0xFF, 0x80, 0x00), m_control->GetColour()) << other;
        EXPECT_EQ(1u, m_colours.size()) << other;
    }

    // Leaving the box writes the current colour back in HTML form, silently.
    LeaveTextBox();
    EXPECT_EQ(wxS("#FF8000"), text->GetValue());
    EXPECT_EQ(kNormalText, text->GetForegroundColour());
    EXPECT_EQ(1u, m_colours.size());
}

TEST_F(TextColorPickerCtrlTest, ClickingTheSwatchOpensTheColourDialogAndAppliesTheChoice)
{
    m_control->SetColour(wxColour(0x20, 0x40, 0x60), false);

    wxString title;
    wxColour offered;
    wxTEST_DIALOG(ClickSwatch(), ColourDialogAnswer(wxID_CANCEL, *wxGREEN, &title, &offered));
    EXPECT_EQ(wxS("Choose a color"), title);
    EXPECT_EQ(wxColour(0x20, 0x40, 0x60), offered);
    EXPECT_EQ(wxColour(0x20, 0x40, 0x60), m_control->GetColour());
    EXPECT_TRUE(m_colours.empty()) << "cancelling changes nothing";

    wxTEST_DIALOG(ClickSwatch(), ColourDialogAnswer(wxID_OK, wxColour(0xC0, 0xFF, 0xEE), &title, &offered));
    EXPECT_EQ(wxColour(0xC0, 0xFF, 0xEE), m_control->GetColour());
    EXPECT_EQ(wxS("#C0FFEE"), m_control->GetTextCtrl()->GetValue());
    ASSERT_EQ(1u, m_colours.size());
    EXPECT_EQ(wxColour(0xC0, 0xFF, 0xEE), m_colours[0]);
}

TEST_F(TextColorPickerCtrlTest, SpaceOrReturnOnTheSwatchOpensTheColourDialogAndNoOtherKeyDoes)
{
    wxWindow* swatch = m_control->GetSwatch();
    EXPECT_TRUE(swatch->CanAcceptFocusFromKeyboard());
    auto press = [&](int key) {
        wxKeyEvent event(wxEVT_KEY_DOWN);
        event.m_keyCode = key;
        event.SetEventObject(swatch);
        swatch->GetEventHandler()->ProcessEvent(event);
        RunPendingEvents(50);
    };
    wxString title;
    wxColour offered;
    const struct
    {
        int key;
        wxColour chosen;
    } keys[] = {{WXK_SPACE, wxColour(0x10, 0x20, 0x30)},
                {WXK_RETURN, wxColour(0x40, 0x50, 0x60)},
                {WXK_NUMPAD_ENTER, wxColour(0x70, 0x80, 0x90)}};
    for (const auto& key : keys)
    {
        wxTEST_DIALOG(press(key.key), ColourDialogAnswer(wxID_OK, key.chosen, &title, &offered));
        EXPECT_EQ(key.chosen, m_control->GetColour()) << key.key;
    }
    EXPECT_EQ(3u, m_colours.size());
    // Any other key opens nothing: an unexpected dialog fails the test.
    press('a');
    press(WXK_ESCAPE);
    EXPECT_EQ(3u, m_colours.size());

    // A disabled field is passed over.
    m_control->Disable();
    EXPECT_FALSE(swatch->CanAcceptFocusFromKeyboard());
}
