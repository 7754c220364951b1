// Writing and reading the project file.
#include "TestSupport.h"

#include "core/FontListModel.h"
#include "core/GlypharaCore.h"
#include "trace/TraceSystem.h"

#include <wx/filefn.h>
#include <wx/filename.h>

#include <unistd.h>

namespace
{
class ProjectFileTest : public CoreTest
{
protected:
    // One installed font, the sIFR files, and a core with the tags h1 and h2 on it.
    void SetUp() override
    {
        CoreTest::SetUp();
        WriteTextFile(SystemFontDir() + wxS("My_Foundry/Big_Sans.swf"), "FWS-big-sans");
        WriteTextFile(SystemFontDir() + wxS("My_Foundry/Big_Sans.png"), "PNG-big-sans");
        WriteSupportFiles(ProgramDir());
        ASSERT_EQ(RC_OK, InitCore());
        SetFont(wxS("h1"), wxS("My Foundry"), wxS("Big Sans"));
        wxString h2 = wxS("h2");
        ASSERT_EQ(RC_OK, Core()->AddNewTag(h2, false));
        sites = ProgramDir() + wxS("/sites");
    }

    // Stores the project as sites/<name>.xml and returns the file's path.
    wxString Store(const wxString& name)
    {
        EXPECT_EQ(RC_OK, Core()->SaveProject(sites + wxS("/") + name, false, false));
        return sites + wxS("/") + name + wxS(".xml");
    }

    // Drops the installed font and lets the library forget it.
    void UninstallFont()
    {
        wxFileName::Rmdir(SystemFontDir() + wxS("My_Foundry"), wxPATH_RMDIR_RECURSIVE);
        Core()->BuildFontLists();
        ASSERT_EQ(0u, Core()->GetFontTable().count(wxS("My Foundry")));
    }

    wxString sites;
};

std::string TagElement(const std::string& name)
{
    return "   <" + name +
           " font=\"Big Sans\" foundry=\"My Foundry\" size=\"40\" align=\"0\" color=\"#000000\" "
           "linkcolor=\"#0000FF\" backgroundcolor=\"#FFFFFF\" hovercolor=\"#FF0000\" opacity=\"100\" bold=\"0\" "
           "italic=\"0\" stroked=\"0\" understroked=\"0\">\n"
           "    <bevel enabled=\"0\" angle=\"45\" distance=\"4.000000\" strength=\"1\" quality=\"2\" "
           "highlightcolor=\"#0000FF\" shadowcolor=\"#FF0000\" type=\"1\"/>\n"
           "    <glow enabled=\"0\" strength=\"2\" blurx=\"6.000000\" blury=\"6.000000\" knockout=\"0\" inner=\"0\" "
           "quality=\"1\" alpha=\"0.250000\" color=\"#FFFF00\"/>\n"
           "    <dropshadow enabled=\"0\" quality=\"2\" angle=\"45\" knockout=\"0\" distance=\"4.000000\" "
           "color=\"#000000\" strength=\"1.000000\"/>\n"
           "    <blur enabled=\"0\" quality=\"2\" blurx=\"5\" blury=\"5\"/>\n"
           "   </" + name + ">\n";
}

std::string FontElement()
{
    return "    <font filename=\"My_Foundry___Big_Sans.swf\" dir=\"mysite files/glypharadata/fonts/\" "
           "fontname=\"Big Sans\" foundryname=\"My Foundry\"/>\n";
}

std::string BasicElement(const std::string& name)
{
    return "    <file filename=\"" + name + "\" dir=\"mysite files/glypharadata/\"/>\n";
}

// A hand-made project file with one tag h2 in the font Evil whose copy is listed by the
// given entry.
std::string ProjectWithFontEntry(const std::string& fontEntry, const std::string& cssDir = "p files/glypharadata/")
{
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
           "<GlypharaProject appname=\"Glyphara\" version=\"4.1\" build=\"1\">\n"
           " <project projectname=\"p\">\n"
           "  <tags><h2 font=\"Evil\" foundry=\"X\"/></tags>\n"
           "  <files>\n"
           "   <example><cssfile filename=\"all.css\" dir=\"" + cssDir + "\"/></example>\n"
           "   <fonts>" + fontEntry + "</fonts>\n"
           "  </files>\n"
           " </project>\n"
           "</GlypharaProject>\n";
}
}

TEST_F(ProjectFileTest, WritesTagsAndFilesInDescendingOrderAndReadsThemBack)
{
    const wxString file = Store(wxS("mysite"));
    // Built from the stated order: tags (descending), then files with example, fonts
    // (descending) and basics (the support files in reverse list order).
    std::string golden = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                         "<GlypharaProject appname=\"Glyphara\" version=\"4.1\" build=\"" +
                         std::to_string(TraceSystem::GetInstance()->GetBuildNumber()) +
                         "\">\n"
                         " <project projectname=\"mysite\">\n"
                         "  <tags>\n";
    golden += TagElement("h2") + TagElement("h1");
    golden += std::string("  </tags>\n"
                          "  <files>\n"
              "   <example>\n"
                          "    <cssfile filename=\"all.css\" dir=\"mysite files/glypharadata/\"/>\n"
                          "    <htmlfile filename=\"mysite.html\" dir=\"mysite files/\"/>\n"
                          "   </example>\n"
                          "   <fonts>\n") +
              FontElement() + FontElement() +
              "   </fonts>\n"
              "   <basics>\n" + BasicElement("sifr.js") + BasicElement("sIFR-screen.css") + BasicElement("sIFR-print.css") +
              BasicElement("sifr-config.js") +
              "   </basics>\n"
              "  </files>\n"
              " </project>\n"
              "</GlypharaProject>\n";
    EXPECT_EQ(golden, ReadTextFile(file));

    ASSERT_EQ(RC_OK, Core()->LoadProject(file));
    EXPECT_EQ(2u, Core()->GetTags().size());
    EXPECT_EQ(wxS("Big Sans"), Core()->GetTags().at(wxS("h2")).font);
    EXPECT_EQ(wxS("mysite"), Core()->GetProjectName());
    EXPECT_EQ(file, Core()->GetProjectFilePath());
    EXPECT_TRUE(Core()->IsProjectSaved());
    EXPECT_FALSE(log->Contains(wxS("File missing: ")));
}

TEST_F(ProjectFileTest, AFileWithoutH1KeepsTheDefaultH1AndAMovedFolderStillOpens)
{
    wxString h3 = wxS("h3");
    ASSERT_EQ(RC_OK, Core()->AddNewTag(h3, true));
    ASSERT_EQ(RC_OK, Core()->RemoveTag(wxS("h1")));
    const wxString file = Store(wxS("mysite"));
    ASSERT_EQ(std::string::npos, ReadTextFile(file).find("<h1"));

    // Project file and folder move together; every dir in the file is relative.
    const wxString moved = ProgramDir() + wxS("/elsewhere");
    ASSERT_TRUE(wxRenameFile(sites, moved));
    ASSERT_EQ(RC_OK, Core()->LoadProject(moved + wxS("/mysite.xml")));
    EXPECT_EQ(3u, Core()->GetTags().size());
    EXPECT_EQ(1u, Core()->GetTags().count(wxS("h1")));
    EXPECT_EQ(1u, Core()->GetTags().count(wxS("h3")));
    EXPECT_FALSE(log->Contains(wxS("File missing: ")));
}

TEST_F(ProjectFileTest, AFontThatIsNotInstalledComesFromTheFolderUntilItsCopyIsGone)
{
    const wxString file = Store(wxS("mysite"));
    UninstallFont();

    log->Clear();
    const unsigned long revision = Core()->GetFontTableRevision();
    ASSERT_EQ(RC_OK, Core()->LoadProject(file));
    EXPECT_TRUE(log->Contains(wxS("Using the project version of: Big Sans")));
    EXPECT_NE(revision, Core()->GetFontTableRevision()) << "the font list must see the project's font";
    const wxString copy = sites + wxS("/mysite files/glypharadata/fonts/My_Foundry___Big_Sans.swf");
    EXPECT_EQ(copy, Core()->GetFontTable().at(wxS("My Foundry")).at(wxS("Big Sans")));
    EXPECT_EQ(1u, Core()->GetTags().count(wxS("h2")));
    EXPECT_TRUE(Core()->GetLastProblem().empty());

    // A rescan of the font folders keeps the project's own font, and a save under
    // another name carries it along.
    ASSERT_EQ(RC_OK, Core()->UpdateFontList(false));
    ASSERT_EQ(copy, Core()->GetFontTable().at(wxS("My Foundry")).at(wxS("Big Sans")));
    Store(wxS("copy"));
    EXPECT_EQ("FWS-big-sans", ReadTextFile(sites + wxS("/copy files/glypharadata/fonts/My_Foundry___Big_Sans.swf")));

    // The font's row in the list picks it, although its file lies in the project's folder.
    WriteTextFile(SystemFontDir() + wxS("Other.swf"), "FWS-other");
    ASSERT_EQ(RC_OK, Core()->UpdateFontList(false));
    SetFont(wxS("h2"), wxEmptyString, wxS("Other"));
    const FontListModel& list = Core()->GetInstalledFontModel();
    const size_t row = list.FindFont(wxS("My Foundry"), wxS("Big Sans"));
    ASSERT_NE(FontListModel::npos, row);
    ASSERT_EQ(RC_OK, Core()->SelectInstalledFont(list.Rows()[row].html, true, false, false));
    EXPECT_EQ(wxS("Big Sans"), Core()->GetTags().at(wxS("h2")).font);
    EXPECT_EQ(wxS("My Foundry"), Core()->GetTags().at(wxS("h2")).foundry);

    // Without the copy too, the tags stay with the font they name, which is told missing.
    Core()->NewProject();
    ASSERT_TRUE(wxRemoveFile(copy));
    log->Clear();
    EXPECT_EQ(RC_LOADED_WITH_ERRORS, Core()->LoadProject(file));
    EXPECT_TRUE(log->Contains(wxS("This font won't be available: Big Sans")));
    EXPECT_TRUE(log->Contains(wxS("The font of this tag is missing: h2 (Big Sans)")));
    EXPECT_TRUE(log->Contains(wxS("Some errors happened while loading")));
    EXPECT_EQ(wxS("Big Sans"), Core()->GetTags().at(wxS("h2")).font);
    EXPECT_EQ(wxS("Fonts neither installed nor in the project's folder:\nBig Sans (<h1>, <h2>)"),
              Core()->GetLastProblem());
}

// A project written by hand or by another program, with a tag in capitals and a font
// that is nowhere: every tag is kept as one tag, and nothing of the file is lost.
TEST_F(ProjectFileTest, EveryTagOfTheFileIsKeptOnceAndASaveNeverWritesLess)
{
    WriteTextFile(sites + wxS("/hand.xml"),
                  "<GlypharaProject><project projectname=\"hand\"><tags>"
                  "<H2 font=\"Big Sans\" foundry=\"My Foundry\" size=\"30\"/>"
                  "<h3 font=\"Ghost Sans\" foundry=\"\" size=\"70\" color=\"#123456\"><glow enabled=\"1\"/></h3>"
                  "<My-Tag font=\"Big Sans\" foundry=\"My Foundry\"/>"
                  "</tags><files/></project></GlypharaProject>");
    const std::string before = ReadTextFile(sites + wxS("/hand.xml"));
    EXPECT_EQ(RC_LOADED_WITH_ERRORS, Core()->LoadProject(sites + wxS("/hand.xml")));
    std::vector<wxString> names;
    for (const auto& tag : Core()->GetTags())
        names.push_back(tag.first);
    EXPECT_EQ((std::vector<wxString>{wxS("h1"), wxS("h2"), wxS("h3")}), names);
    EXPECT_EQ(30, Core()->GetTags().at(wxS("h2")).size);
    EXPECT_EQ(wxS("Fonts neither installed nor in the project's folder:\nGhost Sans (<h3>)\n\n"
                  "Left out, as their names are no tag names:\n<My-Tag>"),
              Core()->GetLastProblem());
    EXPECT_TRUE(Core()->IsProjectSaved());

    // The capital name is the same tag everywhere, and there is no other.
    EXPECT_EQ(RC_OK, Core()->SetSelectedTag(wxS("<H2>")));
    EXPECT_EQ(3u, Core()->GetTags().size());
    wxString css;
    Core()->GetCSSCode(css, false);
    EXPECT_EQ(1u, wxString(css).Replace(wxS("h2 {"), wxEmptyString)) << css;
    EXPECT_EQ(RC_OK, Core()->RemoveTag(wxS("H2")));
    EXPECT_EQ(0u, Core()->GetTags().count(wxS("h2")));

    // Saving cannot put the missing font in the site: it fails, says why and leaves the
    // file as it was.
    wxString h4 = wxS("h4");
    Core()->AddNewTag(h4, true);
    EXPECT_EQ(RC_WRITE_FAILED, Core()->SaveProject(sites + wxS("/hand.xml"), true, false));
    EXPECT_EQ(before, ReadTextFile(sites + wxS("/hand.xml")));
    EXPECT_FALSE(Core()->IsProjectSaved());
    EXPECT_EQ(wxS("The font Ghost Sans of <h3> is neither installed nor in the project's folder"),
              Core()->GetLastProblem());
}

TEST_F(ProjectFileTest, AMissingStyleSheetIsAWarning)
{
    const wxString file = Store(wxS("mysite"));
    ASSERT_TRUE(wxRemoveFile(sites + wxS("/mysite files/glypharadata/all.css")));
    EXPECT_EQ(RC_LOADED_WITH_WARNINGS, Core()->LoadProject(file));
    EXPECT_TRUE(log->Contains(wxS("File missing: mysite files/glypharadata//all.css")));
    EXPECT_TRUE(log->Contains(wxS("Some files are missing")));
    EXPECT_EQ(2u, Core()->GetTags().size());
}

TEST_F(ProjectFileTest, RefusedFilesKeepTheOpenProjectAndSayWhy)
{
    const wxString open = Store(wxS("open"));
    SetFont(wxS("h2"), wxS("My Foundry"), wxS("Big Sans"));
    FontProperties changed = Core()->GetTags().at(wxS("h2"));
    changed.size = 77;
    Core()->SetCurrentFontProperties(changed);
    ASSERT_FALSE(Core()->IsProjectSaved());
    std::string noise(1 << 20, '\0');
    for (size_t i = 0; i < noise.size(); ++i)
        noise[i] = static_cast<char>((i * 2654435761u) >> 13);

    const struct
    {
        std::string text;
        int result;
        const char* traced;
        const char* reason;
    } cases[] = {
        {"<tallowbyglyphara><project projectname=\"old\"/></tallowbyglyphara>", RC_INCOMPATIBLE_VERSION,
         "This project has been saved with an old and incompatible version of Glyphara",
         "it was saved by an old and incompatible version of Glyphara"},
        {"", RC_LOAD_FAILED, "Unable to create the XML object", "the file is empty"},
        {"<GlypharaProject><project projectname=\"p\"><tags><h1 font=\"Big", RC_LOAD_FAILED,
         "Unable to create the XML object", "XML parsing error: 'unclosed token' at line 1"},
        {"<!DOCTYPE html>\n<html><body><p>A page<br></p></body></html>", RC_LOAD_FAILED,
         "Unable to create the XML object", "XML parsing error: 'mismatched tag' at line 2"},
        {noise, RC_LOAD_FAILED, "Unable to create the XML object", "XML parsing error: "},
        {"<GlypharaEffect/>", RC_BAD_FORMAT, "This is not a Glyphara project",
         "it is not a Glyphara project (its root element is <GlypharaEffect>)"},
        {"<GlypharaProject/>", RC_BAD_FORMAT, "No projects in this file", "it names no project"},
        {"<GlypharaProject><project/></GlypharaProject>", RC_BAD_FORMAT, "No projects in this file",
         "it names no project"},
        {"<GlypharaProject><project projectname=\"p\"><tags/></project></GlypharaProject>", RC_BAD_FORMAT,
         "Invalid file format in XML file", "its list of tags or of files is missing"},
        {"<GlypharaProject><project projectname=\"p\"><tags/><files/></project></GlypharaProject>", RC_LOAD_FAILED,
         "No tags in this project", "it holds no tags"},
    };
    const wxString file = ProgramDir() + wxS("/bad.xml");
    for (const auto& bad : cases)
    {
        const std::string shown = bad.text.substr(0, 60);
        WriteTextFile(file, bad.text);
        log->Clear();
        EXPECT_EQ(bad.result, Core()->LoadProject(file)) << shown;
        EXPECT_TRUE(log->Contains(wxString::FromUTF8(bad.traced))) << shown;
        EXPECT_TRUE(log->Contains(wxS("Unable to load the XML file"))) << shown;
        EXPECT_TRUE(Core()->GetLastProblem().StartsWith(file + wxS(": ") + wxString::FromUTF8(bad.reason)))
            << Core()->GetLastProblem();
        // The project on screen is the one that was open, unsaved change included.
        EXPECT_EQ(2u, Core()->GetTags().size()) << shown;
        EXPECT_EQ(77, Core()->GetTags().at(wxS("h2")).size) << shown;
        EXPECT_EQ(open, Core()->GetProjectFilePath()) << shown;
        EXPECT_EQ(wxS("open"), Core()->GetProjectName()) << shown;
        EXPECT_FALSE(Core()->IsProjectSaved()) << shown;
    }
    EXPECT_EQ(RC_LOAD_FAILED, Core()->LoadProject(ProgramDir() + wxS("/nothing.xml")));
    EXPECT_EQ(ProgramDir() + wxS("/nothing.xml: Unable to open the file: No such file or directory"),
              Core()->GetLastProblem());
}

TEST_F(ProjectFileTest, ATagWithoutFontIsLeftOutWithAWarningForEachList)
{
    wxString h3 = wxS("h3");
    ASSERT_EQ(RC_OK, Core()->AddNewTag(h3, true));
    FontProperties record;
    Core()->GetSelectedFontProperties(record);
    record.font.clear();
    ASSERT_EQ(RC_OK, Core()->SetCurrentFontProperties(record));
    MakeFolders(sites);
    log->Clear();
    ASSERT_EQ(RC_OK, Core()->SaveXMLProject(sites + wxS("/p.xml"), wxS("p"), wxS("p files/"),
                                            wxS("p files/glypharadata/"), wxS("all.css"), wxS("p.html")));
    const std::string text = ReadTextFile(sites + wxS("/p.xml"));
    EXPECT_EQ(std::string::npos, text.find("<h3"));
    EXPECT_NE(std::string::npos, text.find("<h2"));
    EXPECT_EQ(2, log->Count(wxS("Empty string found in map")));

    EXPECT_EQ(RC_WRITE_FAILED, Core()->SaveXMLProject(ProgramDir() + wxS("/no/such/folder/p.xml"), wxS("p"),
                                                      wxS("p files/"), wxS("p files/glypharadata/"),
                                                      wxS("all.css"), wxS("p.html")));
    EXPECT_TRUE(log->Contains(wxS("Error when saving XML to ") + ProgramDir() + wxS("/no/such/folder/p.xml")));
}

TEST_F(ProjectFileTest, EntriesPointingOutOfTheProjectFolderAreMissingFiles)
{
    UninstallFont();
    // A font file that a hostile project would like to have published.
    WriteTextFile(ProgramDir() + wxS("/private/Evil.swf"), "PRIVATE");
    MakeFolders(sites + wxS("/p files/glypharadata/fonts"));
    WriteTextFile(sites + wxS("/p files/glypharadata/all.css"), "h2 {}");
    ASSERT_EQ(0, symlink((ProgramDir() + wxS("/private/Evil.swf")).fn_str(),
                         (sites + wxS("/p files/glypharadata/fonts/Linked.swf")).fn_str()));

    WriteTextFile(sites + wxS("/notes.txt"), "PRIVATE");
    const std::string entries[] = {
        "<font filename=\"notes.txt\" dir=\"\" fontname=\"Evil\" foundryname=\"X\"/>",
        "<font filename=\"Evil.swf\" dir=\"../private/\" fontname=\"Evil\" foundryname=\"X\"/>",
        "<font filename=\"Evil.swf\" dir=\"p files/../../private/\" fontname=\"Evil\" foundryname=\"X\"/>",
        "<font filename=\"Evil.swf\" dir=\"" + std::string((ProgramDir() + wxS("/private/")).utf8_str()) +
            "\" fontname=\"Evil\" foundryname=\"X\"/>",
        "<font filename=\"../../private/Evil.swf\" dir=\"p files/\" fontname=\"Evil\" foundryname=\"X\"/>",
        "<font filename=\"Linked.swf\" dir=\"p files/glypharadata/fonts/\" fontname=\"Evil\" foundryname=\"X\"/>",
    };
    for (const std::string& entry : entries)
    {
        WriteTextFile(sites + wxS("/p.xml"), ProjectWithFontEntry(entry));
        log->Clear();
        EXPECT_EQ(RC_LOADED_WITH_ERRORS, Core()->LoadProject(sites + wxS("/p.xml"))) << entry;
        EXPECT_TRUE(log->Contains(wxS("This font won't be available: Evil"))) << entry;
        EXPECT_EQ(0u, Core()->GetFontTable().count(wxS("X"))) << entry;
        EXPECT_TRUE(log->Contains(wxS("The font of this tag is missing: h2 (Evil)"))) << entry;
    }

    // A style sheet entry that climbs out is reported missing, even though the file
    // it names exists.
    WriteTextFile(ProgramDir() + wxS("/all.css"), "outside");
    WriteTextFile(sites + wxS("/p files/glypharadata/fonts/X___Evil.swf"), "FWS");
    WriteTextFile(sites + wxS("/p.xml"),
                  ProjectWithFontEntry("<font filename=\"X___Evil.swf\" dir=\"p files/glypharadata/fonts/\" "
                                       "fontname=\"Evil\" foundryname=\"X\"/>",
                                       "../"));
    log->Clear();
    EXPECT_EQ(RC_LOADED_WITH_WARNINGS, Core()->LoadProject(sites + wxS("/p.xml")));
    EXPECT_TRUE(log->Contains(wxS("File missing: ../")));
    // The ordinary entry of the same file is used as it should be.
    EXPECT_TRUE(log->Contains(wxS("Using the project version of: Evil")));
    EXPECT_EQ(1u, Core()->GetTags().count(wxS("h2")));
}
