// The window read off the screen as users with a dark theme, a display that doubles or
// large text see it. Each group runs in a program of its own, started by CTest with the
// theme or scale in its environment; contrast arithmetic is checked here too.
#include "MainFrameTestSupport.h"

#include "Interface/FontListCtrl.h"
#include "Interface/glypharamainframe.h"
#include "Library/Accessibility/Contrast.h"
#include "Library/CustomControls/TextColorPickerCtrl.h"
#include "Library/CustomControls/TextSlider.h"
#include "wxIncludes/wxIncludes.h"

#include <wx/bmpbuttn.h>
#include <wx/scrolwin.h>
#include <wx/settings.h>
#include <wx/textctrl.h>
#include <wx/toolbar.h>

#include <algorithm>
#include <cstdlib>
#include <map>

namespace
{
wxColour At(const wxImage& image, int x, int y)
{
    return wxColour(image.GetRed(x, y), image.GetGreen(x, y), image.GetBlue(x, y));
}

// The colour most of the area shows.
wxColour Background(const wxImage& image)
{
    std::map<wxUint32, int> counts;
    for (int y = 0; y < image.GetHeight(); ++y)
        for (int x = 0; x < image.GetWidth(); ++x)
            ++counts[At(image, x, y).GetRGB()];
    wxColour colour;
    colour.SetRGB(std::max_element(counts.begin(), counts.end(), [](const auto& a, const auto& b) {
                      return a.second < b.second;
                  })->first);
    return colour;
}

// How well the strongest ink in the area stands out from its background.
double InkContrast(const wxImage& image)
{
    const wxColour background = Background(image);
    double best = 1;
    for (int y = 0; y < image.GetHeight(); ++y)
        for (int x = 0; x < image.GetWidth(); ++x)
            best = std::max(best, ContrastRatio(At(image, x, y), background));
    return best;
}

// The runs of columns that hold ink, one per character of a text drawn with gaps between
// its characters.
int InkRuns(const wxImage& image)
{
    const wxColour background = Background(image);
    int runs = 0;
    bool previous = false;
    for (int x = 0; x < image.GetWidth(); ++x)
    {
        bool ink = false;
        for (int y = 0; y < image.GetHeight() && !ink; ++y)
            ink = ContrastRatio(At(image, x, y), background) > 2;
        runs += ink && !previous;
        previous = ink;
    }
    return runs;
}

// Whether the CTest entry that runs a group has set the variable to the value.
bool Set(const char* variable, const char* value)
{
    const char* set = std::getenv(variable);
    return set && wxString(set) == value;
}
}

TEST(ContrastTest, RatiosFollowTheGuidelinesAndReadableColoursMoveOnlyAsFarAsNeeded)
{
    const wxColour dark(0x2D, 0x2D, 0x2D), grey(0x80, 0x80, 0x80);
    EXPECT_NEAR(21.0, ContrastRatio(*wxWHITE, *wxBLACK), 0.01);
    EXPECT_NEAR(3.95, ContrastRatio(grey, *wxWHITE), 0.01);
    EXPECT_NEAR(1.0, ContrastRatio(dark, dark), 0.01);
    EXPECT_TRUE(IsDark(dark));
    EXPECT_FALSE(IsDark(wxColour(0xF1, 0xF0, 0xEE)));
    // Readable already: kept. Not readable: moved towards the text colour just far enough.
    // Out of reach: the colour it was moved towards.
    EXPECT_EQ(wxColour(0x60, 0x60, 0x60), Readable(wxColour(0x60, 0x60, 0x60), *wxWHITE, *wxBLACK));
    for (const auto& moved : {std::make_pair(Readable(grey, *wxWHITE, *wxBLACK), *wxWHITE),
                              std::make_pair(Readable(wxColour(8, 8, 8), dark, *wxWHITE), dark)})
    {
        EXPECT_GE(ContrastRatio(moved.first, moved.second), kReadableContrast);
        EXPECT_LT(ContrastRatio(moved.first, moved.second), 4.7);
    }
    EXPECT_EQ(wxColour(0x40, 0x40, 0x40), Readable(*wxBLACK, dark, wxColour(0x40, 0x40, 0x40)));
}

class DarkThemeTest : public MainFrameTest
{
};

TEST_F(DarkThemeTest, ListTextPreviewsAndToolPicturesStandOutFromTheDarkBackground)
{
    if (!Set("GTK_THEME", "Adwaita:dark"))
        GTEST_SKIP() << "run by the gui_dark_theme test";
    ASSERT_TRUE(IsDark(wxSystemSettings::GetColour(wxSYS_COLOUR_LISTBOX))) << "the dark theme is not in effect";
    ASSERT_TRUE(UseBuiltPictures()) << "build the glyphara_images target first";
    // A preview as the font maker draws them, dark ink on nothing; a font without one.
    MakeEmptyFile(SystemFontDir() + wxS("/Type_Co/Alpha.swf"));
    MakeEmptyFile(SystemFontDir() + wxS("/Type_Co/Beta.swf"));
    wxImage preview(120, 20);
    preview.InitAlpha();
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 120; ++x)
        {
            preview.SetRGB(x, y, 0, 0, 0);
            preview.SetAlpha(x, y, (x / 6 + y / 5) % 2 ? 255 : 0);
        }
    ASSERT_TRUE(preview.SaveFile(SystemFontDir() + wxS("/Type_Co/Alpha.png"), wxBITMAP_TYPE_PNG));
    OpenFrame();
    Frame()->SetSize(1100, 800);
    RunPendingEvents(600);

    CFontListCtrl* fonts = Find<CFontListCtrl>(ID_FONT_LISTBOX);
    ASSERT_EQ(4u, fonts->GetCount());
    auto area = [&](int row, int from, int to) {
        const wxRect rect = fonts->GetItemRect(row);
        return GrabScreen(wxRect(fonts->ClientToScreen(rect.GetTopLeft()) + wxPoint(from, 1),
                                 wxSize(to - from, rect.height - 2)));
    };
    // Names, the note of a missing preview, the add-more link, and the preview of the
    // selected font on the selection's colour.
    const struct
    {
        int row, from, to;
        const char* what;
    } texts[] = {{2, 10, 160, "font name"},
                 {2, 170, 400, "missing preview"},
                 {3, 10, 300, "add-more link"},
                 {1, 10, 160, "selected font name"},
                 {1, 170, 290, "selected preview"}};
    ASSERT_EQ(1, fonts->GetSelection());
    for (const auto& text : texts)
        EXPECT_GE(InkContrast(area(text.row, text.from, text.to)), kReadableContrast) << text.what;
    // The small boxes' text is the theme's, not a dim grey that reads as disabled.
    const wxColour themeText = wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOWTEXT);
    EXPECT_EQ(themeText, Find<CTextColorPickerCtrl>(ID_FONT_COLOR)->GetTextCtrl()->GetForegroundColour());
    EXPECT_EQ(themeText, Find<CTextSlider>(ID_DROPSHADOW_ANGLE)->GetTextCtrl()->GetForegroundColour());

    // Nearly all of each tool and button picture stands out by the 3:1 that pictures need.
    const wxColour face = wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE);
    auto standsOut = [&](const wxBitmap& bitmap) {
        const wxImage image = bitmap.ConvertToImage();
        int solid = 0, seen = 0;
        for (int y = 0; y < image.GetHeight(); ++y)
            for (int x = 0; x < image.GetWidth(); ++x)
                if (!image.HasAlpha() || image.GetAlpha(x, y) > 200)
                {
                    ++solid;
                    seen += ContrastRatio(At(image, x, y), face) >= 3;
                }
        return solid > 0 && seen >= solid * 95 / 100;
    };
    wxToolBar* tools = Frame()->GetToolBar();
    for (int id : {ID_TOOL_NEW, ID_TOOL_SAVE, ID_TOOL_IMPORTFONTS, ID_TOOL_GETCODE})
        EXPECT_TRUE(standsOut(tools->FindById(id)->GetNormalBitmap())) << id;
    EXPECT_TRUE(standsOut(Find<wxBitmapButton>(ID_IMPORTFONTS_BUTTON)->GetBitmapLabel())) << "import fonts button";
}

class DoubleScaleTest : public MainFrameTest
{
};

TEST_F(DoubleScaleTest, ToolPicturesAndFontPreviewsAreDrawnFromTheirDoubleSizeCopies)
{
    if (!Set("GDK_SCALE", "2"))
        GTEST_SKIP() << "run by the gui_double_scale test";
    ASSERT_TRUE(UseBuiltPictures()) << "build the glyphara_images target first";
    // A hand-made preview pair: solid at its own size, a fine chequer at twice the size.
    MakeEmptyFile(SystemFontDir() + wxS("/Type_Co/Alpha.swf"));
    wxImage normal(40, 10), twice(80, 20);
    normal.SetRGB(wxRect(0, 0, 40, 10), 0, 0, 0);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 80; ++x)
            twice.SetRGB(x, y, (x + y) % 2 ? 255 : 0, (x + y) % 2 ? 255 : 0, (x + y) % 2 ? 255 : 0);
    ASSERT_TRUE(normal.SaveFile(SystemFontDir() + wxS("/Type_Co/Alpha.png"), wxBITMAP_TYPE_PNG));
    ASSERT_TRUE(twice.SaveFile(SystemFontDir() + wxS("/Type_Co/Alpha@2x.png"), wxBITMAP_TYPE_PNG));
    OpenFrame();
    ASSERT_EQ(2.0, Frame()->GetContentScaleFactor()) << "the display does not double";
    Frame()->SetSize(1100, 800);
    RunPendingEvents(600);

    CFontListCtrl* fonts = Find<CFontListCtrl>(ID_FONT_LISTBOX);
    fonts->SetSelection(wxNOT_FOUND);
    RunPendingEvents(200);
    const wxRect row = fonts->GetItemRect(1);
    const wxImage shown = GrabScreen(wxRect(fonts->ClientToScreen(row.GetTopLeft()) + wxPoint(170, 0), wxSize(40, row.height)));
    int changes = 0, pairs = 0;
    for (int y = 0; y < shown.GetHeight(); ++y)
        for (int x = 1; x < shown.GetWidth(); ++x)
            if (shown.GetRed(x, y) < 40 || shown.GetRed(x - 1, y) < 40)
            {
                ++pairs;
                changes += std::abs(shown.GetRed(x, y) - shown.GetRed(x - 1, y)) > 150;
            }
    ASSERT_GT(pairs, 0) << "no preview on the screen";
    EXPECT_GT(changes, pairs * 8 / 10) << "the preview is its single-size picture doubled";

    // The New tool, found on the screen, matches the double-size picture better than the
    // single-size one doubled.
    wxImage fine, coarse;
    ASSERT_EQ(0, GetImageFromZip(wxS("39x42New@2x.png"), wxS(GLYPHARA_RESOURCE_ARCHIVE), fine));
    ASSERT_EQ(0, GetImageFromZip(wxS("39x42New.png"), wxS(GLYPHARA_RESOURCE_ARCHIVE), coarse));
    coarse.Rescale(78, 84, wxIMAGE_QUALITY_BILINEAR);
    wxToolBar* tools = Frame()->GetToolBar();
    const wxImage bar = GrabScreen(wxRect(tools->GetScreenPosition(), wxSize(120, tools->GetSize().y)));
    const wxColour face = Background(bar);
    auto bestDifference = [&](const wxImage& picture) {
        double best = 1e9;
        for (int top = 0; top + picture.GetHeight() <= bar.GetHeight(); ++top)
            for (int left = 0; left + picture.GetWidth() <= bar.GetWidth(); ++left)
            {
                double sum = 0;
                for (int y = 0; y < picture.GetHeight(); y += 2)
                    for (int x = 0; x < picture.GetWidth(); x += 2)
                    {
                        const double alpha = picture.HasAlpha() ? picture.GetAlpha(x, y) / 255.0 : 1;
                        const double expected = picture.GetGreen(x, y) * alpha + face.Green() * (1 - alpha);
                        sum += std::abs(expected - bar.GetGreen(left + x, top + y));
                    }
                best = std::min(best, sum / (picture.GetWidth() * picture.GetHeight() / 4));
            }
        return best;
    };
    const double sharp = bestDifference(fine);
    EXPECT_LT(sharp, 6.0);
    EXPECT_LT(sharp, bestDifference(coarse) / 2);
}

class LargeTextTest : public MainFrameTest
{
};

TEST_F(LargeTextTest, ColourFieldsShowAllSevenCharactersAndTheWindowOpensWithEveryTool)
{
    if (!Set("GDK_DPI_SCALE", "1.5"))
        GTEST_SKIP() << "run by the gui_large_text test";
    ASSERT_TRUE(UseBuiltPictures()) << "build the glyphara_images target first";
    OpenFrame();
    // As opened with no size stored, as tall as the screen allows.
    Frame()->SetSize(0, 0, Frame()->GetFittingSize().x, 1150);
    ChangeRecord([](FontProperties& record) {
        record.color = record.linkcolor = record.hovercolor = record.backgroundcolor = *wxBLACK;
        record.dropshadow.color = record.bevel.shadowcolor = record.bevel.highlightcolor = record.glow.color = *wxBLACK;
        record.dropshadow.enabled = record.bevel.enabled = record.glow.enabled = true;
        record.dropshadow.angle = 360;
    });
    RunPendingEvents(600);

    wxToolBar* tools = Frame()->GetToolBar();
    EXPECT_GE(tools->GetSize().x, tools->GetBestSize().x) << "a tool falls into the overflow menu";
    wxScrolledWindow* column = Find<wxScrolledWindow>(ID_EFFECTS_SCROLLEDWINDOW);
    auto shown = [&](wxWindow* field) {
        column->Scroll(0, column->CalcUnscrolledPosition(column->ScreenToClient(field->GetScreenPosition())).y);
        RunPendingEvents(200);
        return GrabScreen(wxRect(field->GetScreenPosition() + wxPoint(1, 1), field->GetSize() - wxSize(2, 2)));
    };
    for (int id : {ID_FONT_COLOR, ID_LINK_COLOR, ID_HOVER_COLOR, ID_BACKGROUND_COLOR, ID_DROPSHADOW_COLOR,
                   ID_BEVEL_SHADOW_COLOR, ID_BEVEL_HIGHLIGHT_COLOR, ID_GLOW_COLOR})
    {
        wxTextCtrl* field = Find<CTextColorPickerCtrl>(id)->GetTextCtrl();
        ASSERT_EQ(wxS("#000000"), field->GetValue());
        EXPECT_EQ(7, InkRuns(shown(field))) << id;
    }
    EXPECT_EQ(3, InkRuns(shown(Find<CTextSlider>(ID_DROPSHADOW_ANGLE)->GetTextCtrl()))) << "the angle 360";
}
