// The bundled library seen through the program's own font scan and font list.
#include "LibraryExpectation.h"
#include "TestSupport.h"

#include "core/GlypharaCore.h"

#include <wx/dir.h>
#include <wx/filename.h>

#include <filesystem>

namespace fs = std::filesystem;

class BundledFontScan : public CoreTest
{
};

TEST_F(BundledFontScan, ScanFindsEveryFoundryAndFont)
{
    fs::copy(fs::path(GLYPHARA_PROGRAM_DIR) / "Fonts", fs::path(ProgramDir().utf8_string()) / "Fonts",
             fs::copy_options::recursive);
    ASSERT_EQ(InitCore(), 0);

    std::map<std::string, std::set<std::string>> scanned;
    for (const auto& [foundry, fonts] : Core()->GetFontTable())
        for (const auto& entry : fonts)
        {
            scanned[foundry.utf8_string()].insert(entry.first.utf8_string());
            EXPECT_TRUE(wxFileName::FileExists(entry.second)) << entry.second;
        }
    EXPECT_EQ(scanned, ExpectedLibrary());

    // Every font row gets its preview picture and every foundry its header picture.
    wxArrayString rows;
    wxString selected;
    ASSERT_EQ(Core()->GetInstalledFontList(rows, selected), 0);
    int previews = 0, headers = 0;
    for (const wxString& row : rows)
    {
        EXPECT_FALSE(row.Contains(wxS("Custom Font, Preview Not Available"))) << row;
        // The pictures for high-density screens beside every preview are no font of their own
        // and no preview of another font.
        EXPECT_FALSE(row.Contains(wxS("@2x"))) << row;
        previews += row.Contains(wxS("fontfullpath")) && row.Contains(wxS(".png")) ? 1 : 0;
        headers += row.Contains(wxS("foundry.png")) ? 1 : 0;
    }
    size_t fonts = 0;
    for (const auto& foundry : ExpectedLibrary())
        fonts += foundry.second.size();
    EXPECT_EQ(previews, static_cast<int>(fonts));
    EXPECT_EQ(headers, static_cast<int>(ExpectedLibrary().size()));
}
