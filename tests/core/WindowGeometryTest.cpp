#include "TestSupport.h"

#include "Interface/WindowGeometry.h"
#include "core/GlypharaCore.h"

#include <wx/config.h>

using namespace WindowGeometry;

namespace
{
Stored StoredValues(long posX, long posY, long width, long height)
{
    Stored stored;
    stored.posX = posX;
    stored.posY = posY;
    stored.width = width;
    stored.height = height;
    return stored;
}

class WindowGeometryStoreTest : public CoreTest
{
};
}

TEST(WindowGeometryTest, PositionsAreStoredInThousandthsAndComeBack)
{
    const Stored stored = StoredFor(512, 300, 800, 600, 1024, 768);
    EXPECT_EQ(500, stored.posX);
    EXPECT_EQ(390, stored.posY);
    EXPECT_EQ(800, stored.width);
    EXPECT_EQ(600, stored.height);
    const Placement back = PlacementFor(stored, 1024, 768);
    EXPECT_FALSE(back.centre);
    EXPECT_EQ(512, back.x);
    EXPECT_EQ(299, back.y);
    EXPECT_EQ(800, back.width);
    EXPECT_EQ(600, back.height);

    // Truncated toward zero, also left of the display.
    EXPECT_EQ(999, ToPerMille(1279, 1280));
    EXPECT_EQ(-9, ToPerMille(-10, 1024));
    EXPECT_EQ(0, ToPerMille(-1, 1024));
}

TEST(WindowGeometryTest, RestoredCornersStayWithinNinetyPercentOfTheDisplay)
{
    const Placement placement = PlacementFor(StoredValues(1200, 500, 640, 480), 1000, 800);
    EXPECT_FALSE(placement.centre);
    EXPECT_EQ(900, placement.x);
    EXPECT_EQ(400, placement.y);
    EXPECT_EQ(900, PlacementFor(StoredValues(900, 900, 1, 1), 1000, 1000).y);
    EXPECT_EQ(1727, FromPerMille(900, 1919));
}

TEST(WindowGeometryTest, MissingOrNegativeValuesFallBackToTheDefaults)
{
    const Placement nothing = PlacementFor(Stored(), 1000, 800);
    EXPECT_TRUE(nothing.centre);
    EXPECT_EQ(1024, nothing.width);
    EXPECT_EQ(768, nothing.height);

    EXPECT_TRUE(PlacementFor(StoredValues(0, -1, 800, 600), 1000, 800).centre);
    EXPECT_TRUE(PlacementFor(StoredValues(-9, 100, 800, 600), 1000, 800).centre);
    const Placement halfSize = PlacementFor(StoredValues(100, 100, 800, -1), 1000, 800);
    EXPECT_EQ(1024, halfSize.width);
    EXPECT_EQ(768, halfSize.height);
    EXPECT_FALSE(halfSize.centre);
}

TEST_F(WindowGeometryStoreTest, TheSettingsFileRoundTripsTheGeometry)
{
    ASSERT_EQ(RC_OK, InitCore());
    Write(*wxConfigBase::Get(), StoredFor(512, -20, 900, 700, 1024, 768));
    Core()->Release();
    const std::string file = ReadTextFile(UserDataDir() + wxS("glyphara.cfg"));
    EXPECT_NE(std::string::npos, file.find("windowposx=500\n")) << file;
    EXPECT_NE(std::string::npos, file.find("windowposy=-26\n")) << file;
    EXPECT_NE(std::string::npos, file.find("windowsizew=900\n")) << file;
    EXPECT_NE(std::string::npos, file.find("windowsizeh=700\n")) << file;

    ASSERT_EQ(RC_OK, InitCore());
    const Stored stored = Read(*wxConfigBase::Get());
    EXPECT_EQ(500, stored.posX);
    EXPECT_EQ(-26, stored.posY);
    EXPECT_EQ(900, stored.width);
    EXPECT_EQ(700, stored.height);
}

TEST_F(WindowGeometryStoreTest, ASettingsFileOfGarbageGivesTheDefaults)
{
    WriteTextFile(UserDataDir() + wxS("glyphara.cfg"),
                  "\x01\x02 garbage \xff\xfe\n[[[\nwindowsizew=wide\nwindowsizeh=\nwindowposx=12abc\n"
                  "windowposy=99999999999999999999\n=5\n");
    ASSERT_EQ(RC_OK, InitCore());
    const Stored stored = Read(*wxConfigBase::Get());
    EXPECT_EQ(kUnset, stored.width);
    EXPECT_EQ(kUnset, stored.height);
    EXPECT_EQ(kUnset, stored.posX);
    EXPECT_EQ(kUnset, stored.posY);
    const Placement placement = PlacementFor(stored, 1280, 1024);
    EXPECT_TRUE(placement.centre);
    EXPECT_EQ(1024, placement.width);
    EXPECT_EQ(768, placement.height);
}
