#include "core/FontListModel.h"

#include "core/FontFolders.h"

#include <functional>
#include <string_view>

namespace
{
const wxChar* const kFontPathAttribute = wxS("fontfullpath");
const wxChar* const kAddMoreAttribute = wxS("addfontsfromweb");
const wxChar* const kHeaderColour = wxS("#A6CE38");

// Whether path lies directly in folder (given without a trailing "/").
bool LiesIn(const wxString& path, const wxString& folder)
{
    const size_t length = folder.length();
    return path.length() > length && path[length] == '/' && path.compare(0, length, folder) == 0 &&
           path.find('/', length + 1) == wxString::npos;
}

// The name of a font movie without its ".swf", from its path and the length of its
// folder's path including the "/".
std::wstring_view FileStem(const wxString& path, size_t folderLength)
{
    if (path.length() < folderLength + 4)
        return std::wstring_view();
    return std::wstring_view(path.wx_str() + folderLength, path.length() - folderLength - 4);
}

size_t HashOf(const wxString& text)
{
    return std::hash<std::wstring_view>()(std::wstring_view(text.wx_str(), text.length()));
}

// The order of the list: the real foundries, then the "My Fonts" block; within each,
// foundries in table order, each as its header, its fonts in table order and its
// add-more row.
int Part(FontRowKind kind)
{
    return kind == FontRowKind::Header ? 0 : kind == FontRowKind::Font ? 1 : 2;
}

bool Before(const FontListRow& row, FontRowKind kind, bool inMyFonts, const wxString& foundry, const wxString& font)
{
    if (row.inMyFonts != inMyFonts)
        return !row.inMyFonts;
    if (row.foundry != foundry)
        return Utf16Less()(row.foundry, foundry);
    if (row.kind != kind)
        return Part(row.kind) < Part(kind);
    return kind == FontRowKind::Font && Utf16Less()(row.font, font);
}

void TakeOver(FontListRow& to, FontListRow& from)
{
    to.kind = from.kind;
    to.inMyFonts = from.inMyFonts;
    to.foundry.swap(from.foundry);
    to.font.swap(from.font);
    to.path.swap(from.path);
    to.picture.swap(from.picture);
    to.html.swap(from.html);
}

bool Same(const FontListRow& row, FontRowKind kind, bool inMyFonts, const wxString& foundry, const wxString& font)
{
    return row.kind == kind && row.inMyFonts == inMyFonts && row.foundry == foundry &&
           (kind != FontRowKind::Font || row.font == font);
}
}

void AppendHtmlEscaped(wxString& out, const wxString& text)
{
    size_t plain = 0;
    const size_t length = text.length();
    for (size_t i = 0; i < length; ++i)
    {
        const wxChar c = text[i];
        const wxChar* reference = c == '&'   ? wxS("&amp;")
                                  : c == '<' ? wxS("&lt;")
                                  : c == '>' ? wxS("&gt;")
                                  : c == '"' ? wxS("&quot;")
                                             : nullptr;
        if (!reference)
            continue;
        out.append(text, plain, i - plain);
        out.append(reference);
        plain = i + 1;
    }
    if (plain == 0)
        out.append(text);
    else
        out.append(text, plain, length - plain);
}

wxString UnescapeHtml(const wxString& text)
{
    if (text.find('&') == wxString::npos)
        return text;
    wxString plain;
    plain.reserve(text.length());
    for (size_t i = 0; i < text.length(); ++i)
    {
        const wxChar c = text[i];
        if (c == '&')
        {
            bool replaced = false;
            for (const auto& reference : {std::make_pair(wxS("&amp;"), wxS('&')), std::make_pair(wxS("&lt;"), wxS('<')),
                                          std::make_pair(wxS("&gt;"), wxS('>')), std::make_pair(wxS("&quot;"), wxS('"'))})
            {
                const size_t size = wxStrlen(reference.first);
                if (text.compare(i, size, reference.first) == 0)
                {
                    plain += reference.second;
                    i += size - 1;
                    replaced = true;
                    break;
                }
            }
            if (replaced)
                continue;
        }
        plain += c;
    }
    return plain;
}

void FontListModel::Compose(FontListRow& row) const
{
    wxString& html = row.html;
    html.clear();
    const wxString& shown = row.foundry.empty() ? m_texts.myFonts : row.foundry;
    switch (row.kind)
    {
    case FontRowKind::Header:
        html << wxS("<TABLE BGCOLOR=\"") << kHeaderColour;
        if (!row.picture.empty())
        {
            html << wxS("\" cellspacing=0 cellpadding=0 BORDER=5><tr><TD WIDTH=2500 VALIGN=MIDDLE><IMG SRC=\"");
            AppendHtmlEscaped(html, row.picture);
            html << wxS("\"></TD></tr></TABLE>");
        }
        else
        {
            html << wxS("\" cellspacing=0 cellpadding=5 BORDER=0><tr><TD WIDTH=2500 VALIGN=BOTTOM><font size=3><b>");
            AppendHtmlEscaped(html, shown);
            html << wxS("</b></font></TD></tr></TABLE>");
        }
        break;
    case FontRowKind::Font:
        html << wxS("<TABLE ") << kFontPathAttribute << wxS("=\"");
        AppendHtmlEscaped(html, row.path);
        html << wxS("\" cellspacing=0 cellpadding=0 BORDER=0><tr><td width=10></td><TD WIDTH=160 VALIGN=MIDDLE><font "
                    "size=2>");
        // Style markers are part of the name but not shown.
        AppendHtmlEscaped(html, row.font.Find('[') != wxNOT_FOUND ? row.font.BeforeFirst('[') : row.font);
        if (!row.picture.empty())
        {
            html << wxS("</font></TD><TD VALIGN=MIDDLE><IMG SRC=\"");
            AppendHtmlEscaped(html, row.picture);
            html << wxS("\"></TD></tr></TABLE>");
        }
        else
        {
            html << wxS("</font></TD><TD VALIGN=MIDDLE><font size=2 color=gray><i>");
            AppendHtmlEscaped(html, m_texts.noPreview);
            html << wxS("</i></font></TD></tr></TABLE>");
        }
        break;
    case FontRowKind::AddMore:
        html << wxS("<TABLE ") << kAddMoreAttribute << wxS("=\"");
        AppendHtmlEscaped(html, shown);
        html << wxS("\" cellspacing=0 cellpadding=0 BORDER=0><tr><td width=10></td><TD WIDTH=2500 VALIGN=TOP><a "
                    "STYLE=\"text-decoration:none\" href=\"");
        AppendHtmlEscaped(html, m_texts.site);
        html << wxS("\"><font size=1 color=\"#606060\">Add more fonts from ");
        AppendHtmlEscaped(html, shown);
        html << wxS("...</font></a></TD></tr></TABLE>");
        break;
    }
    // Rows are kept for long and there can be thousands.
    html.Shrink();
}

bool FontListModel::Update(const FontTable& table, FontPictures& pictures, const Texts& texts)
{
    const bool textsChanged = !(texts == m_texts);
    if (textsChanged)
        m_texts = texts;
    bool changed = textsChanged;

    // Rows come out in list order, and so did the previous ones. While they describe the
    // same things in the same places they are checked where they stand; the first row
    // added or gone starts a new list that takes the remaining previous rows over.
    size_t old = 0;
    bool rebuilding = false;
    std::vector<FontListRow> rows;
    auto startRebuilding = [&] {
        rebuilding = true;
        changed = true;
        size_t total = 0;
        for (const auto& foundry : table)
            total += 2 + foundry.second.size();
        rows.reserve(total);
        for (size_t i = 0; i < old; ++i)
        {
            rows.emplace_back();
            TakeOver(rows.back(), m_rows[i]);
        }
    };
    if (textsChanged)
        startRebuilding();
    auto place = [&](FontRowKind kind, bool inMyFonts, const wxString& foundry, const wxString& font) -> FontListRow& {
        if (!rebuilding)
        {
            if (old < m_rows.size() && Same(m_rows[old], kind, inMyFonts, foundry, font))
                return m_rows[old++];
            startRebuilding();
        }
        // A previous row that sorts before the wanted one stands for something gone.
        while (!textsChanged && old < m_rows.size() && !Same(m_rows[old], kind, inMyFonts, foundry, font) &&
               Before(m_rows[old], kind, inMyFonts, foundry, font))
            ++old;
        if (!textsChanged && old < m_rows.size() && Same(m_rows[old], kind, inMyFonts, foundry, font))
        {
            // Swapped, not copied: the toolkit's strings have no move.
            rows.emplace_back();
            TakeOver(rows.back(), m_rows[old++]);
            return rows.back();
        }
        rows.emplace_back();
        FontListRow& row = rows.back();
        row.kind = kind;
        row.inMyFonts = inMyFonts;
        row.foundry = foundry;
        if (kind == FontRowKind::Font)
            row.font = font;
        return row;
    };
    // Sets a row's content, composing its text again only when that changed.
    auto settle = [&](FontListRow& row, const wxString* path, bool hasPicture, const wxString& picture) {
        const bool samePath = !path || row.path == *path;
        const bool samePicture = hasPicture ? row.picture == picture : row.picture.empty();
        if (!row.html.empty() && samePath && samePicture)
            return;
        if (path)
            row.path = *path;
        row.picture = hasPicture ? picture : wxString();
        Compose(row);
        changed = true;
    };

    const wxString none;
    std::shared_ptr<const PictureListing> listing;
    wxString listedFolder;
    for (const bool myFontsBlock : {false, true})
    {
        for (const auto& foundry : table)
        {
            const bool inMyFonts = (foundry.first.empty() ? m_texts.myFonts : foundry.first) == m_texts.myFonts;
            if (inMyFonts != myFontsBlock)
                continue;

            // The foundry's picture counts only next to its first font.
            listing.reset();
            wxString headerPicture;
            if (!myFontsBlock && !foundry.second.empty())
            {
                listedFolder = foundry.second.begin()->second.BeforeLast('/');
                listing = pictures.Now(listedFolder);
                if (listing->Has(L"foundry"))
                    headerPicture = listedFolder + wxS("/foundry.png");
            }
            settle(place(FontRowKind::Header, inMyFonts, foundry.first, none), nullptr, !headerPicture.empty(),
                   headerPicture);

            for (const auto& font : foundry.second)
            {
                if (font.first.empty())
                    continue;
                const wxString& path = font.second;
                if (!listing || !LiesIn(path, listedFolder))
                {
                    listedFolder = path.BeforeLast('/');
                    listing = pictures.Now(listedFolder);
                }
                FontListRow& row = place(FontRowKind::Font, inMyFonts, foundry.first, font.first);
                const bool hasPicture = listing->Has(FileStem(path, listedFolder.length() + 1));
                // The picture's path follows from the font's, so it is built only when
                // the row changes.
                if (!row.html.empty() && row.path == path && hasPicture != row.picture.empty())
                    continue;
                settle(row, &path, hasPicture, hasPicture ? path.BeforeLast('.') + wxS(".png") : wxString());
            }
            if (!myFontsBlock)
                settle(place(FontRowKind::AddMore, inMyFonts, foundry.first, none), nullptr, false, none);
        }
    }
    if (old < m_rows.size())
        changed = true;
    if (rebuilding)
        m_rows.swap(rows);
    else
        m_rows.resize(old);
    if (changed)
    {
        ++m_revision;
        m_indexed = false;
        m_index.clear();
    }
    return changed;
}

void FontListModel::Clear()
{
    if (!m_rows.empty())
        ++m_revision;
    m_rows.clear();
    m_index.clear();
    m_indexed = false;
}

size_t FontListModel::Find(const wxString& html) const
{
    if (!m_indexed)
    {
        m_index.clear();
        m_index.reserve(m_rows.size());
        for (size_t i = 0; i < m_rows.size(); ++i)
            m_index.emplace(HashOf(m_rows[i].html), i);
        m_indexed = true;
    }
    size_t first = npos;
    const auto candidates = m_index.equal_range(HashOf(html));
    for (auto candidate = candidates.first; candidate != candidates.second; ++candidate)
    {
        if (candidate->second < first && m_rows[candidate->second].html == html)
            first = candidate->second;
    }
    return first;
}

size_t FontListModel::FindFont(const wxString& foundry, const wxString& font) const
{
    for (size_t i = 0; i < m_rows.size(); ++i)
    {
        const FontListRow& row = m_rows[i];
        if (row.kind == FontRowKind::Font && row.font == font && row.foundry == foundry)
            return i;
    }
    return npos;
}

FontListRow FontListModel::ReadRow(const wxString& html)
{
    FontListRow row;
    if (html.Contains(kFontPathAttribute))
    {
        row.kind = FontRowKind::Font;
        row.path = UnescapeHtml(html.AfterFirst('"').BeforeFirst('"'));
    }
    else if (html.Contains(kAddMoreAttribute))
        row.kind = FontRowKind::AddMore;
    return row;
}
