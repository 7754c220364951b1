// The installed-font list as rows built from the font table: per foundry a header, a row
// per font with its preview picture and an add-more row, the "My Fonts" block last. The
// text of every row is composed here and nowhere else; selection and movement work on
// the rows, not on their text.
#ifndef GLYPHARA_CORE_FONTLISTMODEL_H
#define GLYPHARA_CORE_FONTLISTMODEL_H

#include "core/FontTable.h"

#include <wx/string.h>

#include <unordered_map>
#include <vector>

class FontPictures;

enum class FontRowKind
{
    Header,
    Font,
    AddMore
};

struct FontListRow
{
    FontRowKind kind = FontRowKind::Header;
    bool inMyFonts = false; // part of the "My Fonts" block that closes the list
    wxString foundry;       // as in the font table; empty for fonts directly in a font folder
    wxString font;          // font rows: the font name as in the font table
    wxString path;          // font rows: the font movie
    wxString picture;       // font rows: the preview picture; headers: the foundry picture; or empty
    wxString html;          // the text of the list item
};

class FontListModel
{
public:
    // What the rows show besides names and paths.
    struct Texts
    {
        wxString myFonts;   // the name shown for the fonts without foundry
        wxString noPreview; // in place of a missing preview picture
        wxString site;      // the maker's web site, linked from add-more rows

        bool operator==(const Texts& other) const
        {
            return myFonts == other.myFonts && noPreview == other.noPreview && site == other.site;
        }
    };
    static constexpr size_t npos = static_cast<size_t>(-1);

    // Brings the rows up to date with the table and the pictures on disk. A row that
    // stands for the same thing as before keeps its text. True when any row changed.
    bool Update(const FontTable& table, FontPictures& pictures, const Texts& texts);
    void Clear();

    const std::vector<FontListRow>& Rows() const { return m_rows; }
    // Changes whenever any row changes.
    unsigned long Revision() const { return m_revision; }
    // The first row with this text, or npos.
    size_t Find(const wxString& html) const;
    // The row of a font, or npos.
    size_t FindFont(const wxString& foundry, const wxString& font) const;

    // What a row text that this model did not make stands for (a row of an earlier list,
    // or any other text): told apart by the attribute it carries, with the font path of
    // a font row.
    static FontListRow ReadRow(const wxString& html);

private:
    void Compose(FontListRow& row) const;

    std::vector<FontListRow> m_rows;
    Texts m_texts;
    unsigned long m_revision = 0;
    // Hashes of the row texts to their rows; built on the first look-up after a change.
    mutable std::unordered_multimap<size_t, size_t> m_index;
    mutable bool m_indexed = false;
};

// Appends text with "&", "<", ">" and '"' as character references, so that a name can
// stand in the text or in an attribute value of a row.
void AppendHtmlEscaped(wxString& out, const wxString& text);
// The reverse, for those four references.
wxString UnescapeHtml(const wxString& text);

#endif
