// A simple HTML list box that measures each row once for a given width. The toolkit's
// own list builds and lays out a row's whole HTML, pictures and all, every time the row's
// height is asked for, and it is asked for every row at every size event; a long list
// of rows with pictures then made each resize, and the window's start, pay for all its
// rows several times over.
#ifndef GLYPHARA_LIBRARY_CUSTOMCONTROLS_MEASUREDHTMLLISTBOX_H
#define GLYPHARA_LIBRARY_CUSTOMCONTROLS_MEASUREDHTMLLISTBOX_H

#include <wx/htmllbox.h>

#include <map>

class CMeasuredHtmlListBox : public wxSimpleHtmlListBox
{
public:
    CMeasuredHtmlListBox(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size, int n,
                         const wxString choices[], long style, const wxValidator& validator, const wxString& name);

protected:
    wxCoord OnMeasureItem(size_t n) const override;
    // New rows: the heights of the old ones are let go.
    void SetItemCount(size_t count) override;

private:
    // Row markup to height, for rows laid out m_measuredWidth wide.
    mutable std::map<wxString, wxCoord> m_heights;
    mutable int m_measuredWidth = -1;
};

#endif
