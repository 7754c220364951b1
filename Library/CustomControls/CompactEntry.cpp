#include "Library/CustomControls/CompactEntry.h"

#include "Library/Accessibility/Contrast.h"

#include <wx/settings.h>
#include <wx/textctrl.h>

#include <gtk/gtk.h>

void MakeEntryCompact(wxTextCtrl* text)
{
    static GtkCssProvider* provider = nullptr;
    if (!provider)
    {
        provider = gtk_css_provider_new();
        gtk_css_provider_load_from_data(
            provider, "entry { min-height: 0; padding: 0 2px; }", -1, nullptr);
    }
    GtkWidget* widget = static_cast<GtkWidget*>(text->GetHandle());
    if (widget && GTK_IS_ENTRY(widget))
        gtk_style_context_add_provider(gtk_widget_get_style_context(widget), GTK_STYLE_PROVIDER(provider),
                                       GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
}

wxSize EntrySizeFor(wxTextCtrl* text, const wxString& prefix, const wxString& characters, int count,
                    const wxSize& minimum)
{
    int widest = 0;
    for (const wxUniChar c : characters)
        widest = std::max(widest, text->GetTextExtent(wxString(c)).x);
    // Room for the caret after the last character.
    const int caret = 2;
    const wxSize size = text->GetSizeFromTextSize(text->GetTextExtent(prefix).x + count * widest + caret);
    return wxSize(std::max(minimum.x, size.x), std::max(minimum.y, size.y));
}

wxColour EntryTextColour(const wxColour& wanted, double ratio)
{
    return Readable(wanted, wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOW),
                    wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOWTEXT), ratio);
}

wxColour EntryNormalTextColour(const wxColour& wanted)
{
    // Moved only as far as it must, the text would sit at the least readable grey and
    // look like that of a disabled box.
    if (ContrastRatio(wanted, wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOW)) >= kReadableContrast)
        return wanted;
    return wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOWTEXT);
}
