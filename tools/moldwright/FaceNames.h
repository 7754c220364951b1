// Which family a face belongs to and which of its four style slots it takes, read from the
// names and flags the face carries.
#ifndef MOLDWRIGHT_FACENAMES_H
#define MOLDWRIGHT_FACENAMES_H

#include <ft2build.h>
#include FT_FREETYPE_H

#include <string>

namespace moldwright
{

// The style slots of a family, in the order their markers appear in file names.
enum class Style
{
    Regular = 0,
    Italic = 1,
    Bold = 2,
    BoldItalic = 3
};
const char* StyleMarker(Style style);  // "[regular]", ...
const char* StyleWords(Style style);   // "regular", "bold italic", ...

inline Style MakeStyle(bool bold, bool italic)
{
    return bold ? (italic ? Style::BoldItalic : Style::Bold) : (italic ? Style::Italic : Style::Regular);
}
inline bool IsBold(Style s)
{
    return s == Style::Bold || s == Style::BoldItalic;
}
inline bool IsItalic(Style s)
{
    return s == Style::Italic || s == Style::BoldItalic;
}

struct FaceIdentity
{
    std::string family;    // the family the face belongs to by its own names
    std::string styleName; // as the face names its style, for messages
    Style style = Style::Regular;
    int weight = 400;      // 1 to 1000, as in CSS
};

// A face that is its family's regular, italic, bold or bold italic keeps the family's name;
// any other weight (Light, Medium, ExtraBold...) makes a family of its own, named as the
// font's legacy family name has it ("DejaVu Sans Light"), or as family and weight where
// that name is the same for every weight ("Cabin Medium"), with the face as its regular or
// italic. `instance` is true for a named instance of a variable font, whose style name is
// the instance's.
FaceIdentity IdentifyFace(FT_Face face, bool instance);

// Collapses runs of white space to one space and trims both ends.
std::string NormaliseSpaces(const std::string& s);

// Lower case without spaces, hyphens or underscores: "Semi Bold" and "SemiBold" compare equal.
std::string NameKey(const std::string& s);

}

#endif
