#include "TestSupport.h"

#include "wxIncludes/wxIncludes.h"

#include <unistd.h>

#include <wx/filefn.h>
#include <wx/image.h>
#include <wx/mstream.h>
#include <wx/textfile.h>
#include <wx/wfstream.h>
#include <wx/zipstrm.h>

#include <map>
#include <string>

namespace
{
std::string PngBytes(int width, int height, unsigned char red)
{
    wxImage image(width, height);
    image.SetRGB(wxRect(0, 0, width, height), red, 0x80, 0x40);
    wxMemoryOutputStream out;
    image.SaveFile(out, wxBITMAP_TYPE_PNG);
    std::string bytes(out.GetSize(), '\0');
    out.CopyTo(&bytes[0], bytes.size());
    return bytes;
}

void WriteZip(const wxString& path, const std::map<wxString, std::string>& entries)
{
    MakeFolders(wxFileName(path).GetPath());
    wxFFileOutputStream file(path, wxS("wb"));
    wxZipOutputStream zip(file);
    for (const auto& entry : entries)
    {
        zip.PutNextEntry(entry.first);
        zip.Write(entry.second.data(), entry.second.size());
    }
    zip.Close();
}

class ResourceArchiveTest : public CoreTest
{
};
}

TEST_F(ResourceArchiveTest, PicturesLoadFromAnArchiveWhateverItsExtension)
{
    WriteZip(ProgramDir() + wxS("/Data/pictures.dat"), {{wxS("Pic.png"), PngBytes(12, 7, 0xC0)}});
    wxImage image;
    EXPECT_EQ(RC_OK, GetImageFromZip(wxS("Pic.png"), wxS("Data/pictures.dat"), image));
    ASSERT_TRUE(image.IsOk());
    EXPECT_EQ(wxSize(12, 7), image.GetSize());
    EXPECT_EQ(0xC0, image.GetRed(3, 3));
    EXPECT_TRUE(log->Contains(wxS("Loading Pic.png from Data/pictures.dat")));
}

// Every line of a read, its failures included, names the function that was called.
TEST_F(ResourceArchiveTest, ThePictureReaderTracesUnderItsOwnName)
{
    WriteZip(ProgramDir() + wxS("/Data/data.bin"), {{wxS("Pic.png"), "not a picture"}});
    wxImage image;
    EXPECT_EQ(RC_LOAD_FAILED, GetImageFromZip(wxS("Pic.png"), wxS(GLYPHARA_RESOURCE_ARCHIVE), image));
    int traced = 0;
    for (const CapturingLog::Line& line : log->lines)
    {
        EXPECT_FALSE(line.text.Contains(wxS("GetBitmapFromZip"))) << line.text;
        for (const char* text : {"Loading Pic.png from", "Pic.png has not been found in", "Returning with error"})
        {
            if (line.text.Contains(wxString(text)))
            {
                EXPECT_TRUE(line.text.Contains(wxS(":GetImageFromZip:"))) << line.text;
                ++traced;
            }
        }
    }
    EXPECT_EQ(3, traced);
}

TEST_F(ResourceArchiveTest, MissingCorruptOrUndecodableEntriesFail)
{
    wxImage image;
    EXPECT_EQ(RC_LOAD_FAILED, GetImageFromZip(wxS("Pic.png"), wxS(GLYPHARA_RESOURCE_ARCHIVE), image));
    EXPECT_TRUE(log->Contains(wxS("Unable to open the zip file system")));

    WriteTextFile(ProgramDir() + wxS("/Data/data.bin"), "PK\x03\x04 this is not really a zip archive");
    log->Clear();
    EXPECT_EQ(RC_LOAD_FAILED, GetImageFromZip(wxS("Pic.png"), wxS(GLYPHARA_RESOURCE_ARCHIVE), image));
    EXPECT_TRUE(log->Contains(wxS("Unable to open the zip file system")));
    EXPECT_FALSE(image.IsOk());

    WriteZip(ProgramDir() + wxS("/Data/data.bin"), {{wxS("Pic.png"), "not a picture"}});
    log->Clear();
    EXPECT_EQ(RC_LOAD_FAILED, GetImageFromZip(wxS("Pic.png"), wxS(GLYPHARA_RESOURCE_ARCHIVE), image));
    EXPECT_TRUE(log->Contains(wxS("Pic.png has not been found in Data/data.bin")));
    EXPECT_TRUE(log->Contains(wxS("Returning with error -14982")));
}

TEST_F(ResourceArchiveTest, APictureLoadedBeforeAFailedLoadIsKept)
{
    WriteZip(ProgramDir() + wxS("/Data/data.bin"), {{wxS("Pic.png"), PngBytes(5, 6, 0x10)}});
    wxImage image;
    ASSERT_EQ(RC_OK, GetImageFromZip(wxS("Pic.png"), wxS(GLYPHARA_RESOURCE_ARCHIVE), image));
    EXPECT_EQ(RC_OK, GetImageFromZip(wxS("Missing.png"), wxS(GLYPHARA_RESOURCE_ARCHIVE), image));
    EXPECT_EQ(wxSize(5, 6), image.GetSize());
}

TEST_F(ResourceArchiveTest, EveryLoadReadsTheArchiveAsItIsNow)
{
    const wxString archive = ProgramDir() + wxS("/Data/data.bin");
    WriteZip(archive, {{wxS("Pic.png"), PngBytes(4, 4, 0x11)}});
    wxImage image;
    ASSERT_EQ(RC_OK, GetImageFromZip(wxS("Pic.png"), wxS(GLYPHARA_RESOURCE_ARCHIVE), image));
    EXPECT_EQ(0x11, image.GetRed(0, 0));

    // Nothing of the first archive may be remembered.
    WriteZip(archive, {{wxS("Pic.png"), PngBytes(4, 4, 0x22)}, {wxS("New.png"), PngBytes(3, 3, 0x33)}});
    wxImage replaced, added;
    EXPECT_EQ(RC_OK, GetImageFromZip(wxS("Pic.png"), wxS(GLYPHARA_RESOURCE_ARCHIVE), replaced));
    EXPECT_EQ(RC_OK, GetImageFromZip(wxS("New.png"), wxS(GLYPHARA_RESOURCE_ARCHIVE), added));
    EXPECT_EQ(0x22, replaced.GetRed(0, 0));
}

TEST_F(ResourceArchiveTest, RemovingAFolderRemovesWhatIsInItAndNothingElse)
{
    const wxString folder = ProgramDir() + wxS("/preview");
    WriteTextFile(folder + wxS("/page files/glypharadata/fonts/a.swf"), "FWS");
    WriteTextFile(folder + wxS("/.hidden"), "x");
    // Links inside lead out of the folder; what they lead to stays.
    WriteTextFile(ProgramDir() + wxS("/outside/kept.txt"), "kept");
    ASSERT_EQ(0, symlink((ProgramDir() + wxS("/outside")).fn_str(), (folder + wxS("/linked folder")).fn_str()));
    ASSERT_EQ(0, symlink((ProgramDir() + wxS("/outside/kept.txt")).fn_str(), (folder + wxS("/linked file")).fn_str()));

    EXPECT_EQ(RC_OK, RemoveFolderTree(folder));
    EXPECT_FALSE(wxDirExists(folder));
    EXPECT_EQ("kept", ReadTextFile(ProgramDir() + wxS("/outside/kept.txt")));
    EXPECT_TRUE(log->Contains(wxS("Removing dir: ") + folder));

    // Only folders are removed.
    EXPECT_EQ(RC_DELETE_FAILED, RemoveFolderTree(ProgramDir() + wxS("/outside/kept.txt")));
    EXPECT_EQ(RC_DELETE_FAILED, RemoveFolderTree(folder));
    EXPECT_TRUE(wxFileExists(ProgramDir() + wxS("/outside/kept.txt")));
}

// The product's own archive and tips, as the build leaves them in the program folder.
TEST_F(ResourceArchiveTest, TheProgramFolderHoldsEveryPictureAndTheTips)
{
    const wxString archive = wxS(GLYPHARA_PROGRAM_DIR "/Data/data.bin");
    ASSERT_TRUE(wxFileExists(archive)) << "build the glyphara_images target first";
    const std::map<wxString, wxSize> pictures = {
        {wxS("39x42New.png"), wxSize(39, 42)},        {wxS("39x42Open.png"), wxSize(39, 42)},
        {wxS("39x42Save.png"), wxSize(39, 42)},       {wxS("39x42AddTag.png"), wxSize(39, 42)},
        {wxS("39x42DeleteTag.png"), wxSize(39, 42)},  {wxS("39x42Import.png"), wxSize(39, 42)},
        {wxS("39x42Export.png"), wxSize(39, 42)},     {wxS("39x42ImportFont.png"), wxSize(39, 42)},
        {wxS("39x42Preview.png"), wxSize(39, 42)},    {wxS("39x42AddToMyWeb.png"), wxSize(39, 42)},
        {wxS("AddTagDown.png"), wxSize(24, 24)},      {wxS("DeleteTagDown.png"), wxSize(24, 24)},
        {wxS("RenameTagDown.png"), wxSize(24, 24)},   {wxS("16x16ImportFont.png"), wxSize(16, 16)},
        {wxS("16x16Moldwright.png"), wxSize(16, 16)}, {wxS("GlypharaTipDay.png"), wxSize(600, 300)},
    };
    for (const auto& picture : pictures)
    {
        wxImage image;
        EXPECT_EQ(RC_OK, GetImageFromZip(picture.first, archive, image)) << picture.first;
        EXPECT_EQ(picture.second, image.GetSize()) << picture.first;
    }

    // The splash leaves the About window's version line, drawn in black at (187, 70),
    // on a light ground.
    wxImage splash, strip;
    ASSERT_EQ(RC_OK, GetImageFromZip(wxS("GlypharaSplash.png"), archive, splash));
    ASSERT_GE(splash.GetWidth(), 400);
    ASSERT_GE(splash.GetHeight(), 90);
    for (int y = 70; y < 86; ++y)
        for (int x = 187; x < 400; x += 3)
            ASSERT_GT(splash.GetRed(x, y) + splash.GetGreen(x, y) + splash.GetBlue(x, y), 3 * 200) << x << "," << y;
    EXPECT_EQ(RC_OK, GetImageFromZip(wxS("FoundryBackground.png"), archive, strip));

    wxTextFile tips(wxS(GLYPHARA_PROGRAM_DIR "/Data/tips.txt"));
    ASSERT_TRUE(tips.Open(wxConvUTF8));
    int count = 0;
    for (size_t i = 0; i < tips.GetLineCount(); ++i)
        if (!tips[i].empty() && !tips[i].StartsWith(wxS("#")))
            ++count;
    EXPECT_GE(count, 12);
    EXPECT_LE(count, 20);
}
