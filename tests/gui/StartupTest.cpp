#include "GuiTestSupport.h"

#include "Interface/GuiTraceHooks.h"
#include "Interface/WindowGeometry.h"
#include "Interface/glypharamainframe.h"
#include "trace/ResultCodes.h"
#include "trace/TraceSystem.h"
#include "wxIncludes/wxIncludes.h"

#include <wx/bitmap.h>
#include <wx/fileconf.h>
#include <wx/filefn.h>
#include <wx/msgdlg.h>
#include <wx/testing.h>
#include <wx/textfile.h>
#include <wx/uiaction.h>

namespace
{
const wxString kArchive = wxS(GLYPHARA_PROGRAM_DIR "/Data/data.bin");

wxString ReadAll(const wxString& path)
{
    wxTextFile file(path);
    if (!file.Open(wxConvUTF8))
        return wxEmptyString;
    wxString text;
    for (size_t i = 0; i < file.GetLineCount(); ++i)
        text << file[i] << wxS("\n");
    return text;
}
}

TEST_F(GuiTest, BitmapsComeFromTheArchiveAndAFailedLoadKeepsAValidOne)
{
    wxBitmap bitmap;
    EXPECT_EQ(RC_LOAD_FAILED, GetBitmapFromZip(wxS("GlypharaSplash.png"), wxS(GLYPHARA_RESOURCE_ARCHIVE), bitmap));
    EXPECT_FALSE(bitmap.IsOk());

    ASSERT_TRUE(wxFileExists(kArchive)) << "build the glyphara_images target first";
    ASSERT_EQ(RC_OK, GetBitmapFromZip(wxS("GlypharaSplash.png"), kArchive, bitmap));
    const wxSize splash = bitmap.GetSize();
    EXPECT_GT(splash.x, 187);
    EXPECT_GT(splash.y, 70);

    EXPECT_EQ(RC_OK, GetBitmapFromZip(wxS("NoSuchPicture.png"), kArchive, bitmap));
    EXPECT_EQ(splash, bitmap.GetSize());
    EXPECT_TRUE(LogContains(wxS("NoSuchPicture.png")));

    for (const char* name : {"39x42New.png", "39x42Open.png", "39x42Save.png", "39x42AddTag.png", "39x42DeleteTag.png",
                             "39x42Import.png", "39x42Export.png", "39x42ImportFont.png", "39x42Preview.png",
                             "39x42AddToMyWeb.png"})
    {
        wxBitmap tool;
        EXPECT_EQ(RC_OK, GetBitmapFromZip(wxString(name), kArchive, tool)) << name;
        EXPECT_EQ(wxSize(39, 42), tool.GetSize()) << name;
    }
}

TEST_F(GuiTest, TheMainWindowStoresItsGeometryWhenResizedAndClosed)
{
    const wxString path = Home() + wxS("/glyphara.cfg");
    delete wxConfigBase::Set(new wxFileConfig(wxS("Glyphara"), wxS("Tallowby Software"), path, path,
                                              wxCONFIG_USE_LOCAL_FILE | wxCONFIG_USE_GLOBAL_FILE));
    const wxSize display = wxGetDisplaySize();
    GlypharaMainFrame* frame = new GlypharaMainFrame(nullptr, wxS("Glyphara"), wxSize(1024, 768));
    frame->Show();
    RunPendingEvents();

    frame->SetSize(display.x / 2, display.y / 4, 900, 740);
    RunPendingEvents();
    const wxRect placed = frame->GetRect();
    WindowGeometry::Stored stored = WindowGeometry::Read(*wxConfigBase::Get());
    EXPECT_EQ(WindowGeometry::ToPerMille(placed.x, display.x), stored.posX);
    EXPECT_EQ(WindowGeometry::ToPerMille(placed.y, display.y), stored.posY);
    EXPECT_EQ(900, stored.width);
    EXPECT_EQ(740, stored.height);
    EXPECT_FALSE(wxFileExists(path));
    // A move alone writes nothing.
    wxConfigBase::Get()->Write(wxS("windowposx"), 7L);
    frame->Move(10, 10);
    RunPendingEvents();
    EXPECT_EQ(7, WindowGeometry::Read(*wxConfigBase::Get()).posX);
    frame->Move(placed.GetPosition());
    RunPendingEvents();

    // Closing writes the settings file at once.
    frame->Close();
    RunPendingEvents();
    const wxString text = ReadAll(path);
    EXPECT_TRUE(text.Contains(wxString::Format(wxS("windowposx=%ld\n"), WindowGeometry::ToPerMille(placed.x, display.x))))
        << text;
    EXPECT_TRUE(text.Contains(wxS("windowsizew=900\nwindowsizeh=740\n"))) << text;
    EXPECT_TRUE(LogContains(wxS("Main window is being closed")));
}

TEST_F(GuiTest, ShiftHeldAtStartAsksAboutTheLogAndWritesIt)
{
    TraceSystem::SetUiHooks(MakeGuiTraceHooks());
    const wxString path = Home() + wxS("/start log.txt");

    // Without Shift nothing is asked: an unexpected dialog fails the test.
    TraceSystem::GetInstance()->Init(wxS("Glyphara"), path);
    EXPECT_FALSE(wxFileExists(path));

    wxUIActionSimulator keyboard;
    keyboard.KeyDown(WXK_SHIFT);
    RunPendingEvents(100);
    wxTEST_DIALOG(TraceSystem::GetInstance()->Init(wxS("Glyphara"), path),
                  wxExpectModal<wxMessageDialog>(wxNO).Describe(wxS("the Saving log question")));
    keyboard.KeyUp(WXK_SHIFT);
    RunPendingEvents(100);
    TraceSystem::GetInstance()->Trace(1, wxS("t.cpp"), wxS("T::Run"), 5, TS_VERBOSE, wxS("a detail"));
    TraceSystem::GetInstance()->Shutdown();

    const wxString text = ReadAll(path);
    EXPECT_TRUE(text.Contains(wxS("Glyphara build20081220 log started"))) << text;
    EXPECT_TRUE(text.Contains(wxS("Verbose output is disabled"))) << text;
    EXPECT_FALSE(text.Contains(wxS("a detail")));
    // Shutdown in TearDown needs a running instance.
    TraceSystem::SetUiHooks(TraceUiHooks());
    TraceSystem::GetInstance()->Init(wxS("Glyphara"), wxEmptyString);
}
