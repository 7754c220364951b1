// Where the preview host gets its web view. The program uses the toolkit's WebKitGTK
// view; tests put in a creator that fails, to see the host cope with a machine that
// has none.
#ifndef GLYPHARA_BROWSER_WEBVIEWCREATOR_H
#define GLYPHARA_BROWSER_WEBVIEWCREATOR_H

class wxWebView;
class wxWindow;

// Returns a web view created as a child of parent and showing "about:blank", or null.
using WebViewCreator = wxWebView* (*)(wxWindow* parent);

wxWebView* CreateToolkitWebView(wxWindow* parent);

// Whether view's web pages give back the engine's caches past the preview's memory
// limit (a view from the toolkit's creator, made after the limit was set).
bool HasWebProcessMemoryLimit(wxWebView* view);

// Hosts created afterwards use creator; returns the one used before.
WebViewCreator SetWebViewCreator(WebViewCreator creator);

#endif
