// The program's document and service object: the open project with its tags, the font
// and effect libraries, the program folders, the previews and their web servers, and the
// two callbacks through which the main window is asked to refresh. The main window is
// its only caller. One class; its operations live in one source file per subsystem.
#ifndef GLYPHARA_CORE_GLYPHARACORE_H
#define GLYPHARA_CORE_GLYPHARACORE_H

#include "core/CoreCallbacks.h"
#include "core/FontProperties.h"
#include "core/FontTable.h"
#include "core/RecordMaps.h"
#include "core/Utf16Less.h"
#include "trace/ResultCodes.h"

#include <wx/arrstr.h>
#include <wx/string.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

class CBasicWebServer;
class wxXmlNode;
class CPlatformLauncher;
struct MovieCoverage;
class FontListModel;
class FontPictures;
class WebFontCache;

class CGlypharaCore
{
public:
    static CGlypharaCore* GetInstance();
    // Destroys the instance and clears the singleton pointer (application exit).
    static void DestroyInstance();

    // Lifecycle
    int Init();
    // For work without a window (exporting from the command line): the folders, the font
    // and effect libraries and a new project, but no settings store, no preview folder
    // and no web server; nothing is created or written below the user's home.
    int InitForExport();
    int Release();
    int SetInterfaceCallbacks(void* context, UpdateControlsCallback updateControls,
                              UpdateFlashCallback updateFlash);

    // Project model
    int NewProject();
    wxString CleanTag(const wxString& tag);
    bool IsAStandardTag(const wxString& tag);
    int GetTagList(wxArrayString& list, wxString& selected);
    int GetUnusedTagList(wxArrayString& list);
    int SetSelectedTag(const wxString& tag);
    int AddNewTag(wxString& name, bool select);
    int RemoveTag(const wxString& name);
    int RenameTag(const wxString& oldName, const wxString& newName);
    int GetSelectedFontProperties(FontProperties& record);
    int SetCurrentFontProperties(const FontProperties& record);
    int GetUserText(wxString& text);
    int SetUserText(const wxString& text);
    int SetFlashPlayerSize(int width, int height);

    // Font library
    int BuildFontLists();
    int UpdateFontList(bool onlyIfChanged);
    int GetFontSupportedStyles(const wxString& font, bool& regular, bool& italic, bool& bold, bool& boldItalic);
    int GetInstalledFontList(wxArrayString& rows, wxString& selectedRow);
    // The same list as rows that say what each item stands for, brought up to date with
    // the font table and the preview pictures on disk. Its revision changes only when
    // some row does, so a window holding the rows of that revision need not refill.
    const FontListModel& GetInstalledFontModel();
    int SelectInstalledFont(const wxString& entry, bool byMouse, bool keyUp, bool keyDown);
    int ImportFonts(const wxArrayString& files, wxArrayString& failed);
    int LaunchMoldwright();

    // Effect library
    int BuildEffectList();
    int LoadEffectToMember(const wxString& path);
    int GetEffectList(wxArrayString& names);
    int GetSelectedEffect(wxString& name);
    int SetSelectedEffect(const wxString& name);
    int DeleteEffect(const wxString& name, bool allowSystem);
    int LoadEffect(const wxString& path, FontProperties& filters, wxString& name);
    int SaveEffectAs(const FontProperties& filters, wxString& name);
    int SaveUserDefinedEffectAs(wxString& name);
    int ImportEffect(const wxString& path, wxString& name);
    int ExportEffect(wxString& folder, const wxString& name, bool overwrite);

    // Generated web code
    int GetHTMLSnippet(wxString& snippet, bool singleTag);
    int GetCSSCode(wxString& css, bool singleTag);
    // title is the page's title; empty takes the project's name.
    int GetHTMLSampleCodeForBrowser(wxString& page, bool singleTag, const wxString& title = wxString());
    // The text of webfonts.css: an @font-face rule per face of each tag's font movie (its
    // web fonts beside it, as the export writes them) and each tag's font stack; nothing
    // for a movie that cannot be made into web fonts.
    int GetWebFontCSS(wxString& css, bool singleTag);

    // Project file and folder
    int SaveXMLProject(const wxString& path, const wxString& projectName, const wxString& dataDir,
                       const wxString& htmlDataDir, const wxString& cssFileName, const wxString& htmlFileName);
    int LoadXMLProject(const wxString& path);
    int LoadProject(const wxString& path);
    int SaveProject(const wxString& path, bool overwrite, bool embedded);
    // Writes the folder of the project file projectFile as storing the project writes it,
    // without changing the project file: into folder (which receives the sample page and
    // glypharadata/), or with an empty folder into the project's own folder beside its
    // file. Files already holding what would be written are left alone; on any failure
    // the folder is left as it was. message says what failed, in one line.
    int ExportProject(const wxString& projectFile, const wxString& folder, wxString& message);

    // Preview
    int WebBrowserPreview(const wxString& path, bool embedded);

    // Characters that the selected tag's font movie lacks, among those of the sample text
    // and of the tag's sentence on the sample page: fontName gets the font's shown name,
    // characters one entry per lacking character, in the order they first appear. Empty
    // when the movie holds them all or cannot be read.
    int GetMissingCharacters(wxString& fontName, wxArrayString& characters);
    // The same as the line the window shows ("Not in Lobster Two: ł ő"); empty when
    // nothing is missing.
    int GetMissingCharactersText(wxString& text);

    // Undo and redo. Every change to the project (style fields, font, effect, tags, the
    // sample text) is a step; selecting a tag is not. New and Open empty the history.
    bool CanUndo() const;
    bool CanRedo() const;
    // The menu texts without mnemonic or accelerator: "Undo colour change", "Redo add tag
    // <h2>"; plain "Undo" and "Redo" when there is nothing to take back or to do again.
    wxString GetUndoName() const;
    wxString GetRedoName() const;
    int Undo();
    int Redo();
    // Edits of one field between these are one step however slowly they come (a slider
    // drag: begin on every thumb-track event, end on the thumb release). Beginning while
    // a group is open changes nothing.
    void BeginEditGroup();
    void EndEditGroup();
    // Steps that Undo and Redo can take; at most 200 are kept.
    size_t GetUndoCount() const;
    size_t GetRedoCount() const;
    // The clock, in milliseconds, that decides which edits of one field come close enough
    // to be one step. Tests and benchmarks set their own; null restores the steady clock.
    void SetUndoClock(long long (*now)());

    // Read-only views for the main window and the tests.
    bool IsInitialized() const { return m_initialised; }
    bool IsProjectSaved() const { return m_projectSaved; }
    // A new project that is still as NewProject made it: nothing to lose by closing it.
    bool IsUnchangedNewProject() const;
    // For the user, after a LoadProject or SaveProject (or LoadXMLProject) that did not
    // fully succeed: the file and the reason of a failure, or what is missing after a
    // partly successful open. Empty after a full success.
    const wxString& GetLastProblem() const { return m_lastProblem; }
    const wxString& GetProjectFilePath() const { return m_projectFilePath; }
    const wxString& GetProjectName() const { return m_projectName; }
    const wxString& GetConfigFilePath() const { return m_configFilePath; }
    const wxString& GetBrowserPreviewPath() const { return m_browserPreviewPath; }
    const wxString& GetEmbeddedPreviewPath() const { return m_embeddedPreviewPath; }
    const wxString& GetEmbeddedPreviewUrl() const { return m_embeddedPreviewUrl; }
    // The folder that holds this process's preview pages; empty before the first preview.
    const wxString& GetPreviewFolder() const { return m_previewFolder; }
    const wxString& GetFoundryBackgroundPath() const { return m_foundryBackgroundPath; }
    const wxString& GetSystemFontDir() const { return m_systemFontDir; }
    const wxString& GetUserFontDir() const { return m_userFontDir; }
    const wxString& GetSystemEffectDir() const { return m_systemEffectDir; }
    const wxString& GetUserEffectDir() const { return m_userEffectDir; }
    const FontTable& GetFontTable() const { return m_fontTable; }
    // Changes whenever the font table may have changed, and never comes back, also across
    // instances of the core.
    unsigned long GetFontTableRevision() const { return m_fontTableRevision; }
    const TagMap& GetTags() const { return m_tags; }
    const EffectFilterMap& GetEffectFilters() const { return m_effectFilters; }
    const EffectFileMap& GetEffectFiles() const { return m_effectFiles; }
    const wxArrayString& GetSifrFileNames() const { return m_sifrFileNames; }
    size_t GetWebServerCount() const { return m_webServers.size(); }
    int GetFlashPlayerWidth() const { return m_flashPlayerWidth; }
    int GetFlashPlayerHeight() const { return m_flashPlayerHeight; }

    // Replaces the seam to the default browser and to other programs (tests install a
    // recorder). The core owns it.
    void SetLauncher(std::unique_ptr<CPlatformLauncher> launcher);
    CPlatformLauncher& Launcher();

private:
    CGlypharaCore();
    ~CGlypharaCore();
    CGlypharaCore(const CGlypharaCore&) = delete;
    CGlypharaCore& operator=(const CGlypharaCore&) = delete;

    // The record of a tag, added with defaults when the name is not in the map yet.
    FontProperties& TagRecord(const wxString& name);
    int InitAs(bool headless);
    void CallUpdateControls();
    void CallUpdateFlash(int delay);

    // Private helpers of each subsystem, next to one another so that each stays in its
    // own block.
    // -- project model --
    // Selects the effect whose filters the record has, keeping the current one on a tie,
    // or keeps the record's filters as "User defined".
    void FollowEffect(const FontProperties& record);
    // -- font library --
    // The preview pictures of the font folders as last listed, and the font list built
    // from the font table.
    std::unique_ptr<FontPictures> m_fontPictures;
    std::unique_ptr<FontListModel> m_fontList;
    FontListModel& UpdatedFontList();
    // -- effect library --
    // -- code generation --
    // The web fonts made from the font movies, kept while a movie stays as it was.
    std::shared_ptr<WebFontCache> m_webFonts;
    WebFontCache& WebFonts();
    // -- project file and export --
    // What the export copied where, so that an unchanged source is not copied again.
    struct ExportCopies;
    std::shared_ptr<ExportCopies> m_exportCopies;
    // Notes that target already is a copy of source as it stands, so the next export
    // leaves it alone.
    void RecordExportCopy(const wxString& source, const wxString& target);
    // Fonts found only in the open project's folder. They are part of the font table
    // until another project is opened or started, whatever rescans the font folders.
    FontTable m_projectFonts;
    // Puts the project's fonts back into the font table where no installed font has
    // their name; takes them out with remove.
    void MergeProjectFonts(bool remove = false);
    // The tags of the last project load whose font is neither installed nor in the
    // project's folder, with that font.
    std::map<wxString, wxString, Utf16Less> m_tagsWithMissingFonts;
    // Reads the tags and the listed files of a checked project file into the project.
    int ReadProjectElements(const wxString& path, const wxXmlNode* project, const wxXmlNode* tags,
                            const wxXmlNode* files);
    wxString m_lastProblem;
    // The tags and sample text NewProject made, to tell a project nobody changed.
    TagMap m_newProjectTags;
    wxString m_newProjectText;
    // -- export without a window --
    // Storing writes the project's folder but not its project file.
    bool m_exportFolderOnly = false;
    void LinkCopiesInPlace(const std::string& target, const std::string& staged);
    // The folder being staged and the one it is moved into; empty outside an export.
    wxString m_exportStaged;
    wxString m_exportTarget;
    // Where a file written now ends up once the export moves it into place.
    wxString FinalPath(const wxString& written) const;
    // -- preview --
    // This process's own folder for the preview pages, made inside the temporary folder
    // on first use and removed by Release; empty when it cannot be made.
    wxString m_previewFolder;
    wxString PreviewFolder();
    // The running server serving root, else a new one started for it; null when none
    // could be started.
    CBasicWebServer* ServerFor(const wxString& root);
    // -- characters the font lacks --
    // Code tables of font movies by path, each with the state of the file it was read
    // from, so a movie is read again only when it changes.
    struct MovieCoverageEntry;
    std::map<wxString, std::shared_ptr<MovieCoverageEntry>> m_movieCoverage;
    std::shared_ptr<const MovieCoverage> MovieCoverageOf(const wxString& path);
    // -- undo history --
    // Brackets an operation that may change the project. When the outermost one ends,
    // what changed is recorded as one step under the first name given inside it.
    class EditScope
    {
    public:
        // A new history starts when the outermost scope ends (New, Open); edits made
        // while an undo is applied are not recorded.
        enum Mode { kRecord, kDontRecord, kNewHistory };
        explicit EditScope(CGlypharaCore& core, Mode mode = kRecord);
        ~EditScope();
        EditScope(const EditScope&) = delete;
        EditScope& operator=(const EditScope&) = delete;
        // key: edits with the same key that follow closely merge into one step.
        void Name(const wxString& name, const wxString& key);
        // Names a change of the selected tag's record from the fields it touches.
        void NameStyleChange(const FontProperties& before, const FontProperties& after);

    private:
        CGlypharaCore& m_core;
    };
    struct HistoryState;
    std::shared_ptr<HistoryState> m_history;
    HistoryState& History();

    bool m_initialised;
    wxString m_configFilePath;
    std::vector<CBasicWebServer*> m_webServers;
    wxArrayString m_sifrFileNames;
    wxArrayString m_standardTagNames;
    wxString m_projectFilePath;
    wxString m_browserPreviewPath;
    wxString m_embeddedPreviewPath;
    wxString m_embeddedPreviewUrl;
    bool m_projectSaved;
    wxString m_projectName;
    wxString m_systemFontDir;
    wxString m_userFontDir;
    FontTable m_fontTable;
    unsigned long m_fontTableRevision = 0;
    // Called before any change of the font table.
    void FontTableChanging();
    wxArrayString m_userFontSnapshot;
    wxString m_foundryBackgroundPath;
    TagMap m_tags;
    wxString m_selectedTag;
    wxString m_userText;
    wxString m_systemEffectDir;
    wxString m_userEffectDir;
    EffectFileMap m_effectFiles;
    EffectFilterMap m_effectFilters;
    wxString m_selectedEffect;
    int m_flashPlayerWidth;
    int m_flashPlayerHeight;
    UpdateControlsCallback m_updateControlsCallback;
    UpdateFlashCallback m_updateFlashCallback;
    void* m_callbackContext;

    std::unique_ptr<CPlatformLauncher> m_launcher;

    static CGlypharaCore* ms_instance;
};

// Every core operation but a few refuses to work before Init.
#define CORE_REQUIRE_INITIALIZED()                                                           \
    if (!m_initialised)                                                                      \
    TS_RETURN(RC_NOT_INITIALIZED, wxS("Object is not initialized"))

#endif
