#include "GuiTestSupport.h"

#include "core/GlypharaCore.h"
#include "trace/TraceSystem.h"

#include <wx/app.h>
#include <wx/config.h>
#include <wx/dir.h>
#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/stopwatch.h>
#include <wx/utils.h>
#include <wx/webview.h>

#include <gtk/gtk.h>

#include <cstdlib>

namespace
{
wxString MakeTempDir()
{
    char pattern[] = "/tmp/glyphara-guitest-XXXXXX";
    const char* made = mkdtemp(pattern);
    return wxString::FromUTF8(made ? made : "/tmp");
}

void RemoveTempDir(const wxString& path)
{
    if (path.StartsWith(wxS("/tmp/glyphara-guitest-")))
        wxFileName::Rmdir(path, wxPATH_RMDIR_RECURSIVE);
}
}

void RunPendingEvents(int milliseconds)
{
    wxStopWatch watch;
    while (watch.Time() < milliseconds)
    {
        wxTheApp->Yield(true);
        wxMilliSleep(10);
    }
}

bool WaitFor(const std::function<bool()>& condition, int milliseconds)
{
    wxStopWatch watch;
    while (!condition())
    {
        if (watch.Time() > milliseconds)
            return false;
        RunPendingEvents(20);
    }
    return true;
}

void CopyTree(const wxString& from, const wxString& to)
{
    wxFileName::Mkdir(to, 0777, wxPATH_MKDIR_FULL);
    wxDir dir(from);
    ASSERT_TRUE(dir.IsOpened()) << from;
    wxString name;
    for (bool more = dir.GetFirst(&name); more; more = dir.GetNext(&name))
    {
        const wxString source = from + wxS("/") + name;
        if (wxDirExists(source))
            CopyTree(source, to + wxS("/") + name);
        else
            wxCopyFile(source, to + wxS("/") + name);
    }
}

wxString Evaluate(wxWebView* view, const wxString& script)
{
    wxString result;
    view->RunScript(script, &result);
    return result;
}

wxString TagShown(const wxString& selector)
{
    return wxString::Format(wxS("document.documentElement.getAttribute('data-sifr-done') === 'true' && "
                                "!!document.querySelector('%s.sIFR-webfont, %s.sIFR-replaced > svg path')"),
                            selector, selector);
}

wxString TagColour(const wxString& selector)
{
    return wxString::Format(
        wxS("(() => { const e = document.querySelector('%s'); const ink = e.querySelector('svg g.sIFR-ink');"
            " const c = ink ? ink.getAttribute('fill') : getComputedStyle(e).color;"
            " const m = /rgba?\\((\\d+), *(\\d+), *(\\d+)/.exec(c);"
            " return m ? '#' + m.slice(1, 4).map((v) => (+v).toString(16).padStart(2, '0')).join('') : c.toLowerCase(); })()"),
        selector);
}

wxString TagFiltered(const wxString& selector)
{
    return wxString::Format(
        wxS("(() => { const e = document.querySelector('%s'); return !!e.querySelector('svg filter') ||"
            " Array.from(e.querySelectorAll('.sIFR-text')).some((t) => getComputedStyle(t).filter !== 'none' ||"
            " getComputedStyle(t).textShadow !== 'none'); })()"),
        selector);
}

void GuiTest::SetUp()
{
    m_home = MakeTempDir();
    m_program = MakeTempDir();
    setenv("HOME", m_home.fn_str(), 1);
    setenv("XDG_CONFIG_HOME", (m_home + wxS("/.config")).fn_str(), 1);
    m_previousCwd = wxGetCwd();
    wxSetWorkingDirectory(m_program);

    m_log = new Capture;
    m_previousLog = wxLog::SetActiveTarget(m_log);
    TraceSystem::GetInstance()->Init(wxS("Glyphara"), wxEmptyString);
    wxLog::SetVerbose(true);
}

void GuiTest::TearDown()
{
    CGlypharaCore::GetInstance()->Release();
    CGlypharaCore::DestroyInstance();
    delete wxConfigBase::Set(nullptr);
    TraceSystem::GetInstance()->Shutdown();
    TraceSystem::DestroyInstance();
    TraceSystem::SetUiHooks(TraceUiHooks());
    wxLog::SetActiveTarget(m_previousLog);
    delete m_log;
    wxSetWorkingDirectory(m_previousCwd);
    RemoveTempDir(m_program);
    RemoveTempDir(m_home);
}

bool GuiTest::LogContains(const wxString& fragment) const
{
    for (const wxString& line : m_log->lines)
        if (line.Contains(fragment))
            return true;
    return false;
}

int GuiTest::LogCount(const wxString& fragment) const
{
    int count = 0;
    for (const wxString& line : m_log->lines)
        if (line.Contains(fragment))
            ++count;
    return count;
}

wxImage GrabScreen(const wxRect& area)
{
    GdkPixbuf* shot = gdk_pixbuf_get_from_window(gdk_get_default_root_window(), area.x, area.y, area.width,
                                                 area.height);
    if (!shot)
        return wxImage();
    const int width = gdk_pixbuf_get_width(shot);
    const int height = gdk_pixbuf_get_height(shot);
    const int stride = gdk_pixbuf_get_rowstride(shot);
    const int channels = gdk_pixbuf_get_n_channels(shot);
    const guchar* pixels = gdk_pixbuf_get_pixels(shot);
    wxImage image(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
        {
            const guchar* pixel = pixels + y * stride + x * channels;
            image.SetRGB(x, y, pixel[0], pixel[1], pixel[2]);
        }
    g_object_unref(shot);
    return image;
}

wxString GuiTest::LogLine(const wxString& fragment) const
{
    for (const wxString& line : m_log->lines)
        if (line.Contains(fragment))
            return line;
    return wxString();
}
