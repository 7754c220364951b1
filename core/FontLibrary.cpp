#include "core/GlypharaCore.h"

#include "core/PlatformLauncher.h"
#include "trace/TraceSystem.h"

#include <wx/filename.h>
#include <wx/intl.h>
#include <wx/log.h>

#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>
#include <time.h>

#include <deque>
#include <set>
#include <string>
#include <string_view>
#include <vector>

// The preview pictures of one font folder as last listed. The folder's identity and
// modification time tell whether the listing still holds: adding, removing or renaming
// a file in a folder changes its modification time.
struct CGlypharaCore::FontFolderListing
{
    // Names of the ".png" files without that ending, looked up by the part of a font's
    // path that names it, with no string built per font.
    std::set<std::wstring, std::less<>> pictures;
    bool vouched = false; // whether an unchanged stamp proves the listing current
    dev_t device = 0;
    ino_t inode = 0;
    timespec modified{};
};

namespace
{
enum class EntryKind
{
    File,
    Folder,
    Other
};

bool IsDotOrDotDot(const char* name)
{
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

bool IsHidden(const char* name)
{
    return name[0] == '.';
}

bool HasExtension(const char* name, const char* extension)
{
    const size_t length = strlen(name), wanted = strlen(extension);
    return length >= wanted && strcasecmp(name + length - wanted, extension) == 0;
}

bool EndsWithExactly(const char* name, const char* ending)
{
    const size_t length = strlen(name), wanted = strlen(ending);
    return length >= wanted && strcmp(name + length - wanted, ending) == 0;
}

// File names come from the file system as bytes; almost all of them are plain ASCII,
// which needs no locale-dependent conversion.
wxString FromNative(const char* name)
{
    const char* end = name;
    while (*end && static_cast<unsigned char>(*end) < 0x80)
        ++end;
    if (!*end)
        return wxString::FromAscii(name, static_cast<size_t>(end - name));
    return wxString(name, *wxConvFileName);
}

// Appends a file name read from the file system to a path.
void AppendNative(wxString& path, const char* name)
{
    wchar_t ascii[256];
    size_t length = 0;
    while (name[length] && static_cast<unsigned char>(name[length]) < 0x80 && length < 256)
    {
        ascii[length] = static_cast<wchar_t>(name[length]);
        ++length;
    }
    if (!name[length])
        path.append(ascii, length);
    else
        path += FromNative(name);
}

std::wstring PictureStem(const char* name)
{
    const wxString converted = FromNative(name);
    return converted.ToStdWstring().substr(0, converted.length() - 4);
}

// The name of a font movie without its ".swf", from its path and the length of its
// folder's path including the "/".
std::wstring_view FileStem(const wxString& path, size_t folderLength)
{
    if (path.length() < folderLength + 4)
        return std::wstring_view();
    return std::wstring_view(path.wx_str() + folderLength, path.length() - folderLength - 4);
}

// Whether path lies directly in folder (given without a trailing "/").
bool LiesIn(const wxString& path, const wxString& folder)
{
    const size_t length = folder.length();
    return path.length() > length && path[length] == '/' && path.compare(0, length, folder) == 0 &&
           path.find('/', length + 1) == wxString::npos;
}

wxString WithSlash(const wxString& folder)
{
    return folder.EndsWith(wxS("/")) ? folder : folder + wxS("/");
}

wxString WithoutSlash(const wxString& folder)
{
    wxString path = folder;
    while (path.length() > 1 && path.EndsWith(wxS("/")))
        path.RemoveLast();
    return path;
}

// Calls visit(name, kind, linked) for every entry of the folder but "." and "..";
// symbolic links count as what they point to. Fills state with the folder's own state
// when asked. False when the folder cannot be read.
template <typename Visit>
bool ListEntries(const char* path, Visit&& visit, struct stat* state = nullptr)
{
    DIR* dir = opendir(path);
    if (!dir)
        return false;
    if (state && fstat(dirfd(dir), state) != 0)
        memset(state, 0, sizeof *state);
    while (const dirent* entry = readdir(dir))
    {
        const char* name = entry->d_name;
        if (IsDotOrDotDot(name))
            continue;
        EntryKind kind = EntryKind::Other;
        bool linked = false;
        if (entry->d_type == DT_REG)
            kind = EntryKind::File;
        else if (entry->d_type == DT_DIR)
            kind = EntryKind::Folder;
        else if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN)
        {
            linked = entry->d_type == DT_LNK;
            struct stat target;
            if (fstatat(dirfd(dir), name, &target, 0) == 0)
                kind = S_ISREG(target.st_mode) ? EntryKind::File
                                               : S_ISDIR(target.st_mode) ? EntryKind::Folder : EntryKind::Other;
        }
        visit(name, kind, linked);
    }
    closedir(dir);
    return true;
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

// File timestamps are taken from a clock that advances in steps; a folder changed within
// a step of its listing could change again unseen, so such a listing is not trusted.
bool OldEnough(const timespec& modified, const timespec& listed)
{
    // Whole-second stamps come from file systems with coarse (up to 2 s) resolution.
    const long long margin = modified.tv_nsec != 0 ? 50000000LL : 3000000000LL;
    const long long modifiedNs = modified.tv_sec * 1000000000LL + modified.tv_nsec;
    const long long listedNs = listed.tv_sec * 1000000000LL + listed.tv_nsec;
    return modifiedNs + margin < listedNs;
}

// A listing is trusted while its folder keeps this stamp.
template <typename Listing>
void StampListing(Listing& listing, const struct stat& state, bool linkedPicture, const timespec& listed)
{
    listing.device = state.st_dev;
    listing.inode = state.st_ino;
    listing.modified = state.st_mtim;
    // A link's target can vanish without the folder changing.
    listing.vouched = !linkedPicture && OldEnough(state.st_mtim, listed);
}

const wxString kFontPathAttribute(wxS("fontfullpath"));
const wxString kAddMoreAttribute(wxS("addfontsfromweb"));
const wxString kHeaderColour(wxS("#A6CE38"));

// The row texts. The list can hold tens of thousands of rows, so each is appended to one
// reused buffer rather than assembled from temporaries.
void AppendTextHeader(wxString& row, const wxString& shown)
{
    row << wxS("<TABLE BGCOLOR=\"") << kHeaderColour
        << wxS("\" cellspacing=0 cellpadding=5 BORDER=0><tr><TD WIDTH=2500 VALIGN=BOTTOM><font size=3><b>") << shown
        << wxS("</b></font></TD></tr></TABLE>");
}

void AppendImageHeader(wxString& row, const wxString& folder)
{
    row << wxS("<TABLE BGCOLOR=\"") << kHeaderColour
        << wxS("\" cellspacing=0 cellpadding=0 BORDER=5><tr><TD WIDTH=2500 VALIGN=MIDDLE><IMG SRC=\"") << folder
        << wxS("/") << wxS("foundry.png") << wxS("\"></TD></tr></TABLE>");
}

// An empty preview path stands for a font without a preview picture.
void AppendFontRow(wxString& row, const wxString& path, const wxString& font, const wxString& preview,
                   const wxString& noPreview)
{
    row << wxS("<TABLE ") << kFontPathAttribute << wxS("=\"") << path
        << wxS("\" cellspacing=0 cellpadding=0 BORDER=0><tr><td width=10></td><TD WIDTH=160 VALIGN=MIDDLE><font size=2>");
    // Style markers are part of the name but not shown.
    if (font.Find('[') != wxNOT_FOUND)
        row << font.BeforeFirst('[');
    else
        row << font;
    if (!preview.empty())
        row << wxS("</font></TD><TD VALIGN=MIDDLE><IMG SRC=\"") << preview << wxS("\"></TD></tr></TABLE>");
    else
        row << wxS("</font></TD><TD VALIGN=MIDDLE><font size=2 color=gray><i>") << noPreview
            << wxS("</i></font></TD></tr></TABLE>");
}

void AppendAddMoreRow(wxString& row, const wxString& shown, const wxString& site)
{
    row << wxS("<TABLE ") << kAddMoreAttribute << wxS("=\"") << shown
        << wxS("\" cellspacing=0 cellpadding=0 BORDER=0><tr><td width=10></td><TD WIDTH=2500 VALIGN=TOP><a "
               "STYLE=\"text-decoration:none\" href=\"")
        << site << wxS("\"><font size=1 color=\"#606060\">Add more fonts from ") << shown
        << wxS("...</font></a></TD></tr></TABLE>");
}

// Rows are composed in one reused buffer and then copied at their exact size.
wxString& NewRow(wxArrayString& rows, wxString& composed)
{
    rows.Add(wxEmptyString);
    rows.Last() = composed;
    composed.clear();
    return rows.Last();
}

// The page about where fonts come from, shipped with the program.
wxString FontShopPage()
{
    return wxFileName::FileNameToURL(wxFileName(wxGetCwd() + wxS("/Manuals/fonts.html")));
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

std::shared_ptr<CGlypharaCore::FontFolderListing> CGlypharaCore::ListFontFolder(const wxString& folder)
{
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    auto listing = std::make_shared<FontFolderListing>();
    struct stat state;
    bool linkedPicture = false;
    const bool read = ListEntries(
        folder.fn_str().data(),
        [&](const char* name, EntryKind kind, bool linked) {
            if (kind == EntryKind::File && EndsWithExactly(name, ".png"))
            {
                listing->pictures.insert(PictureStem(name));
                linkedPicture = linkedPicture || linked;
            }
        },
        &state);
    if (read)
        StampListing(*listing, state, linkedPicture, now);
    return listing;
}

std::shared_ptr<CGlypharaCore::FontFolderListing> CGlypharaCore::FontFolderNow(const wxString& folder)
{
    std::shared_ptr<FontFolderListing>& known = m_fontFolderListings[folder];
    struct stat state;
    if (known && known->vouched && stat(folder.fn_str().data(), &state) == 0 && state.st_dev == known->device &&
        state.st_ino == known->inode && state.st_mtim.tv_sec == known->modified.tv_sec &&
        state.st_mtim.tv_nsec == known->modified.tv_nsec)
        return known;
    known = ListFontFolder(folder);
    return known;
}

int CGlypharaCore::BuildFontLists()
{
    TS_FUNCTION("CGlypharaCore::BuildFontLists");
    CORE_REQUIRE_INITIALIZED();

    // The entries of the previous table are taken over where the same fonts turn up
    // again, so that a rescan does not build the whole table anew.
    FontTable previous;
    previous.swap(m_fontTable);
    m_fontFolderListings.clear();

    const bool systemSet = !m_systemFontDir.empty();
    const bool userSet = !m_userFontDir.empty();
    if (!systemSet && !userSet)
        TS_RETURN(RC_DIRECTORY_MISSING, wxS("Font directories are not set"));
    const bool systemExists = systemSet && FolderExists(m_systemFontDir);
    const bool userExists = userSet && FolderExists(m_userFontDir);
    if (systemSet && userSet && !systemExists && !userExists)
        TS_RETURN(RC_DIRECTORY_MISSING, wxS("No font director exists"));

    const wxString systemRoot = WithSlash(m_systemFontDir);
    const wxString userRoot = WithSlash(m_userFontDir);
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
        auto listing = std::make_shared<FontFolderListing>();
        struct stat state;
        bool linkedPicture = false;
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
                const bool font = kind == EntryKind::File && !IsHidden(name) && HasExtension(name, ".swf");
                if (kind == EntryKind::File && EndsWithExactly(name, ".png"))
                {
                    listing->pictures.insert(PictureStem(name));
                    linkedPicture = linkedPicture || linked;
                }
                if (font)
                    scanned.fontFiles.append(name, strlen(name) + 1);
            },
            &state);
        if (!read)
            return;
        StampListing(*listing, state, linkedPicture, now);
        m_fontFolderListings[WithoutSlash(scanned.path)] = listing;
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

    const bool verbose = wxLog::GetVerbose();
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
        const wxString root = WithSlash(m_userFontDir);
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

int CGlypharaCore::GetInstalledFontList(wxArrayString& rows, wxString& selectedRow)
{
    TS_FUNCTION("CGlypharaCore::GetInstalledFontList");
    CORE_REQUIRE_INITIALIZED();

    rows.Clear();
    const wxString myFonts = wxGetTranslation(wxS("My Fonts"));
    const wxString noPreview = wxGetTranslation(wxS("Custom Font, Preview Not Available"));
    const wxString site(kMakerWebSite);
    const TagMap::const_iterator tag = m_tags.find(m_selectedTag);
    const FontProperties* selected = tag != m_tags.end() ? &tag->second : nullptr;

    size_t total = 0;
    for (const auto& foundry : m_fontTable)
    {
        const wxString shown = foundry.first.empty() ? myFonts : foundry.first;
        total += shown == myFonts ? 1 : 2;
        for (const auto& font : foundry.second)
            total += font.first.empty() ? 0 : 1;
    }
    rows.Alloc(total);
    wxString composed;
    composed.reserve(1024);

    // The real foundries come first, each with its add-more row; the "My Fonts" block
    // closes the list.
    for (const bool myFontsBlock : {false, true})
    {
        for (const auto& foundry : m_fontTable)
        {
            const wxString shown = foundry.first.empty() ? myFonts : foundry.first;
            if ((shown == myFonts) != myFontsBlock)
                continue;

            wxString listedFolder;
            std::shared_ptr<FontFolderListing> listing;
            if (!myFontsBlock && !foundry.second.empty())
            {
                listedFolder = foundry.second.begin()->second.BeforeLast('/');
                listing = FontFolderNow(listedFolder);
            }
            if (listing && listing->pictures.count(std::wstring_view(L"foundry")))
                AppendImageHeader(composed, listedFolder);
            else
                AppendTextHeader(composed, shown);
            NewRow(rows, composed);

            for (const auto& font : foundry.second)
            {
                if (font.first.empty())
                    continue;
                const wxString& path = font.second;
                if (!listing || !LiesIn(path, listedFolder))
                {
                    listedFolder = path.BeforeLast('/');
                    listing = FontFolderNow(listedFolder);
                }
                if (listing->pictures.count(FileStem(path, listedFolder.length() + 1)))
                    AppendFontRow(composed, path, font.first, path.BeforeLast('.') + wxS(".png"), noPreview);
                else
                    AppendFontRow(composed, path, font.first, wxString(), noPreview);
                const wxString& row = NewRow(rows, composed);
                if (selected && selected->foundry == foundry.first && selected->font == font.first)
                    selectedRow = row;
            }
            if (!myFontsBlock)
            {
                AppendAddMoreRow(composed, shown, site);
                NewRow(rows, composed);
            }
        }
    }
    TS_RETURN(RC_OK, wxEmptyString);
}

int CGlypharaCore::SelectInstalledFont(const wxString& entry, bool byMouse, bool keyUp, bool keyDown)
{
    TS_FUNCTION("CGlypharaCore::SelectInstalledFont");
    CORE_REQUIRE_INITIALIZED();

    if (entry.Contains(kFontPathAttribute))
    {
        const TagMap::const_iterator tag = m_tags.find(m_selectedTag);
        FontProperties record = tag != m_tags.end() ? tag->second : FontProperties();

        const wxString path = entry.AfterFirst('"').BeforeFirst('"');
        wxString font = path.BeforeLast('.').AfterLast('/');
        font.Replace(wxS("_"), wxS(" "));
        wxString foundry = path.BeforeLast('/').AfterLast('/');
        foundry.Replace(wxS("_"), wxS(" "));
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
    if (entry.Contains(kAddMoreAttribute))
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

    wxArrayString rows;
    wxString unused;
    GetInstalledFontList(rows, unused);
    if (rows.size() < 4)
        TS_RETURN(RC_FAILED, wxEmptyString);
    const int found = rows.Index(entry);
    if (found == wxNOT_FOUND)
        TS_RETURN(RC_OK, wxEmptyString);

    // Step over headers and add-more rows, turning back once at either end. Two lengths
    // of the list reach every row from any start; a list without font rows ends there.
    size_t position = static_cast<size_t>(found);
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
        if (rows[position].Contains(kFontPathAttribute))
        {
            const int result = SelectInstalledFont(rows[position], false, up, !up);
            TS_RETURN(result, wxEmptyString);
        }
    }
    TS_RETURN(RC_FAILED, wxS("No font in the font list"));
}
