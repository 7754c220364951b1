// The number slider as a designer uses it: dragging, typing, arrow keys, leaving the box,
// and the values the main window pushes in.
#include "GuiTestSupport.h"

#include "Library/CustomControls/TextSlider.h"
#include "core/ResultCodes.h"

#include <wx/frame.h>
#include <wx/panel.h>
#include <wx/slider.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace
{
const wxWindowID kSliderControlId = 10003;
const wxColour kNormalText(2, 2, 2);
const wxColour kInvalidText(255, 0, 0);

class TextSliderTest : public GuiTest
{
protected:
    void SetUp() override
    {
        GuiTest::SetUp();
        m_frame = new wxFrame(nullptr, wxID_ANY, wxS("Sliders"), wxPoint(50, 50), wxSize(300, 200));
        m_panel = new wxPanel(m_frame, wxID_ANY);
        m_control = new CTextSlider(m_panel, kSliderControlId, wxSize(90, 10));
        m_control->Move(20, 20);
        // What reaches the window around the control, as the main window would see it.
        m_panel->Bind(wxEVT_SLIDER, [this](wxCommandEvent& event) {
            m_events.push_back({event.GetId(), event.GetEventObject()});
            event.Skip();
        });
        m_frame->Show();
        RunPendingEvents(100);
    }

    void TearDown() override
    {
        m_frame->Destroy();
        RunPendingEvents(50);
        GuiTest::TearDown();
    }

    // Events that came from the control under its own id.
    int Notifications() const
    {
        int count = 0;
        for (const auto& event : m_events)
            if (event.id == kSliderControlId && event.object == m_control)
                ++count;
        return count;
    }

    void LeaveTextBox()
    {
        wxFocusEvent event(wxEVT_KILL_FOCUS, m_control->GetTextCtrl()->GetId());
        event.SetEventObject(m_control->GetTextCtrl());
        m_control->GetTextCtrl()->GetEventHandler()->ProcessEvent(event);
    }

    struct Seen
    {
        int id;
        wxObject* object;
    };
    wxFrame* m_frame = nullptr;
    wxPanel* m_panel = nullptr;
    CTextSlider* m_control = nullptr;
    std::vector<Seen> m_events;
};
}

TEST_F(TextSliderTest, IsCreatableByClassNameAndInertUntilCreated)
{
    std::unique_ptr<wxObject> object(wxCreateDynamicObject(wxS("CTextSlider")));
    ASSERT_NE(nullptr, object);
    EXPECT_TRUE(object->IsKindOf(wxCLASSINFO(wxControl)));
    EXPECT_STREQ(wxS("wxControl"), object->GetClassInfo()->GetBaseClassName1());

    CTextSlider* slider = wxDynamicCast(object.get(), CTextSlider);
    ASSERT_NE(nullptr, slider);
    EXPECT_EQ(-1, slider->GetValue());
    EXPECT_EQ(RC_NOT_INITIALIZED, slider->UpdateUI());
    EXPECT_TRUE(LogContains(wxS("Object is not initialized")));
    slider->SetValue(20, true);
    slider->SetRange(10);
    EXPECT_EQ(-1, slider->GetValue());

    ASSERT_TRUE(slider->Create(m_panel, 10072, wxSize(90, 10)));
    object.release();
    EXPECT_EQ(50, slider->GetValue());
    EXPECT_EQ(wxS("50"), slider->GetTextCtrl()->GetValue());
    EXPECT_EQ(0, slider->GetSlider()->GetMin());
    EXPECT_EQ(100, slider->GetSlider()->GetMax());
    EXPECT_EQ(RC_OK, slider->UpdateUI());
    EXPECT_TRUE(m_events.empty()) << "creation notifies nobody";
}

TEST_F(TextSliderTest, HoldsASliderAndANarrowNumberBoxLaidOutFromItsWidth)
{
    wxSlider* slider = m_control->GetSlider();
    wxTextCtrl* text = m_control->GetTextCtrl();
    EXPECT_EQ(slider, m_control->FindWindow(wxS("slider")));
    EXPECT_EQ(text, m_control->FindWindow(wxS("text")));
    EXPECT_EQ(wxSize(30, 18), text->GetSize());

    // The caller's 10 pixels of height give way to the taller child.
    const int height = std::max(slider->GetSize().y, text->GetSize().y);
    EXPECT_EQ(wxSize(90, height), m_control->GetSize());
    EXPECT_EQ(height, m_control->GetMinSize().y);

    EXPECT_EQ(wxPoint(-6, (height - slider->GetSize().y) / 2 + 1), slider->GetPosition());
    EXPECT_EQ(63, slider->GetSize().x);
    EXPECT_EQ(wxPoint(57, (height - 18) / 2), text->GetPosition());

    // Resizing lays the children out again.
    m_control->SetSize(wxSize(140, height));
    RunPendingEvents(50);
    EXPECT_EQ(113, slider->GetSize().x);
    EXPECT_EQ(107, text->GetPosition().x);
}

TEST_F(TextSliderTest, OutOfRangeOrEmptyTextTurnsRedSendsNothingAndLeavingRestoresIt)
{
    m_control->SetValue(40, false);
    wxTextCtrl* text = m_control->GetTextCtrl();

    text->SetValue(wxS("150"));
    EXPECT_EQ(kInvalidText, text->GetForegroundColour());
    EXPECT_EQ(40, m_control->GetValue());
    EXPECT_EQ(0, Notifications());

    LeaveTextBox();
    EXPECT_EQ(wxS("40"), text->GetValue());
    EXPECT_EQ(kNormalText, text->GetForegroundColour());
    EXPECT_EQ(0, Notifications());

    text->SetValue(wxEmptyString);
    EXPECT_EQ(kInvalidText, text->GetForegroundColour());
    EXPECT_EQ(40, m_control->GetValue());
    EXPECT_EQ(0, Notifications());

    // A number in range applies at once and notifies once.
    text->SetValue(wxS("75"));
    EXPECT_EQ(kNormalText, text->GetForegroundColour());
    EXPECT_EQ(75, m_control->GetValue());
    EXPECT_EQ(75, m_control->GetSlider()->GetValue());
    EXPECT_EQ(1, Notifications());
}

TEST_F(TextSliderTest, TypedDigitsMoveTheSliderOtherKeysAreSwallowedAndArrowsStep)
{
    wxTextCtrl* text = m_control->GetTextCtrl();
    text->SetFocus();
    text->SelectAll();
    RunPendingEvents(100);
    wxUIActionSimulator keyboard;
    keyboard.Text("x2-7 ");
    RunPendingEvents(200);
    EXPECT_EQ(wxS("27"), text->GetValue());
    EXPECT_EQ(27, m_control->GetValue());
    EXPECT_EQ(2, Notifications()) << "one for 2, one for 27";

    // Home would move the caret before the 2 if it passed.
    keyboard.Char(WXK_HOME);
    keyboard.Char(WXK_BACK);
    RunPendingEvents(200);
    EXPECT_EQ(wxS("2"), text->GetValue());
    EXPECT_EQ(3, Notifications());

    keyboard.Char(WXK_UP);
    RunPendingEvents(100);
    EXPECT_EQ(3, m_control->GetValue());
    EXPECT_EQ(wxS("3"), text->GetValue());
    EXPECT_EQ(4, Notifications());
    keyboard.Char(WXK_DOWN);
    keyboard.Char(WXK_DOWN);
    RunPendingEvents(100);
    EXPECT_EQ(1, m_control->GetValue());
    EXPECT_EQ(6, Notifications());

    // At the top the value stays, and the listener still hears exactly once.
    m_control->SetValue(100, false);
    keyboard.Char(WXK_UP);
    RunPendingEvents(100);
    EXPECT_EQ(100, m_control->GetValue());
    EXPECT_EQ(wxS("100"), text->GetValue());
    EXPECT_EQ(7, Notifications());
}

TEST_F(TextSliderTest, PushedValuesNotifyOnlyWhenAskedAndAreClampedToTheRange)
{
    m_control->SetValue(12, false);
    m_control->SetValue(500, false);
    EXPECT_EQ(100, m_control->GetValue());
    EXPECT_EQ(wxS("100"), m_control->GetTextCtrl()->GetValue());
    EXPECT_TRUE(m_events.empty());

    m_control->SetValue(-4, true);
    EXPECT_EQ(0, m_control->GetValue());
    ASSERT_EQ(1u, m_events.size());
    EXPECT_EQ(kSliderControlId, m_events[0].id);
    EXPECT_EQ(m_control, m_events[0].object);

    // A new range keeps the slider inside it but leaves the text to the next update.
    m_control->SetValue(90, false);
    m_control->SetRange(15);
    EXPECT_EQ(15, m_control->GetSlider()->GetMax());
    EXPECT_EQ(15, m_control->GetValue());
    EXPECT_EQ(wxS("90"), m_control->GetTextCtrl()->GetValue());
}

TEST_F(TextSliderTest, DraggingTheSliderShowsTheValueAndNotifiesUnderTheControlsId)
{
    wxSlider* slider = m_control->GetSlider();
    slider->SetValue(30);
    wxCommandEvent moved(wxEVT_SLIDER, slider->GetId());
    moved.SetEventObject(slider);
    moved.SetInt(30);
    slider->GetEventHandler()->ProcessEvent(moved);

    EXPECT_EQ(wxS("30"), m_control->GetTextCtrl()->GetValue());
    EXPECT_EQ(30, m_control->GetValue());
    EXPECT_EQ(1, Notifications());
    // The inner slider's own event travels on as well.
    ASSERT_EQ(2u, m_events.size());
    EXPECT_EQ(10001, m_events[1].id);
}
