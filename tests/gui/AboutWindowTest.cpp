#include "DialogTestSupport.h"

#include "Interface/glypharasplash.h"
#include "wxIncludes/wxIncludes.h"

#include <wx/frame.h>
#include <wx/uiaction.h>
#include <wx/weakref.h>

TEST_F(DialogTest, TheAboutWindowTakesThePicturesSizeAMoveLeavesItAndAClickOrEscapeClosesIt)
{
    // Without its picture it keeps the size asked for, and a parentless one goes too.
    wxWeakRef<CGlypharaSplash> about(new CGlypharaSplash(nullptr, wxS("GlypharaSplash"), wxSize(640, 480)));
    EXPECT_EQ(wxSize(640, 480), about->GetSize());
    EXPECT_TRUE(LogContains(wxS("Unable to load splash screen bitmap (GlypharaSplash.png)")));
    about->Show();
    RunPendingEvents();
    EXPECT_TRUE(LogContains(wxS("Background image is not initialized")));
    wxUIActionSimulator mouse;
    mouse.MouseMove(about->GetScreenRect().GetTopLeft() + wxPoint(100, 100));
    RunPendingEvents(100);
    mouse.MouseClick();
    RunPendingEvents();
    EXPECT_FALSE(about);

    ASSERT_TRUE(InstallArchive());
    wxBitmap picture;
    ASSERT_EQ(0, GetBitmapFromZip(wxS("GlypharaSplash.png"), wxS(GLYPHARA_RESOURCE_ARCHIVE), picture));
    wxFrame* frame = new wxFrame(nullptr, wxID_ANY, wxS("Glyphara"), wxPoint(0, 0), wxSize(1024, 768));
    frame->Show();
    about = new CGlypharaSplash(frame, wxS("GlypharaSplash"), wxSize(640, 480));
    EXPECT_EQ(picture.GetSize(), about->GetSize());
    EXPECT_EQ(wxS("version 4.1 build 20081220"), CGlypharaSplash::VersionLine());
    about->Show();
    RunPendingEvents();

    // Moving over it, in from outside, leaves it up.
    const wxRect area = about->GetScreenRect();
    for (const wxPoint at : {wxPoint(area.GetLeft() - 20, area.GetTop() + 10), area.GetTopLeft() + wxPoint(30, 40),
                             wxPoint(area.GetLeft() + area.width / 2, area.GetTop() + area.height / 2)})
    {
        mouse.MouseMove(at);
        RunPendingEvents(100);
    }
    ASSERT_TRUE(about);
    EXPECT_TRUE(about->IsShown());

    mouse.MouseClick(wxMOUSE_BTN_RIGHT);
    RunPendingEvents();
    EXPECT_FALSE(about);

    // Escape closes it too; other keys leave it up.
    about = new CGlypharaSplash(frame, wxS("GlypharaSplash"), wxSize(640, 480));
    about->Show();
    RunPendingEvents();
    wxKeyEvent other(wxEVT_CHAR_HOOK);
    other.m_keyCode = 'A';
    about->GetEventHandler()->ProcessEvent(other);
    RunPendingEvents();
    ASSERT_TRUE(about);
    PressEscape(about);
    RunPendingEvents();
    EXPECT_FALSE(about);
    EXPECT_EQ(1, LogCount(wxS("Background image is not initialized")));
    frame->Destroy();
    RunPendingEvents(50);
}
