// The font list that the main window shows, and what choosing one of its rows does.
#include "core/GlypharaCore.h"

#include "core/CoreNames.h"
#include "core/FontFolders.h"
#include "core/FontListModel.h"
#include "core/PlatformLauncher.h"
#include "trace/TraceSystem.h"

#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/intl.h>

namespace
{
// The page about where fonts come from, shipped with the program.
wxString FontShopPage()
{
    return wxFileName::FileNameToURL(wxFileName(wxGetCwd() + wxS("/Manuals/fonts.html")));
}
}

FontListModel& CGlypharaCore::UpdatedFontList()
{
    if (!m_fontList)
        m_fontList = std::make_unique<FontListModel>();
    if (!m_fontPictures)
        m_fontPictures = std::make_unique<FontPictures>();
    FontListModel::Texts texts;
    texts.myFonts = wxGetTranslation(wxS("My Fonts"));
    texts.noPreview = wxGetTranslation(wxS("Custom Font, Preview Not Available"));
    texts.site = wxString::FromAscii(kMakerWebSite);
    m_fontList->Update(m_fontTable, *m_fontPictures, texts);
    return *m_fontList;
}

const FontListModel& CGlypharaCore::GetInstalledFontModel()
{
    return UpdatedFontList();
}

int CGlypharaCore::GetInstalledFontList(wxArrayString& rows, wxString& selectedRow)
{
    TS_FUNCTION("CGlypharaCore::GetInstalledFontList");
    CORE_REQUIRE_INITIALIZED();

    rows.Clear();
    const FontListModel& list = UpdatedFontList();
    rows.Alloc(list.Rows().size());
    for (const FontListRow& row : list.Rows())
        rows.Add(row.html);

    const TagMap::const_iterator tag = m_tags.find(m_selectedTag);
    if (tag != m_tags.end())
    {
        const size_t selected = list.FindFont(tag->second.foundry, tag->second.font);
        if (selected != FontListModel::npos)
            selectedRow = list.Rows()[selected].html;
    }
    TS_RETURN(RC_OK, wxEmptyString);
}

int CGlypharaCore::SelectInstalledFont(const wxString& entry, bool byMouse, bool keyUp, bool keyDown)
{
    TS_FUNCTION("CGlypharaCore::SelectInstalledFont");
    CORE_REQUIRE_INITIALIZED();

    // The entry is a row of the list as the window last got it; one that the current
    // list does not hold is read for what it says.
    FontListRow row;
    size_t index = m_fontList ? m_fontList->Find(entry) : FontListModel::npos;
    if (index == FontListModel::npos)
        index = UpdatedFontList().Find(entry);
    const bool listed = index != FontListModel::npos;
    if (listed)
        row = m_fontList->Rows()[index];
    else
        row = FontListModel::ReadRow(entry);

    if (row.kind == FontRowKind::Font)
    {
        const TagMap::const_iterator tag = m_tags.find(m_selectedTag);
        FontProperties record = tag != m_tags.end() ? tag->second : FontProperties();

        // A row of the list says which font it stands for: a font copied into a project's
        // folder has a file name of another form ("Foundry___Font.swf" in "fonts/").
        // Only a text from elsewhere is read by its file and the folder that holds it.
        const wxString& path = row.path;
        wxString font = row.font;
        wxString foundry = row.foundry;
        if (!listed)
        {
            font = path.BeforeLast('.').AfterLast('/');
            font.Replace(wxS("_"), wxS(" "));
            foundry = path.BeforeLast('/').AfterLast('/');
            foundry.Replace(wxS("_"), wxS(" "));
        }
        TS_LOG(TS_VERBOSE, wxS("Selected font list entry: ") + entry);
        TS_LOG(TS_VERBOSE, wxS("Parsed font full path: ") + path);
        TS_LOG(TS_VERBOSE, wxS("Parsed font name: ") + font);
        TS_LOG(TS_VERBOSE, wxS("Parsed font foundry: ") + foundry);

        const FontTable::const_iterator inFoundry = m_fontTable.find(foundry);
        const FontTable::const_iterator mine = m_fontTable.find(wxString());
        if (inFoundry != m_fontTable.end() && inFoundry->second.count(font))
        {
            record.font = font;
            record.foundry = foundry;
        }
        else if (mine != m_fontTable.end() && mine->second.count(font))
        {
            // The folder holding the file is a font folder itself.
            record.font = font;
            record.foundry.clear();
        }
        else
            TS_LOG(TS_ERROR,
                   wxString::Format(wxS("Selected font: %s does not exist in the foundry: %s"), font, foundry));
        SetCurrentFontProperties(record);
        TS_RETURN(RC_OK, wxEmptyString);
    }

    bool up = false;
    if (row.kind == FontRowKind::AddMore)
    {
        if (byMouse)
        {
            Launcher().OpenUrl(FontShopPage());
            // The list selection goes back to the tag's font.
            CallUpdateControls();
            TS_RETURN(RC_OK, wxS("Launching default browser to add more fonts"));
        }
        if (!keyUp && !keyDown)
        {
            CallUpdateControls();
            TS_RETURN(RC_OK, wxEmptyString);
        }
        up = keyUp;
    }
    else
    {
        if (!byMouse && !keyUp && !keyDown)
        {
            CallUpdateControls();
            TS_RETURN(RC_OK, wxEmptyString);
        }
        // A click on a header picks the first font below it.
        up = !byMouse && keyUp;
    }

    const FontListModel& list = UpdatedFontList();
    const std::vector<FontListRow>& rows = list.Rows();
    if (rows.size() < 4)
        TS_RETURN(RC_FAILED, wxEmptyString);
    const size_t found = list.Find(entry);
    if (found == FontListModel::npos)
        TS_RETURN(RC_OK, wxEmptyString);

    // Step over headers and add-more rows, turning back once at either end. Two lengths
    // of the list reach every row from any start; a list without font rows ends there.
    size_t position = found;
    for (size_t step = 0; step < 2 * rows.size(); ++step)
    {
        if (up)
        {
            if (position == 0)
            {
                position = 1;
                up = false;
            }
            else
                --position;
        }
        else if (position + 1 == rows.size())
        {
            --position;
            up = true;
        }
        else
            ++position;
        if (rows[position].kind == FontRowKind::Font)
        {
            const wxString target = rows[position].html;
            const int result = SelectInstalledFont(target, false, up, !up);
            TS_RETURN(result, wxEmptyString);
        }
    }
    TS_RETURN(RC_FAILED, wxS("No font in the font list"));
}
