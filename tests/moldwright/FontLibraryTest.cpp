// Every movie of the bundled Fonts/ folder read back.
#include "LibraryExpectation.h"
#include "MakerSupport.h"
#include "SwfReader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

using namespace swftest;
namespace fs = std::filesystem;

// The style markers promise the faces that the font list enables; each movie must hold
// exactly those faces, with matching flags, under the family's name.
TEST(BundledFonts, EveryMovieHoldsTheFacesItsNamePromises)
{
    const fs::path fonts = fs::path(GLYPHARA_PROGRAM_DIR) / "Fonts";
    size_t movies = 0;
    for (const auto& [foundry, names] : ExpectedLibrary())
        for (const std::string& display : names)
        {
            SCOPED_TRACE(display);
            std::string file = display;
            std::replace(file.begin(), file.end(), ' ', '_');
            std::string folder = foundry;
            std::replace(folder.begin(), folder.end(), ' ', '_');
            bool licence = false;
            for (const auto& entry : fs::directory_iterator(fonts / folder))
                licence = licence || entry.path().filename().string().rfind("LICENSE-", 0) == 0;
            EXPECT_TRUE(licence) << "the licence travels with the fonts";
            EXPECT_TRUE(fs::exists(fonts / folder / (file + ".png")));
            EXPECT_TRUE(fs::exists(fonts / folder / (file + "@2x.png")));
            const Movie m = ReadMovie(ReadFile((fonts / folder / (file + ".swf")).string()));
            EXPECT_EQ(m.signature, "CWS");
            const std::string family = display.substr(0, display.find(" ["));
            std::vector<std::string> markers;
            for (const Font& f : m.fonts)
            {
                EXPECT_EQ(f.name, family);
                EXPECT_GT(f.codes.size(), 200u);
                markers.push_back(f.bold ? (f.italic ? "[bolditalic]" : "[bold]") : (f.italic ? "[italic]" : "[regular]"));
            }
            std::string joined;
            for (const std::string& s : markers)
                joined += s;
            const size_t bracket = display.find('[');
            EXPECT_EQ(joined, bracket == std::string::npos ? "[regular]" : display.substr(bracket));
            ++movies;
        }
    EXPECT_GE(movies, 12u);
}
