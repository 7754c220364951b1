// The core's undo history under the real window: the window's edits become steps, and
// what its controls hand back while they refresh (at start-up, after an undo) does not.
#include "MainFrameTestSupport.h"

#include "Library/CustomControls/TextColorPickerCtrl.h"
#include "Library/CustomControls/TextSlider.h"

#include <wx/slider.h>
#include <wx/textctrl.h>

namespace
{
void Move(wxSlider* slider, int value)
{
    slider->SetValue(value);
    wxCommandEvent event(wxEVT_SLIDER, slider->GetId());
    event.SetEventObject(slider);
    event.SetInt(value);
    slider->HandleWindowEvent(event);
}
}

TEST_F(MainFrameTest, WindowEditsAreStepsAndItsRefreshesAreNot)
{
    OpenFrame();
    RunPendingEvents(50);
    EXPECT_EQ(0u, Core()->GetUndoCount());

    CTextColorPickerCtrl* colour = Find<CTextColorPickerCtrl>(ID_FONT_COLOR);
    colour->GetTextCtrl()->SetValue(wxS("#FF0000"));
    wxTextCtrl* text = Find<wxTextCtrl>(ID_USER_TEXT);
    text->SetValue(wxS("Hello"));
    CTextSlider* strength = Find<CTextSlider>(ID_GLOW_STRENGTH);
    for (int value = 3; value <= 9; ++value)
        Move(strength->GetSlider(), value);
    RunPendingEvents(50);
    EXPECT_EQ(3u, Core()->GetUndoCount());
    EXPECT_EQ(wxS("Undo glow change"), Core()->GetUndoName());

    ASSERT_EQ(RC_OK, Core()->Undo());
    ASSERT_EQ(RC_OK, Core()->Undo());
    ASSERT_EQ(RC_OK, Core()->Undo());
    RunPendingEvents(50);
    EXPECT_EQ(wxS("Sample Text"), text->GetValue());
    EXPECT_EQ(wxColour(0, 0, 0), colour->GetColour());
    EXPECT_EQ(2, strength->GetValue());
    EXPECT_EQ(3u, Core()->GetRedoCount());

    ASSERT_EQ(RC_OK, Core()->Redo());
    ASSERT_EQ(RC_OK, Core()->Redo());
    RunPendingEvents(50);
    EXPECT_EQ(wxS("Hello"), text->GetValue());
    EXPECT_EQ(wxColour(255, 0, 0), colour->GetColour());
    EXPECT_EQ(1u, Core()->GetRedoCount());
}
