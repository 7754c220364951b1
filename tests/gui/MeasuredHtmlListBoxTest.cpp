// The HTML list that measures each row once per width: its heights are those the
// toolkit's own list measures for the same rows and width, and no row is built again to
// be measured while those hold.
#include "GuiTestSupport.h"

#include "Library/CustomControls/MeasuredHtmlListBox.h"

#include <wx/frame.h>

#include <functional>
#include <vector>

namespace
{
const wxString kRows[] = {wxS("<b>Foundry</b>"), wxS("Short"),
                          wxS("A row long enough to wrap onto more lines when the list is narrow, as a font name "
                              "with its styles can be")};

class Counted : public CMeasuredHtmlListBox
{
public:
    explicit Counted(wxWindow* parent)
        : CMeasuredHtmlListBox(parent, wxID_ANY, wxDefaultPosition, wxSize(400, 200), WXSIZEOF(kRows), kRows, 0,
                               wxDefaultValidator, wxS("list"))
    {
    }
    // The heights as the list gives them, and as the toolkit's list measures them.
    std::vector<wxCoord> Heights(bool measuredAnew) const
    {
        std::vector<wxCoord> heights;
        for (size_t n = 0; n < GetItemCount(); ++n)
            heights.push_back(measuredAnew ? wxSimpleHtmlListBox::OnMeasureItem(n) : OnMeasureItem(n));
        return heights;
    }
    wxString OnGetItemMarkup(size_t n) const override
    {
        ++built;
        return CMeasuredHtmlListBox::OnGetItemMarkup(n);
    }
    mutable int built = 0;
};
}

TEST_F(GuiTest, AMeasuredHtmlListMeasuresEachRowOncePerWidthAsTheToolkitsListDoes)
{
    wxFrame* frame = new wxFrame(nullptr, wxID_ANY, wxS("List"), wxPoint(50, 50), wxSize(500, 300));
    Counted* list = new Counted(frame);
    frame->Show();
    RunPendingEvents(100);
    wxArrayString otherRows;
    otherRows.Add(wxS("<font size=7>Big</font>"));
    otherRows.Add(wxS("Short"));
    const struct
    {
        const char* what;
        std::function<void()> change;
        // Whether the change lays the rows out anew, so that their heights change.
        bool remeasures;
    } steps[] = {
        {"first measure", [] {}, true},
        {"again, unchanged", [] {}, false},
        {"taller only", [&] { list->SetSize(wxSize(400, 260)); }, false},
        {"narrower", [&] { list->SetSize(wxSize(120, 260)); }, true},
        {"other rows", [&] { list->Set(otherRows); }, true},
    };
    std::vector<wxCoord> previous;
    for (const auto& step : steps)
    {
        step.change();
        RunPendingEvents(50);
        const int builtBefore = list->built;
        const std::vector<wxCoord> heights = list->Heights(false);
        if (step.remeasures)
        {
            EXPECT_NE(previous, heights) << step.what;
        }
        else
        {
            EXPECT_EQ(builtBefore, list->built) << step.what;
        }
        EXPECT_EQ(list->Heights(true), heights) << step.what;
        previous = heights;
    }
    frame->Destroy();
    RunPendingEvents(50);
}
