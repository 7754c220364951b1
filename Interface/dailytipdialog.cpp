#include "Interface/dailytipdialog.h"

#include "Interface/ProgramIcon.h"
#include "Interface/TipLines.h"
#include "Library/Accessibility/Accessibility.h"
#include "trace/TraceSystem.h"
#include "wxIncludes/wxIncludes.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/config.h>
#include <wx/dcbuffer.h>
#include <wx/filefn.h>
#include <wx/font.h>
#include <wx/intl.h>
#include <wx/stattext.h>
#include <wx/time.h>
#include <wx/tipdlg.h>

#include <algorithm>
#include <vector>

namespace
{
const char* const kTipPicture = "GlypharaTipDay.png";
const char* const kTipsFile = "Data/tips.txt";
// Where the tip text goes on the picture, and how wide its lines may grow.
constexpr int kTipX = 210;
constexpr int kTipY = 100;
constexpr int kTipWidth = 300;
constexpr int kLineGap = 2;
constexpr int kButtonGap = 10;
constexpr int kBottomMargin = 6;
// Space kept between the last line of a tip and the check box.
constexpr int kTextGap = 4;
// Where the picture is drawn out when large text needs a taller window: below the
// picture's own texts, above its divider line.
constexpr int kStretchRow = 215;
// How often a window manager's frame may shrink the client area before the dialog gives in.
constexpr int kMaxSizeCorrections = 5;
constexpr int kPlacementGraceMs = 2000;

wxFont TextFont(int points)
{
    return wxFont(points, wxFONTFAMILY_DEFAULT, wxFONTSTYLE_NORMAL, wxFONTWEIGHT_NORMAL, false, wxEmptyString);
}
}

wxBEGIN_EVENT_TABLE(CDailytipDialog, wxDialog)
    EVT_PAINT(CDailytipDialog::OnPaint)
    EVT_SIZE(CDailytipDialog::OnSize)
    EVT_MOVE(CDailytipDialog::OnMove)
    EVT_BUTTON(CDailytipDialog::ID_PREVIOUS, CDailytipDialog::OnPrevious)
    EVT_BUTTON(CDailytipDialog::ID_NEXT, CDailytipDialog::OnNext)
    EVT_BUTTON(CDailytipDialog::ID_CLOSE, CDailytipDialog::OnClose)
    EVT_CHECKBOX(CDailytipDialog::ID_SHOW_AT_STARTUP, CDailytipDialog::OnShowAtStartup)
    EVT_LEFT_DOWN(CDailytipDialog::OnLeftDown)
    EVT_MOTION(CDailytipDialog::OnMotion)
    EVT_LEFT_UP(CDailytipDialog::OnLeftUp)
    EVT_MOUSE_CAPTURE_LOST(CDailytipDialog::OnCaptureLost)
    EVT_CHAR_HOOK(CDailytipDialog::OnCharHook)
    EVT_CLOSE(CDailytipDialog::OnCloseWindow)
wxEND_EVENT_TABLE()

CDailytipDialog::CDailytipDialog(wxWindow* parent, const wxString& caption, const wxSize& size)
{
    Create(parent, caption, size);
}

CDailytipDialog::~CDailytipDialog() = default;

bool CDailytipDialog::Create(wxWindow* parent, const wxString& caption, const wxSize& size)
{
    TS_FUNCTION("CDailytipDialog::Create");
    SetExtraStyle(wxWS_EX_BLOCK_EVENTS);
    // A caption bar without a resizing border; on this desktop a borderless window would
    // also lose its caption.
    wxDialog::Create(parent, ID_DIALOG, caption, wxDefaultPosition, size,
                     wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX | wxSTAY_ON_TOP | wxTAB_TRAVERSAL, wxS("dialog"));
    // The picture and the text are painted over the whole client area.
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    CreateControls();
    CentreOnParent();
    const wxIconBundle icons = LoadProgramIcon();
    if (!icons.IsEmpty())
        SetIcons(icons);

    if (GetBitmapBundleFromZip(wxString(kTipPicture), wxS(GLYPHARA_RESOURCE_ARCHIVE), false, m_pictures) < 0)
        TS_RETURN(false, wxS("Unable to load the tip picture"));
    m_background = m_pictures.GetBitmap(m_pictures.GetDefaultSize());
    // The client area takes the picture's size. (Setting the client size of a window not
    // shown yet leaves this toolkit with a collapsed window.)
    SetSize(m_background.GetSize() + (GetSize() - GetClientSize()));
    CentreOnScreen();

    m_showAtStartup->SetValue(ShowAtStartup());
    // This desktop's buttons can be taller than the picture leaves room for; the button
    // row and the check box above it then move up together, so the buttons stay whole.
    const int overhang = m_previous->GetRect().GetBottom() + 1 + kBottomMargin - m_background.GetHeight();
    if (overhang > 0)
    {
        m_previous->Move(m_previous->GetPosition() - wxPoint(0, overhang));
        m_showAtStartup->Move(m_showAtStartup->GetPosition() - wxPoint(0, overhang));
    }
    const wxPoint row = m_previous->GetPosition();
    m_next->Move(row.x + m_previous->GetSize().x + kButtonGap, row.y);
    m_close->Move(GetSize().x - m_close->GetSize().x - kButtonGap, row.y);

    ReadTips();
    MakeRoomForTips();
    const long stored = wxConfigBase::Get()->ReadLong(kLastShownTipSetting, 0);
    // A negative index counts as too large.
    m_current = stored >= 0 && stored < static_cast<long>(m_tips.GetCount()) ? static_cast<int>(stored) : 0;
    ShowCurrentTip();
    TS_RETURN(true, wxEmptyString);
}

void CDailytipDialog::CreateControls()
{
    m_showAtStartup = new wxCheckBox(this, ID_SHOW_AT_STARTUP, wxEmptyString, wxPoint(160, 240), wxDefaultSize, 0,
                                     wxDefaultValidator, wxS("check"));
    m_showAtStartup->SetValue(true);
    m_previous = new wxButton(this, ID_PREVIOUS, _("<- Previous"), wxPoint(160, 270), wxDefaultSize, 0,
                              wxDefaultValidator, wxS("button"));
    m_next = new wxButton(this, ID_NEXT, _("Next->"), wxPoint(280, 270), wxDefaultSize, 0, wxDefaultValidator,
                          wxS("button"));
    m_close = new wxButton(this, ID_CLOSE, _("Close"), wxPoint(480, 270), wxDefaultSize, 0, wxDefaultValidator,
                           wxS("button"));
    // The box's label is drawn on the picture beside it.
    Accessibility::SetName(m_showAtStartup, _("Show tips on startup"));
    m_tipText = new wxStaticText(this, wxID_ANY, wxEmptyString, wxPoint(kTipX, kTipY));
    m_tipText->SetFont(TextFont(9));
    m_tipText->SetForegroundColour(wxColour(0, 0, 0, wxALPHA_TRANSPARENT));
}

std::vector<wxString> CDailytipDialog::TipLines(const wxString& tip, const wxFont& font) const
{
    return BreakTipLines(tip, kTipWidth, [&](size_t first, size_t last) {
        int width = 0, height = 0;
        GetTextExtent(tip.Mid(first, last - first + 1), &width, &height, nullptr, nullptr, &font);
        return width;
    });
}

void CDailytipDialog::MakeRoomForTips()
{
    if (!m_background.IsOk())
        return;
    const wxFont font = TextFont(9);
    int width = 0, lineHeight = 0;
    GetTextExtent(wxS("Ag"), &width, &lineHeight, nullptr, nullptr, &font);
    lineHeight += kLineGap;
    size_t lines = 0;
    for (const wxString& tip : m_tips)
        lines = std::max(lines, TipLines(tip, font).size());
    const int bottom = kTipY + static_cast<int>(lines) * lineHeight;
    m_extraHeight = std::max(0, bottom + kTextGap - m_showAtStartup->GetPosition().y);
    if (m_extraHeight == 0)
        return;
    SetSize(GetSize() + wxSize(0, m_extraHeight));
    for (wxWindow* control : {static_cast<wxWindow*>(m_showAtStartup), static_cast<wxWindow*>(m_previous),
                              static_cast<wxWindow*>(m_next), static_cast<wxWindow*>(m_close)})
        control->Move(control->GetPosition() + wxPoint(0, m_extraHeight));
    CentreOnScreen();
}

void CDailytipDialog::ShowCurrentTip()
{
    wxString text;
    if (m_current >= 0 && m_current < static_cast<int>(m_tips.GetCount()))
    {
        for (const wxString& line : TipLines(m_tips[m_current], TextFont(9)))
            text << (text.empty() ? wxString() : wxString(wxS("\n"))) << wxString(line).Trim();
    }
    m_tipText->SetLabelText(text);
    m_tipText->SetSize(m_tipText->GetBestSize());
}

wxSize CDailytipDialog::ClientTarget() const
{
    return m_background.GetSize() + wxSize(0, m_extraHeight);
}

void CDailytipDialog::ReadTips()
{
    // The provider reports a missing file as an error of its own; a missing file only
    // means no tips.
    if (!wxFileExists(wxString(kTipsFile)))
    {
        TS_LOG_AS("CDailytipDialog::Create", TS_WARNING, wxString(wxS("No tips file at ")) + kTipsFile);
        return;
    }
    m_tipProvider.reset(wxCreateFileTipProvider(wxString(kTipsFile), 0));
    // The provider goes round the file for ever; it has wrapped once its position stops
    // growing.
    size_t before = m_tipProvider->GetCurrentTip();
    for (;;)
    {
        const wxString tip = m_tipProvider->GetTip();
        const size_t after = m_tipProvider->GetCurrentTip();
        if (after <= before)
            break;
        before = after;
        // A file of comments only makes the provider hand back its last comment.
        if (tip.empty() || tip.StartsWith(wxS("#")))
            continue;
        m_tips.Add(tip);
        TS_LOG_AS("CDailytipDialog::Create", TS_MESSAGE, tip);
    }
}

bool CDailytipDialog::ShowAtStartup()
{
    return wxConfigBase::Get()->ReadBool(kShowDailyTipsSetting, true);
}

CDailytipDialog* CDailytipDialog::OpenAtStartup(wxWindow* mainWindow, wxWindow* splash)
{
    CDailytipDialog* tips = new CDailytipDialog(mainWindow, _("Daily tip"), wxSize(600, 300));
    if (ShowAtStartup())
    {
        tips->Show();
        if (splash)
            splash->Destroy();
    }
    return tips;
}

void CDailytipDialog::OnPaint(wxPaintEvent&)
{
    wxAutoBufferedPaintDC dc(this);
    if (m_background.IsOk())
    {
        const wxBitmap picture = m_pictures.GetBitmapFor(this);
        const wxSize size = m_background.GetSize();
        if (m_extraHeight <= 0)
            dc.DrawBitmap(picture, 0, 0, true);
        else
        {
            // The picture grows in the middle: its top and bottom as they are, the row
            // above the cut repeated in between.
            {
                wxDCClipper top(dc, wxRect(0, 0, size.x, kStretchRow));
                dc.DrawBitmap(picture, 0, 0, true);
            }
            {
                wxDCClipper bottom(dc, wxRect(0, kStretchRow + m_extraHeight, size.x, size.y - kStretchRow));
                dc.DrawBitmap(picture, 0, m_extraHeight, true);
            }
            for (int y = kStretchRow; y < kStretchRow + m_extraHeight; ++y)
            {
                wxDCClipper band(dc, wxRect(0, y, size.x, 1));
                dc.DrawBitmap(picture, 0, y - kStretchRow + 1, true);
            }
        }
    }
    else
    {
        // Without the picture the controls stand on the plain window background.
        dc.SetBackground(wxBrush(GetBackgroundColour()));
        dc.Clear();
    }
    dc.SetBrush(*wxTRANSPARENT_BRUSH);
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
    dc.SetTextForeground(*wxBLACK);

    dc.SetFont(TextFont(8));
    const wxRect box = m_showAtStartup->GetRect();
    const wxString label = _("Show tips on startup");
    // Beside the box, centred on it, so that it reads as the box's own label.
    const int labelHeight = dc.GetTextExtent(label).y;
    dc.DrawText(label, box.GetRight() + 1 + 3, box.y + (box.height - labelHeight) / 2);

    dc.SetFont(TextFont(9));
    if (m_current < 0 || m_current >= static_cast<int>(m_tips.GetCount()))
        return;
    const wxString& tip = m_tips[m_current];
    wxArrayInt partial;
    dc.GetPartialTextExtents(tip, partial);
    const std::vector<int> extents(partial.begin(), partial.end());
    const std::vector<wxString> lines = BreakTipLines(tip, kTipWidth, SpanWidthFromPartialExtents(extents));
    const int lineHeight = dc.GetCharHeight() + kLineGap;
    for (size_t k = 0; k < lines.size(); ++k)
        dc.DrawText(lines[k], kTipX, kTipY + static_cast<int>(k) * lineHeight);
}

bool CDailytipDialog::Show(bool show)
{
    const bool changed = wxDialog::Show(show);
    if (show && changed && m_shownAt == 0)
    {
        m_shownAt = wxGetLocalTimeMillis();
        m_placedAt = GetPosition();
        m_awaitingPlacement = true;
    }
    return changed;
}

void CDailytipDialog::OnMove(wxMoveEvent& event)
{
    event.Skip();
    // Some window managers place a new window by their own rules; one that moves itself
    // once it is up is obeyed. Only the placement right after the first showing is
    // corrected, never a drag.
    if (!m_awaitingPlacement)
        return;
    m_awaitingPlacement = false;
    if (wxGetLocalTimeMillis() - m_shownAt <= kPlacementGraceMs && GetPosition() != m_placedAt)
        CallAfter([this] { CentreOnScreen(); });
}

void CDailytipDialog::OnSize(wxSizeEvent& event)
{
    event.Skip();
    // A window manager adds its frame only once the window is up, and the toolkit then
    // takes the room from the client area; the picture needs all of it.
    if (IsShown() && m_background.IsOk() && m_sizeCorrections < kMaxSizeCorrections &&
        GetClientSize() != ClientTarget())
    {
        ++m_sizeCorrections;
        SetClientSize(ClientTarget());
    }
}

void CDailytipDialog::OnPrevious(wxCommandEvent&)
{
    if (--m_current < 0)
        m_current = static_cast<int>(m_tips.GetCount()) - 1;
    ShowCurrentTip();
    Refresh();
}

void CDailytipDialog::OnNext(wxCommandEvent&)
{
    if (++m_current >= static_cast<int>(m_tips.GetCount()))
        m_current = 0;
    ShowCurrentTip();
    Refresh();
}

void CDailytipDialog::OnShowAtStartup(wxCommandEvent& event)
{
    wxConfigBase::Get()->Write(kShowDailyTipsSetting, m_showAtStartup->GetValue());
    event.Skip();
}

void CDailytipDialog::OnClose(wxCommandEvent& event)
{
    wxConfigBase* settings = wxConfigBase::Get();
    settings->Write(kShowDailyTipsSetting, m_showAtStartup->GetValue());
    // The next window starts after the tip shown now; past the end it starts again at 0.
    settings->Write(kLastShownTipSetting, static_cast<long>(m_current) + 1);
    settings->Flush();
    Close();
    event.Skip();
}

void CDailytipDialog::OnCloseWindow(wxCloseEvent&)
{
    // A closed tip window is never shown again ("Get a tip!" makes a new one); hidden, it
    // would only pile up with the others until the program ends.
    Destroy();
}

// Escape is the Close button. The dialog's own Escape handling is not used: it would also
// turn the title bar's close box into the Close button, which stores the next tip.
void CDailytipDialog::OnCharHook(wxKeyEvent& event)
{
    if (event.GetKeyCode() != WXK_ESCAPE || event.HasAnyModifiers())
    {
        event.Skip();
        return;
    }
    wxCommandEvent close(wxEVT_BUTTON, ID_CLOSE);
    close.SetEventObject(m_close);
    m_close->GetEventHandler()->ProcessEvent(close);
}

void CDailytipDialog::OnLeftDown(wxMouseEvent& event)
{
    m_awaitingPlacement = false;
    CaptureMouse();
    const wxPoint offset = ClientToScreen(event.GetPosition()) - GetPosition();
    m_dragX = offset.x;
    m_dragY = offset.y;
}

void CDailytipDialog::OnMotion(wxMouseEvent& event)
{
    if (HasCapture() && event.LeftIsDown())
        Move(ClientToScreen(event.GetPosition()) - wxPoint(m_dragX, m_dragY));
}

void CDailytipDialog::OnLeftUp(wxMouseEvent&)
{
    if (HasCapture())
        ReleaseMouse();
}

void CDailytipDialog::OnCaptureLost(wxMouseCaptureLostEvent&)
{
    // The capture is gone already (another program took the pointer); the drag ends.
}
