// The helpers that add, strip and join the separators of folder paths, and the bytes
// files and paths are written with.
#include "core/NativePath.h"
#include "core/TextUtil.h"

#include <gtest/gtest.h>

TEST(PathTextTest, TrailingSeparatorsAreStrippedAddedAndJoinedOnce)
{
    const struct
    {
        const char* path;
        const char* stripped;
        const char* withSeparator;
    } cases[] = {
        {"", "", "/"},
        {"/", "/", "/"},
        {"//", "/", "//"},
        {"a", "a", "a/"},
        {"/home/Fonts/", "/home/Fonts", "/home/Fonts/"},
        {"/home/Fonts///", "/home/Fonts", "/home/Fonts///"},
        {"/home//Fonts", "/home//Fonts", "/home//Fonts/"},
    };
    for (const auto& c : cases)
    {
        const wxString path = wxString::FromUTF8(c.path);
        EXPECT_EQ(wxString::FromUTF8(c.stripped), StripTrailingSeparators(path)) << c.path;
        EXPECT_EQ(wxString::FromUTF8(c.withSeparator), WithTrailingSeparator(path)) << c.path;
        EXPECT_EQ(wxString::FromUTF8(c.withSeparator) + wxS("x.swf"), JoinPath(path, wxS("x.swf"))) << c.path;
    }
}

TEST(PathTextTest, TextAndPathsBecomeTheBytesTheToolkitWouldMake)
{
    const char* const texts[] = {"", "/tmp/a b/all.css", "caf\xC3\xA9 \xCE\xA9", "\xE2\x82\xAC\xEF\xBF\xBD",
                                 "\xF0\x9F\x98\x80 and \xF4\x8F\xBF\xBF"};
    for (const char* utf8 : texts)
    {
        const wxString text = wxString::FromUTF8(utf8);
        EXPECT_EQ(std::string(utf8), Utf8Of(text)) << utf8;
        EXPECT_EQ(std::string(text.fn_str()), NativePath(text)) << utf8;
    }
}
