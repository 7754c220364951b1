#include "Library/Accessibility/Accessibility.h"

#include <wx/control.h>
#include <wx/dataview.h>
#include <wx/scrolwin.h>
#include <wx/settings.h>
#include <wx/weakref.h>

#include <gtk/gtk-a11y.h>
#include <gtk/gtk.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <set>
#include <vector>

namespace Accessibility
{
namespace
{
GtkWidget* Widget(wxWindow* window)
{
    return window ? static_cast<GtkWidget*>(window->GetHandle()) : nullptr;
}

AtkObject* Accessible(GtkWidget* widget)
{
    return widget ? gtk_widget_get_accessible(widget) : nullptr;
}

AtkRole AtkRoleOf(Role role)
{
    switch (role)
    {
    case Role::PushButton:
        return ATK_ROLE_PUSH_BUTTON;
    case Role::Link:
        return ATK_ROLE_LINK;
    case Role::Heading:
        return ATK_ROLE_HEADING;
    case Role::TableCell:
        return ATK_ROLE_TABLE_CELL;
    case Role::Unchanged:
        break;
    }
    return ATK_ROLE_INVALID;
}

// Walks widget and every native widget inside it, internal ones too (a drop-down's
// button), but not into the widgets in stop.
void ForEachWidget(GtkWidget* widget, const std::set<GtkWidget*>& stop, const std::function<void(GtkWidget*)>& visit)
{
    visit(widget);
    if (!GTK_IS_CONTAINER(widget))
        return;
    std::vector<GtkWidget*> children;
    gtk_container_forall(
        GTK_CONTAINER(widget), [](GtkWidget* child, gpointer list) { static_cast<std::vector<GtkWidget*>*>(list)->push_back(child); },
        &children);
    for (GtkWidget* child : children)
        if (!stop.count(child))
            ForEachWidget(child, stop, visit);
}

// The window's own widget and its native parts that take the keyboard; the inner
// windows of a compound control are left out unless withChildren.
std::vector<GtkWidget*> Parts(wxWindow* window, bool withChildren)
{
    std::vector<GtkWidget*> parts;
    GtkWidget* own = Widget(window);
    if (!own)
        return parts;
    std::set<GtkWidget*> stop;
    if (!withChildren)
        for (wxWindow* child : window->GetChildren())
            if (GtkWidget* widget = Widget(child))
                stop.insert(widget);
    ForEachWidget(own, stop, [&](GtkWidget* widget) {
        if (widget == own || gtk_widget_get_can_focus(widget))
            parts.push_back(widget);
    });
    return parts;
}

void RemoveRelations(AtkObject* object, AtkRelationType type)
{
    AtkRelationSet* relations = atk_object_ref_relation_set(object);
    while (AtkRelation* relation = atk_relation_set_get_relation_by_type(relations, type))
        atk_relation_set_remove(relations, relation);
    g_object_unref(relations);
}

// The toolkit sets a label's mnemonic widget again at times of its own (a box's title
// once the window is up); the label keeps the widget chosen here.
const char* const kWantedTarget = "glyphara-label-for";

void KeepMnemonicWidget(GObject* label, GParamSpec*, gpointer)
{
    GWeakRef* wanted = static_cast<GWeakRef*>(g_object_get_data(label, kWantedTarget));
    GObject* target = wanted ? static_cast<GObject*>(g_weak_ref_get(wanted)) : nullptr;
    if (gtk_label_get_mnemonic_widget(GTK_LABEL(label)) != GTK_WIDGET(target))
        gtk_label_set_mnemonic_widget(GTK_LABEL(label), target ? GTK_WIDGET(target) : nullptr);
    if (target)
        g_object_unref(target);
}

void SetMnemonicWidget(GtkWidget* label, GtkWidget* target)
{
    if (!g_object_get_data(G_OBJECT(label), kWantedTarget))
        g_signal_connect(label, "notify::mnemonic-widget", G_CALLBACK(&KeepMnemonicWidget), nullptr);
    GWeakRef* wanted = g_new0(GWeakRef, 1);
    g_weak_ref_init(wanted, target);
    g_object_set_data_full(G_OBJECT(label), kWantedTarget, wanted, [](gpointer data) {
        g_weak_ref_clear(static_cast<GWeakRef*>(data));
        g_free(data);
    });
    if (GtkWidget* previous = gtk_label_get_mnemonic_widget(GTK_LABEL(label)))
        if (previous != target)
            RemoveRelations(Accessible(previous), ATK_RELATION_LABELLED_BY);
    gtk_label_set_mnemonic_widget(GTK_LABEL(label), target);
}

// The text widget of a label: a static text's own, a static box's title.
GtkWidget* LabelWidget(wxWindow* label)
{
    GtkWidget* widget = Widget(label);
    if (widget && GTK_IS_FRAME(widget))
        return gtk_frame_get_label_widget(GTK_FRAME(widget));
    return widget;
}

// Rows drawn by a custom renderer have a cell accessible of this type, which asks the
// renderer's describer for the row it was just given.
std::map<GtkCellRenderer*, std::function<CellText()>>& Describers()
{
    static std::map<GtkCellRenderer*, std::function<CellText()>> describers;
    return describers;
}

GtkCellAccessibleClass* g_cellParentClass = nullptr;

void UpdateCellCache(GtkCellAccessible* cell, gboolean emitSignal)
{
    if (g_cellParentClass && g_cellParentClass->update_cache)
        g_cellParentClass->update_cache(cell, emitSignal);
    GtkCellRenderer* renderer = nullptr;
    g_object_get(cell, "renderer", &renderer, nullptr);
    if (!renderer)
        return;
    const auto describer = Describers().find(renderer);
    g_object_unref(renderer);
    if (describer == Describers().end())
        return;
    const CellText text = describer->second();
    AtkObject* object = ATK_OBJECT(cell);
    const wxScopedCharBuffer name = text.name.utf8_str();
    const char* had = atk_object_get_name(object);
    if (!had || strcmp(had, name.data()) != 0)
        atk_object_set_name(object, name.data());
    atk_object_set_description(object, text.description.utf8_str());
    if (text.role != Role::Unchanged && atk_object_get_role(object) != AtkRoleOf(text.role))
        atk_object_set_role(object, AtkRoleOf(text.role));
}

GType DescribedCellType()
{
    static GType type = 0;
    if (!type)
    {
        GTypeQuery parent;
        g_type_query(GTK_TYPE_RENDERER_CELL_ACCESSIBLE, &parent);
        GTypeInfo info = {};
        info.class_size = static_cast<guint16>(parent.class_size);
        info.instance_size = static_cast<guint16>(parent.instance_size);
        info.class_init = [](gpointer cls, gpointer) {
            g_cellParentClass = GTK_CELL_ACCESSIBLE_CLASS(g_type_class_peek_parent(cls));
            GTK_CELL_ACCESSIBLE_CLASS(cls)->update_cache = &UpdateCellCache;
        };
        type = g_type_register_static(GTK_TYPE_RENDERER_CELL_ACCESSIBLE, "GlypharaDescribedCellAccessible", &info,
                                      GTypeFlags(0));
    }
    return type;
}

// Keeps a ring over a control's edge while the keyboard is in it.
struct FocusRing
{
    GtkWidget* control;
    GtkWidget* canvas;
    bool shown = false;
};

bool FocusIsIn(GtkWindow* window, GtkWidget* focus, GtkWidget* widget)
{
    return focus && gtk_window_is_active(window) && (focus == widget || gtk_widget_is_ancestor(focus, widget));
}

void UpdateRing(GtkWindow* window, FocusRing* ring)
{
    const bool shown = FocusIsIn(window, gtk_window_get_focus(window), ring->control);
    if (shown != ring->shown)
    {
        ring->shown = shown;
        gtk_widget_queue_draw(ring->canvas);
    }
}

gboolean DrawRing(GtkWidget* canvas, cairo_t* cr, gpointer data)
{
    FocusRing* ring = static_cast<FocusRing*>(data);
    if (!ring->shown || !gtk_widget_get_visible(ring->control))
        return FALSE;
    int x = 0, y = 0;
    if (!gtk_widget_translate_coordinates(ring->control, canvas, 0, 0, &x, &y))
        return FALSE;
    GtkAllocation area;
    gtk_widget_get_allocation(ring->control, &area);
    const wxColour colour = wxSystemSettings::GetColour(wxSYS_COLOUR_HIGHLIGHT);
    cairo_save(cr);
    cairo_set_source_rgb(cr, colour.Red() / 255.0, colour.Green() / 255.0, colour.Blue() / 255.0);
    cairo_set_line_width(cr, 2);
    cairo_rectangle(cr, x + 1, y + 1, area.width - 2, area.height - 2);
    cairo_stroke(cr);
    cairo_restore(cr);
    return FALSE;
}
}

void SetName(wxWindow* window, const wxString& name)
{
    const wxScopedCharBuffer text = name.utf8_str();
    for (GtkWidget* part : Parts(window, false))
        atk_object_set_name(Accessible(part), text.data());
}

void SetDescription(wxWindow* window, const wxString& description)
{
    const wxScopedCharBuffer text = description.utf8_str();
    for (GtkWidget* part : Parts(window, false))
        atk_object_set_description(Accessible(part), text.data());
}

void SetRole(wxWindow* window, Role role)
{
    if (AtkObject* object = Accessible(Widget(window)))
        atk_object_set_role(object, AtkRoleOf(role));
}

wxString GetName(wxWindow* window)
{
    AtkObject* object = Accessible(Widget(window));
    const char* name = object ? atk_object_get_name(object) : nullptr;
    return name ? wxString::FromUTF8(name) : wxString();
}

wxString NameFromLabel(const wxString& label)
{
    wxString name = wxControl::RemoveMnemonics(label);
    name.Trim().Trim(false);
    if (name.EndsWith(wxS(":")))
        name.RemoveLast();
    return name.Trim();
}

void SetLabel(wxWindow* label, wxWindow* control)
{
    GtkWidget* labelWidget = LabelWidget(label);
    if (!labelWidget || !Widget(control))
        return;
    AtkObject* labelObject = Accessible(labelWidget);
    const std::vector<GtkWidget*> targets = Parts(control, true);
    if (GTK_IS_LABEL(labelWidget))
    {
        // The toolkit's own relations follow the mnemonic widget: it must be this control.
        GtkWidget* focusable = targets.front();
        for (GtkWidget* target : targets)
            if (gtk_widget_get_can_focus(target))
            {
                focusable = target;
                break;
            }
        SetMnemonicWidget(labelWidget, focusable);
    }
    RemoveRelations(labelObject, ATK_RELATION_LABEL_FOR);
    for (GtkWidget* target : targets)
    {
        AtkObject* object = Accessible(target);
        RemoveRelations(object, ATK_RELATION_LABELLED_BY);
        atk_object_add_relationship(labelObject, ATK_RELATION_LABEL_FOR, object);
        atk_object_add_relationship(object, ATK_RELATION_LABELLED_BY, labelObject);
    }
}

void ForgetGuessedLabels(wxWindow* window)
{
    GtkWidget* top = Widget(window);
    if (!top)
        return;
    ForEachWidget(top, {}, [](GtkWidget* widget) {
        if (!GTK_IS_LABEL(widget))
            return;
        SetMnemonicWidget(widget, nullptr);
        RemoveRelations(Accessible(widget), ATK_RELATION_LABEL_FOR);
    });
}

void DescribeRenderedCells(wxDataViewCustomRenderer* renderer, std::function<CellText()> describe)
{
    GtkCellRenderer* native = renderer ? renderer->GetGtkHandle() : nullptr;
    if (!native)
        return;
    gtk_cell_renderer_class_set_accessible_type(GTK_CELL_RENDERER_GET_CLASS(native), DescribedCellType());
    if (!Describers().count(native))
        g_object_weak_ref(G_OBJECT(native), [](gpointer, GObject* gone) {
            Describers().erase(reinterpret_cast<GtkCellRenderer*>(gone));
        }, nullptr);
    Describers()[native] = std::move(describe);
}

void MakeFocusable(wxWindow* window)
{
    window->SetCanFocus(true);
    // The toolkit stops the native focus moving into a window that did not take the
    // keyboard when it was made; that stop goes.
    if (GtkWidget* widget = Widget(window))
        g_signal_handlers_disconnect_matched(widget, GSignalMatchType(G_SIGNAL_MATCH_ID | G_SIGNAL_MATCH_DATA),
                                             g_signal_lookup("focus", GTK_TYPE_WIDGET), 0, nullptr, nullptr,
                                             static_cast<wxWindowBase*>(window));
}

void ShowFocusRing(wxWindow* control)
{
    GtkWidget* widget = Widget(control);
    GtkWidget* canvas = Widget(control ? control->GetParent() : nullptr);
    GtkWidget* top = widget ? gtk_widget_get_toplevel(widget) : nullptr;
    if (!widget || !canvas || !top || !GTK_IS_WINDOW(top))
        return;
    FocusRing* ring = new FocusRing{widget, canvas};
    g_signal_connect_after(canvas, "draw", G_CALLBACK(&DrawRing), ring);
    g_signal_connect_data(
        top, "set-focus",
        G_CALLBACK(+[](GtkWindow* window, GtkWidget*, gpointer data) { UpdateRing(window, static_cast<FocusRing*>(data)); }),
        ring, nullptr, G_CONNECT_AFTER);
    g_signal_connect(top, "notify::is-active",
                     G_CALLBACK(+[](GtkWindow* window, GParamSpec*, gpointer data) {
                         UpdateRing(window, static_cast<FocusRing*>(data));
                     }),
                     ring);
    // The ring goes with the control, while its parent and top window are still there.
    control->Bind(wxEVT_DESTROY, [control, ring, canvas, top](wxWindowDestroyEvent& event) {
        event.Skip();
        if (event.GetEventObject() != control)
            return;
        g_signal_handlers_disconnect_by_data(canvas, ring);
        g_signal_handlers_disconnect_by_data(top, ring);
        delete ring;
    });
}

void KeepFocusInView(wxScrolledWindow* window)
{
    GtkWidget* widget = Widget(window);
    GtkWidget* top = widget ? gtk_widget_get_toplevel(widget) : nullptr;
    if (!top || !GTK_IS_WINDOW(top))
        return;
    struct Watch
    {
        wxScrolledWindow* window;
        GtkWidget* widget;
    };
    Watch* watch = new Watch{window, widget};
    g_signal_connect_data(
        top, "set-focus", G_CALLBACK(+[](GtkWindow*, GtkWidget* focus, gpointer data) {
            Watch* watch = static_cast<Watch*>(data);
            if (!focus || !gtk_widget_is_ancestor(focus, watch->widget))
                return;
            // The innermost window holding the focused widget.
            wxWindow* holder = nullptr;
            std::function<void(wxWindow*)> find = [&](wxWindow* parent) {
                for (wxWindow* child : parent->GetChildren())
                {
                    GtkWidget* own = Widget(child);
                    if (own && (own == focus || gtk_widget_is_ancestor(focus, own)))
                    {
                        holder = child;
                        find(child);
                        return;
                    }
                }
            };
            find(watch->window);
            if (!holder)
                return;
            wxWeakRef<wxWindow> target(holder);
            wxScrolledWindow* scrolled = watch->window;
            // After the toolkit's own handling of the focus change, which may scroll too.
            scrolled->CallAfter([scrolled, target] {
                if (!target)
                    return;
                const wxRect area(wxPoint(0, 0), scrolled->GetClientSize());
                const wxRect rect(scrolled->ScreenToClient(target->GetScreenPosition()), target->GetSize());
                int unitX = 1, unitY = 1, startX = 0, startY = 0;
                scrolled->GetScrollPixelsPerUnit(&unitX, &unitY);
                scrolled->GetViewStart(&startX, &startY);
                if (unitY <= 0)
                    return;
                int shift = 0;
                if (rect.GetTop() < area.GetTop())
                    shift = rect.GetTop() - area.GetTop();
                else if (rect.GetBottom() > area.GetBottom())
                    shift = std::min(rect.GetBottom() - area.GetBottom(), rect.GetTop() - area.GetTop());
                if (shift != 0)
                    scrolled->Scroll(-1, std::max(0, startY + (shift + (shift > 0 ? unitY - 1 : 0)) / unitY));
            });
        }),
        watch, [](gpointer data, GClosure*) { delete static_cast<Watch*>(data); }, G_CONNECT_AFTER);
    // The watch must not outlive the scrolled window, which goes before its top window.
    window->Bind(wxEVT_DESTROY, [top, watch, window](wxWindowDestroyEvent& event) {
        event.Skip();
        if (event.GetEventObject() == window)
            g_signal_handlers_disconnect_by_data(top, watch);
    });
}
}
