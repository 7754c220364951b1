// The installed-font list of the main window: per foundry its header, its fonts with their
// preview pictures and its add-more row, drawn as the list's rows have always looked but
// kept in the platform's own list, so that screen readers read each row and the keyboard
// reaches every one. It speaks like a list box: a row is picked by index and reported as a
// list-box selection event carrying the row's text, the key by which the core knows it.
#ifndef GLYPHARA_INTERFACE_FONTLISTCTRL_H
#define GLYPHARA_INTERFACE_FONTLISTCTRL_H

#include "core/FontListModel.h"

#include <wx/arrstr.h>
#include <wx/dataview.h>

#include <memory>
#include <vector>

class CFontListCtrl : public wxDataViewCtrl
{
public:
    // How the change of selection being reported came about.
    struct Change
    {
        bool byMouse = false;
        // WXK_UP or WXK_DOWN stepping, WXK_RETURN or WXK_SPACE choosing the row under the
        // keyboard, or 0.
        int key = 0;
    };

    CFontListCtrl(wxWindow* parent, wxWindowID id, const wxString& name);
    ~CFontListCtrl() override;

    // Kept, not applied: the rows draw in fonts of their own, and the platform's list
    // would make every row as high as this font's lines.
    bool SetFont(const wxFont& font) override;

    // Shows these rows; the selection is cleared.
    void SetRows(const std::vector<FontListRow>& rows);

    unsigned int GetCount() const { return static_cast<unsigned int>(m_rows.size()); }
    wxString GetString(unsigned int row) const;
    wxArrayString GetStrings() const;
    // The selected row, or wxNOT_FOUND.
    int GetSelection() const;
    // Selects the row and puts the keyboard's place on it, without an event.
    void SetSelection(int row);
    void ScrollToRow(int row);
    wxRect GetItemRect(int row) const;

    // Valid while a selection event of the list is handled.
    const Change& CurrentChange() const { return m_change; }

    class Renderer;

private:
    struct Row
    {
        FontListRow source;
        wxString text;
        int height = 1;
    };
    class Model;

    void OnSelectionChanged(wxDataViewEvent& event);
    void OnActivated(wxDataViewEvent& event);
    void Report(int row, const Change& change);
    // What a screen reader says for a row, and adds on request.
    void Describe(unsigned int row, wxString& spoken, wxString& description) const;

    std::vector<Row> m_rows;
    Model* m_model = nullptr;
    Renderer* m_renderer = nullptr;
    Change m_change;
    // When the key press that chose a row was handled, so that the activation the same
    // key brings is not acted on twice.
    unsigned int m_keyChoiceTime = 0;
};

#endif
