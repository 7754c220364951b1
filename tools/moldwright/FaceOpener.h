// Opens the faces named on the command line: one face of a collection, a named instance of a
// variable font, a Type 1 font with the metrics file beside it; and says plainly why a file
// cannot be used.
#ifndef MOLDWRIGHT_FACEOPENER_H
#define MOLDWRIGHT_FACEOPENER_H

#include "FaceNames.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <string>
#include <vector>

namespace moldwright
{

struct FaceRequest
{
    std::string path;
    int face = -1;         // index in a collection; -1 when not chosen
    std::string instance;  // named instance of a variable font; empty for the default
};

struct OpenedFace
{
    FT_Face face = nullptr;
    std::string path;
    std::string label;        // the path, with the face or instance chosen, for messages
    std::string metricsFile;  // the .afm or .pfm attached to a Type 1 face
    FaceIdentity identity;
};

class FaceOpener
{
public:
    FaceOpener();
    ~FaceOpener();
    FaceOpener(const FaceOpener&) = delete;
    FaceOpener& operator=(const FaceOpener&) = delete;

    bool Ok() const { return m_library != nullptr; }

    // False with a one-line `error` when the face cannot be used; `usage` is then true when
    // the command line must choose the face otherwise (a collection of different faces, a
    // face or an instance the file does not have). Notes that do not stop the movie go to
    // `warnings`.
    bool Open(const FaceRequest& request, OpenedFace& opened, std::string& error, bool& usage,
              std::vector<std::string>& warnings);

    // A second face of the same font, instance and metrics, in a FreeType library of its
    // own so that another thread may load its glyphs; null when it cannot be opened.
    FT_Face Helper(const OpenedFace& face);

private:
    bool NewFace(const std::string& path, FT_Long index, FT_Face& face, std::string& error);

    FT_Library m_library = nullptr;
    std::vector<FT_Face> m_faces;
    FT_Library m_helperLibrary = nullptr;
    std::vector<FT_Face> m_helpers;
};

}

#endif
