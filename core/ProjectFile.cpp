// The project file: an XML file that names the project, lists what its folder holds and
// carries every tag with its style record.
#include "core/GlypharaCore.h"

#include "core/CoreNames.h"
#include "core/GlyphCoverage.h"
#include "core/ProjectPaths.h"
#include "core/TextUtil.h"
#include "core/XmlTree.h"
#include "trace/TraceSystem.h"

#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/intl.h>
#include <wx/log.h>
#include <wx/mstream.h>
#include <wx/xml/xml.h>

namespace
{
// Creates an element in front of the parent's existing children, so that the element
// created last stands first in the file.
wxXmlNode* PrependElement(wxXmlNode* parent, const wxString& name)
{
    wxXmlNode* node = new wxXmlNode(wxXML_ELEMENT_NODE, name);
    if (parent->GetChildren())
        parent->InsertChild(node, parent->GetChildren());
    else
        parent->AddChild(node);
    return node;
}

wxXmlNode* PrependListedFile(wxXmlNode* parent, const wxString& elementName, const wxString& fileName,
                             const wxString& dir)
{
    wxXmlNode* node = PrependElement(parent, elementName);
    node->AddAttribute(wxS("filename"), fileName);
    node->AddAttribute(wxS("dir"), dir);
    return node;
}

bool IsWrittenTag(const wxString& name, const FontProperties& record)
{
    return !name.empty() && !record.font.empty();
}

bool TableHolds(const FontTable& table, const wxString& foundry, const wxString& font)
{
    const FontTable::const_iterator found = table.find(foundry);
    return found != table.end() && found->second.find(font) != found->second.end();
}
}

int CGlypharaCore::SaveXMLProject(const wxString& path, const wxString& projectName, const wxString& dataDir,
                                  const wxString& htmlDataDir, const wxString& cssFileName,
                                  const wxString& htmlFileName)
{
    TS_FUNCTION("CGlypharaCore::SaveXMLProject");
    CORE_REQUIRE_INITIALIZED();

    wxXmlDocument document;
    document.SetVersion(wxS("1.0"));
    document.SetFileEncoding(wxS("utf-8"));

    wxXmlNode* root = new wxXmlNode(wxXML_ELEMENT_NODE, wxS("GlypharaProject"));
    root->AddAttribute(wxS("appname"), wxS("Glyphara"));
    root->AddAttribute(wxS("version"), wxString::FromAscii(kAppVersion));
    root->AddAttribute(wxS("build"), wxString::Format(wxS("%ld"), TraceSystem::GetInstance()->GetBuildNumber()));
    document.SetRoot(root);

    wxXmlNode* project = PrependElement(root, wxS("project"));
    project->AddAttribute(wxS("projectname"), projectName);

    wxXmlNode* files = PrependElement(project, wxS("files"));
    wxXmlNode* basics = PrependElement(files, wxS("basics"));
    for (const wxString& name : m_sifrFileNames)
        PrependListedFile(basics, wxS("file"), name, htmlDataDir);

    wxXmlNode* fonts = PrependElement(files, wxS("fonts"));
    const wxString fontDir = htmlDataDir + wxS("fonts/");
    for (const TagMap::value_type& tag : m_tags)
    {
        if (!IsWrittenTag(tag.first, tag.second))
        {
            TS_LOG(TS_WARNING, wxS("Empty string found in map"));
            continue;
        }
        wxXmlNode* font = PrependListedFile(fonts, wxS("font"), ProjectPaths::FontFileName(tag.second.foundry, tag.second.font), fontDir);
        font->AddAttribute(wxS("fontname"), tag.second.font);
        font->AddAttribute(wxS("foundryname"), tag.second.foundry);
    }

    wxXmlNode* example = PrependElement(files, wxS("example"));
    PrependListedFile(example, wxS("htmlfile"), htmlFileName, dataDir);
    PrependListedFile(example, wxS("cssfile"), cssFileName, htmlDataDir);

    wxXmlNode* tags = PrependElement(project, wxS("tags"));
    for (const TagMap::value_type& tag : m_tags)
    {
        if (!IsWrittenTag(tag.first, tag.second))
        {
            TS_LOG(TS_WARNING, wxS("Empty string found in map"));
            continue;
        }
        WriteFontProperties(tags, tag.first, tag.second, false);
    }

    // The whole file is made in memory first, so a failed save leaves the previous
    // project file as it was.
    wxMemoryOutputStream buffer;
    bool saved;
    {
        wxLogNull quiet;
        saved = document.Save(buffer, 1);
    }
    if (saved)
    {
        const size_t size = buffer.GetLength();
        wxCharBuffer bytes(size);
        buffer.CopyTo(bytes.data(), size);
        saved = WriteBytesAtomically(path, bytes.data(), size);
    }
    if (!saved)
        TS_RETURN(RC_WRITE_FAILED, wxS("Error when saving XML to ") + path);
    TS_RETURN(RC_OK, wxEmptyString);
}

namespace
{
// Why a file cannot be opened as a project, before anything of it is used.
struct ProjectFileCheck
{
    int result = RC_OK;
    wxString traced; // the return trace's message
    wxString reason; // for the user
};

ProjectFileCheck Refused(int result, const wxChar* traced, const wxString& reason)
{
    ProjectFileCheck check;
    check.result = result;
    check.traced = traced;
    check.reason = reason;
    return check;
}

// Reads the file whole and checks that it holds a project with tags, so that nothing of
// the open project is given up for a file that cannot replace it. project, tags and files
// are the elements found.
ProjectFileCheck CheckProjectFile(const wxString& path, wxXmlDocument& document, const wxXmlNode*& project,
                                  const wxXmlNode*& tags, const wxXmlNode*& files)
{
    // Project files come from anyone: read with limits, never with the toolkit's loader.
    wxString problem;
    if (!XmlTree::Load(path, document, problem))
    {
        TS_LOG_AS("CGlypharaCore::LoadXMLProject", TS_WARNING, problem);
        wxString reason = problem;
        if (wxFileExists(path) && wxFileName::GetSize(path) == 0)
            reason = wxGetTranslation(wxS("the file is empty"));
        return Refused(RC_LOAD_FAILED, wxS("Unable to create the XML object"), reason);
    }

    const wxXmlNode* root = document.GetRoot();
    if (!root)
        return Refused(RC_BAD_FORMAT, wxS("No root in this file"), wxGetTranslation(wxS("the file holds no XML element")));
    if (root->GetName() == wxS("tallowbyglyphara"))
        return Refused(RC_INCOMPATIBLE_VERSION,
                       wxS("This project has been saved with an old and incompatible version of Glyphara"),
                       wxGetTranslation(wxS("it was saved by an old and incompatible version of Glyphara")));
    if (root->GetName() != wxS("GlypharaProject"))
        return Refused(RC_BAD_FORMAT, wxS("This is not a Glyphara project"),
                       wxString::Format(wxGetTranslation(wxS("it is not a Glyphara project (its root element is <%s>)")),
                                        root->GetName()));

    project = root->GetChildren();
    if (!project || !project->HasAttribute(wxS("projectname")))
        return Refused(RC_BAD_FORMAT, wxS("No projects in this file"), wxGetTranslation(wxS("it names no project")));

    tags = nullptr;
    files = nullptr;
    for (const wxXmlNode* child = project->GetChildren(); child; child = child->GetNext())
    {
        if (child->GetType() != wxXML_ELEMENT_NODE)
            continue;
        if (child->GetName() == wxS("tags"))
            tags = child;
        else if (child->GetName() == wxS("files"))
            files = child;
    }
    if (!tags || !files)
        return Refused(RC_BAD_FORMAT, wxS("Invalid file format in XML file"),
                       wxGetTranslation(wxS("its list of tags or of files is missing")));

    bool anyTag = false;
    for (const wxXmlNode* child = tags->GetChildren(); child && !anyTag; child = child->GetNext())
        anyTag = child->GetType() == wxXML_ELEMENT_NODE;
    if (!anyTag)
        return Refused(RC_LOAD_FAILED, wxS("No tags in this project"), wxGetTranslation(wxS("it holds no tags")));
    return ProjectFileCheck();
}

// "name (<h1>, <h2>)" lines, one per key.
wxString ListWithTags(const std::map<wxString, wxArrayString, Utf16Less>& tagsByName)
{
    wxString text;
    for (const auto& entry : tagsByName)
    {
        wxArrayString tags = entry.second;
        tags.Sort();
        text += wxS("\n") + entry.first + wxS(" (");
        for (size_t i = 0; i < tags.size(); ++i)
            text += (i ? wxS(", ") : wxS("")) + ShownTag(tags[i]);
        text += wxS(")");
    }
    return text;
}
}

int CGlypharaCore::LoadXMLProject(const wxString& path)
{
    TS_FUNCTION("CGlypharaCore::LoadXMLProject");
    CORE_REQUIRE_INITIALIZED();
    m_lastProblem.clear();

    wxXmlDocument document;
    const wxXmlNode* project = nullptr;
    const wxXmlNode* tags = nullptr;
    const wxXmlNode* files = nullptr;
    const ProjectFileCheck check = CheckProjectFile(path, document, project, tags, files);
    if (check.result < 0)
    {
        m_lastProblem = path + wxS(": ") + check.reason;
        TS_RETURN(check.result, check.traced);
    }
    const int result = ReadProjectElements(path, project, tags, files);
    if (result == RC_LOADED_WITH_ERRORS)
        TS_RETURN(result, wxS("Some errors happened while loading"));
    if (result == RC_LOADED_WITH_WARNINGS)
        TS_RETURN(result, wxS("Some warnings happened while loading"));
    TS_RETURN(RC_OK, wxEmptyString);
}

int CGlypharaCore::ReadProjectElements(const wxString& path, const wxXmlNode* project, const wxXmlNode* tags,
                                       const wxXmlNode* files)
{
    // Traced as the reading of the project file, which this is.
    static const wxString& ts_function_ = *new const wxString(wxS("CGlypharaCore::LoadXMLProject"));
    m_tagsWithMissingFonts.clear();
    m_projectName = project->GetAttribute(wxS("projectname"));

    const wxString projectFolder = ProjectPaths::FolderOfPath(path);
    bool warning = false;
    bool error = false;
    wxArrayString missingFiles;
    for (const wxXmlNode* group = files->GetChildren(); group; group = group->GetNext())
    {
        if (group->GetType() != wxXML_ELEMENT_NODE)
            continue;
        const bool fontGroup = group->GetName() == wxS("fonts");
        for (const wxXmlNode* entry = group->GetChildren(); entry; entry = entry->GetNext())
        {
            if (entry->GetType() != wxXML_ELEMENT_NODE || !entry->HasAttribute(wxS("filename")) ||
                !entry->HasAttribute(wxS("dir")))
                continue;
            const wxString fileName = entry->GetAttribute(wxS("filename"));
            const wxString dir = entry->GetAttribute(wxS("dir"));
            const wxString fontName = entry->GetAttribute(wxS("fontname"));
            const wxString foundryName = entry->GetAttribute(wxS("foundryname"));

            // An entry that points outside the project's folder, or a font whose name
            // could not be a file name, counts as missing: a project file from
            // elsewhere must not make us read or republish other files.
            wxString fullPath;
            bool exists = ProjectPaths::ResolveProjectFile(projectFolder, dir, fileName, fullPath) && wxFileExists(fullPath);
            if (fontGroup && (!ProjectPaths::IsSafeFontKey(foundryName) || !ProjectPaths::IsSafeFontKey(fontName)))
                exists = false;
            // Only font movies are taken as font copies, so a project file lying beside
            // other documents cannot list one of them to be copied into every export.
            if (fontGroup && !fileName.Lower().EndsWith(wxS(".swf")))
                exists = false;

            if (!exists && fontGroup)
            {
                if (TableHolds(m_fontTable, foundryName, fontName))
                    TS_LOG(TS_MESSAGE, wxS("Using the installed version of: ") + fontName);
                else
                {
                    TS_LOG(TS_ERROR, wxS("This font won't be available: ") + fontName);
                    error = true;
                }
            }
            else if (!exists)
            {
                TS_LOG(TS_WARNING, wxS("File missing: ") + dir + wxS("/") + fileName);
                missingFiles.Add(dir + fileName);
                warning = true;
            }
            else if (fontGroup && !TableHolds(m_fontTable, foundryName, fontName))
            {
                // Kept apart from the scanned fonts, so that a rescan of the font folders
                // does not lose it.
                m_projectFonts[foundryName][fontName] = fullPath;
                FontTableChanging();
                m_fontTable[foundryName][fontName] = fullPath;
                TS_LOG(TS_MESSAGE, wxS("Using the project version of: ") + fontName);
            }
        }
    }
    if (warning)
        TS_LOG(TS_WARNING, wxS("Some files are missing"));

    // Every tag of the file is kept, also one whose font is missing, so that saving never
    // writes back less than was read.
    std::map<wxString, wxArrayString, Utf16Less> missingFonts;
    wxArrayString refusedNames;
    for (const wxXmlNode* child = tags->GetChildren(); child; child = child->GetNext())
    {
        if (child->GetType() != wxXML_ELEMENT_NODE)
            continue;
        // Tag names are lower case; a file written by hand may have <H2> for h2.
        const wxString name = child->GetName().Lower();
        if (CleanTag(name) != name)
        {
            TS_LOG(TS_ERROR, wxS("This tag won't be available: ") + child->GetName() + wxS(" (not a tag name)"));
            refusedNames.Add(ShownTag(child->GetName()));
            error = true;
            continue;
        }
        FontProperties& record = TagRecord(name);
        ReadFontProperties(child, record, false);
        if (!record.font.empty() && !TableHolds(m_fontTable, record.foundry, record.font))
        {
            TS_LOG(TS_ERROR, wxS("The font of this tag is missing: ") + name + wxS(" (") + record.font + wxS(")"));
            m_tagsWithMissingFonts[name] =
                (record.foundry.empty() ? wxString() : record.foundry + wxS(" / ")) + record.font;
            missingFonts[FontShownName(record.font)].Add(name);
            error = true;
        }
    }
    if (error)
        TS_LOG(TS_ERROR, wxS("Some fonts are not available"));

    // What the user is told after opening, besides the notice itself.
    if (!missingFonts.empty())
        m_lastProblem += wxGetTranslation(wxS("Fonts neither installed nor in the project's folder:")) +
                         ListWithTags(missingFonts);
    if (!refusedNames.empty())
        m_lastProblem += (m_lastProblem.empty() ? wxString() : wxS("\n\n")) +
                         wxGetTranslation(wxS("Left out, as their names are no tag names:")) + wxS("\n") +
                         wxJoin(refusedNames, '\n', 0);
    if (!missingFiles.empty())
        m_lastProblem += (m_lastProblem.empty() ? wxString() : wxS("\n\n")) +
                         wxGetTranslation(wxS("Files missing:")) + wxS("\n") + wxJoin(missingFiles, '\n', 0);

    if (error)
        return RC_LOADED_WITH_ERRORS;
    return warning ? RC_LOADED_WITH_WARNINGS : RC_OK;
}

int CGlypharaCore::LoadProject(const wxString& path)
{
    TS_FUNCTION("CGlypharaCore::LoadProject");
    CORE_REQUIRE_INITIALIZED();
    TS_LOG(TS_MESSAGE, wxS("Loading project from: ") + path);
    m_lastProblem.clear();

    // The open project stays until the new one has been read whole.
    wxXmlDocument document;
    const wxXmlNode* project = nullptr;
    const wxXmlNode* tags = nullptr;
    const wxXmlNode* files = nullptr;
    const ProjectFileCheck check = CheckProjectFile(path, document, project, tags, files);
    if (check.result < 0)
    {
        TS_LOG(TS_ERROR, check.traced);
        m_lastProblem = path + wxS(": ") + check.reason;
        TS_RETURN(check.result, wxS("Unable to load the XML file"));
    }

    const EditScope edit(*this, EditScope::kNewHistory);
    NewProject();
    const int result = ReadProjectElements(path, project, tags, files);
    if (result == RC_LOADED_WITH_ERRORS)
        TS_LOG(TS_ERROR, wxS("Some errors happened while loading"));
    else if (result == RC_LOADED_WITH_WARNINGS)
        TS_LOG(TS_WARNING, wxS("Some warnings happened while loading"));

    m_projectFilePath = path;
    if (!m_tags.empty())
        SetSelectedTag(m_tags.begin()->first);
    // Selecting applies the record, which marks the project as changed; a project that
    // has just been opened is unchanged.
    m_projectSaved = true;
    CallUpdateControls();
    CallUpdateFlash(500);
    TS_LOG(TS_MESSAGE, wxS("Project successfully loaded"));
    TS_RETURN(result, wxEmptyString);
}
