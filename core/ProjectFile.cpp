// The project file: an XML file that names the project, lists what its folder holds and
// carries every tag with its style record.
#include "core/GlypharaCore.h"

#include "core/ProjectPaths.h"
#include "core/XmlTree.h"
#include "trace/TraceSystem.h"

#include <wx/filefn.h>
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

int CGlypharaCore::LoadXMLProject(const wxString& path)
{
    TS_FUNCTION("CGlypharaCore::LoadXMLProject");
    CORE_REQUIRE_INITIALIZED();
    m_droppedTags.clear();

    // Project files come from anyone: read with limits, never with the toolkit's loader.
    wxXmlDocument document;
    wxString problem;
    if (!XmlTree::Load(path, document, problem))
    {
        TS_LOG(TS_WARNING, problem);
        TS_RETURN(RC_LOAD_FAILED, wxS("Unable to create the XML object"));
    }

    const wxXmlNode* root = document.GetRoot();
    if (!root)
        TS_RETURN(RC_BAD_FORMAT, wxS("No root in this file"));
    if (root->GetName() == wxS("tallowbyglyphara"))
        TS_RETURN(RC_INCOMPATIBLE_VERSION,
                  wxS("This project has been saved with an old and incompatible version of Glyphara"));
    if (root->GetName() != wxS("GlypharaProject"))
        TS_RETURN(RC_BAD_FORMAT, wxS("This is not a Glyphara project"));

    const wxXmlNode* project = root->GetChildren();
    if (!project || !project->HasAttribute(wxS("projectname")))
        TS_RETURN(RC_BAD_FORMAT, wxS("No projects in this file"));
    m_projectName = project->GetAttribute(wxS("projectname"));

    const wxXmlNode* tags = nullptr;
    const wxXmlNode* files = nullptr;
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
        TS_RETURN(RC_BAD_FORMAT, wxS("Invalid file format in XML file"));

    const wxString projectFolder = ProjectPaths::FolderOfPath(path);
    bool warning = false;
    bool error = false;
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
                warning = true;
            }
            else if (fontGroup && !TableHolds(m_fontTable, foundryName, fontName))
            {
                m_fontTable[foundryName][fontName] = fullPath;
                TS_LOG(TS_MESSAGE, wxS("Using the project version of: ") + fontName);
            }
        }
    }
    if (warning)
        TS_LOG(TS_WARNING, wxS("Some files are missing"));
    if (error)
        TS_LOG(TS_ERROR, wxS("Some fonts are not available"));

    bool anyTag = false;
    for (const wxXmlNode* child = tags->GetChildren(); child && !anyTag; child = child->GetNext())
        anyTag = child->GetType() == wxXML_ELEMENT_NODE;
    if (!anyTag)
        TS_RETURN(RC_LOAD_FAILED, wxS("No tags in this project"));

    for (const wxXmlNode* child = tags->GetChildren(); child; child = child->GetNext())
    {
        if (child->GetType() != wxXML_ELEMENT_NODE)
            continue;
        const wxString name = child->GetName();
        FontProperties& record = TagRecord(name);
        const bool read = ReadFontProperties(child, record, false);
        if (!read || !TableHolds(m_fontTable, record.foundry, record.font))
        {
            TS_LOG(TS_ERROR, wxS("This tag won't be available: ") + name + wxS(" (XML error or font unavailable?)"));
            const wxString foundry = child->GetAttribute(wxS("foundry"));
            m_droppedTags[name] = (foundry.empty() ? wxString() : foundry + wxS(" / ")) + child->GetAttribute(wxS("font"));
            m_tags.erase(name);
        }
    }

    if (error)
        TS_RETURN(RC_LOADED_WITH_ERRORS, wxS("Some errors happened while loading"));
    if (warning)
        TS_RETURN(RC_LOADED_WITH_WARNINGS, wxS("Some warnings happened while loading"));
    TS_RETURN(RC_OK, wxEmptyString);
}

int CGlypharaCore::LoadProject(const wxString& path)
{
    TS_FUNCTION("CGlypharaCore::LoadProject");
    CORE_REQUIRE_INITIALIZED();
    const EditScope edit(*this, EditScope::kNewHistory);
    TS_LOG(TS_MESSAGE, wxS("Loading project from: ") + path);

    NewProject();
    const int result = LoadXMLProject(path);
    if (result < 0)
    {
        NewProject();
        TS_RETURN(result, wxS("Unable to load the XML file"));
    }

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
