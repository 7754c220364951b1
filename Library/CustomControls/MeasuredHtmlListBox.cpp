#include "Library/CustomControls/MeasuredHtmlListBox.h"

CMeasuredHtmlListBox::CMeasuredHtmlListBox(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size,
                                           int n, const wxString choices[], long style, const wxValidator& validator,
                                           const wxString& name)
    : wxSimpleHtmlListBox(parent, id, pos, size, n, choices, style, validator, name)
{
}

void CMeasuredHtmlListBox::SetItemCount(size_t count)
{
    m_heights.clear();
    wxSimpleHtmlListBox::SetItemCount(count);
}

wxCoord CMeasuredHtmlListBox::OnMeasureItem(size_t n) const
{
    // Rows are laid out to the width inside the list, so a row may wrap to more lines
    // when the list narrows.
    const int width = GetClientSize().x;
    if (width != m_measuredWidth)
    {
        m_heights.clear();
        m_measuredWidth = width;
    }
    const wxString markup = GetString(static_cast<unsigned int>(n));
    const auto known = m_heights.find(markup);
    if (known != m_heights.end())
        return known->second;
    const wxCoord height = wxSimpleHtmlListBox::OnMeasureItem(n);
    m_heights.emplace(markup, height);
    return height;
}
