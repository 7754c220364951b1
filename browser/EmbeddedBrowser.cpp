#include "browser/EmbeddedBrowser.h"

#include "Library/Accessibility/Accessibility.h"

#include "browser/WebViewCreator.h"
#include "trace/TraceSystem.h"

#include <wx/intl.h>
#include <wx/stattext.h>
#include <wx/utils.h>
#include <wx/webview.h>

#include <webkit2/webkit2.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace
{
const int kMessageMargin = 12;

WebViewCreator& CurrentCreator()
{
    static WebViewCreator creator = &CreateToolkitWebView;
    return creator;
}

bool IsNavigationFree(WebKitContextMenuAction action)
{
    switch (action)
    {
    case WEBKIT_CONTEXT_MENU_ACTION_COPY:
    case WEBKIT_CONTEXT_MENU_ACTION_COPY_LINK_TO_CLIPBOARD:
    case WEBKIT_CONTEXT_MENU_ACTION_COPY_IMAGE_TO_CLIPBOARD:
    case WEBKIT_CONTEXT_MENU_ACTION_COPY_IMAGE_URL_TO_CLIPBOARD:
    case WEBKIT_CONTEXT_MENU_ACTION_COPY_VIDEO_LINK_TO_CLIPBOARD:
    case WEBKIT_CONTEXT_MENU_ACTION_COPY_AUDIO_LINK_TO_CLIPBOARD:
    case WEBKIT_CONTEXT_MENU_ACTION_SELECT_ALL:
    case WEBKIT_CONTEXT_MENU_ACTION_INSPECT_ELEMENT:
        return true;
    default:
        return false;
    }
}

// Keeps only the entries that leave the preview where it is (copying, selecting); back,
// forward, reload, stop, open and download would all replace or leave the preview page.
// Whatever a later WebKit adds is dropped too. Separators left at an edge or doubled go.
gboolean OnContextMenu(WebKitWebView*, WebKitContextMenu* menu, GdkEvent*, WebKitHitTestResult*, gpointer)
{
    GList* items = g_list_copy(webkit_context_menu_get_items(menu));
    for (GList* node = items; node; node = node->next)
    {
        WebKitContextMenuItem* item = static_cast<WebKitContextMenuItem*>(node->data);
        if (!webkit_context_menu_item_is_separator(item) &&
            !IsNavigationFree(webkit_context_menu_item_get_stock_action(item)))
            webkit_context_menu_remove(menu, item);
    }
    g_list_free(items);

    items = g_list_copy(webkit_context_menu_get_items(menu));
    bool previousWasSeparator = true;
    for (GList* node = items; node; node = node->next)
    {
        WebKitContextMenuItem* item = static_cast<WebKitContextMenuItem*>(node->data);
        const bool separator = webkit_context_menu_item_is_separator(item);
        if (separator && previousWasSeparator)
            webkit_context_menu_remove(menu, item);
        else
            previousWasSeparator = separator;
    }
    g_list_free(items);
    if (GList* last = g_list_last(webkit_context_menu_get_items(menu)))
        if (webkit_context_menu_item_is_separator(static_cast<WebKitContextMenuItem*>(last->data)))
            webkit_context_menu_remove(menu, static_cast<WebKitContextMenuItem*>(last->data));

    // Nothing left: no menu at all rather than an empty one.
    return webkit_context_menu_get_n_items(menu) == 0 ? TRUE : FALSE;
}

// WebKit's defaults suit a browser: a web process starts to give back its caches only at
// a third of the machine's memory (up to 3 GB). The preview shows one small page, but
// every font size a designer tries leaves the engine something in caches that fill for
// well over a thousand changes, and that only its full release (the one it makes at half
// the limit) empties. A preview page takes about 26 MB, and 40 while it is edited: past
// 32 MB its web process lets go of everything it can rebuild, and of what it can spare
// past 21 MB. It is never ended for its size. Each look at its memory costs it about 4 ms.
#if WEBKIT_CHECK_VERSION(2, 34, 0)
const unsigned kWebProcessMemoryLimitMB = 64;
const double kWebProcessMemoryPollSeconds = 3;

GObject* (*g_makeWebContext)(GType, guint, GObjectConstructParam*) = nullptr;
GObject* g_limitedWebContext = nullptr;

GObject* MakeLimitedWebContext(GType type, guint count, GObjectConstructParam* params)
{
    static WebKitMemoryPressureSettings* const limit = [] {
        WebKitMemoryPressureSettings* settings = webkit_memory_pressure_settings_new();
        webkit_memory_pressure_settings_set_memory_limit(settings, kWebProcessMemoryLimitMB);
        webkit_memory_pressure_settings_set_poll_interval(settings, kWebProcessMemoryPollSeconds);
        return settings;
    }();
    // The values given are GObject's own (defaults shared by every object): the one
    // replaced is a copy.
    std::vector<GObjectConstructParam> own(params, params + count);
    GValue limited = G_VALUE_INIT;
    bool given = false;
    for (GObjectConstructParam& param : own)
        if (std::strcmp(param.pspec->name, "memory-pressure-settings") == 0 && !g_value_get_boxed(param.value))
        {
            g_value_init(&limited, G_PARAM_SPEC_VALUE_TYPE(param.pspec));
            g_value_set_static_boxed(&limited, limit);
            param.value = &limited;
            given = true;
        }
    GObject* made = g_makeWebContext(type, count, own.data());
    if (given)
    {
        g_value_unset(&limited);
        if (!g_limitedWebContext)
        {
            g_limitedWebContext = made;
            g_object_add_weak_pointer(made, reinterpret_cast<gpointer*>(&g_limitedWebContext));
        }
        TS_LOG_AS("LimitWebProcessMemory", TS_MESSAGE,
                  wxString::Format(wxS("Web pages give back the engine's caches past half of %u MB"),
                                   kWebProcessMemoryLimitMB));
    }
    return made;
}

// The toolkit makes its views with WebKit's default context, which takes memory settings
// only while it is made: they go in at its making, before the first view.
void LimitWebProcessMemory()
{
    if (g_makeWebContext)
        return;
    GObjectClass* contextClass = G_OBJECT_CLASS(g_type_class_ref(WEBKIT_TYPE_WEB_CONTEXT));
    g_makeWebContext = contextClass->constructor;
    contextClass->constructor = &MakeLimitedWebContext;
}
#else
GObject* g_limitedWebContext = nullptr;
void LimitWebProcessMemory() {}
#endif

// The WebKit view behind the toolkit's, when there is one.
WebKitWebView* NativeView(wxWebView* view)
{
    void* backend = view ? view->GetNativeBackend() : nullptr;
    return backend && WEBKIT_IS_WEB_VIEW(backend) ? WEBKIT_WEB_VIEW(backend) : nullptr;
}
}

bool HasWebProcessMemoryLimit(wxWebView* view)
{
    WebKitWebView* native = NativeView(view);
    return native && g_limitedWebContext && G_OBJECT(webkit_web_view_get_context(native)) == g_limitedWebContext;
}

wxWebView* CreateToolkitWebView(wxWindow* parent)
{
    if (!wxWebView::IsBackendAvailable(wxWebViewBackendDefault))
        return nullptr;
    // Composited drawing leaves an area that another window uncovers unpainted where no
    // compositing window manager runs; one small page needs none of it. A value the user
    // set is left alone.
    if (!wxGetEnv(wxS("WEBKIT_DISABLE_COMPOSITING_MODE"), nullptr))
        wxSetEnv(wxS("WEBKIT_DISABLE_COMPOSITING_MODE"), wxS("1"));
    LimitWebProcessMemory();
    wxWebView* view = wxWebView::New(wxWebViewBackendDefault);
    if (!view)
        return nullptr;
    if (!view->Create(parent, wxID_ANY, wxS("about:blank"), wxDefaultPosition, parent->GetClientSize(),
                      wxBORDER_NONE))
    {
        delete view;
        return nullptr;
    }
    return view;
}

WebViewCreator SetWebViewCreator(WebViewCreator creator)
{
    WebViewCreator previous = CurrentCreator();
    CurrentCreator() = creator ? creator : &CreateToolkitWebView;
    return previous;
}

class CEmbeddedBrowser::Impl
{
public:
    explicit Impl(CEmbeddedBrowser* owner) : m_owner(owner) {}

    WebKitWebView* Native() const { return NativeView(m_owner->m_view); }

    void Attach()
    {
        WebKitWebView* native = Native();
        if (!native)
            return;
        // A document-viewer cache model keeps no page in memory or on disk, so a load of
        // an address already shown fetches it anew. The preview is one small local page:
        // the cache would only ever serve it stale.
        webkit_web_context_set_cache_model(webkit_web_view_get_context(native), WEBKIT_CACHE_MODEL_DOCUMENT_VIEWER);
        g_signal_connect(native, "web-process-terminated", G_CALLBACK(&Impl::OnWebProcessTerminated), this);
        g_signal_connect(native, "context-menu", G_CALLBACK(&OnContextMenu), this);
        g_signal_connect(native, "key-press-event", G_CALLBACK(&Impl::OnViewKeyPress), this);
    }

    // The preview is one stop in the window's tab order. Left to WebKit, Tab would walk
    // through the page and then hand the focus back to GTK at a place of its choosing,
    // skipping or repeating controls of the window around it. Caught here, before WebKit
    // sees the key.
    static gboolean OnViewKeyPress(GtkWidget*, GdkEventKey* key, gpointer data)
    {
        const bool tab = key->keyval == GDK_KEY_Tab || key->keyval == GDK_KEY_ISO_Left_Tab ||
                         key->keyval == GDK_KEY_KP_Tab;
        if (!tab || (key->state & (GDK_CONTROL_MASK | GDK_MOD1_MASK)))
            return FALSE;
        const bool backward = key->keyval == GDK_KEY_ISO_Left_Tab || (key->state & GDK_SHIFT_MASK);
        static_cast<Impl*>(data)->m_owner->Navigate(backward ? wxNavigationKeyEvent::IsBackward
                                                             : wxNavigationKeyEvent::IsForward);
        return TRUE;
    }

    void Detach()
    {
        // Scripts still running report to nobody.
        g_cancellable_cancel(m_scripts);
        g_object_unref(m_scripts);
        m_scripts = nullptr;
        if (WebKitWebView* native = Native())
            g_signal_handlers_disconnect_by_data(native, this);
    }

    struct PendingScript
    {
        std::function<void(bool, const wxString&)> done;
        GCancellable* cancellable;
    };

    void RunScript(const wxString& script, std::function<void(bool, const wxString&)> done)
    {
        WebKitWebView* native = Native();
        if (!native)
        {
            done(false, wxString());
            return;
        }
        const wxScopedCharBuffer utf8 = script.utf8_str();
        PendingScript* pending = new PendingScript{std::move(done), G_CANCELLABLE(g_object_ref(m_scripts))};
        webkit_web_view_evaluate_javascript(native, utf8.data(), static_cast<gssize>(utf8.length()), nullptr, nullptr,
                                            m_scripts, &Impl::OnScriptDone, pending);
    }

    static void OnScriptDone(GObject* view, GAsyncResult* result, gpointer data)
    {
        PendingScript* pending = static_cast<PendingScript*>(data);
        GError* error = nullptr;
        JSCValue* value = webkit_web_view_evaluate_javascript_finish(WEBKIT_WEB_VIEW(view), result, &error);
        if (!g_cancellable_is_cancelled(pending->cancellable))
        {
            wxString text;
            if (value && !jsc_value_is_undefined(value) && !jsc_value_is_null(value))
            {
                gchar* utf8 = jsc_value_to_string(value);
                text = wxString::FromUTF8(utf8);
                g_free(utf8);
            }
            pending->done(value != nullptr, text);
        }
        if (value)
            g_object_unref(value);
        if (error)
            g_error_free(error);
        g_object_unref(pending->cancellable);
        delete pending;
    }

    static void OnWebProcessTerminated(WebKitWebView*, WebKitWebProcessTerminationReason reason, gpointer data)
    {
        Impl* self = static_cast<Impl*>(data);
        const char* why = reason == WEBKIT_WEB_PROCESS_EXCEEDED_MEMORY_LIMIT ? "exceeded its memory limit"
                          : reason == WEBKIT_WEB_PROCESS_TERMINATED_BY_API ? "was ended"
                                                                           : "crashed";
        TS_LOG_AS("CEmbeddedBrowser::OnWebProcessTerminated", TS_ERROR,
                  wxString::Format(wxS("The web page process of the preview %s"), why));
        self->m_processGone = true;
        self->ShowMessage(_("The preview stopped because the web browser component (WebKitGTK) ended "
                            "unexpectedly. It starts again with the next preview."));
    }

    void ShowMessage(const wxString& text)
    {
        m_messageText = text;
        if (!m_message)
            m_message = new wxStaticText(m_owner, wxID_ANY, wxEmptyString, wxDefaultPosition, wxDefaultSize,
                                         wxALIGN_CENTRE_HORIZONTAL | wxST_NO_AUTORESIZE);
        if (m_owner->m_view)
            m_owner->m_view->Hide();
        m_message->Show();
        Layout();
    }

    // Brings the view back after its web page process ended; WebKit starts a new process
    // for the load that follows.
    void Restart()
    {
        if (!m_processGone)
            return;
        m_processGone = false;
        TS_LOG_AS("CEmbeddedBrowser::Restart", TS_MESSAGE, wxS("Restarting the web page process of the preview"));
        if (m_message)
            m_message->Hide();
        m_owner->m_view->Show();
        Layout();
    }

    void Layout()
    {
        const wxSize client = m_owner->GetClientSize();
        if (m_owner->m_view && m_owner->m_view->IsShown())
            m_owner->m_view->SetSize(0, 0, client.x, client.y);
        if (m_message && m_message->IsShown())
        {
            const int width = std::max(client.x - 2 * kMessageMargin, 1);
            m_message->SetLabel(m_messageText);
            m_message->Wrap(width);
            m_message->SetSize(kMessageMargin, kMessageMargin, width, std::max(client.y - 2 * kMessageMargin, 1));
        }
    }

    CEmbeddedBrowser* m_owner;
    GCancellable* m_scripts = g_cancellable_new();
    wxStaticText* m_message = nullptr;
    wxString m_messageText;
    bool m_processGone = false;
};

CEmbeddedBrowser::CEmbeddedBrowser(wxWindow* parent, wxWindowID id, const wxSize& size)
    : wxPanel(parent, id, wxDefaultPosition, size, wxBORDER_NONE | wxCLIP_CHILDREN | wxTAB_TRAVERSAL)
{
    // Only the web view takes the keyboard; without one, Tab passes the preview by.
    m_container.DisableSelfFocus();
    m_impl = new Impl(this);
    Bind(wxEVT_PAINT, &CEmbeddedBrowser::OnFirstPaint, this);
}

void CEmbeddedBrowser::OnFirstPaint(wxPaintEvent& event)
{
    event.Skip();
    Unbind(wxEVT_PAINT, &CEmbeddedBrowser::OnFirstPaint, this);
    // After this paint, so that the window around is on the screen first.
    CallAfter(&CEmbeddedBrowser::StartView);
}

void CEmbeddedBrowser::StartView()
{
    if (m_started)
        return;
    m_started = true;
    m_view = CurrentCreator()(this);
    if (m_view)
    {
        m_impl->Attach();
        // A screen reader calls the page's area what it calls this window.
        Accessibility::SetName(m_view, Accessibility::GetName(this));
    }
    else
    {
        TS_LOG_AS("CEmbeddedBrowser::StartView", TS_ERROR, wxS("No web view could be created for the preview"));
        m_impl->ShowMessage(_("The preview cannot be shown: no web browser component (WebKitGTK) "
                              "could be started. Everything else works as usual."));
    }
    m_impl->Layout();
}

wxWebView* CEmbeddedBrowser::GetWebView() const
{
    const_cast<CEmbeddedBrowser*>(this)->StartView();
    return m_view;
}

CEmbeddedBrowser::~CEmbeddedBrowser()
{
    m_impl->Detach();
    delete m_impl;
    m_impl = nullptr;
}

void CEmbeddedBrowser::LoadUrl(const wxString& address)
{
    StartView();
    if (!m_view)
        return;
    m_impl->Restart();
    m_view->LoadURL(address);
}

void CEmbeddedBrowser::ReloadCompletely()
{
    StartView();
    if (!m_view)
        return;
    m_impl->Restart();
    m_view->Reload(wxWEBVIEW_RELOAD_NO_CACHE);
}

void CEmbeddedBrowser::RunScript(const wxString& script, std::function<void(bool, const wxString&)> done)
{
    StartView();
    if (!m_view || m_impl->m_processGone)
    {
        done(false, wxString());
        return;
    }
    m_impl->RunScript(script, std::move(done));
}

void CEmbeddedBrowser::StopLoading()
{
    if (m_view && !m_impl->m_processGone)
        m_view->Stop();
}

bool CEmbeddedBrowser::HasBrowser() const
{
    const_cast<CEmbeddedBrowser*>(this)->StartView();
    return m_view && !m_impl->m_processGone;
}

bool CEmbeddedBrowser::TryBefore(wxEvent& event)
{
    // Laid out before any handler runs, so a size handler bound from outside sees the
    // view already fitted and need not pass the event on for the view to follow.
    if (event.GetEventType() == wxEVT_SIZE && event.GetEventObject() == this && m_impl)
        m_impl->Layout();
    return wxPanel::TryBefore(event);
}
