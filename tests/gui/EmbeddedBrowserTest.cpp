// The preview area on its own: fresh loads of an address whose page changes, sizes
// reported to the window around it, a missing web view, an ended web page process, the
// context menu and scripts run in the page.
#include "GuiTestSupport.h"

#include "Interface/PreviewUpdate.h"
#include "browser/EmbeddedBrowser.h"
#include "browser/WebViewCreator.h"

#include <civetweb.h>

#include <wx/ffile.h>
#include <wx/frame.h>
#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/webview.h>

#include <webkit2/webkit2.h>

#include <vector>

namespace
{
// Serves a folder the way an ordinary web server does, with responses that a browser
// may keep for an hour.
class CachingServer
{
public:
    explicit CachingServer(const wxString& root)
    {
        const wxScopedCharBuffer folder = root.utf8_str();
        const char* options[] = {"listening_ports", "127.0.0.1:0", "document_root", folder.data(),
                                 "static_file_max_age", "3600", nullptr};
        mg_callbacks callbacks = {};
        m_context = mg_start(&callbacks, nullptr, options);
        mg_server_port port = {};
        if (m_context && mg_get_server_ports(m_context, 1, &port) == 1)
            m_port = port.port;
    }
    ~CachingServer()
    {
        if (m_context)
            mg_stop(m_context);
    }

    wxString Address(const wxString& file) const { return wxString::Format(wxS("http://127.0.0.1:%d/%s"), m_port, file); }
    int Port() const { return m_port; }

private:
    mg_context* m_context = nullptr;
    int m_port = 0;
};

bool WriteFile(const wxString& path, const wxString& text)
{
    wxFFile file(path, wxS("w"));
    return file.IsOpened() && file.Write(text, wxConvUTF8);
}

// Until the page's paragraph reads text.
bool WaitForText(wxWebView* view, const wxString& text)
{
    const wxString script = wxS("(function(){var p=document.getElementById('v');return p?p.textContent:'';})()");
    return WaitFor([&] { return !view->IsBusy() && Evaluate(view, script) == text; });
}

wxString Page(const char* text)
{
    return wxString::Format(wxS("<!DOCTYPE html><html><body><p id=\"v\">%s</p></body></html>"), text);
}

wxStaticText* ShownMessage(wxWindow* host)
{
    for (wxWindow* child : host->GetChildren())
        if (wxStaticText* text = wxDynamicCast(child, wxStaticText))
            if (text->IsShown())
                return text;
    return nullptr;
}

wxWebView* NoWebView(wxWindow*)
{
    return nullptr;
}

class EmbeddedBrowserTest : public GuiTest
{
protected:
    void SetUp() override
    {
        GuiTest::SetUp();
        m_frame = new wxFrame(nullptr, wxID_ANY, wxS("Preview"), wxPoint(40, 40), wxSize(500, 400));
        m_panel = new wxPanel(m_frame, wxID_ANY);
    }

    void TearDown() override
    {
        m_frame->Destroy();
        RunPendingEvents(100);
        GuiTest::TearDown();
    }

    // Places a host in the panel as the main window does.
    CEmbeddedBrowser* MakeHost()
    {
        CEmbeddedBrowser* host = new CEmbeddedBrowser(m_panel, 10007, wxSize(100, 100));
        wxBoxSizer* sizer = new wxBoxSizer(wxVERTICAL);
        sizer->Add(host, 1, wxEXPAND);
        m_panel->SetSizer(sizer);
        m_frame->Show();
        m_frame->SendSizeEvent();
        RunPendingEvents(200);
        return host;
    }

    wxFrame* m_frame = nullptr;
    wxPanel* m_panel = nullptr;
};
}

TEST_F(EmbeddedBrowserTest, EveryLoadFetchesThePageAnewEvenWhenTheServerAllowsCaching)
{
    ASSERT_TRUE(WriteFile(ProgramDir() + wxS("/page.html"), Page("one")));
    ASSERT_TRUE(WriteFile(ProgramDir() + wxS("/other.html"), Page("other")));
    CachingServer server(ProgramDir());
    ASSERT_NE(0, server.Port());
    CEmbeddedBrowser* host = MakeHost();
    ASSERT_TRUE(host->HasBrowser());
    wxWebView* view = host->GetWebView();
    const wxString address = server.Address(wxS("page.html"));

    host->LoadUrl(address);
    ASSERT_TRUE(WaitForText(view, wxS("one")));
    host->LoadUrl(server.Address(wxS("other.html")));
    ASSERT_TRUE(WaitForText(view, wxS("other")));

    // Back to the first address after its page changed, wrapped as the main window
    // wraps a preview.
    ASSERT_TRUE(WriteFile(ProgramDir() + wxS("/page.html"), Page("two")));
    host->Freeze();
    host->StopLoading();
    host->LoadUrl(address);
    host->Thaw();
    EXPECT_TRUE(WaitForText(view, wxS("two"))) << "the page came from a cache";

    // The same address as shown, loaded and reloaded.
    ASSERT_TRUE(WriteFile(ProgramDir() + wxS("/page.html"), Page("three")));
    host->LoadUrl(address);
    EXPECT_TRUE(WaitForText(view, wxS("three")));
    ASSERT_TRUE(WriteFile(ProgramDir() + wxS("/page.html"), Page("four")));
    host->Freeze();
    host->StopLoading();
    host->ReloadCompletely();
    host->Thaw();
    EXPECT_TRUE(WaitForText(view, wxS("four")));
    EXPECT_EQ(address, view->GetCurrentURL());
}

TEST_F(EmbeddedBrowserTest, WithoutAWebViewThePreviewAreaSaysSoAndEverythingElseGoesOn)
{
    const WebViewCreator previous = SetWebViewCreator(&NoWebView);
    CEmbeddedBrowser* host = MakeHost();
    SetWebViewCreator(previous);
    EXPECT_EQ(nullptr, host->GetWebView());
    wxStaticText* message = ShownMessage(host);
    ASSERT_NE(nullptr, message);
    EXPECT_TRUE(message->GetLabel().Contains(wxS("cannot be shown"))) << message->GetLabel();
    EXPECT_TRUE(LogContains(wxS("No web view could be created")));
    EXPECT_FALSE(host->CanAcceptFocusFromKeyboard()) << "an empty preview is no tab stop";

    host->StopLoading();
    host->LoadUrl(wxS("http://127.0.0.1:1/"));
    host->ReloadCompletely();
    EXPECT_FALSE(host->HasBrowser());
    int scripts = 0;
    host->RunScript(wxS("1"), [&scripts](bool ran, const wxString&) { scripts += ran ? 100 : 1; });
    EXPECT_EQ(1, scripts) << "a script without a page has not run, and says so at once";

    int sizeEvents = 0;
    host->Bind(wxEVT_SIZE, [&sizeEvents](wxSizeEvent& event) {
        ++sizeEvents;
        event.Skip();
    });
    m_frame->SetSize(wxSize(420, 330));
    RunPendingEvents(200);
    EXPECT_GT(sizeEvents, 0);
    EXPECT_LE(message->GetRect().GetRight(), host->GetClientSize().x);
    EXPECT_GT(message->GetSize().x, 0);
}

TEST_F(EmbeddedBrowserTest, AnEndedWebPageProcessIsReportedAndRestartedByTheNextLoad)
{
    ASSERT_TRUE(WriteFile(ProgramDir() + wxS("/page.html"), Page("alive")));
    CachingServer server(ProgramDir());
    CEmbeddedBrowser* host = MakeHost();
    wxWebView* view = host->GetWebView();
    ASSERT_NE(nullptr, view);
    const wxString address = server.Address(wxS("page.html"));
    host->LoadUrl(address);
    ASSERT_TRUE(WaitForText(view, wxS("alive")));

    webkit_web_view_terminate_web_process(WEBKIT_WEB_VIEW(view->GetNativeBackend()));
    ASSERT_TRUE(WaitFor([host] { return !host->HasBrowser(); }));
    wxStaticText* message = ShownMessage(host);
    ASSERT_NE(nullptr, message);
    EXPECT_TRUE(message->GetLabel().Contains(wxS("next preview"))) << message->GetLabel();
    EXPECT_FALSE(view->IsShown());
    host->StopLoading();

    ASSERT_TRUE(WriteFile(ProgramDir() + wxS("/page.html"), Page("again")));
    host->LoadUrl(address);
    EXPECT_TRUE(host->HasBrowser());
    EXPECT_TRUE(view->IsShown());
    EXPECT_EQ(nullptr, ShownMessage(host));
    EXPECT_TRUE(WaitForText(view, wxS("again")));
    EXPECT_EQ(host->GetClientSize(), view->GetSize());
}

TEST_F(EmbeddedBrowserTest, StartsBlankFillsItsAreaAndItsContextMenuKeepsNoEntryThatLeavesThePreview)
{
    CEmbeddedBrowser* host = MakeHost();
    ASSERT_TRUE(host->HasBrowser());
    wxWebView* view = host->GetWebView();
    ASSERT_NE(nullptr, view);
    EXPECT_TRUE(WaitFor([view] { return !view->IsBusy(); }));
    EXPECT_EQ(wxS("about:blank"), view->GetCurrentURL());
    EXPECT_EQ(nullptr, ShownMessage(host));
    // Made after the engine's context took the preview's memory limit, not before.
    EXPECT_TRUE(HasWebProcessMemoryLimit(view));

    // The window around it hears every size change and need not pass the event on: the
    // view follows anyway.
    std::vector<wxSize> sizes;
    host->Bind(wxEVT_SIZE, [&sizes, host](wxSizeEvent& event) {
        EXPECT_EQ(host, event.GetEventObject());
        sizes.push_back(event.GetSize());
    });
    host->Bind(wxEVT_ERASE_BACKGROUND, [](wxEraseEvent&) {});
    m_panel->SetSizer(nullptr);
    host->SetSize(0, 0, 321, 234);
    RunPendingEvents(200);
    ASSERT_FALSE(sizes.empty());
    EXPECT_EQ(wxSize(321, 234), sizes.back());
    EXPECT_EQ(host->GetClientSize(), view->GetSize());
    EXPECT_EQ(wxPoint(0, 0), view->GetPosition());
    WebKitWebView* native = WEBKIT_WEB_VIEW(host->GetWebView()->GetNativeBackend());

    // The menu WebKit offers over a link in a page with history.
    WebKitContextMenu* menu = webkit_context_menu_new();
    for (WebKitContextMenuAction action :
         {WEBKIT_CONTEXT_MENU_ACTION_OPEN_LINK, WEBKIT_CONTEXT_MENU_ACTION_OPEN_LINK_IN_NEW_WINDOW,
          WEBKIT_CONTEXT_MENU_ACTION_DOWNLOAD_LINK_TO_DISK, WEBKIT_CONTEXT_MENU_ACTION_COPY_LINK_TO_CLIPBOARD,
          WEBKIT_CONTEXT_MENU_ACTION_NO_ACTION, WEBKIT_CONTEXT_MENU_ACTION_GO_BACK,
          WEBKIT_CONTEXT_MENU_ACTION_GO_FORWARD, WEBKIT_CONTEXT_MENU_ACTION_STOP, WEBKIT_CONTEXT_MENU_ACTION_RELOAD,
          WEBKIT_CONTEXT_MENU_ACTION_NO_ACTION, WEBKIT_CONTEXT_MENU_ACTION_COPY,
          WEBKIT_CONTEXT_MENU_ACTION_OPEN_IMAGE_IN_NEW_WINDOW, WEBKIT_CONTEXT_MENU_ACTION_NO_ACTION})
    {
        webkit_context_menu_append(menu, action == WEBKIT_CONTEXT_MENU_ACTION_NO_ACTION
                                             ? webkit_context_menu_item_new_separator()
                                             : webkit_context_menu_item_new_from_stock_action(action));
    }
    gboolean suppressed = TRUE;
    g_signal_emit_by_name(native, "context-menu", menu, nullptr, nullptr, &suppressed);
    EXPECT_FALSE(suppressed);
    std::vector<WebKitContextMenuAction> left;
    for (GList* node = webkit_context_menu_get_items(menu); node; node = node->next)
        left.push_back(webkit_context_menu_item_get_stock_action(static_cast<WebKitContextMenuItem*>(node->data)));
    EXPECT_EQ((std::vector<WebKitContextMenuAction>{WEBKIT_CONTEXT_MENU_ACTION_COPY_LINK_TO_CLIPBOARD,
                                                    WEBKIT_CONTEXT_MENU_ACTION_NO_ACTION, WEBKIT_CONTEXT_MENU_ACTION_COPY}),
              left);
    g_object_unref(menu);

    // A menu with nothing but navigation is not shown at all.
    menu = webkit_context_menu_new();
    webkit_context_menu_append(menu, webkit_context_menu_item_new_from_stock_action(WEBKIT_CONTEXT_MENU_ACTION_GO_BACK));
    webkit_context_menu_append(menu, webkit_context_menu_item_new_from_stock_action(WEBKIT_CONTEXT_MENU_ACTION_RELOAD));
    suppressed = FALSE;
    g_signal_emit_by_name(native, "context-menu", menu, nullptr, nullptr, &suppressed);
    EXPECT_TRUE(suppressed);
    g_object_unref(menu);
}

TEST_F(EmbeddedBrowserTest, ScriptsRunWithoutWaitingAndReportToNobodyOnceTheHostIsGone)
{
    ASSERT_TRUE(WriteFile(ProgramDir() + wxS("/page.html"), Page("one")));
    CachingServer server(ProgramDir());
    CEmbeddedBrowser* host = MakeHost();
    wxWebView* view = host->GetWebView();
    ASSERT_NE(nullptr, view);
    host->LoadUrl(server.Address(wxS("page.html")));
    ASSERT_TRUE(WaitForText(view, wxS("one")));

    struct Answer
    {
        int calls = 0;
        bool ran = false;
        wxString value;
    };
    auto run = [host](const wxString& script, Answer& answer) {
        host->RunScript(script, [&answer](bool ran, const wxString& value) {
            ++answer.calls;
            answer.ran = ran;
            answer.value = value;
        });
    };
    const struct
    {
        const char* script;
        bool ran;
        const char* value;
    } cases[] = {
        {"document.getElementById('v').textContent", true, "one"},
        {"undefined", true, ""},
        {"throw new Error('no')", false, ""},
    };
    for (const auto& c : cases)
    {
        Answer answer;
        run(wxString(c.script), answer);
        ASSERT_TRUE(WaitFor([&answer] { return answer.calls > 0; })) << c.script;
        RunPendingEvents(50);
        EXPECT_EQ(1, answer.calls) << c.script;
        EXPECT_EQ(c.ran, answer.ran) << c.script;
        EXPECT_EQ(wxString(c.value), answer.value) << c.script;
    }

    // A page that is no preview cannot update itself.
    Answer preview;
    run(PreviewUpdateScript(), preview);
    ASSERT_TRUE(WaitFor([&preview] { return preview.calls > 0; }));
    EXPECT_TRUE(preview.ran);
    EXPECT_EQ(wxS("false"), preview.value);

    // A host destroyed while a script runs calls nothing back.
    Answer late;
    run(wxS("'late'"), late);
    host->Destroy();
    RunPendingEvents(300);
    EXPECT_EQ(0, late.calls);
}
