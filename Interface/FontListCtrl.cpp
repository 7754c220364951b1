#include "Interface/FontListCtrl.h"

#include "Library/Accessibility/Accessibility.h"
#include "Library/Accessibility/Contrast.h"

#include <wx/bitmap.h>
#include <wx/control.h>
#include <wx/dc.h>
#include <wx/ffile.h>
#include <wx/filefn.h>
#include <wx/image.h>
#include <wx/intl.h>
#include <wx/log.h>
#include <wx/settings.h>

#include <gtk/gtk.h>

#include <cstring>
#include <list>
#include <map>
#include <unordered_map>

namespace
{
// Where things sit in a row, as the list has always shown them.
const int kIndent = 10;
const int kPictureColumn = 170;
const int kNameGap = 4;
const int kHeaderPadding = 5;
const int kHeaderBorder = 5;
const wxColour kHeaderColour(0xA6, 0xCE, 0x38);
const wxColour kBorderLight(197, 194, 197);
const wxColour kBorderDark(98, 97, 98);
const wxColour kNoPreviewColour(0x80, 0x80, 0x80);
const wxColour kAddMoreColour(0x60, 0x60, 0x60);
// Preview pictures kept drawn-ready; a list of thousands is only ever seen a screen at a time.
const size_t kKeptPictures = 256;
const int kWholeRow = 100000;

// The size a PNG file declares, read from its header alone: the list needs the height of
// every row long before it shows most of them.
wxSize PngSize(const wxString& path)
{
    wxLogNull quiet;
    wxFFile file(path, wxS("rb"));
    unsigned char header[24];
    if (!file.IsOpened() || file.Read(header, sizeof header) != sizeof header)
        return wxDefaultSize;
    static const unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (memcmp(header, kSignature, 8) != 0 || memcmp(header + 12, "IHDR", 4) != 0)
        return wxDefaultSize;
    auto number = [&](int at) {
        return static_cast<int>((header[at] << 24) | (header[at + 1] << 16) | (header[at + 2] << 8) | header[at + 3]);
    };
    return wxSize(number(16), number(20));
}

wxString DoubleSizePath(const wxString& path)
{
    return path.BeforeLast('.') + wxS("@2x.") + path.AfterLast('.');
}

wxString ShownFoundry(const FontListRow& row)
{
    return row.foundry.empty() ? wxGetTranslation(wxS("My Fonts")) : row.foundry;
}

wxString NoPreviewText()
{
    return wxGetTranslation(wxS("Custom Font, Preview Not Available"));
}
}

class CFontListCtrl::Model : public wxDataViewVirtualListModel
{
public:
    Model() : wxDataViewVirtualListModel(0) {}
    unsigned int GetColumnCount() const override { return 1; }
    wxString GetColumnType(unsigned int) const override { return wxS("long"); }
    void GetValueByRow(wxVariant& value, unsigned int row, unsigned int) const override
    {
        value = static_cast<long>(row);
    }
    bool SetValueByRow(const wxVariant&, unsigned int, unsigned int) override { return false; }
};

// Draws one row from the list's rows; its value is the row's index.
class CFontListCtrl::Renderer : public wxDataViewCustomRenderer
{
public:
    explicit Renderer(CFontListCtrl* list)
        : wxDataViewCustomRenderer(wxS("long"), wxDATAVIEW_CELL_INERT, wxALIGN_LEFT | wxALIGN_TOP), m_list(list)
    {
    }

    bool SetValue(const wxVariant& value) override
    {
        m_row = value.GetLong();
        return true;
    }
    bool GetValue(wxVariant&) const override { return false; }
    long Row() const { return m_row; }

    // Wider than any row, so that the whole row is drawn (the header colours it end to
    // end); the list's one column has a width of its own, so nothing scrolls.
    wxSize GetSize() const override
    {
        const long row = m_row;
        return wxSize(kWholeRow, row >= 0 && row < static_cast<long>(m_list->m_rows.size())
                                     ? m_list->m_rows[row].height
                                     : 1);
    }

    bool Render(wxRect cell, wxDC* dc, int state) override;

    // Pictures may have changed on disk with the rows. Their sizes are kept: a drawn
    // picture of another size corrects its row.
    void Forget()
    {
        m_pictures.clear();
        m_order.clear();
        m_measured = false;
    }

private:
    const CFontListCtrl::Row* Current() const
    {
        return m_row >= 0 && m_row < static_cast<long>(m_list->m_rows.size()) ? &m_list->m_rows[m_row] : nullptr;
    }
    // The system's font at the sizes the rows have always used, the HTML sizes 1 to 3
    // (the list's own font is not theirs).
    wxFont Font(double scale, bool bold = false, bool italic = false) const
    {
        wxFont font = wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT);
        font.SetPointSize(std::max(1, static_cast<int>(font.GetPointSize() * scale)));
        if (bold)
            font.MakeBold();
        if (italic)
            font.MakeItalic();
        return font;
    }
    enum Kind
    {
        kName,
        kNoPreview,
        kAddMore,
        kHeader,
        kKinds
    };
    // The fonts of the row texts and the heights of their lines, measured once.
    void MeasureFonts() const
    {
        if (m_measured)
            return;
        m_fonts[kName] = Font(0.83);
        m_fonts[kNoPreview] = Font(0.83, false, true);
        m_fonts[kAddMore] = Font(0.75);
        m_fonts[kHeader] = Font(1.0, true);
        for (int kind = 0; kind < kKinds; ++kind)
        {
            int width = 0;
            m_list->GetTextExtent(wxS("Ag"), &width, &m_heights[kind], nullptr, nullptr, &m_fonts[kind]);
        }
        m_measured = true;
    }
    const wxFont& FontOf(Kind kind) const
    {
        MeasureFonts();
        return m_fonts[kind];
    }
    int TextHeight(Kind kind) const
    {
        MeasureFonts();
        return m_heights[kind];
    }
    // A picture drawn at another height than its file declared (a file replaced since)
    // has its row measured again.
    void CheckHeight(const wxString& path, const wxBitmap& picture) const
    {
        const int height = static_cast<int>(picture.GetLogicalHeight());
        if (PictureSize(path).y == height)
            return;
        m_sizes[path] = wxSize(static_cast<int>(picture.GetLogicalWidth()), height);
        const unsigned int row = static_cast<unsigned int>(m_row);
        CFontListCtrl* list = m_list;
        list->CallAfter([list, row] {
            if (row >= list->m_rows.size())
                return;
            list->m_rows[row].height = list->m_renderer->RowHeight(list->m_rows[row].source);
            list->m_model->RowChanged(row);
        });
    }

    wxSize PictureSize(const wxString& path) const
    {
        auto known = m_sizes.find(path);
        if (known == m_sizes.end())
            known = m_sizes.emplace(path, PngSize(path)).first;
        return known->second;
    }

public:
    // The list asks every row for its height, so each is worked out once, when the rows
    // are set.
    int RowHeight(const FontListRow& source) const
    {
        switch (source.kind)
        {
        case FontRowKind::Header:
            if (!source.picture.empty() && PictureSize(source.picture).y > 0)
                return PictureSize(source.picture).y + 2 * (kHeaderBorder + 1);
            return TextHeight(kHeader) + 2 * kHeaderPadding;
        case FontRowKind::Font:
        {
            const int picture = source.picture.empty() ? TextHeight(kNoPreview) : PictureSize(source.picture).y;
            return std::max(TextHeight(kName), picture);
        }
        case FontRowKind::AddMore:
            break;
        }
        return TextHeight(kAddMore);
    }

private:
    // The picture as the window's scale wants it: the maker's double-size copy on a
    // display that doubles, else the picture itself. Previews are dark ink on nothing; on
    // a dark background their ink takes the colour of the text (ink), else they are
    // shown as they are.
    wxBitmap Picture(const wxString& path, const wxColour& ink = wxNullColour) const
    {
        const bool doubled = m_list->GetContentScaleFactor() >= 2;
        const wxString key = (doubled ? wxS("2:") : wxS("1:")) + (ink.IsOk() ? ink.GetAsString(wxC2S_HTML_SYNTAX) : wxString()) + wxS(":") + path;
        const auto known = m_pictures.find(key);
        if (known != m_pictures.end())
            return known->second;
        wxBitmap bitmap;
        {
            wxLogNull quiet;
            const wxString twice = DoubleSizePath(path);
            wxImage image;
            const bool twiceLoaded = doubled && wxFileExists(twice) && image.LoadFile(twice, wxBITMAP_TYPE_PNG);
            if (twiceLoaded || image.LoadFile(path, wxBITMAP_TYPE_PNG))
            {
                if (ink.IsOk())
                    Ink(image, ink);
                bitmap = wxBitmap(image);
                if (twiceLoaded)
                    bitmap.SetScaleFactor(2);
            }
        }
        m_pictures[key] = bitmap;
        m_order.push_back(key);
        if (m_order.size() > kKeptPictures)
        {
            m_pictures.erase(m_order.front());
            m_order.pop_front();
        }
        return bitmap;
    }

    // Gives the dark ink of a see-through picture the colour ink; any other picture (one
    // with a background of its own) stays as it is.
    static void Ink(wxImage& image, const wxColour& ink)
    {
        if (!image.HasAlpha())
            return;
        const int pixels = image.GetWidth() * image.GetHeight();
        unsigned char* rgb = image.GetData();
        const unsigned char* alpha = image.GetAlpha();
        for (int i = 0; i < pixels; ++i)
            if (alpha[i] > 0 && !IsDark(wxColour(rgb[3 * i], rgb[3 * i + 1], rgb[3 * i + 2])))
                return;
        for (int i = 0; i < pixels; ++i)
        {
            rgb[3 * i] = ink.Red();
            rgb[3 * i + 1] = ink.Green();
            rgb[3 * i + 2] = ink.Blue();
        }
    }

    void DrawHeader(const FontListRow& source, const wxString& text, const wxRect& cell, wxDC* dc) const;

    CFontListCtrl* m_list;
    long m_row = -1;
    mutable std::unordered_map<wxString, wxSize> m_sizes;
    mutable wxFont m_fonts[kKinds];
    mutable int m_heights[kKinds] = {};
    mutable bool m_measured = false;
    mutable std::map<wxString, wxBitmap> m_pictures;
    mutable std::list<wxString> m_order;
};

void CFontListCtrl::Renderer::DrawHeader(const FontListRow& source, const wxString& text, const wxRect& cell,
                                         wxDC* dc) const
{
    dc->SetPen(*wxTRANSPARENT_PEN);
    dc->SetBrush(wxBrush(kHeaderColour));
    dc->DrawRectangle(cell);
    const wxBitmap picture = source.picture.empty() ? wxBitmap() : Picture(source.picture);
    if (!picture.IsOk())
    {
        dc->SetFont(FontOf(kHeader));
        // The header's own colour stays in every theme, so its text keeps its dark ink.
        dc->SetTextForeground(Readable(*wxBLACK, kHeaderColour, *wxWHITE));
        dc->DrawText(text, cell.x + kHeaderPadding, cell.y + kHeaderPadding);
        return;
    }
    CheckHeight(source.picture, picture);
    // A raised frame five pixels wide with a sunken one inside it, as table borders are drawn.
    auto frame = [&](const wxRect& outer, int width, const wxColour& topLeft, const wxColour& bottomRight) {
        dc->SetBrush(wxBrush(topLeft));
        dc->DrawRectangle(outer.x, outer.y, outer.width, width);
        dc->DrawRectangle(outer.x, outer.y, width, outer.height);
        dc->SetBrush(wxBrush(bottomRight));
        dc->DrawRectangle(outer.x, outer.GetBottom() + 1 - width, outer.width, width);
        dc->DrawRectangle(outer.GetRight() + 1 - width, outer.y + width, width, outer.height - width);
    };
    frame(cell, kHeaderBorder, kBorderLight, kBorderDark);
    frame(wxRect(cell).Deflate(kHeaderBorder), 1, kBorderDark, kBorderLight);
    const int inset = kHeaderBorder + 1;
    dc->DrawBitmap(picture, cell.x + inset, cell.y + inset, true);
}

bool CFontListCtrl::Renderer::Render(wxRect cell, wxDC* dc, int state)
{
    const CFontListCtrl::Row* row = Current();
    if (!row)
        return false;
    const FontListRow& source = row->source;
    const bool selected = (state & wxDATAVIEW_CELL_SELECTED) != 0;
    const wxColour background = wxSystemSettings::GetColour(selected ? wxSYS_COLOUR_HIGHLIGHT : wxSYS_COLOUR_LISTBOX);
    const wxColour text = wxSystemSettings::GetColour(selected ? wxSYS_COLOUR_HIGHLIGHTTEXT : wxSYS_COLOUR_LISTBOXTEXT);
    dc->SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
    switch (source.kind)
    {
    case FontRowKind::Header:
        DrawHeader(source, row->text, cell, dc);
        break;
    case FontRowKind::Font:
    {
        dc->SetFont(FontOf(kName));
        dc->SetTextForeground(Readable(text, background, text));
        // A long name ends before the picture starts. (Clipping is not used: the list's
        // drawing context cannot restore the clip it had.)
        const wxString shown =
            wxControl::Ellipsize(row->text, *dc, wxELLIPSIZE_END, kPictureColumn - kIndent - kNameGap);
        dc->DrawText(shown, cell.x + kIndent, cell.y + (cell.height - TextHeight(kName)) / 2);
        const wxBitmap picture =
            source.picture.empty() ? wxBitmap() : Picture(source.picture, IsDark(background) ? text : wxNullColour);
        if (picture.IsOk())
        {
            CheckHeight(source.picture, picture);
            const int height = static_cast<int>(picture.GetLogicalHeight());
            dc->DrawBitmap(picture, cell.x + kPictureColumn, cell.y + (cell.height - height) / 2, true);
        }
        else if (source.picture.empty())
        {
            dc->SetFont(FontOf(kNoPreview));
            dc->SetTextForeground(Readable(kNoPreviewColour, background, text));
            dc->DrawText(NoPreviewText(), cell.x + kPictureColumn,
                         cell.y + (cell.height - TextHeight(kNoPreview)) / 2);
        }
        break;
    }
    case FontRowKind::AddMore:
        dc->SetFont(FontOf(kAddMore));
        dc->SetTextForeground(Readable(kAddMoreColour, background, text));
        dc->DrawText(row->text, cell.x + kIndent, cell.y);
        break;
    }
    return true;
}

CFontListCtrl::CFontListCtrl(wxWindow* parent, wxWindowID id, const wxString& name)
    : wxDataViewCtrl(parent, id, wxDefaultPosition, wxDefaultSize,
                     wxDV_SINGLE | wxDV_NO_HEADER | wxDV_VARIABLE_LINE_HEIGHT | wxBORDER_STATIC, wxDefaultValidator,
                     name)
{
    m_model = new Model;
    AssociateModel(m_model);
    m_model->DecRef();
    m_renderer = new Renderer(this);
    AppendColumn(new wxDataViewColumn(wxEmptyString, m_renderer, 0, wxCOL_WIDTH_DEFAULT, wxALIGN_LEFT, 0));

    // Rows touch as they always did: no padding around cells, no gaps between rows.
    if (GtkCellRenderer* cell = m_renderer->GetGtkHandle())
        gtk_cell_renderer_set_padding(cell, 0, 0);
    if (GtkWidget* view = GtkGetTreeView())
    {
        static GtkCssProvider* provider = nullptr;
        if (!provider)
        {
            provider = gtk_css_provider_new();
            gtk_css_provider_load_from_data(
                provider, "treeview { -GtkTreeView-vertical-separator: 0; -GtkTreeView-horizontal-separator: 0; }",
                -1, nullptr);
        }
        gtk_style_context_add_provider(gtk_widget_get_style_context(view), GTK_STYLE_PROVIDER(provider),
                                       GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
        // Typing letters does nothing in this list, as in the rest of the window.
        gtk_tree_view_set_enable_search(GTK_TREE_VIEW(view), FALSE);
    }
    Accessibility::DescribeRenderedCells(m_renderer, [this] {
        Accessibility::CellText cell;
        const long row = m_renderer->Row();
        if (row < 0 || row >= static_cast<long>(m_rows.size()))
            return cell;
        Describe(static_cast<unsigned int>(row), cell.name, cell.description);
        const FontRowKind kind = m_rows[row].source.kind;
        cell.role = kind == FontRowKind::Header    ? Accessibility::Role::Heading
                    : kind == FontRowKind::AddMore ? Accessibility::Role::Link
                                                   : Accessibility::Role::TableCell;
        return cell;
    });

    Bind(wxEVT_DATAVIEW_SELECTION_CHANGED, &CFontListCtrl::OnSelectionChanged, this);
    Bind(wxEVT_DATAVIEW_ITEM_ACTIVATED, &CFontListCtrl::OnActivated, this);
}

CFontListCtrl::~CFontListCtrl() = default;

bool CFontListCtrl::SetFont(const wxFont& font)
{
    return wxWindowBase::SetFont(font);
}

void CFontListCtrl::SetRows(const std::vector<FontListRow>& rows)
{
    std::vector<Row> shown;
    shown.reserve(rows.size());
    for (const FontListRow& source : rows)
    {
        Row row;
        row.source = source;
        switch (source.kind)
        {
        case FontRowKind::Header:
            row.text = ShownFoundry(source);
            break;
        case FontRowKind::Font:
            // Style markers are part of the name but not shown.
            row.text = source.font.Find('[') != wxNOT_FOUND ? source.font.BeforeFirst('[') : source.font;
            break;
        case FontRowKind::AddMore:
            row.text = wxString::Format(wxGetTranslation(wxS("Add more fonts from %s...")), ShownFoundry(source));
            break;
        }
        shown.push_back(std::move(row));
    }
    m_renderer->Forget();
    for (Row& row : shown)
        row.height = m_renderer->RowHeight(row.source);
    m_rows.swap(shown);
    m_model->Reset(static_cast<unsigned int>(m_rows.size()));
}

wxString CFontListCtrl::GetString(unsigned int row) const
{
    return row < m_rows.size() ? m_rows[row].source.html : wxString();
}

wxArrayString CFontListCtrl::GetStrings() const
{
    wxArrayString strings;
    strings.Alloc(m_rows.size());
    for (const Row& row : m_rows)
        strings.Add(row.source.html);
    return strings;
}

int CFontListCtrl::GetSelection() const
{
    const wxDataViewItem item = wxDataViewCtrl::GetSelection();
    return item.IsOk() ? static_cast<int>(m_model->GetRow(item)) : wxNOT_FOUND;
}

void CFontListCtrl::SetSelection(int row)
{
    if (row < 0 || row >= static_cast<int>(m_rows.size()))
    {
        UnselectAll();
        return;
    }
    const wxDataViewItem item = m_model->GetItem(static_cast<unsigned int>(row));
    Select(item);
    // Arrow keys go on from the selected row.
    SetCurrentItem(item);
}

void CFontListCtrl::ScrollToRow(int row)
{
    if (row >= 0 && row < static_cast<int>(m_rows.size()))
        EnsureVisible(m_model->GetItem(static_cast<unsigned int>(row)));
}

wxRect CFontListCtrl::GetItemRect(int row) const
{
    if (row < 0 || row >= static_cast<int>(m_rows.size()))
        return wxRect();
    wxRect rect = wxDataViewCtrl::GetItemRect(m_model->GetItem(static_cast<unsigned int>(row)), GetColumn(0));
    // The row's drawing asks for more width than any row has.
    rect.width = std::min(rect.width, std::max(0, GetClientSize().x - rect.x));
    return rect;
}

void CFontListCtrl::Describe(unsigned int row, wxString& spoken, wxString& description) const
{
    const FontListRow& source = m_rows[row].source;
    spoken = m_rows[row].text;
    description.clear();
    switch (source.kind)
    {
    case FontRowKind::Header:
        description = _("Foundry");
        break;
    case FontRowKind::Font:
        spoken = wxString::Format(_("%s, %s"), spoken.Strip(wxString::both), ShownFoundry(source));
        if (source.picture.empty())
            description = NoPreviewText();
        break;
    case FontRowKind::AddMore:
        description = _("Opens the font shop in the web browser");
        break;
    }
}

void CFontListCtrl::OnSelectionChanged(wxDataViewEvent&)
{
    const int row = GetSelection();
    Change change;
    if (GdkEvent* current = gtk_get_current_event())
    {
        switch (current->type)
        {
        case GDK_BUTTON_PRESS:
        case GDK_2BUTTON_PRESS:
        case GDK_3BUTTON_PRESS:
        case GDK_BUTTON_RELEASE:
            change.byMouse = true;
            break;
        case GDK_KEY_PRESS:
            switch (current->key.keyval)
            {
            case GDK_KEY_Up:
            case GDK_KEY_KP_Up:
                change.key = WXK_UP;
                break;
            case GDK_KEY_Down:
            case GDK_KEY_KP_Down:
                change.key = WXK_DOWN;
                break;
            case GDK_KEY_Return:
            case GDK_KEY_KP_Enter:
            case GDK_KEY_ISO_Enter:
                change.key = WXK_RETURN;
                break;
            case GDK_KEY_space:
            case GDK_KEY_KP_Space:
                change.key = WXK_SPACE;
                break;
            default:
                break;
            }
            if (change.key == WXK_RETURN || change.key == WXK_SPACE)
                m_keyChoiceTime = gdk_event_get_time(current);
            break;
        default:
            break;
        }
        gdk_event_free(current);
    }
    // A list left without a selection has nothing to report.
    if (row != wxNOT_FOUND)
        Report(row, change);
}

void CFontListCtrl::OnActivated(wxDataViewEvent& event)
{
    // A row the keyboard or a screen reader activates is chosen as a click chooses it.
    // Clicks have chosen their row already, and so has a key that also selected it.
    if (!event.GetItem().IsOk())
        return;
    const int row = static_cast<int>(m_model->GetRow(event.GetItem()));
    if (row == GetSelection())
        return;
    if (GdkEvent* current = gtk_get_current_event())
    {
        const bool chosen = current->type != GDK_KEY_PRESS || gdk_event_get_time(current) == m_keyChoiceTime;
        gdk_event_free(current);
        if (chosen)
            return;
    }
    SetSelection(row);
    Change change;
    change.key = WXK_RETURN;
    Report(row, change);
}

void CFontListCtrl::Report(int row, const Change& change)
{
    m_change = change;
    wxCommandEvent event(wxEVT_LISTBOX, GetId());
    event.SetEventObject(this);
    event.SetInt(row);
    event.SetString(GetString(static_cast<unsigned int>(row)));
    ProcessWindowEvent(event);
    m_change = Change();
}
