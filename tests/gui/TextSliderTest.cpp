// The number slider as a designer uses it: dragging, typing, arrow keys, leaving the box,
// and the values the main window pushes in.
#include "MainFrameTestSupport.h"

#include "Library/CustomControls/TextSlider.h"
#include "trace/ResultCodes.h"

#include <wx/slider.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace
{
const wxColour kNormalText(2, 2, 2);
const wxColour kInvalidText(255, 0, 0);

class TextSliderTest : public ControlTest<CTextSlider>
{
protected:
    void SetUp() override
    {
        ControlTest::SetUp();
        // What reaches the window around the control, as the main window would see it.
        m_panel->Bind(wxEVT_SLIDER, [this](wxCommandEvent& event) {
            m_events.push_back({event.GetId(), event.GetEventObject()});
            event.Skip();
        });
    }

    // Events that came from the control under its own id.
    int Notifications() const
    {
        return static_cast<int>(std::count_if(m_events.begin(), m_events.end(), [this](const Seen& event) {
            return event.id == kControlId && event.object == m_control;
        }));
    }

    struct Seen
    {
        int id;
        wxObject* object;
    };
    std::vector<Seen> m_events;
};
}

TEST_F(TextSliderTest, IsCreatableByClassNameInertUntilCreatedAndLaidOutFromItsWidth)
{
    std::unique_ptr<wxObject> object(wxCreateDynamicObject(wxS("CTextSlider")));
    CTextSlider* created = wxDynamicCast(object.get(), CTextSlider);
    ASSERT_NE(nullptr, created);
    EXPECT_EQ(-1, created->GetValue());
    EXPECT_EQ(RC_NOT_INITIALIZED, created->UpdateUI());
    EXPECT_TRUE(LogContains(wxS("Object is not initialized")));
    created->SetValue(20, true);
    created->SetRange(10);
    EXPECT_EQ(-1, created->GetValue());
    ASSERT_TRUE(created->Create(m_panel, 10072, wxSize(90, 10)));
    object.release();
    EXPECT_EQ(wxS("50"), created->GetTextCtrl()->GetValue());
    EXPECT_EQ(100, created->GetSlider()->GetMax());
    EXPECT_EQ(RC_OK, created->UpdateUI());
    EXPECT_TRUE(m_events.empty()) << "creation notifies nobody";

    wxSlider* slider = m_control->GetSlider();
    wxTextCtrl* text = m_control->GetTextCtrl();
    EXPECT_EQ(wxSize(30, 18), text->GetSize());
    // The caller's 10 pixels of height give way to the taller child.
    const int height = std::max(slider->GetSize().y, text->GetSize().y);
    EXPECT_EQ(wxSize(90, height), m_control->GetSize());
    EXPECT_EQ(height, m_control->GetMinSize().y);
    // The slider takes what the box leaves, at any width.
    m_control->SetSize(wxSize(140, height));
    RunPendingEvents(50);
    EXPECT_EQ(113, slider->GetSize().x);
    EXPECT_EQ(107, text->GetPosition().x);
}

TEST_F(TextSliderTest, OutOfRangeOrEmptyTextTurnsRedSendsNothingAndLeavingRestoresIt)
{
    m_control->SetValue(40, false);
    wxTextCtrl* text = m_control->GetTextCtrl();
    for (const wxString& typed : {wxString(wxS("150")), wxString()})
    {
        text->SetValue(typed);
        EXPECT_EQ(kInvalidText, text->GetForegroundColour()) << typed;
        EXPECT_EQ(40, m_control->GetValue()) << typed;
        EXPECT_EQ(0, Notifications()) << typed;
        LeaveTextBox();
        EXPECT_EQ(wxS("40"), text->GetValue());
        EXPECT_EQ(kNormalText, text->GetForegroundColour());
        EXPECT_EQ(0, Notifications());
    }

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
    auto press = [&](std::initializer_list<int> keys) {
        for (int key : keys)
            keyboard.Char(key);
        RunPendingEvents(200);
    };
    keyboard.Text("x2-7 ");
    RunPendingEvents(200);
    EXPECT_EQ(wxS("27"), text->GetValue());
    EXPECT_EQ(27, m_control->GetValue());
    EXPECT_EQ(2, Notifications()) << "one for 2, one for 27";

    // Home would move the caret before the 2 if it passed.
    press({WXK_HOME, WXK_BACK});
    EXPECT_EQ(wxS("2"), text->GetValue());
    EXPECT_EQ(3, Notifications());
    press({WXK_UP});
    EXPECT_EQ(3, m_control->GetValue());
    EXPECT_EQ(wxS("3"), text->GetValue());
    press({WXK_DOWN, WXK_DOWN});
    EXPECT_EQ(1, m_control->GetValue());
    EXPECT_EQ(6, Notifications());

    // At the top the value stays, and the listener still hears exactly once.
    m_control->SetValue(100, false);
    press({WXK_UP});
    EXPECT_EQ(100, m_control->GetValue());
    EXPECT_EQ(wxS("100"), text->GetValue());
    EXPECT_EQ(7, Notifications());
}

TEST_F(TextSliderTest, PushedValuesNotifyOnlyWhenAskedDragsAlwaysUnderTheControlsId)
{
    m_control->SetValue(12, false);
    m_control->SetValue(500, false);
    EXPECT_EQ(100, m_control->GetValue());
    EXPECT_EQ(wxS("100"), m_control->GetTextCtrl()->GetValue());
    EXPECT_TRUE(m_events.empty());
    m_control->SetValue(-4, true);
    EXPECT_EQ(0, m_control->GetValue());
    ASSERT_EQ(1u, m_events.size());
    EXPECT_EQ(1, Notifications());

    // A drag shows the value; the inner slider's own event ends at the control.
    m_events.clear();
    Move(m_control->GetSlider(), 30);
    EXPECT_EQ(wxS("30"), m_control->GetTextCtrl()->GetValue());
    EXPECT_EQ(30, m_control->GetValue());
    EXPECT_EQ(1, Notifications());
    EXPECT_EQ(1u, m_events.size());

    // A new range keeps the slider inside it but leaves the text to the next update.
    m_control->SetValue(90, false);
    m_control->SetRange(15);
    EXPECT_EQ(15, m_control->GetSlider()->GetMax());
    EXPECT_EQ(15, m_control->GetValue());
    EXPECT_EQ(wxS("90"), m_control->GetTextCtrl()->GetValue());
}
