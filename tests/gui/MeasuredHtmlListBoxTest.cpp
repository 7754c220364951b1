// The HTML list that measures each row once per width: its heights are those the
// toolkit's own list gives for the same rows and width, and no row is built again to be
// measured while those hold.
#include "GuiTestSupport.h"

#include "Library/CustomControls/MeasuredHtmlListBox.h"

#include <wx/frame.h>

#include <functional>
#include <vector>

namespace
{
const wxString kRows[] = {
    wxS("<b>Foundry</b>"),
    wxS("Short"),
    wxS("A row long enough to wrap onto more lines when the list is narrow, as a font name with "
        "its styles can be"),
};

template <class List>
class Heights : public List
{
public:
    Heights(wxWindow* parent)
        : List(parent, wxID_ANY, wxDefaultPosition, wxSize(400, 200), WXSIZEOF(kRows), kRows, 0,
               wxDefaultValidator, wxS("list"))
    {
    }
    std::vector<wxCoord> All() const
    {
        std::vector<wxCoord> heights;
        for (size_t n = 0; n < this->GetItemCount(); ++n)
            heights.push_back(this->OnMeasureItem(n));
        return heights;
    }
    wxString OnGetItemMarkup(size_t n) const override
    {
        ++built;
        return List::OnGetItemMarkup(n);
    }
    mutable int built = 0;
};

// The toolkit's list has no public constructor of this form; this one passes it on.
class PlainList : public wxSimpleHtmlListBox
{
public:
    PlainList(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size, int n,
              const wxString choices[], long style, const wxValidator& validator, const wxString& name)
        : wxSimpleHtmlListBox(parent, id, pos, size, n, choices, style, validator, name)
    {
    }
};
}

TEST_F(GuiTest, AMeasuredHtmlListMeasuresEachRowOncePerWidthAsTheToolkitsListDoes)
{
    wxFrame* frame = new wxFrame(nullptr, wxID_ANY, wxS("Lists"), wxPoint(50, 50), wxSize(900, 300));
    Heights<CMeasuredHtmlListBox>* measured = new Heights<CMeasuredHtmlListBox>(frame);
    Heights<PlainList>* plain = new Heights<PlainList>(frame);
    plain->Move(450, 0);
    frame->Show();
    RunPendingEvents(100);

    struct Step
    {
        const char* what;
        std::function<void(wxSimpleHtmlListBox*)> change;
        // Whether the change may lay the rows out anew.
        bool remeasures;
    };
    const Step steps[] = {
        {"first measure", [](wxSimpleHtmlListBox*) {}, true},
        {"again, unchanged", [](wxSimpleHtmlListBox*) {}, false},
        {"taller only", [](wxSimpleHtmlListBox* list) { list->SetSize(wxSize(400, 260)); }, false},
        {"narrower", [](wxSimpleHtmlListBox* list) { list->SetSize(wxSize(120, 260)); }, true},
        {"other rows",
         [](wxSimpleHtmlListBox* list) {
             wxArrayString rows;
             rows.Add(wxS("<font size=7>Big</font>"));
             rows.Add(wxS("Short"));
             list->Set(rows);
         },
         true},
    };
    std::vector<wxCoord> previous;
    for (const Step& step : steps)
    {
        step.change(measured);
        step.change(plain);
        RunPendingEvents(50);
        const int builtBefore = measured->built;
        const std::vector<wxCoord> heights = measured->All();
        EXPECT_EQ(plain->All(), heights) << step.what;
        // Every change that lays rows out anew shows in their heights here.
        if (step.remeasures)
        {
            EXPECT_NE(previous, heights) << step.what;
        }
        else
        {
            EXPECT_EQ(builtBefore, measured->built) << step.what;
        }
        previous = heights;
    }
    frame->Destroy();
    RunPendingEvents(50);
}
