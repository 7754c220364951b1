#include "core/FileStamp.h"
#include "core/GlyphCoverage.h"
#include "core/GlypharaCore.h"

#include "trace/TraceSystem.h"

#include <wx/intl.h>

#include <sys/stat.h>

namespace
{
// The text of a tag's block on the sample page, as a reader sees it (the link's text
// included, its markup not).
wxString SampleSentence(const wxString& tag)
{
    return wxS("Your ") + tag + wxS(" tag will look like this, and your links will look like this.");
}
}

struct CGlypharaCore::MovieCoverageEntry
{
    FileStamp state;
    // Null when the file is no movie the runtime would draw with.
    std::shared_ptr<const MovieCoverage> coverage;
};

std::shared_ptr<const MovieCoverage> CGlypharaCore::MovieCoverageOf(const wxString& path)
{
    FileStamp state;
    if (!StampOf(path, state))
    {
        m_movieCoverage.erase(path);
        return nullptr;
    }
    std::shared_ptr<MovieCoverageEntry>& entry = m_movieCoverage[path];
    if (!entry || !(entry->state == state))
    {
        TS_LOG_AS("CGlypharaCore::MovieCoverageOf", TS_VERBOSE, wxS("Reading the code table of ") + path);
        entry = std::make_shared<MovieCoverageEntry>();
        entry->state = state;
        auto coverage = std::make_shared<MovieCoverage>();
        if (ReadMovieCoverageFile(path, *coverage))
            entry->coverage = coverage;
        else
            TS_LOG_AS("CGlypharaCore::MovieCoverageOf", TS_WARNING,
                      wxS("Font movie unreadable, its characters are not checked: ") + path);
    }
    return entry->coverage;
}

int CGlypharaCore::GetMissingCharacters(wxString& fontName, wxArrayString& characters)
{
    TS_FUNCTION("CGlypharaCore::GetMissingCharacters");
    fontName.clear();
    characters.clear();
    CORE_REQUIRE_INITIALIZED();

    const TagMap::const_iterator tag = m_tags.find(m_selectedTag);
    if (tag == m_tags.end())
        TS_RETURN(RC_OK, wxEmptyString);
    const FontProperties& record = tag->second;
    if (record.font.empty())
        TS_RETURN(RC_OK, wxEmptyString);
    fontName = FontShownName(record.font);

    const FontTable::const_iterator foundry = m_fontTable.find(record.foundry);
    if (foundry == m_fontTable.end())
        TS_RETURN(RC_OK, wxEmptyString);
    const FontsOfFoundry::const_iterator font = foundry->second.find(record.font);
    if (font == foundry->second.end())
        TS_RETURN(RC_OK, wxEmptyString);

    const std::shared_ptr<const MovieCoverage> coverage = MovieCoverageOf(font->second);
    const FaceCoverage* face = coverage ? coverage->PickFace(record.bold, record.italic) : nullptr;
    if (!face)
        TS_RETURN(RC_OK, wxEmptyString);

    // The line break keeps the two texts apart and is itself never missing.
    const wxString text = m_userText + wxS('\n') + SampleSentence(m_selectedTag);
    for (const uint32_t code : FindMissingCharacters(*face, text))
        characters.Add(wxString(wxUniChar(code)));
    TS_RETURN(RC_OK, wxEmptyString);
}

int CGlypharaCore::GetMissingCharactersText(wxString& text)
{
    TS_FUNCTION("CGlypharaCore::GetMissingCharactersText");
    text.clear();
    CORE_REQUIRE_INITIALIZED();
    // A tag may keep a font that is nowhere to be found (a project from another
    // machine): the line says so instead of listing characters.
    const TagMap::const_iterator tag = m_tags.find(m_selectedTag);
    if (tag != m_tags.end() && !tag->second.font.empty())
    {
        const FontTable::const_iterator foundry = m_fontTable.find(tag->second.foundry);
        if (foundry == m_fontTable.end() || foundry->second.count(tag->second.font) == 0)
        {
            text = wxString::Format(wxGetTranslation(wxS("Font missing: %s is neither installed nor in the "
                                                         "project's folder")),
                                    FontShownName(tag->second.font));
            TS_RETURN(RC_OK, wxEmptyString);
        }
    }
    wxString fontName;
    wxArrayString characters;
    const int result = GetMissingCharacters(fontName, characters);
    if (result != RC_OK)
        TS_RETURN(result, wxEmptyString);
    text = FormatMissingCharacters(fontName, characters);
    TS_RETURN(RC_OK, wxEmptyString);
}
