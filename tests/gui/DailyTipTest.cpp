#include "DialogTestSupport.h"

#include "Interface/TipLines.h"
#include "Interface/dailytipdialog.h"
#include "wxIncludes/wxIncludes.h"

#include <wx/bitmap.h>
#include <wx/dcmemory.h>
#include <wx/dcclient.h>
#include <wx/ffile.h>
#include <wx/frame.h>
#include <wx/image.h>
#include <wx/splash.h>
#include <wx/uiaction.h>
#include <wx/weakref.h>

namespace
{
// Every character 10 pixels wide.
int FixedWidth(size_t first, size_t last)
{
    return static_cast<int>(last - first + 1) * 10;
}

std::vector<wxString> Lines(std::initializer_list<const char*> texts)
{
    std::vector<wxString> lines;
    for (const char* text : texts)
        lines.push_back(wxString::FromUTF8(text));
    return lines;
}
}

TEST(TipLines, LinesBreakOnlyAtSpacesWhereTheNextWordWouldNotFit)
{
    // "aaa bbb " measures exactly 80 and still fits; the last word is measured without a
    // space after it; each line is measured from its own first character.
    EXPECT_EQ(Lines({"aaa bbb ", "ccc"}), BreakTipLines(wxS("aaa bbb ccc"), 80, FixedWidth));
    EXPECT_EQ(Lines({"aaa ", "bbb ccc"}), BreakTipLines(wxS("aaa bbb ccc"), 79, FixedWidth));
    EXPECT_EQ(Lines({"aaa ", "bbb ", "ccc"}), BreakTipLines(wxS("aaa bbb ccc"), 69, FixedWidth));
    EXPECT_EQ(Lines({"aaa bbb ccc"}), BreakTipLines(wxS("aaa bbb ccc"), 110, FixedWidth));
    EXPECT_TRUE(BreakTipLines(wxEmptyString, 300, FixedWidth).empty());
    // A word wider than a line takes one of its own.
    EXPECT_EQ(Lines({"a ", "extraordinarily ", "b"}), BreakTipLines(wxS("a extraordinarily b"), 50, FixedWidth));
    EXPECT_EQ(Lines({"a  ", "b "}), BreakTipLines(wxS("a  b "), 30, FixedWidth));

    // Partial extents of "ii WW": i = 2, space = 4, W = 12 pixels.
    const TextSpanWidth proportional = SpanWidthFromPartialExtents({2, 4, 8, 20, 32});
    EXPECT_EQ(24, proportional(3, 4));
    EXPECT_EQ(Lines({"ii ", "WW"}), BreakTipLines(wxS("ii WW"), 31, proportional));
    EXPECT_EQ(Lines({"ii WW"}), BreakTipLines(wxS("ii WW"), 32, proportional));
}

class DailyTipTest : public DialogTest
{
protected:
    void SetUp() override
    {
        DialogTest::SetUp();
        m_frame = new wxFrame(nullptr, wxID_ANY, wxS("Glyphara"), wxPoint(0, 0), wxSize(1024, 768));
        m_frame->Show();
    }
    void TearDown() override
    {
        m_frame->Destroy();
        RunPendingEvents(50);
        DialogTest::TearDown();
    }

    void WriteTips(const char* text)
    {
        wxFFile file(ProgramDir() + wxS("/Data/tips.txt"), wxS("w"));
        file.Write(wxString::FromUTF8(text), wxConvUTF8);
    }

    CDailytipDialog* Open() { return new CDailytipDialog(m_frame, wxS("Daily tip"), wxSize(600, 300)); }

    wxFrame* m_frame = nullptr;
};

TEST_F(DailyTipTest, TipsAreTheFilesNonEmptyLinesInOrderWithoutComments)
{
    ASSERT_TRUE(InstallArchive());
    WriteTips("# Comment line\n\nFirst tip: fonts.\nSecond tip with 100% and %s %d inside.\n");
    CDailytipDialog* dialog = Open();
    ASSERT_EQ(2u, dialog->GetTips().GetCount());
    EXPECT_EQ(wxS("First tip: fonts."), dialog->GetTips()[0]);
    EXPECT_EQ(wxS("Second tip with 100% and %s %d inside."), dialog->GetTips()[1]);
    EXPECT_TRUE(LogContains(wxS("Second tip with 100% and %s %d inside.")));
    dialog->Destroy();

    // A file of comments only gives no tip at all.
    WriteTips("# one\n#two\n\n");
    dialog = Open();
    EXPECT_EQ(0u, dialog->GetTips().GetCount());
    dialog->Show();
    PressButton(dialog, CDailytipDialog::ID_PREVIOUS);
    PressButton(dialog, CDailytipDialog::ID_NEXT);
    RunPendingEvents(50);
    dialog->Destroy();
}

TEST_F(DailyTipTest, TheStoredIndexPicksTheFirstTipCloseMovesItOnAndTheButtonsGoRound)
{
    ASSERT_TRUE(InstallArchive());
    WriteTips("Alpha\nBravo\nCharlie\n");
    wxConfigBase::Get()->Write(kLastShownTipSetting, 2L);
    CDailytipDialog* dialog = Open();
    EXPECT_EQ(2, dialog->GetCurrentTip());
    dialog->Show();
    RunPendingEvents(100);
    PressButton(dialog, CDailytipDialog::ID_CLOSE);
    RunPendingEvents(50);
    EXPECT_FALSE(dialog->IsShown());
    // Written to disk at once.
    EXPECT_TRUE(SettingsOnDisk().Contains(wxS("lastshowntip=3"))) << SettingsOnDisk();
    EXPECT_TRUE(SettingsOnDisk().Contains(wxS("showdailytips=1"))) << SettingsOnDisk();
    dialog->Destroy();

    dialog = Open();
    EXPECT_EQ(0, dialog->GetCurrentTip());
    dialog->Destroy();

    for (long stored : {-5L, 99L})
    {
        wxConfigBase::Get()->Write(kLastShownTipSetting, stored);
        dialog = Open();
        EXPECT_EQ(0, dialog->GetCurrentTip()) << stored;
        dialog->Destroy();
    }

    // Previous and Next go round.
    dialog = Open();
    PressButton(dialog, CDailytipDialog::ID_PREVIOUS);
    EXPECT_EQ(2, dialog->GetCurrentTip());
    PressButton(dialog, CDailytipDialog::ID_NEXT);
    EXPECT_EQ(0, dialog->GetCurrentTip());
    dialog->Destroy();
}

TEST_F(DailyTipTest, TheStartupBoxIsWrittenAtOnceAndTheCloseBoxWritesNothingElse)
{
    ASSERT_TRUE(InstallArchive());
    WriteTips("Alpha\nBravo\n");
    CDailytipDialog* dialog = Open();
    wxCheckBox* box = dynamic_cast<wxCheckBox*>(dialog->FindWindow(CDailytipDialog::ID_SHOW_AT_STARTUP));
    ASSERT_NE(nullptr, box);
    EXPECT_TRUE(box->GetValue());
    dialog->Show();
    RunPendingEvents(100);
    PressButton(dialog, CDailytipDialog::ID_NEXT);
    Tick(dialog, CDailytipDialog::ID_SHOW_AT_STARTUP, false);
    EXPECT_FALSE(CDailytipDialog::ShowAtStartup());
    dialog->Close();
    RunPendingEvents(50);
    EXPECT_FALSE(dialog->IsShown());
    EXPECT_FALSE(CDailytipDialog::ShowAtStartup());
    EXPECT_FALSE(wxConfigBase::Get()->HasEntry(kLastShownTipSetting));
    dialog->Destroy();

    // The next window shows the box as it was left.
    dialog = Open();
    EXPECT_FALSE(dynamic_cast<wxCheckBox*>(dialog->FindWindow(CDailytipDialog::ID_SHOW_AT_STARTUP))->GetValue());
    dialog->Destroy();
}

TEST_F(DailyTipTest, TheWindowIsThePictureWithItsControlsWholeOnIt)
{
    ASSERT_TRUE(InstallArchive());
    WriteTips("Alpha\n");
    wxBitmap picture;
    ASSERT_EQ(0, GetBitmapFromZip(wxS("GlypharaTipDay.png"), wxS(GLYPHARA_RESOURCE_ARCHIVE), picture));
    CDailytipDialog* dialog = Open();
    dialog->Show();
    RunPendingEvents(300);
    EXPECT_EQ(picture.GetSize(), dialog->GetClientSize());

    const wxRect client(wxPoint(0, 0), dialog->GetClientSize());
    for (int id : {CDailytipDialog::ID_SHOW_AT_STARTUP, CDailytipDialog::ID_PREVIOUS, CDailytipDialog::ID_NEXT,
                   CDailytipDialog::ID_CLOSE})
    {
        const wxRect control = dialog->FindWindow(id)->GetRect();
        EXPECT_TRUE(client.Contains(control)) << id << " at " << control.x << "," << control.y << " " << control.width
                                              << "x" << control.height;
    }
    EXPECT_FALSE(dialog->FindWindow(CDailytipDialog::ID_SHOW_AT_STARTUP)
                     ->GetRect()
                     .Intersects(dialog->FindWindow(CDailytipDialog::ID_PREVIOUS)->GetRect()));
    dialog->Destroy();
}

TEST_F(DailyTipTest, WithoutItsPictureTheDialogStillWorksButReadsNoTips)
{
    WriteTips("Alpha\nBravo\n");
    wxConfigBase::Get()->Write(kShowDailyTipsSetting, false);
    wxConfigBase::Get()->Write(kLastShownTipSetting, 1L);
    CDailytipDialog* dialog = Open();
    EXPECT_EQ(0u, dialog->GetTips().GetCount());
    EXPECT_EQ(0, dialog->GetCurrentTip());
    EXPECT_TRUE(dynamic_cast<wxCheckBox*>(dialog->FindWindow(CDailytipDialog::ID_SHOW_AT_STARTUP))->GetValue());
    EXPECT_EQ(wxSize(600, 300), dialog->GetSize());
    // Stepping through no tips paints no tip.
    dialog->Show();
    PressButton(dialog, CDailytipDialog::ID_PREVIOUS);
    RunPendingEvents(50);
    PressButton(dialog, CDailytipDialog::ID_NEXT);
    RunPendingEvents(50);
    dialog->Destroy();
}

namespace
{
// Rows of the window's area that hold dark (text) pixels, relative to the area's top,
// and the right-most dark column.
struct Ink
{
    std::vector<int> rows;
    int right = -1;
};

Ink InkIn(wxWindow* window, const wxRect& area)
{
    wxBitmap shot(area.width, area.height);
    {
        wxMemoryDC memory(shot);
        wxClientDC drawn(window);
        memory.Blit(0, 0, area.width, area.height, &drawn, area.x, area.y);
    }
    const wxImage image = shot.ConvertToImage();
    Ink ink;
    for (int y = 0; y < area.height; ++y)
    {
        bool dark = false;
        for (int x = 0; x < area.width; ++x)
            if (image.GetRed(x, y) + image.GetGreen(x, y) + image.GetBlue(x, y) < 300)
            {
                dark = true;
                ink.right = std::max(ink.right, x);
            }
        if (dark)
            ink.rows.push_back(y);
    }
    return ink;
}

// Separate runs of rows: one per drawn line. The first row of each run.
std::vector<int> LineTops(const std::vector<int>& rows)
{
    std::vector<int> tops;
    for (size_t i = 0; i < rows.size(); ++i)
        if (i == 0 || rows[i] != rows[i - 1] + 1)
            tops.push_back(rows[i]);
    return tops;
}
}

TEST_F(DailyTipTest, TipsAreDrawnInLinesOfAtMost300PixelsFrom210By100)
{
    ASSERT_TRUE(InstallArchive());
    // Every word with a tall letter, so each drawn line starts at the same height.
    wxMemoryDC measure;
    wxBitmap scratch(10, 10);
    measure.SelectObject(scratch);
    measure.SetFont(wxFont(9, wxFONTFAMILY_DEFAULT, wxFONTSTYLE_NORMAL, wxFONTWEIGHT_NORMAL));
    const int charHeight = measure.GetCharHeight();
    wxString twoLines;
    while (measure.GetTextExtent(twoLines).x < 420)
        twoLines << wxS("Hold ");
    twoLines.Trim();
    ASSERT_LT(measure.GetTextExtent(twoLines).x, 560);
    measure.SelectObject(wxNullBitmap);
    WriteTips(("Hold the line\n" + twoLines + "\n").utf8_str());

    CDailytipDialog* dialog = Open();
    ASSERT_EQ(2u, dialog->GetTips().GetCount());
    dialog->Show();
    RunPendingEvents(300);
    // The text area: right of the picture's band, below its heading, above the buttons.
    const wxRect area(160, 90, 440, 130);

    Ink ink = InkIn(dialog, area);
    std::vector<int> tops = LineTops(ink.rows);
    ASSERT_EQ(1u, tops.size());
    const int firstTop = tops[0];
    EXPECT_GE(firstTop, 100 - 90);
    EXPECT_LT(firstTop, 100 - 90 + charHeight);
    EXPECT_LE(ink.right, 210 + 300 - 160);

    PressButton(dialog, CDailytipDialog::ID_NEXT);
    RunPendingEvents(300);
    ink = InkIn(dialog, area);
    tops = LineTops(ink.rows);
    ASSERT_EQ(2u, tops.size());
    EXPECT_EQ(firstTop, tops[0]);
    EXPECT_EQ(charHeight + 2, tops[1] - tops[0]);
    EXPECT_LE(ink.right, 210 + 300 - 160);
    dialog->Destroy();
}

TEST_F(DailyTipTest, DraggingTheBackgroundMovesTheWindow)
{
    ASSERT_TRUE(InstallArchive());
    WriteTips("Alpha\n");
    CDailytipDialog* dialog = Open();
    dialog->Move(100, 100);
    dialog->Show();
    RunPendingEvents(300);
    const wxPoint before = dialog->GetPosition();
    const wxPoint grip = dialog->ClientToScreen(wxPoint(400, 40));

    wxUIActionSimulator mouse;
    mouse.MouseMove(grip);
    RunPendingEvents(50);
    mouse.MouseDown();
    RunPendingEvents(50);
    mouse.MouseMove(grip + wxPoint(30, 20));
    RunPendingEvents(50);
    mouse.MouseMove(grip + wxPoint(60, 40));
    RunPendingEvents(50);
    mouse.MouseUp();
    RunPendingEvents(200);
    EXPECT_EQ(before + wxPoint(60, 40), dialog->GetPosition());
    EXPECT_FALSE(dialog->HasCapture());

    // Moving without a button held moves nothing.
    mouse.MouseMove(grip + wxPoint(90, 90));
    RunPendingEvents(100);
    EXPECT_EQ(before + wxPoint(60, 40), dialog->GetPosition());
    dialog->Destroy();
}

TEST_F(DailyTipTest, AtStartupTheTipsShowAndTheSplashGoesWhenTheSettingAsks)
{
    ASSERT_TRUE(InstallArchive());
    WriteTips("Alpha\n");
    wxBitmap picture;
    ASSERT_EQ(0, GetBitmapFromZip(wxS("GlypharaSplash.png"), wxS(GLYPHARA_RESOURCE_ARCHIVE), picture));

    // Absent setting: shown.
    wxWeakRef<wxSplashScreen> splash(new wxSplashScreen(picture, wxSPLASH_CENTRE_ON_SCREEN | wxSPLASH_NO_TIMEOUT, 0,
                                                        nullptr, wxID_ANY));
    RunPendingEvents(50);
    CDailytipDialog* tips = CDailytipDialog::OpenAtStartup(m_frame, splash.get());
    ASSERT_NE(nullptr, tips);
    EXPECT_EQ(m_frame, tips->GetParent());
    EXPECT_EQ(wxS("Daily tip"), tips->GetTitle());
    EXPECT_TRUE(tips->IsShown());
    RunPendingEvents(100);
    EXPECT_FALSE(splash);
    tips->Destroy();

    // Switched off: created but hidden, and the splash stays.
    wxConfigBase::Get()->Write(kShowDailyTipsSetting, false);
    splash = new wxSplashScreen(picture, wxSPLASH_CENTRE_ON_SCREEN | wxSPLASH_NO_TIMEOUT, 0, nullptr, wxID_ANY);
    tips = CDailytipDialog::OpenAtStartup(m_frame, splash.get());
    ASSERT_NE(nullptr, tips);
    EXPECT_FALSE(tips->IsShown());
    RunPendingEvents(100);
    ASSERT_TRUE(splash);
    splash->Destroy();
    tips->Destroy();
}
