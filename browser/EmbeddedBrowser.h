// The preview area of the main window: a child window holding the toolkit's web view
// (WebKitGTK). It loads addresses without using a cache, reloads completely, stops, and
// reports its size through ordinary size events. When no web view can be had it says so
// in words instead, and the rest of the window goes on working. Starting the web view
// takes most of a second, so it starts once its window has been drawn, or at the first
// call that needs it.
#ifndef GLYPHARA_BROWSER_EMBEDDEDBROWSER_H
#define GLYPHARA_BROWSER_EMBEDDEDBROWSER_H

#include <wx/panel.h>

#include <functional>

class wxWebView;

class CEmbeddedBrowser : public wxPanel
{
public:
    CEmbeddedBrowser(wxWindow* parent, wxWindowID id, const wxSize& size);
    ~CEmbeddedBrowser() override;

    // Fetches the page anew, never from a cache.
    void LoadUrl(const wxString& address);
    // Reloads the current page, bypassing the cache.
    void ReloadCompletely();
    // Stops any navigation or download in progress.
    void StopLoading();
    // Runs a script in the shown page without waiting for it; done, unless the host is
    // gone first, receives whether the script ran and the value it ended with, as text.
    void RunScript(const wxString& script, std::function<void(bool ran, const wxString& value)> done);

    // False when no web view could be created, or its web process is gone until the next
    // load restarts it.
    bool HasBrowser() const;
    // The web view itself, or null; for tests that read the page back.
    wxWebView* GetWebView() const;

private:
    bool TryBefore(wxEvent& event) override;
    void OnFirstPaint(wxPaintEvent& event);
    // Creates the web view, once.
    void StartView();

    wxWebView* m_view = nullptr;
    bool m_started = false;
    class Impl;
    Impl* m_impl = nullptr;
};

#endif
