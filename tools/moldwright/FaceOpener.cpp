#include "FaceOpener.h"

#include FT_FONT_FORMATS_H
#include FT_MULTIPLE_MASTERS_H
#include FT_TRUETYPE_TABLES_H

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace moldwright
{

namespace
{

uint32_t Be32(const uint8_t* p)
{
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

// What FreeType's error means for someone holding the file.
std::string Reason(FT_Error error)
{
    switch (error)
    {
    case FT_Err_Invalid_Stream_Operation:
    case FT_Err_Invalid_Stream_Seek:
    case FT_Err_Invalid_Stream_Skip:
    case FT_Err_Invalid_Stream_Read:
    case FT_Err_Invalid_Frame_Operation:
    case FT_Err_Invalid_Frame_Read:
        return "it ends before the data it announces";
    case FT_Err_Table_Missing:
    case FT_Err_Horiz_Header_Missing:
    case FT_Err_Locations_Missing:
    case FT_Err_Name_Table_Missing:
    case FT_Err_CMap_Table_Missing:
    case FT_Err_Hmtx_Table_Missing:
    case FT_Err_Post_Table_Missing:
        return "a table it needs is missing";
    case FT_Err_Invalid_Horiz_Metrics:
    case FT_Err_Invalid_CharMap_Format:
    case FT_Err_Invalid_Post_Table_Format:
    case FT_Err_Invalid_Post_Table:
    case FT_Err_Invalid_Table:
        return "one of its tables is malformed";
    case FT_Err_Invalid_Offset:
        return "it points outside itself";
    case FT_Err_Invalid_File_Format:
    case FT_Err_Invalid_Argument:
        return "its structure is not what its format requires";
    case FT_Err_Out_Of_Memory:
    case FT_Err_Array_Too_Large:
        return "it announces more data than any font holds";
    default:
        break;
    }
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "FreeType cannot read it (error 0x%02X)", unsigned(error));
    return buffer;
}

// The first bytes of the font formats FreeType reads: a file that starts like a font but
// cannot be read is a damaged font rather than something else.
bool StartsLikeFont(const uint8_t* head, size_t length)
{
    if (length >= 4)
    {
        const uint32_t tag = Be32(head);
        for (uint32_t known : {0x00010000u, 0x4F54544Fu /* OTTO */, 0x74727565u /* true */, 0x74797031u /* typ1 */,
                               0x74746366u /* ttcf */, 0x774F4646u /* wOFF */, 0x774F4632u /* wOF2 */})
            if (tag == known)
                return true;
    }
    if (length >= 2 && head[0] == 0x80 && head[1] == 0x01)  // PFB segment
        return true;
    return length >= 2 && head[0] == '%' && head[1] == '!';
}

class OpenFile
{
public:
    explicit OpenFile(const std::string& path) : m_fd(open(path.c_str(), O_RDONLY | O_CLOEXEC)) {}
    ~OpenFile()
    {
        if (m_fd >= 0)
            close(m_fd);
    }
    int Fd() const { return m_fd; }
    bool Read(off_t at, uint8_t* out, size_t length) const
    {
        return pread(m_fd, out, length, at) == static_cast<ssize_t>(length);
    }

private:
    int m_fd;
};

// A table of an sfnt font whose data would run past the end of the file; FreeType drops
// such tables quietly and may then read the font as one without them.
std::string TableBeyondEnd(const OpenFile& file, off_t size, long faceIndex)
{
    uint8_t head[12];
    const ssize_t got = pread(file.Fd(), head, sizeof head, 0);
    if (got < 4)
        return std::string();
    const uint32_t tag = Be32(head);
    const bool sfnt = tag == 0x00010000u || tag == 0x4F54544Fu || tag == 0x74727565u || tag == 0x74746366u;
    if (!sfnt)
        return std::string();
    if (got < 12)
        return "it ends within its header";
    uint32_t directory = 0;
    if (Be32(head) == 0x74746366u)
    {
        uint8_t offset[4];
        if (faceIndex < 0 || long(Be32(head + 8)) <= faceIndex || !file.Read(12 + 4 * faceIndex, offset, 4))
            return std::string();
        directory = Be32(offset);
        if (!file.Read(directory, head, sizeof head))
            return "it ends before its list of tables";
    }
    const unsigned tables = unsigned(head[4]) << 8 | head[5];
    for (unsigned i = 0; i < tables; ++i)
    {
        uint8_t record[16];
        if (!file.Read(directory + 12 + 16 * i, record, sizeof record))
            return "it ends within its list of tables";
        const uint64_t end = uint64_t(Be32(record + 8)) + Be32(record + 12);
        if (end > uint64_t(size))
            return "it ends before its '" + std::string(reinterpret_cast<const char*>(record), 4) + "' table does";
    }
    return std::string();
}

std::string Quoted(const std::string& s)
{
    return "\"" + s + "\"";
}

// Debian's FreeType (2.12) reads a named instance's negative axis positions as large
// positive ones and clamps them, so that "Italic" on a slant axis of -10 to 0 comes out
// upright. The instance's own record in the 'fvar' table, read as signed, puts it right.
void SetInstanceCoordinates(FT_Face face, long instance)
{
    FT_ULong length = 0;
    if (instance < 1 || FT_Load_Sfnt_Table(face, FT_MAKE_TAG('f', 'v', 'a', 'r'), 0, nullptr, &length) != 0 ||
        length < 16)
        return;
    std::vector<uint8_t> fvar(length);
    if (FT_Load_Sfnt_Table(face, FT_MAKE_TAG('f', 'v', 'a', 'r'), 0, fvar.data(), &length) != 0)
        return;
    auto u16 = [&](size_t at) { return unsigned(fvar[at] << 8 | fvar[at + 1]); };
    const size_t axes = u16(8), axisSize = u16(10), instances = u16(12), instanceSize = u16(14);
    const size_t record = u16(4) + axes * axisSize + size_t(instance - 1) * instanceSize;
    if (size_t(instance) > instances || instanceSize < 4 + 4 * axes || record + 4 + 4 * axes > fvar.size())
        return;
    std::vector<FT_Fixed> coords(axes), current(axes);
    for (size_t a = 0; a < axes; ++a)
        coords[a] = static_cast<int32_t>(Be32(&fvar[record + 4 + 4 * a]));
    if (FT_Get_Var_Design_Coordinates(face, FT_UInt(axes), current.data()) == 0 && current != coords)
        FT_Set_Var_Design_Coordinates(face, FT_UInt(axes), coords.data());
}

}

FaceOpener::FaceOpener()
{
    if (FT_Init_FreeType(&m_library) != 0)
        m_library = nullptr;
}

FaceOpener::~FaceOpener()
{
    for (FT_Face f : m_faces)
        FT_Done_Face(f);
    if (m_library)
        FT_Done_FreeType(m_library);
    for (FT_Face f : m_helpers)
        FT_Done_Face(f);
    if (m_helperLibrary)
        FT_Done_FreeType(m_helperLibrary);
}

FT_Face FaceOpener::Helper(const OpenedFace& opened)
{
    if (!m_helperLibrary && FT_Init_FreeType(&m_helperLibrary) != 0)
    {
        m_helperLibrary = nullptr;
        return nullptr;
    }
    FT_Face helper = nullptr;
    if (FT_New_Face(m_helperLibrary, opened.path.c_str(), opened.face->face_index, &helper) != 0)
        return nullptr;
    m_helpers.push_back(helper);
    FT_MM_Var* mm = nullptr;
    if (FT_HAS_MULTIPLE_MASTERS(opened.face) && FT_Get_MM_Var(opened.face, &mm) == 0)
    {
        std::vector<FT_Fixed> coords(mm->num_axis);
        const bool same = FT_Get_Var_Design_Coordinates(opened.face, mm->num_axis, coords.data()) == 0 &&
                          FT_Set_Var_Design_Coordinates(helper, mm->num_axis, coords.data()) == 0;
        FT_Done_MM_Var(m_library, mm);
        if (!same)
            return nullptr;
    }
    return helper;
}

bool FaceOpener::NewFace(const std::string& path, FT_Long index, FT_Face& face, std::string& error)
{
    const FT_Error status = FT_New_Face(m_library, path.c_str(), index, &face);
    if (status == 0)
    {
        m_faces.push_back(face);
        return true;
    }
    face = nullptr;
    error = path + " is damaged or truncated: " + Reason(status);
    return false;
}

bool FaceOpener::Open(const FaceRequest& request, OpenedFace& opened, std::string& error, bool& usage,
                      std::vector<std::string>& warnings)
{
    usage = false;
    const std::string& path = request.path;
    const OpenFile file(path);
    struct stat st;
    if (file.Fd() < 0 || fstat(file.Fd(), &st) != 0)
    {
        error = "cannot read " + path + ": " + std::strerror(errno);
        return false;
    }
    if (S_ISDIR(st.st_mode))
    {
        error = "cannot read " + path + ": it is a folder, not a font file";
        return false;
    }
    if (!S_ISREG(st.st_mode))
    {
        error = "cannot read " + path + ": it is not a regular file";
        return false;
    }
    uint8_t head[16];
    const ssize_t got = pread(file.Fd(), head, sizeof head, 0);
    if (got < 0)
    {
        error = "cannot read " + path + ": " + std::strerror(errno);
        return false;
    }
    if (got == 0)
    {
        error = path + " is empty, not a font file";
        return false;
    }

    const long wanted = request.face < 0 ? 0 : request.face;
    if (const std::string beyond = TableBeyondEnd(file, st.st_size, wanted); !beyond.empty())
    {
        error = path + " is damaged or truncated: " + beyond;
        return false;
    }

    FT_Face probe = nullptr;
    const FT_Error status = FT_New_Face(m_library, path.c_str(), -1, &probe);
    if (status != 0)
    {
        if (status == FT_Err_Unknown_File_Format && !StartsLikeFont(head, size_t(got)))
            error = path + " is not a font file (neither TrueType, OpenType, WOFF nor Type 1)";
        else if (status == FT_Err_Unknown_File_Format)
            error = path + " is damaged or truncated: it starts as a font does but its format cannot be read";
        else
            error = path + " is damaged or truncated: " + Reason(status);
        return false;
    }
    const long faces = probe->num_faces;
    FT_Done_Face(probe);

    long index = request.face;
    if (faces < 1)
    {
        error = path + " is damaged or truncated: it holds no face";
        return false;
    }
    if (index >= faces)
    {
        error = path + (faces == 1 ? " holds one face, numbered 0" : " holds " + std::to_string(faces) +
                                                                         " faces, numbered 0 to " +
                                                                         std::to_string(faces - 1)) +
                ": --face " + std::to_string(index) + " is none of them";
        usage = true;
        return false;
    }
    if (index < 0 && faces > 1)
    {
        // A collection of one face in several copies needs no choice; one of different faces does.
        std::vector<std::string> names;
        bool differ = false;
        for (long i = 0; i < faces; ++i)
        {
            FT_Face f = nullptr;
            if (!NewFace(path, i, f, error))
                return false;
            names.push_back(NormaliseSpaces(std::string(f->family_name ? f->family_name : "") + " " +
                                            (f->style_name ? f->style_name : "")));
            differ = differ || names.back() != names.front();
        }
        if (differ)
        {
            error = path + " is a collection of " + std::to_string(faces) + " faces; choose one with --face N before it:";
            for (long i = 0; i < faces; ++i)
                error += (i ? ", " : " ") + std::to_string(i) + " " + names[size_t(i)];
            usage = true;
            return false;
        }
    }
    if (index < 0)
        index = 0;

    FT_Face face = nullptr;
    if (!NewFace(path, index, face, error))
        return false;
    opened.path = path;
    opened.label = faces > 1 ? path + " (face " + std::to_string(index) + ")" : path;

    const bool instance = !request.instance.empty();
    if (instance)
    {
        const long instances = face->style_flags >> 16;
        if (!FT_HAS_MULTIPLE_MASTERS(face) || instances == 0)
        {
            error = path + " is not a variable font with named instances, so --instance " + Quoted(request.instance) +
                    " does not apply";
            usage = true;
            return false;
        }
        std::string list;
        FT_Face chosen = nullptr;
        for (long i = 1; i <= instances && !chosen; ++i)
        {
            FT_Face f = nullptr;
            if (!NewFace(path, (i << 16) | index, f, error))
                return false;
            const std::string name = NormaliseSpaces(f->style_name ? f->style_name : "");
            if (NameKey(name) == NameKey(request.instance))
                chosen = f;
            list += (list.empty() ? "" : ", ") + name;
        }
        if (!chosen)
        {
            error = path + " has no instance named " + Quoted(request.instance) + "; its instances are " + list;
            usage = true;
            return false;
        }
        face = chosen;
        SetInstanceCoordinates(face, long(face->face_index >> 16));
        opened.label += " (instance " + NormaliseSpaces(face->style_name ? face->style_name : "") + ")";
    }

    if (!FT_IS_SCALABLE(face))
    {
        error = path + " holds no outlines (a bitmap font)";
        return false;
    }
    if (FT_Select_Charmap(face, FT_ENCODING_UNICODE) != 0)
    {
        error = path + " has no Unicode character map";
        return false;
    }

    // Type 1 fonts keep their kerning and line metrics in a file of their own.
    const char* format = FT_Get_Font_Format(face);
    if (format && std::strcmp(format, "Type 1") == 0)
    {
        const size_t slash = path.find_last_of('/');
        const size_t dot = path.find_last_of('.');
        const std::string stem = dot != std::string::npos && (slash == std::string::npos || dot > slash)
                                     ? path.substr(0, dot)
                                     : path;
        bool found = false;
        for (const char* extension : {".afm", ".AFM", ".pfm", ".PFM"})
        {
            struct stat metrics;
            const std::string candidate = stem + extension;
            if (stat(candidate.c_str(), &metrics) != 0 || !S_ISREG(metrics.st_mode))
                continue;
            found = true;
            const FT_Short ascender = face->ascender, descender = face->descender, height = face->height;
            if (const FT_Error attached = FT_Attach_File(face, candidate.c_str()); attached != 0)
                warnings.push_back("cannot use the metrics file " + candidate + " (" + Reason(attached) +
                                   "); the movie has no kerning");
            else
                opened.metricsFile = candidate;
            // FreeType takes the metrics file's ascender and descender even where it gives
            // none (both 0, as URW's do); the font's own then stand.
            if (face->ascender <= face->descender)
            {
                face->ascender = ascender;
                face->descender = descender;
                face->height = height;
            }
            break;
        }
        if (!found)
            warnings.push_back("no metrics file (" + stem + ".afm) beside " + path + "; the movie has no kerning");
    }

    opened.face = face;
    opened.identity = IdentifyFace(face, instance);
    return true;
}

}
