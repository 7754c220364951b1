// The font library scan: the two font folders into the font table, the listing of the
// user font folder that tells whether it changed, and the styles a font offers.
#include "core/GlypharaCore.h"

#include "core/FontFolders.h"
#include "core/TextUtil.h"
#include "trace/TraceSystem.h"

#include <wx/log.h>

#include <time.h>

#include <atomic>
#include <deque>
#include <string>
#include <vector>

using FontFolders::AppendNative;
using FontFolders::EntryKind;
using FontFolders::FromNative;
using FontFolders::ListEntries;

namespace
{
bool IsHidden(const char* name)
{
    return name[0] == '.';
}

bool CanList(const wxCharBuffer& native)
{
    DIR* dir = opendir(native.data());
    if (dir)
        closedir(dir);
    return dir != nullptr;
}

// A name as it goes into the snapshot: even one that does not convert must stay distinct.
wxString SnapshotName(const char* name)
{
    const wxString converted = FromNative(name);
    return converted.empty() ? wxString::From8BitData(name) : converted;
}

// Takes a listing of files against the previous one. While the two agree nothing is
// copied; a rescan of an unchanged folder then allocates no path at all.
class SnapshotTaker
{
public:
    explicit SnapshotTaker(const wxArrayString& previous) : m_previous(previous) {}

    void Add(const wxString& folder, const char* name)
    {
        if (m_same && m_index < m_previous.size() && Matches(m_previous[m_index], folder, name))
        {
            ++m_index;
            return;
        }
        Diverge();
        wxString path;
        path.reserve(folder.length() + strlen(name));
        path = folder;
        AppendNative(path, name);
        if (path.length() == folder.length())
            path += SnapshotName(name);
        m_fresh.Add(wxEmptyString);
        m_fresh.Last().swap(path);
    }

    // True when the listing differs from the previous one; it is then in fresh.
    bool Changed()
    {
        if (m_same && m_index != m_previous.size())
            Diverge();
        return !m_same;
    }
    wxArrayString& Fresh() { return m_fresh; }

private:
    static bool Matches(const wxString& known, const wxString& folder, const char* name)
    {
        const size_t length = strlen(name);
        if (known.length() < folder.length() || known.compare(0, folder.length(), folder) != 0)
            return false;
        const wxStringCharType* tail = known.wx_str() + folder.length();
        const size_t tailLength = known.length() - folder.length();
        size_t i = 0;
        for (; i < length && static_cast<unsigned char>(name[i]) < 0x80; ++i)
        {
            if (i >= tailLength || tail[i] != static_cast<wxStringCharType>(name[i]))
                return false;
        }
        if (i == length)
            return tailLength == length;
        return known.Mid(folder.length()) == SnapshotName(name);
    }

    void Diverge()
    {
        if (!m_same)
            return;
        m_same = false;
        m_fresh.Alloc(m_previous.size() + 16);
        for (size_t i = 0; i < m_index; ++i)
            m_fresh.Add(m_previous[i]);
    }

    const wxArrayString& m_previous;
    wxArrayString m_fresh;
    size_t m_index = 0;
    bool m_same = true;
};

void ListFilesBelow(const wxString& folder, const wxCharBuffer& native, SnapshotTaker& files);

// The files below a sub-folder. One reached through a symbolic link is listed but not
// descended into, which keeps a link loop from running away.
void ListSubFolderFiles(const wxString& folder, bool linked, SnapshotTaker& files)
{
    if (!linked)
    {
        ListFilesBelow(folder, folder.fn_str(), files);
        return;
    }
    ListEntries(folder.fn_str().data(), [&](const char* name, EntryKind kind, bool) {
        if (kind != EntryKind::Folder)
            files.Add(folder, name);
    });
}

// Every file below a folder (path ends with "/"), hidden ones included, folders
// themselves not listed.
void ListFilesBelow(const wxString& folder, const wxCharBuffer& native, SnapshotTaker& files)
{
    std::vector<std::pair<wxString, bool>> folders;
    ListEntries(native.data(), [&](const char* name, EntryKind kind, bool linked) {
        if (kind == EntryKind::Folder)
            folders.emplace_back(SnapshotName(name), linked);
        else
            files.Add(folder, name);
    });
    for (const auto& sub : folders)
        ListSubFolderFiles(folder + sub.first + wxS("/"), sub.second, files);
}

// What one scanned folder contributes: its font movies, and its name when it is a foundry.
struct ScannedFolder
{
    wxString path; // ends with "/"
    wxString name;
    std::string fontFiles; // the file names of its font movies as read, each ended by a NUL
};

// Whether known equals folder + file, without building that path.
bool IsPathOf(const wxString& known, const wxString& folder, const wxString& file)
{
    return known.length() == folder.length() + file.length() && known.compare(0, folder.length(), folder) == 0 &&
           known.compare(folder.length(), file.length(), file) == 0;
}
}

void CGlypharaCore::FontTableChanging()
{
    static std::atomic<unsigned long> revisions{0};
    m_fontTableRevision = ++revisions;
}

int CGlypharaCore::BuildFontLists()
{
    TS_FUNCTION("CGlypharaCore::BuildFontLists");
    CORE_REQUIRE_INITIALIZED();
    FontTableChanging();

    // The entries of the previous table are taken over where the same fonts turn up
    // again, so that a rescan does not build the whole table anew.
    FontTable previous;
    previous.swap(m_fontTable);
    // Whatever the scan finds, the open project's own fonts stay listed.
    struct ProjectFontsBack
    {
        CGlypharaCore& core;
        ~ProjectFontsBack() { core.MergeProjectFonts(); }
    } projectFontsBack{*this};
    if (!m_fontPictures)
        m_fontPictures = std::make_unique<FontPictures>();
    m_fontPictures->Clear();

    const bool systemSet = !m_systemFontDir.empty();
    const bool userSet = !m_userFontDir.empty();
    if (!systemSet && !userSet)
        TS_RETURN(RC_DIRECTORY_MISSING, wxS("Font directories are not set"));
    const bool systemExists = systemSet && FolderExists(m_systemFontDir);
    const bool userExists = userSet && FolderExists(m_userFontDir);
    if (systemSet && userSet && !systemExists && !userExists)
        TS_RETURN(RC_DIRECTORY_MISSING, wxS("No font director exists"));

    const wxString systemRoot = WithTrailingSeparator(m_systemFontDir);
    const wxString userRoot = WithTrailingSeparator(m_userFontDir);
    const wxCharBuffer systemNative = systemRoot.fn_str();
    const wxCharBuffer userNative = userRoot.fn_str();
    if (systemExists && !CanList(systemNative))
        TS_RETURN(RC_CANNOT_OPEN_DIRECTORY, wxS("Unable to open system font directory"));
    if (userExists && !CanList(userNative))
        TS_RETURN(RC_CANNOT_OPEN_DIRECTORY, wxS("Unable to open user font directory"));

    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);

    // Lists one font folder: its font movies go to scanned, its pictures to the listings,
    // its other entries to sub.
    auto scanFolder = [&](ScannedFolder& scanned, const wxCharBuffer& native, SnapshotTaker* snapshot,
                          std::vector<std::pair<wxString, bool>>* sub) {
        auto listing = std::make_shared<PictureListing>();
        struct stat state;
        const bool read = ListEntries(
            native.data(),
            [&](const char* name, EntryKind kind, bool linked) {
                if (kind == EntryKind::Folder)
                {
                    if (sub)
                        sub->emplace_back(SnapshotName(name), linked);
                    return;
                }
                if (snapshot)
                    snapshot->Add(scanned.path, name);
                const bool font =
                    kind == EntryKind::File && !IsHidden(name) && FontFolders::HasExtension(name, ".swf");
                if (kind == EntryKind::File && FontFolders::EndsWithExactly(name, ".png"))
                    listing->Add(name, linked);
                if (font)
                    scanned.fontFiles.append(name, strlen(name) + 1);
            },
            &state);
        if (!read)
            return;
        listing->Stamp(state, now);
        m_fontPictures->Store(StripTrailingSeparators(scanned.path), listing);
    };

    // Scans a font folder and its immediate sub-folders (the foundries). For the user
    // folder the snapshot of every file below it is taken in the same pass.
    auto scanRoot = [&](const wxString& root, const wxCharBuffer& native, SnapshotTaker* snapshot,
                        ScannedFolder& direct, std::deque<ScannedFolder>& foundries) {
        direct.path = root;
        std::vector<std::pair<wxString, bool>> sub;
        scanFolder(direct, native, snapshot, &sub);
        for (const auto& folder : sub)
        {
            const wxString path = root + folder.first + wxS("/");
            if (folder.first.StartsWith(wxS(".")))
            {
                if (snapshot)
                    ListSubFolderFiles(path, folder.second, *snapshot);
                continue;
            }
            foundries.emplace_back();
            ScannedFolder& foundry = foundries.back();
            foundry.path = path;
            foundry.name = folder.first;
            std::vector<std::pair<wxString, bool>> deeper;
            scanFolder(foundry, path.fn_str(), snapshot, folder.second ? nullptr : &deeper);
            if (snapshot)
            {
                for (const auto& below : deeper)
                    ListSubFolderFiles(path + below.first + wxS("/"), below.second, *snapshot);
            }
        }
    };

    const bool verbose = TraceSystem::Wants(TS_VERBOSE);
    int count = 0;
    auto addFonts = [&](ScannedFolder& folder, bool isFoundry) {
        wxString foundry = folder.name;
        const bool foundryValid = !foundry.Contains(wxS(" "));
        foundry.Replace(wxS("_"), wxS(" "));
        FontsOfFoundry* fonts = nullptr;
        const FontTable::iterator known = previous.find(foundry);
        FontsOfFoundry* knownFonts = known != previous.end() ? &known->second : nullptr;
        // Reused for every font, so that an unchanged font costs no allocation.
        wxString file;
        wxString name;
        const char* const end = folder.fontFiles.data() + folder.fontFiles.size();
        for (const char* native = folder.fontFiles.data(); native < end; native += strlen(native) + 1)
        {
            file.clear();
            AppendNative(file, native);
            if (file.length() <= 4)
                continue;
            name.assign(file, 0, file.length() - 4);
            if (name.Find(' ') != wxNOT_FOUND)
            {
                TS_LOG(TS_ERROR, wxString::Format(wxS("Invalid font file name: %s"), name));
                continue;
            }
            if (isFoundry && !foundryValid)
            {
                TS_LOG(TS_ERROR, wxString::Format(wxS("Invalid fondry folder name: %s"), folder.name));
                continue;
            }
            for (wxString::iterator c = name.begin(); c != name.end(); ++c)
            {
                if (*c == '_')
                    *c = ' ';
            }
            if (!fonts)
                fonts = &m_fontTable[foundry];
            FontsOfFoundry::iterator added;
            FontsOfFoundry::node_type reused;
            if (knownFonts)
                reused = knownFonts->extract(name);
            if (reused)
            {
                if (!IsPathOf(reused.mapped(), folder.path, file))
                    reused.mapped() = folder.path + file;
                FontsOfFoundry::insert_return_type inserted = fonts->insert(std::move(reused));
                if (!inserted.inserted)
                    inserted.position->second.swap(inserted.node.mapped());
                added = inserted.position;
            }
            else
            {
                added = fonts->try_emplace(name).first;
                added->second = folder.path + file;
            }
            ++count;
            // Formatting one line per font costs more than the scan itself when nobody
            // keeps the verbose lines.
            if (verbose)
                TS_LOG(TS_VERBOSE, wxString::Format(wxS("Font added to list as: %s from: %s"), added->first,
                                                    added->second));
        }
    };

    if (userSet)
    {
        ScannedFolder direct;
        std::deque<ScannedFolder> foundries;
        SnapshotTaker snapshot(m_userFontSnapshot);
        if (userExists)
            scanRoot(userRoot, userNative, &snapshot, direct, foundries);
        addFonts(direct, false);
        if (snapshot.Changed())
            m_userFontSnapshot.swap(snapshot.Fresh());
        for (ScannedFolder& foundry : foundries)
            addFonts(foundry, true);
    }
    if (systemExists)
    {
        ScannedFolder direct;
        std::deque<ScannedFolder> foundries;
        scanRoot(systemRoot, systemNative, nullptr, direct, foundries);
        addFonts(direct, false);
        for (ScannedFolder& foundry : foundries)
            addFonts(foundry, true);
    }

    if (count == 0)
        TS_LOG(TS_WARNING, wxS("No font is installed"));
    TS_LOG(TS_MESSAGE, wxString::Format(wxS("%d fonts found at "), count) + m_systemFontDir);
    TS_RETURN(RC_OK, wxEmptyString);
}

void CGlypharaCore::MergeProjectFonts(bool remove)
{
    FontTableChanging();
    for (const auto& foundry : m_projectFonts)
    {
        for (const auto& font : foundry.second)
        {
            if (!remove)
            {
                // An installed font of the same name stays in use.
                m_fontTable[foundry.first].emplace(font.first, font.second);
                continue;
            }
            const FontTable::iterator listed = m_fontTable.find(foundry.first);
            if (listed == m_fontTable.end())
                continue;
            const FontsOfFoundry::iterator entry = listed->second.find(font.first);
            if (entry != listed->second.end() && entry->second == font.second)
                listed->second.erase(entry);
            if (listed->second.empty())
                m_fontTable.erase(listed);
        }
    }
}

int CGlypharaCore::UpdateFontList(bool onlyIfChanged)
{
    TS_FUNCTION("CGlypharaCore::UpdateFontList");
    CORE_REQUIRE_INITIALIZED();

    if (!onlyIfChanged)
    {
        BuildFontLists();
        CallUpdateControls();
        TS_RETURN(RC_OK, wxEmptyString);
    }
    if (m_userFontDir.empty())
        TS_RETURN(RC_OK, wxEmptyString);

    SnapshotTaker current(m_userFontSnapshot);
    if (FolderExists(m_userFontDir))
    {
        const wxString root = WithTrailingSeparator(m_userFontDir);
        ListFilesBelow(root, root.fn_str(), current);
    }
    if (!current.Changed())
    {
        TS_LOG(TS_VERBOSE, wxS("No changes in user fonts directory"));
        TS_RETURN(RC_OK, wxEmptyString);
    }
    m_userFontSnapshot.swap(current.Fresh());
    TS_LOG(TS_MESSAGE, wxS("Changes found in user fonts directory"));
    BuildFontLists();
    CallUpdateControls();
    TS_RETURN(RC_OK, wxEmptyString);
}

int CGlypharaCore::GetFontSupportedStyles(const wxString& font, bool& regular, bool& italic, bool& bold,
                                          bool& boldItalic)
{
    TS_FUNCTION("CGlypharaCore::GetFontSupportedStyles");
    CORE_REQUIRE_INITIALIZED();
    const bool hasRegular = font.Contains(wxS("[regular]"));
    const bool hasItalic = font.Contains(wxS("[italic]"));
    const bool hasBold = font.Contains(wxS("[bold]"));
    const bool hasBoldItalic = font.Contains(wxS("[bolditalic]"));
    if (!hasRegular && !hasItalic && !hasBold && !hasBoldItalic)
    {
        regular = italic = bold = true;
        boldItalic = false;
    }
    else
    {
        regular = hasRegular;
        italic = hasItalic;
        bold = hasBold;
        boldItalic = hasBoldItalic;
    }
    TS_RETURN(RC_OK, wxEmptyString);
}
