// The helpers that add, strip and join the separators of folder paths.
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
