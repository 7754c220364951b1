#include "core/FontFolders.h"

#include <strings.h>

namespace FontFolders
{
wxString FromNative(const char* name)
{
    const char* end = name;
    while (*end && static_cast<unsigned char>(*end) < 0x80)
        ++end;
    if (!*end)
        return wxString::FromAscii(name, static_cast<size_t>(end - name));
    return wxString(name, *wxConvFileName);
}

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

std::string NativePath(const wxString& path)
{
    std::string native;
    native.reserve(path.length());
    for (wxString::const_iterator c = path.begin(); c != path.end(); ++c)
    {
        const wxUniChar::value_type value = (*c).GetValue();
        if (value == 0 || value >= 0x80)
            return std::string(path.fn_str());
        native += static_cast<char>(value);
    }
    return native;
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
}

bool FontFolders::OldEnough(const timespec& modified, const timespec& listed)
{
    // Whole-second stamps come from file systems with coarse (up to 2 s) resolution.
    const long long margin = modified.tv_nsec != 0 ? 50000000LL : 3000000000LL;
    const long long modifiedNs = modified.tv_sec * 1000000000LL + modified.tv_nsec;
    const long long listedNs = listed.tv_sec * 1000000000LL + listed.tv_nsec;
    return modifiedNs + margin < listedNs;
}

void PictureListing::Add(const char* name, bool linked)
{
    const wxString converted = FontFolders::FromNative(name);
    m_stems.insert(converted.ToStdWstring().substr(0, converted.length() - 4));
    m_linked = m_linked || linked;
}

void PictureListing::Stamp(const struct stat& state, const timespec& listedAt)
{
    m_device = state.st_dev;
    m_inode = state.st_ino;
    m_modified = state.st_mtim;
    // A link's target can vanish without the folder changing.
    m_vouched = !m_linked && FontFolders::OldEnough(state.st_mtim, listedAt);
}

bool PictureListing::StillHolds(const struct stat& state) const
{
    return m_vouched && state.st_dev == m_device && state.st_ino == m_inode &&
           state.st_mtim.tv_sec == m_modified.tv_sec && state.st_mtim.tv_nsec == m_modified.tv_nsec;
}

std::shared_ptr<const PictureListing> FontPictures::Now(const wxString& folder)
{
    Known& known = m_listings[folder];
    if (known.native.empty())
        known.native = FontFolders::NativePath(folder);
    struct stat state;
    if (known.listing && stat(known.native.c_str(), &state) == 0 && known.listing->StillHolds(state))
        return known.listing;

    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    auto listing = std::make_shared<PictureListing>();
    const bool read = FontFolders::ListEntries(
        known.native.c_str(),
        [&](const char* name, FontFolders::EntryKind kind, bool linked) {
            if (kind == FontFolders::EntryKind::File && FontFolders::EndsWithExactly(name, ".png"))
                listing->Add(name, linked);
        },
        &state);
    if (read)
        listing->Stamp(state, now);
    known.listing = listing;
    return listing;
}

void FontPictures::Store(const wxString& folder, std::shared_ptr<PictureListing> listing)
{
    Known& known = m_listings[folder];
    if (known.native.empty())
        known.native = FontFolders::NativePath(folder);
    known.listing = std::move(listing);
}
