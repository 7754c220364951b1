// The core's undo history under the real window: the window's edits become steps, and
// what its controls hand back while they refresh (at start-up, after an undo) does not.
#include "MainFrameTestSupport.h"

#include "Interface/glypharamainframe.h"
#include "Library/CustomControls/TextColorPickerCtrl.h"
#include "Library/CustomControls/TextSlider.h"
#include "core/GlypharaCore.h"

#include <wx/menu.h>
#include <wx/slider.h>
#include <wx/textctrl.h>

// The Edit menu is named before it opens: the menu is sized as it opens, and a label
// changed then would be cut off with its shortcut.
TEST_F(MainFrameTest, WindowEditsAreStepsTheEditMenuNamesThemBeforeItOpensAndRefreshesAreNot)
{
    OpenFrame();
    RunPendingEvents(50);
    EXPECT_EQ(0u, Core()->GetUndoCount());
    wxMenuBar* bar = Frame()->GetMenuBar();
    EXPECT_FALSE(bar->IsEnabled(wxID_UNDO));
    EXPECT_FALSE(bar->IsEnabled(wxID_REDO));

    CTextColorPickerCtrl* colour = Find<CTextColorPickerCtrl>(ID_FONT_COLOR);
    colour->GetTextCtrl()->SetValue(wxS("#FF0000"));
    RunPendingEvents(50);
    EXPECT_TRUE(bar->IsEnabled(wxID_UNDO));
    EXPECT_EQ(wxS("&Undo colour change\tCtrl+Z"), bar->GetLabel(wxID_UNDO));
    wxTextCtrl* text = Find<wxTextCtrl>(ID_USER_TEXT);
    text->SetValue(wxS("Hello"));
    RunPendingEvents(50);
    EXPECT_EQ(wxS("&Undo sample text change\tCtrl+Z"), bar->GetLabel(wxID_UNDO));
    CTextSlider* strength = Find<CTextSlider>(ID_GLOW_STRENGTH);
    for (int value = 3; value <= 9; ++value)
        Move(strength->GetSlider(), value);
    RunPendingEvents(50);
    EXPECT_EQ(3u, Core()->GetUndoCount());
    EXPECT_EQ(wxS("Undo glow change"), Core()->GetUndoName());

    ASSERT_EQ(RC_OK, Core()->Undo());
    ASSERT_EQ(RC_OK, Core()->Undo());
    RunPendingEvents(50);
    EXPECT_EQ(wxS("Sample Text"), text->GetValue());
    EXPECT_EQ(2, strength->GetValue());
    // Chosen from the menu, the step is undone and offered for redo.
    wxCommandEvent undo(wxEVT_MENU, wxID_UNDO);
    Frame()->ProcessWindowEvent(undo);
    RunPendingEvents(50);
    EXPECT_EQ(wxColour(0, 0, 0), colour->GetColour());
    EXPECT_FALSE(bar->IsEnabled(wxID_UNDO));
    EXPECT_TRUE(bar->IsEnabled(wxID_REDO));
    EXPECT_EQ(wxS("&Redo colour change\tCtrl+Shift+Z"), bar->GetLabel(wxID_REDO));
    EXPECT_EQ(3u, Core()->GetRedoCount());

    ASSERT_EQ(RC_OK, Core()->Redo());
    ASSERT_EQ(RC_OK, Core()->Redo());
    RunPendingEvents(50);
    EXPECT_EQ(wxS("Hello"), text->GetValue());
    EXPECT_EQ(wxColour(255, 0, 0), colour->GetColour());
    EXPECT_EQ(1u, Core()->GetRedoCount());
}

TEST_F(MainFrameTest, ADraggedThumbIsOneStepHoweverSlowTheDrag)
{
    // A clock the test moves: every move of the drag comes two seconds after the last,
    // longer than any pause that would end a step by itself.
    static long long now = 0;
    Core()->SetUndoClock([] { return now; });
    OpenFrame();
    RunPendingEvents(50);
    wxSlider* slider = Find<CTextSlider>(ID_BEVEL_ANGLE)->GetSlider();
    auto scroll = [slider](wxEventType type) {
        wxScrollEvent event(type, slider->GetId(), slider->GetValue(), wxHORIZONTAL);
        event.SetEventObject(slider);
        slider->HandleWindowEvent(event);
    };
    for (int value = 50; value <= 90; value += 10)
    {
        now += 2000;
        Move(slider, value);
        scroll(wxEVT_SCROLL_THUMBTRACK);
    }
    scroll(wxEVT_SCROLL_THUMBRELEASE);
    EXPECT_EQ(1u, Core()->GetUndoCount());

    // Without a drag the same slow moves are steps of their own.
    for (int value = 100; value <= 120; value += 10)
    {
        now += 2000;
        Move(slider, value);
    }
    EXPECT_EQ(4u, Core()->GetUndoCount());
    Core()->SetUndoClock(nullptr);
}
