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
#include <wx/stattext.h>
#include <wx/uiaction.h>
#include <wx/weakref.h>

#include <cstdlib>

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
        ASSERT_TRUE(InstallArchive());
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
        wxFFile(ProgramDir() + wxS("/Data/tips.txt"), wxS("w")).Write(wxString::FromUTF8(text), wxConvUTF8);
    }

    // A window over a tips file with this text, when given.
    CDailytipDialog* Open(const char* tips = nullptr)
    {
        if (tips)
            WriteTips(tips);
        return new CDailytipDialog(m_frame, wxS("Daily tip"), wxSize(600, 300));
    }

    static void StepBothWays(CDailytipDialog* dialog)
    {
        dialog->Show();
        PressButton(dialog, CDailytipDialog::ID_PREVIOUS);
        RunPendingEvents(50);
        PressButton(dialog, CDailytipDialog::ID_NEXT);
        RunPendingEvents(50);
    }

    wxFrame* m_frame = nullptr;
};

TEST_F(DailyTipTest, TipsAreTheFilesNonEmptyLinesWithoutCommentsAndNoneWithoutThePicture)
{
    CDailytipDialog* dialog = Open("# Comment line\n\nFirst tip: fonts.\nSecond tip with 100% and %s %d inside.\n");
    EXPECT_EQ(wxSplit(wxS("First tip: fonts.|Second tip with 100% and %s %d inside."), '|'), dialog->GetTips());
    EXPECT_TRUE(LogContains(wxS("Second tip with 100% and %s %d inside.")));
    dialog->Destroy();

    // Stepping through no tips paints no tip.
    dialog = Open("# one\n#two\n\n");
    EXPECT_EQ(0u, dialog->GetTips().GetCount());
    StepBothWays(dialog);
    dialog->Destroy();

    ASSERT_TRUE(wxRemoveFile(ProgramDir() + wxS("/Data/data.bin")));
    wxConfigBase::Get()->Write(kShowDailyTipsSetting, false);
    wxConfigBase::Get()->Write(kLastShownTipSetting, 1L);
    dialog = Open("Alpha\nBravo\n");
    EXPECT_EQ(0u, dialog->GetTips().GetCount());
    EXPECT_EQ(0, dialog->GetCurrentTip());
    EXPECT_TRUE(dynamic_cast<wxCheckBox*>(dialog->FindWindow(CDailytipDialog::ID_SHOW_AT_STARTUP))->GetValue());
    EXPECT_EQ(wxSize(600, 300), dialog->GetSize());
    StepBothWays(dialog);
    dialog->Destroy();
}

TEST_F(DailyTipTest, TheBoxIsWrittenAtOnceCloseStoresTheNextTipAndTheButtonsGoRound)
{
    CDailytipDialog* dialog = Open("Alpha\nBravo\nCharlie\n");
    wxCheckBox* box = dynamic_cast<wxCheckBox*>(dialog->FindWindow(CDailytipDialog::ID_SHOW_AT_STARTUP));
    ASSERT_NE(nullptr, box);
    EXPECT_TRUE(box->GetValue());
    dialog->Show();
    RunPendingEvents(100);
    PressButton(dialog, CDailytipDialog::ID_NEXT);
    Tick(dialog, CDailytipDialog::ID_SHOW_AT_STARTUP, false);
    EXPECT_FALSE(CDailytipDialog::ShowAtStartup());
    // The title bar's close box writes nothing else. However closed, the window goes.
    wxWeakRef<CDailytipDialog> open(dialog);
    dialog->Close();
    RunPendingEvents(50);
    EXPECT_FALSE(open);
    EXPECT_FALSE(wxConfigBase::Get()->HasEntry(kLastShownTipSetting));

    wxConfigBase::Get()->Write(kLastShownTipSetting, 2L);
    dialog = Open();
    EXPECT_FALSE(dynamic_cast<wxCheckBox*>(dialog->FindWindow(CDailytipDialog::ID_SHOW_AT_STARTUP))->GetValue());
    EXPECT_EQ(2, dialog->GetCurrentTip());
    dialog->Show();
    RunPendingEvents(100);
    open = dialog;
    PressButton(dialog, CDailytipDialog::ID_CLOSE);
    RunPendingEvents(50);
    EXPECT_FALSE(open);
    EXPECT_TRUE(SettingsOnDisk().Contains(wxS("lastshowntip=3"))) << SettingsOnDisk();
    EXPECT_TRUE(SettingsOnDisk().Contains(wxS("showdailytips=0"))) << SettingsOnDisk();

    // Escape is the Close button; past the last tip the count starts again.
    dialog = Open();
    EXPECT_EQ(0, dialog->GetCurrentTip());
    dialog->Show();
    RunPendingEvents(100);
    open = dialog;
    PressEscape(dialog);
    RunPendingEvents(50);
    EXPECT_FALSE(open);
    EXPECT_TRUE(SettingsOnDisk().Contains(wxS("lastshowntip=1"))) << SettingsOnDisk();

    // 3 is past the last tip, as are -5 and 99.
    for (long stored : {3L, -5L, 99L})
    {
        wxConfigBase::Get()->Write(kLastShownTipSetting, stored);
        dialog = Open();
        EXPECT_EQ(0, dialog->GetCurrentTip()) << stored;
        dialog->Destroy();
    }

    dialog = Open();
    PressButton(dialog, CDailytipDialog::ID_PREVIOUS);
    EXPECT_EQ(2, dialog->GetCurrentTip());
    PressButton(dialog, CDailytipDialog::ID_NEXT);
    EXPECT_EQ(0, dialog->GetCurrentTip());
    dialog->Destroy();
}

namespace
{
// Where dark (text) pixels are in the window's area: the top row of each run of rows
// (one per drawn line), relative to the area's top, and the right-most dark column.
struct Ink
{
    std::vector<int> lineTops;
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
    bool previousDark = false;
    for (int y = 0; y < area.height; ++y)
    {
        bool dark = false;
        for (int x = 0; x < area.width; ++x)
            if (image.GetRed(x, y) + image.GetGreen(x, y) + image.GetBlue(x, y) < 300)
            {
                dark = true;
                ink.right = std::max(ink.right, x);
            }
        if (dark && !previousDark)
            ink.lineTops.push_back(y);
        previousDark = dark;
    }
    return ink;
}
}

TEST_F(DailyTipTest, TipsAreDrawnInLinesOfAtMost300PixelsFrom210By100)
{
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
    CDailytipDialog* dialog = Open(("Hold the line\n" + twoLines + "\n").utf8_str());
    ASSERT_EQ(2u, dialog->GetTips().GetCount());
    dialog->Show();
    auto drawnLines = [dialog] {
        RunPendingEvents(300);
        // The text area: right of the picture's band, below its heading, above the buttons.
        const Ink ink = InkIn(dialog, wxRect(160, 90, 440, 130));
        EXPECT_LE(ink.right, 210 + 300 - 160);
        return ink.lineTops;
    };

    const std::vector<int> one = drawnLines();
    ASSERT_EQ(1u, one.size());
    EXPECT_GE(one[0], 100 - 90);
    EXPECT_LT(one[0], 100 - 90 + charHeight);
    PressButton(dialog, CDailytipDialog::ID_NEXT);
    const std::vector<int> two = drawnLines();
    ASSERT_EQ(2u, two.size());
    EXPECT_EQ(one[0], two[0]);
    EXPECT_EQ(charHeight + 2, two[1] - two[0]);
    dialog->Destroy();
}

TEST_F(DailyTipTest, TheWindowIsThePictureWithItsControlsOnItAndDraggingItMovesIt)
{
    wxBitmap picture;
    ASSERT_EQ(0, GetBitmapFromZip(wxS("GlypharaTipDay.png"), wxS(GLYPHARA_RESOURCE_ARCHIVE), picture));
    CDailytipDialog* dialog = Open("Alpha\n");
    dialog->Move(100, 100);
    dialog->Show();
    RunPendingEvents(300);
    EXPECT_EQ(picture.GetSize(), dialog->GetClientSize());
    const wxRect client(wxPoint(0, 0), dialog->GetClientSize());
    for (int id : {CDailytipDialog::ID_SHOW_AT_STARTUP, CDailytipDialog::ID_PREVIOUS, CDailytipDialog::ID_NEXT,
                   CDailytipDialog::ID_CLOSE})
        EXPECT_TRUE(client.Contains(dialog->FindWindow(id)->GetRect())) << id;
    EXPECT_FALSE(dialog->FindWindow(CDailytipDialog::ID_SHOW_AT_STARTUP)
                     ->GetRect()
                     .Intersects(dialog->FindWindow(CDailytipDialog::ID_PREVIOUS)->GetRect()));

    const wxPoint before = dialog->GetPosition();
    const wxPoint grip = dialog->ClientToScreen(wxPoint(400, 40));

    wxUIActionSimulator mouse;
    mouse.MouseMove(grip);
    RunPendingEvents(50);
    mouse.MouseDown();
    for (const wxPoint step : {wxPoint(30, 20), wxPoint(60, 40)})
    {
        RunPendingEvents(50);
        mouse.MouseMove(grip + step);
    }
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
    WriteTips("Alpha\n");
    wxBitmap picture;
    ASSERT_EQ(0, GetBitmapFromZip(wxS("GlypharaSplash.png"), wxS(GLYPHARA_RESOURCE_ARCHIVE), picture));
    for (bool show : {true, false})
    {
        // Absent at first: shown.
        if (!show)
            wxConfigBase::Get()->Write(kShowDailyTipsSetting, false);
        wxWeakRef<wxSplashScreen> splash(
            new wxSplashScreen(picture, wxSPLASH_CENTRE_ON_SCREEN | wxSPLASH_NO_TIMEOUT, 0, nullptr, wxID_ANY));
        RunPendingEvents(50);
        CDailytipDialog* tips = CDailytipDialog::OpenAtStartup(m_frame, splash.get());
        ASSERT_NE(nullptr, tips);
        EXPECT_EQ(m_frame, tips->GetParent());
        EXPECT_EQ(show, tips->IsShown());
        RunPendingEvents(100);
        EXPECT_EQ(show, !splash);
        if (splash)
            splash->Destroy();
        tips->Destroy();
    }
}

namespace
{
// Where the tip shown now ends as the window draws it (measured in the window's own
// drawing context), where the start-up box starts, and the tip as a screen reader gets it.
struct TipFit
{
    int textBottom = 0;
    int boxTop = 0;
    wxString text;
};

TipFit FitOfShownTip(CDailytipDialog* dialog)
{
    RunPendingEvents(200);
    TipFit fit;
    for (wxWindow* child : dialog->GetChildren())
        if (wxStaticText* label = dynamic_cast<wxStaticText*>(child))
            fit.text = label->GetLabelText();
    fit.boxTop = dialog->FindWindow(CDailytipDialog::ID_SHOW_AT_STARTUP)->GetPosition().y;
    wxClientDC dc(dialog);
    dc.SetFont(wxFont(9, wxFONTFAMILY_DEFAULT, wxFONTSTYLE_NORMAL, wxFONTWEIGHT_NORMAL));
    const wxString& tip = dialog->GetTips()[dialog->GetCurrentTip()];
    wxArrayInt partial;
    dc.GetPartialTextExtents(tip, partial);
    const std::vector<int> extents(partial.begin(), partial.end());
    const size_t lines = BreakTipLines(tip, 300, SpanWidthFromPartialExtents(extents)).size();
    fit.textBottom = 100 + static_cast<int>(lines) * (dc.GetCharHeight() + 2);
    return fit;
}
}

// Run by the gui_large_text test, with the user's text half as large again.
class DailyTipLargeTextTest : public DailyTipTest
{
};

TEST_F(DailyTipLargeTextTest, EveryShippedTipEndsAboveTheButtonsAndIsAlsoText)
{
    const char* scale = std::getenv("GDK_DPI_SCALE");
    if (!scale || wxString(scale) != wxS("1.5"))
        GTEST_SKIP() << "run by the gui_large_text test";
    ASSERT_TRUE(wxCopyFile(wxS(GLYPHARA_PROGRAM_DIR "/Data/tips.txt"), ProgramDir() + wxS("/Data/tips.txt")));
    CDailytipDialog* dialog = Open();
    ASSERT_GT(dialog->GetTips().GetCount(), 1u);
    dialog->Show();
    for (size_t tip = 0; tip < dialog->GetTips().GetCount(); ++tip)
    {
        const TipFit fit = FitOfShownTip(dialog);
        EXPECT_LE(fit.textBottom, fit.boxTop) << "tip " << dialog->GetCurrentTip() << " runs under the buttons";
        wxString text = fit.text;
        text.Replace(wxS("\n"), wxS(" "));
        EXPECT_EQ(dialog->GetTips()[dialog->GetCurrentTip()], text);
        PressButton(dialog, CDailytipDialog::ID_NEXT);
    }
    dialog->Destroy();
}
