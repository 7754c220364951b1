#include "Interface/glypharaapp.h"

#include "Interface/DesktopLauncher.h"
#include "Interface/GuiTraceHooks.h"
#include "Interface/WindowGeometry.h"
#include "Interface/dailytipdialog.h"
#include "Interface/glypharamainframe.h"
#include "core/GlypharaCore.h"
#include "core/TextUtil.h"
#include "trace/TraceSystem.h"
#include "wxIncludes/wxIncludes.h"

#include <wx/bitmap.h>
#include <wx/config.h>
#include <wx/filefn.h>
#include <wx/gdicmn.h>
#include <wx/image.h>
#include <wx/intl.h>

#include <gdk/gdkx.h>

#include <csignal>
#include <cstdlib>
#include <ctime>
#include <unistd.h>
#include <wx/time.h>

// The process entry (Interface/windowmain.cpp) reads the command line before the toolkit starts.
wxIMPLEMENT_APP_NO_MAIN(GlypharaApp);

namespace
{
constexpr int kSplashTimeout = 3000;
constexpr int kPlacementGraceMs = 2000;

// Everything the program reads at run time lies next to the executable, whatever folder
// it was started from.
void EnterProgramFolder()
{
    const wxString folder = WithTrailingSeparator(ProgramFolder());
    wxSetWorkingDirectory(folder);
    TS_LOG_AS("GlypharaApp::OnInit", TS_MESSAGE, wxS("Working directory changed to: ") + folder);
}

// Returns where the window was put, and its size.
wxRect PlaceMainWindow(GlypharaMainFrame* frame)
{
    // All four values are read before the window changes: its own geometry events write
    // them back.
    const WindowGeometry::Stored stored = WindowGeometry::Read(*wxConfigBase::Get());
    const wxSize display = wxGetDisplaySize();
    const WindowGeometry::Placement placement = WindowGeometry::PlacementFor(stored, display.x, display.y);
    wxSize size(placement.width, placement.height);
    // Without a size of the user's own, the window opens large enough for its tools and
    // controls at the user's text size.
    if (stored.width < 0 || stored.height < 0)
        size.IncTo(frame->GetFittingSize());
    frame->SetSize(size);
    if (placement.centre)
        frame->Centre(wxBOTH);
    else
        frame->Move(placement.x, placement.y);
    const wxRect placed = frame->GetRect();
    TS_LOG_AS("GlypharaApp::OnInit", TS_VERBOSE,
              wxString::Format(wxS("Main window placed at (%d, %d), %d x %d"), placed.x, placed.y, placed.width,
                               placed.height));
    return placed;
}

// Run by the event loop, not in the signal's own context. Ended by the session or by kill,
// the program still stops its servers and removes its preview folder, then ends as the
// signal would have ended it: nobody is there to answer a question about saving.
void OnEndingSignal(int number)
{
    TS_LOG_AS("GlypharaApp::OnEndingSignal", TS_MESSAGE, wxString::Format(wxS("Ending on signal %d"), number));
    CGlypharaCore::GetInstance()->Release();
    TraceSystem::GetInstance()->Shutdown();
    std::signal(number, SIG_DFL);
    std::raise(number);
}

XIOErrorHandler g_displayLost = nullptr;

// With its display gone (the session ended, the X server stopped) GTK ends the program at
// once, past every exit handler: the servers and the preview folder go first.
int OnDisplayLost(Display* display)
{
    CGlypharaCore::GetInstance()->Release();
    if (g_displayLost)
        return g_displayLost(display);
    _exit(1);
}
}

bool GlypharaApp::OnInit()
{
    // The command line has been read by the process entry: the base class, which would
    // parse it again, is not called.
    TraceSystem::SetUiHooks(MakeGuiTraceHooks());
    TraceSystem::GetInstance()->Init(wxS("Glyphara"), wxEmptyString);

    SetAppName(wxS("Glyphara"));
    SetVendorName(wxS("Tallowby Software"));
    EnterProgramFolder();
    wxInitAllImageHandlers();
    // The preview servers draw their ports from rand(); an unseeded sequence would give
    // every running copy of the program the same ports.
    srand(static_cast<unsigned>(time(nullptr)) ^ (static_cast<unsigned>(getpid()) << 16));

    wxBitmap splashPicture;
    if (GetBitmapFromZip(wxS("GlypharaSplash.png"), wxS(GLYPHARA_RESOURCE_ARCHIVE), splashPicture) >= 0)
    {
        m_splash = new wxSplashScreen(splashPicture, wxSPLASH_CENTRE_ON_SCREEN | wxSPLASH_TIMEOUT, kSplashTimeout,
                                      nullptr, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                                      wxBORDER_NONE | wxSTAY_ON_TOP);
    }

    for (int number : {SIGTERM, SIGHUP, SIGINT})
        SetSignalHandler(number, OnEndingSignal);
    if (GDK_IS_X11_DISPLAY(gdk_display_get_default()))
        g_displayLost = XSetIOErrorHandler(OnDisplayLost);

    CGlypharaCore::GetInstance()->SetLauncher(std::unique_ptr<CPlatformLauncher>(new CDesktopLauncher));
    CGlypharaCore::GetInstance()->Init();

    mainFrame = new GlypharaMainFrame(nullptr, _("Glyphara"),
                                      wxSize(WindowGeometry::kDefaultWidth, WindowGeometry::kDefaultHeight));
    m_placed = PlaceMainWindow(mainFrame);
    mainFrame->Bind(wxEVT_MOVE, &GlypharaApp::OnFirstMainFrameMove, this);
    m_shownAt = wxGetLocalTimeMillis();
    mainFrame->Show();
    SetTopWindow(mainFrame);
    SetExitOnFrameDelete(true);
    // Without a window manager that honours "stay on top" the main window, shown last,
    // would cover the splash.
    if (m_splash)
        m_splash->Raise();

    TraceSystem::GetInstance()->CheckInitialized();

    // Made before the event loop runs: made later, while a window manager is still taking
    // the main window in, the tip window had the main window shrink to its minimum size for
    // a moment.
    CDailytipDialog::OpenAtStartup(mainFrame, m_splash.get());

    if (!GetStartupProject().empty())
        mainFrame->OpenProjectAtStartup(GetStartupProject());

    return true;
}

void GlypharaApp::OnFirstMainFrameMove(wxMoveEvent& event)
{
    event.Skip();
    mainFrame->Unbind(wxEVT_MOVE, &GlypharaApp::OnFirstMainFrameMove, this);
    // Window managers may place a new window by their own rules and ignore where the
    // program asked for it; a mapped window that moves itself is obeyed. Only the
    // placement right after showing is corrected, never a later move by the user.
    const bool justShown = wxGetLocalTimeMillis() - m_shownAt < kPlacementGraceMs;
    if (justShown && mainFrame->GetPosition() != m_placed.GetPosition())
    {
        // The size is given again with the place. While a window manager takes a new
        // window in, the toolkit may hold the size of the bare window it was mapped as;
        // a move alone would keep that size, raised to the minimum, for good.
        const wxRect placed = m_placed;
        GlypharaMainFrame* frame = mainFrame;
        frame->CallAfter([frame, placed] { frame->SetSize(placed); });
    }
}

void GlypharaApp::OnAssertFailure(const wxChar* file, int line, const wxChar* func, const wxChar* cond,
                                   const wxChar* msg)
{
    // A toolkit check that fails (for example on a hand-edited settings file) goes to the
    // log instead of stopping the user with a debugging dialog.
    TS_LOG_AS("GlypharaApp::OnAssertFailure", TS_ERROR,
              wxString::Format(wxS("Toolkit assertion \"%s\" failed in %s (%s:%d): %s"), cond, func, file, line, msg));
}

int GlypharaApp::OnExit()
{
    CGlypharaCore::GetInstance()->Release();
    CGlypharaCore::DestroyInstance();
    TraceSystem::GetInstance()->Shutdown();
    TraceSystem::DestroyInstance();
    return wxApp::OnExit();
}
