#include "Library/CustomControls/CompactEntry.h"

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
