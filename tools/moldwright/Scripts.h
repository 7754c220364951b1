// The writing system a face is made for, and the text that its preview picture shows.
#ifndef MOLDWRIGHT_SCRIPTS_H
#define MOLDWRIGHT_SCRIPTS_H

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdint>
#include <string>
#include <vector>

namespace moldwright
{

// The script a face is made for: 0 for Latin, -1 for a face without letters (symbols).
// A face with the Latin alphabet counts as made for another script only where it has more
// of that script than of Latin beyond Basic Latin and Latin-1.
int OwnScript(FT_Face face);
const char* ScriptName(int script);  // "Latin", "Thai", ...
// The characters of the script's blocks that the face maps, ascending.
std::vector<uint32_t> ScriptCharacters(FT_Face face, int script);

// The family's name for a face made for Latin text; for a face made for another script a
// word in that script (its own name where the face has all its letters, else characters of
// that script the face maps); for a face without letters, the first characters it maps.
std::vector<uint32_t> PreviewText(FT_Face face, const std::string& family);

}

#endif
