#include "core/GlypharaCore.h"

#include "core/CoreNames.h"
#include "core/FontListModel.h"
#include "core/TextUtil.h"
#include "core/UndoHistory.h"
#include "trace/TraceSystem.h"

#include <wx/intl.h>
#include <wx/regex.h>

namespace
{
const wxChar* const kStandardTagNames[] = {wxS("<h1>"), wxS("<h2>"), wxS("<h3>"),
                                           wxS("<h4>"), wxS("<h5>"), wxS("<h6>")};
}

int CGlypharaCore::NewProject()
{
    TS_FUNCTION("CGlypharaCore::NewProject");
    CORE_REQUIRE_INITIALIZED();
    const EditScope edit(*this, EditScope::kNewHistory);

    m_standardTagNames.clear();
    for (const wxChar* name : kStandardTagNames)
        m_standardTagNames.Add(name);

    m_selectedTag = wxS("h1");
    m_userText = wxS("Sample Text");

    m_tags.clear();
    m_tags[wxS("h1")] = FontProperties();
    // The fonts of the project that was open leave the list with it.
    MergeProjectFonts(true);
    m_projectFonts.clear();
    m_tagsWithMissingFonts.clear();

    // The new tag gets the first installed font. A click on the list's first row (a
    // header) would move down to that font, but a list of one foundry with a single font
    // is too short to move in, so the first font row is clicked instead.
    const std::vector<FontListRow>& rows = UpdatedFontList().Rows();
    if (!rows.empty())
    {
        size_t first = 0;
        while (first < rows.size() && rows[first].kind != FontRowKind::Font)
            ++first;
        const wxString clicked = rows[first < rows.size() ? first : 0].html;
        SelectInstalledFont(clicked, true, false, false);
    }

    m_selectedEffect = kNoneEffect;
    SetSelectedEffect(m_selectedEffect);

    m_projectFilePath.clear();
    m_projectName.clear();
    m_projectSaved = false;
    m_newProjectTags = m_tags;
    m_newProjectText = m_userText;

    CallUpdateControls();
    CallUpdateFlash(500);
    TS_RETURN(RC_OK, wxS("Project has been reseted"));
}

bool CGlypharaCore::IsUnchangedNewProject() const
{
    if (!m_initialised || !m_projectFilePath.empty() || m_userText != m_newProjectText ||
        m_tags.size() != m_newProjectTags.size())
        return false;
    for (TagMap::const_iterator now = m_tags.begin(), made = m_newProjectTags.begin(); now != m_tags.end(); ++now, ++made)
    {
        if (now->first != made->first || !SameStyle(now->second, made->second))
            return false;
    }
    return true;
}

wxString CGlypharaCore::CleanTag(const wxString& tag)
{
    // Built once: the expression never changes and tags are cleaned on every edit.
    static const wxRegEx expression(wxS("[a-z]+[a-z0-9]*"), wxRE_EXTENDED);
    const wxString lower = tag.Lower();
    wxString result;
    size_t start = 0, length = 0;
    if (expression.IsValid() && expression.Matches(lower) && expression.GetMatch(&start, &length))
        result = lower.Mid(start, length);
    TS_LOG_AS("CGlypharaCore::CleanTag", TS_MESSAGE,
              wxString::Format(wxS("%s tag name cleaned as %s"), tag, result));
    return result;
}

bool CGlypharaCore::IsAStandardTag(const wxString& tag)
{
    TS_LOG_AS("CGlypharaCore::IsAStandardTag", TS_MESSAGE,
              wxString::Format(wxS("Checking if %s is a standard tag..."), tag));
    const wxString cleaned = CleanTag(tag);
    bool found = false;
    for (const wxString& standard : m_standardTagNames)
    {
        if (CleanTag(standard) == cleaned)
        {
            found = true;
            break;
        }
    }
    TS_LOG_AS("CGlypharaCore::IsAStandardTag", TS_MESSAGE, found ? wxS("...it is!") : wxS("...it isn't!"));
    return found;
}

int CGlypharaCore::GetTagList(wxArrayString& list, wxString& selected)
{
    TS_FUNCTION("CGlypharaCore::GetTagList");
    CORE_REQUIRE_INITIALIZED();
    list.clear();
    for (const auto& tag : m_tags)
    {
        if (!tag.first.empty())
            list.Add(ShownTag(tag.first));
    }
    selected = ShownTag(m_selectedTag);
    TS_RETURN(RC_OK, wxEmptyString);
}

int CGlypharaCore::GetUnusedTagList(wxArrayString& list)
{
    TS_FUNCTION("CGlypharaCore::GetUnusedTagList");
    CORE_REQUIRE_INITIALIZED();
    list = m_standardTagNames;
    wxArrayString used;
    wxString selected;
    GetTagList(used, selected);
    for (const wxString& tag : used)
    {
        while (list.Index(tag) != wxNOT_FOUND)
            list.Remove(tag);
    }
    TS_RETURN(RC_OK, wxEmptyString);
}

int CGlypharaCore::SetSelectedTag(const wxString& tag)
{
    TS_FUNCTION("CGlypharaCore::SetSelectedTag");
    CORE_REQUIRE_INITIALIZED();
    const wxString cleaned = CleanTag(tag);
    // Only a tag of the project can be selected; adding tags is AddNewTag's work.
    if (m_tags.count(cleaned) == 0)
        TS_RETURN(RC_NOT_FOUND, wxS("No such tag: ") + tag);
    const EditScope edit(*this);
    m_selectedTag = cleaned;
    TS_LOG(TS_MESSAGE, wxS("Selected tag changed to ") + tag);
    // A copy: the record is replaced while it is being applied.
    const FontProperties record = TagRecord(m_selectedTag);
    SetCurrentFontProperties(record);
    TS_RETURN(RC_OK, wxEmptyString);
}

int CGlypharaCore::AddNewTag(wxString& name, bool select)
{
    TS_FUNCTION("CGlypharaCore::AddNewTag");
    CORE_REQUIRE_INITIALIZED();
    EditScope edit(*this);

    name = CleanTag(name);
    if (name.empty())
        TS_RETURN(RC_INVALID_TAG_NAME, wxS("Invalid tag name"));
    edit.Name(wxString::Format(wxGetTranslation(wxS("add tag %s")), ShownTag(name)), wxEmptyString);

    // Every name in the map is a cleaned one, loaded names too.
    if (m_tags.count(name))
        TS_RETURN(RC_TAG_EXISTS, wxS("Tag already exists"));

    // The new tag starts with the font in use; everything else keeps its default.
    const FontProperties current = TagRecord(m_selectedTag);
    FontProperties& added = m_tags[name];
    added = FontProperties();
    added.font = current.font;
    added.foundry = current.foundry;

    m_projectSaved = false;
    if (select)
        SetSelectedTag(name);

    if (IsAStandardTag(name))
        TS_RETURN(RC_OK, wxEmptyString);
    TS_RETURN(RC_NONSTANDARD_TAG, wxEmptyString);
}

int CGlypharaCore::RemoveTag(const wxString& name)
{
    TS_FUNCTION("CGlypharaCore::RemoveTag");
    CORE_REQUIRE_INITIALIZED();
    if (m_tags.size() < 2)
        TS_RETURN(RC_DELETE_FAILED, wxS("Unable to delete tag"));

    EditScope edit(*this);
    const wxString cleaned = CleanTag(name);
    edit.Name(wxString::Format(wxGetTranslation(wxS("remove tag %s")), ShownTag(cleaned)), wxEmptyString);
    m_projectSaved = false;
    m_tags.erase(cleaned);
    if (m_selectedTag == cleaned)
        SetSelectedTag(m_tags.begin()->first);
    TS_RETURN(RC_OK, wxEmptyString);
}

int CGlypharaCore::RenameTag(const wxString& oldName, const wxString& newName)
{
    TS_FUNCTION("CGlypharaCore::RenameTag");
    CORE_REQUIRE_INITIALIZED();

    EditScope edit(*this);
    const wxString oldCleaned = CleanTag(oldName);
    wxString newCleaned = CleanTag(newName);
    edit.Name(wxString::Format(wxGetTranslation(wxS("rename tag %s to %s")), ShownTag(oldCleaned),
                               ShownTag(newCleaned)),
              wxEmptyString);
    const int added = AddNewTag(newCleaned, false);
    if (added < 0)
        TS_RETURN(added, wxEmptyString);

    const FontProperties record = TagRecord(oldCleaned);
    m_tags[newCleaned] = record;
    m_tags.erase(oldCleaned);

    if (CleanTag(m_selectedTag) == oldCleaned)
        m_selectedTag = newCleaned;

    m_projectSaved = false;
    SetSelectedTag(m_selectedTag);
    TS_RETURN(RC_OK, wxEmptyString);
}

int CGlypharaCore::GetSelectedFontProperties(FontProperties& record)
{
    TS_FUNCTION("CGlypharaCore::GetSelectedFontProperties");
    CORE_REQUIRE_INITIALIZED();
    record = TagRecord(m_selectedTag);
    TS_RETURN(RC_OK, wxEmptyString);
}

void CGlypharaCore::FollowEffect(const FontProperties& record)
{
    // The effect shown follows the filters: the current selection wins a tie, then the
    // first stored effect in key order, else the combination becomes "User defined".
    const wxString userDefined = kUserDefinedEffect;
    wxString found;
    bool matched = false;
    for (const auto& effect : m_effectFilters)
    {
        if (effect.first.empty() || effect.first == userDefined)
            continue;
        if (FiltersEqual(effect.second, record))
        {
            found = effect.first;
            matched = true;
            break;
        }
    }
    if (matched)
    {
        if (!FiltersEqual(m_effectFilters[m_selectedEffect], record))
            m_selectedEffect = found;
    }
    else
    {
        m_selectedEffect = userDefined;
        CopyFilters(record, m_effectFilters[userDefined]);
    }
}

int CGlypharaCore::SetCurrentFontProperties(const FontProperties& record)
{
    TS_FUNCTION("CGlypharaCore::SetCurrentFontProperties");
    CORE_REQUIRE_INITIALIZED();
    EditScope edit(*this);
    const TagMap::const_iterator previous = m_tags.find(m_selectedTag);
    edit.NameStyleChange(previous != m_tags.end() ? previous->second : FontProperties(), record);

    FollowEffect(record);

    FontProperties& stored = TagRecord(m_selectedTag);
    stored = record;

    bool regular = true, italic = true, bold = true, boldItalic = true;
    if (GetFontSupportedStyles(stored.font, regular, italic, bold, boldItalic) == RC_OK)
    {
        if (!boldItalic && stored.bold && stored.italic)
        {
            if (bold)
                stored.italic = false;
            else
                stored.bold = false;
        }
        if (!italic)
            stored.italic = false;
        if (!bold)
            stored.bold = false;
        if (!regular && !stored.bold && !stored.italic)
        {
            if (bold)
                stored.bold = true;
            else if (italic)
                stored.italic = true;
            else
                stored.bold = stored.italic = true;
        }
    }

    m_projectSaved = false;
    if (!m_embeddedPreviewPath.empty())
        SaveProject(wxEmptyString, true, true);

    CallUpdateControls();
    CallUpdateFlash(500);
    TS_RETURN(RC_OK, wxEmptyString);
}

int CGlypharaCore::GetUserText(wxString& text)
{
    TS_FUNCTION("CGlypharaCore::GetUserText");
    CORE_REQUIRE_INITIALIZED();
    text = m_userText;
    TS_RETURN(RC_OK, wxEmptyString);
}

int CGlypharaCore::SetUserText(const wxString& text)
{
    TS_FUNCTION("CGlypharaCore::SetUserText");
    CORE_REQUIRE_INITIALIZED();
    EditScope edit(*this);
    edit.Name(wxGetTranslation(wxS("sample text change")), wxS("text"));
    m_userText = text;
    if (!m_embeddedPreviewPath.empty())
        SaveProject(wxEmptyString, true, true);
    CallUpdateFlash(500);
    TS_RETURN(RC_OK, wxEmptyString);
}

int CGlypharaCore::SetFlashPlayerSize(int width, int height)
{
    TS_FUNCTION("CGlypharaCore::SetFlashPlayerSize");
    CORE_REQUIRE_INITIALIZED();
    m_flashPlayerWidth = width;
    m_flashPlayerHeight = height;
    // An empty text would leave the preview with nothing to draw.
    if (m_userText.empty())
        m_userText = wxS(" ");
    CallUpdateFlash(500);
    TS_RETURN(RC_OK, wxEmptyString);
}
