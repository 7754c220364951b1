#include "core/GlypharaCore.h"
#include "core/CoreNames.h"

#include "Library/BasicWebServer/BasicWebServer.h"
#include "core/FontFolders.h"
#include "core/FontListModel.h"
#include "core/PlatformLauncher.h"
#include "core/SettingsFile.h"
#include "core/TextUtil.h"
#include "trace/TraceSystem.h"
#include "wxIncludes/wxIncludes.h"

#include <wx/config.h>
#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/log.h>
#include <wx/stdpaths.h>

const char* const kUserDefinedEffect = "User defined";
const char* const kNoneEffect = "None";
// Addresses under the reserved .example domain can never belong to anyone else.
const char* const kMakerWebSite = "https://www.tallowby.example/";
const char* const kMakerWebHost = "www.tallowby.example";
const char* const kLoopbackHost = "127.0.0.1";
const char* const kAppVersion = "4.1";

CGlypharaCore* CGlypharaCore::ms_instance = nullptr;

namespace
{
// Creates one folder level if it is missing; failures show only as a missing folder.
void EnsureFolder(const wxString& folder)
{
    if (!wxDirExists(folder))
    {
        wxLogNull quiet;
        wxMkdir(folder, 0777);
    }
}

// Creates a folder with every missing level above it.
void MakeFolderPath(const wxString& folder)
{
    wxLogNull quiet;
    wxFileName::Mkdir(folder, 0777, wxPATH_MKDIR_FULL);
}
}

CGlypharaCore::CGlypharaCore()
    : m_initialised(false), m_projectSaved(false), m_flashPlayerWidth(0), m_flashPlayerHeight(0),
      m_updateControlsCallback(nullptr), m_updateFlashCallback(nullptr), m_callbackContext(nullptr),
      m_launcher(new CPlatformLauncher)
{
}

CGlypharaCore::~CGlypharaCore() = default;

CGlypharaCore* CGlypharaCore::GetInstance()
{
    TS_LOG_AS("CGlypharaCore::GetInstance", TS_TRACE, wxS("Getting singleton instance"));
    if (!ms_instance)
    {
        TS_LOG_AS("CGlypharaCore::GetInstance", TS_VERBOSE, wxS("Getting instance for the first time"));
        ms_instance = new CGlypharaCore();
    }
    return ms_instance;
}

void CGlypharaCore::DestroyInstance()
{
    delete ms_instance;
    ms_instance = nullptr;
}

void CGlypharaCore::SetLauncher(std::unique_ptr<CPlatformLauncher> launcher)
{
    m_launcher = launcher ? std::move(launcher) : std::unique_ptr<CPlatformLauncher>(new CPlatformLauncher);
}

CPlatformLauncher& CGlypharaCore::Launcher()
{
    return *m_launcher;
}

void CGlypharaCore::CallUpdateControls()
{
    if (m_callbackContext && m_updateControlsCallback)
        m_updateControlsCallback(m_callbackContext);
}

void CGlypharaCore::CallUpdateFlash(int delay)
{
    if (m_callbackContext && m_updateFlashCallback)
        m_updateFlashCallback(m_callbackContext, delay);
}

FontProperties& CGlypharaCore::TagRecord(const wxString& name)
{
    return m_tags[name];
}

int CGlypharaCore::Init()
{
    return InitAs(false);
}

int CGlypharaCore::InitAs(bool headless)
{
    TS_FUNCTION("CGlypharaCore::Init");
    // The code is the one callers know for this case; the message says what happened.
    if (m_initialised)
        TS_RETURN(RC_NOT_INITIALIZED, wxS("Object is already initialized"));

    Release();
    m_initialised = true;
    // Without a window only what already exists is used: the user's folders are not
    // created and the settings are neither read nor written.
    auto ensureFolder = [headless](const wxString& folder) {
        if (!headless)
            EnsureFolder(folder);
    };

    const wxString programFolder = wxGetCwd();
    const wxString documents = wxStandardPaths::Get().GetDocumentsDir();
    // A documents folder that does not exist yet (a new account, or one the desktop
    // names but never made) is made with the rest, so the settings always live in the
    // one place below it.
    if (!headless && !FolderExists(documents))
        MakeFolderPath(documents);
    wxString userData = documents + wxS("/Tallowby Software");
    ensureFolder(userData);
    userData += wxS("/Glyphara");
    ensureFolder(userData);
    userData += wxS("/");

    m_configFilePath = userData + wxS("glyphara.cfg");
    if (headless || !FolderExists(m_configFilePath.BeforeLast('/')))
        m_configFilePath.clear();

    // The settings live in that one file or nowhere: the toolkit's default store would
    // write a file of its own elsewhere, which no later run reads.
    if (headless)
    {
        delete wxConfigBase::Set(new CSettingsFile(wxEmptyString));
        TS_LOG(TS_MESSAGE, wxS("Settings are not used without a window"));
    }
    else if (!m_configFilePath.empty())
    {
        wxString setAside;
        if (CSettingsFile::SetAsideIfDamaged(m_configFilePath, setAside))
            TS_LOG(TS_WARNING, wxS("The settings file was damaged; it has been set aside as ") + setAside +
                                   wxS(" and the default settings are used"));
        delete wxConfigBase::Set(new CSettingsFile(m_configFilePath));
        TS_LOG(TS_MESSAGE, wxS("Config file is: ") + m_configFilePath);
    }
    else
    {
        delete wxConfigBase::Set(new CSettingsFile(wxEmptyString));
        TS_LOG(TS_WARNING, wxS("Config won't be read/saved"));
    }

    m_sifrFileNames.Add(wxS("sifr-config.js"));
    m_sifrFileNames.Add(wxS("sIFR-print.css"));
    m_sifrFileNames.Add(wxS("sIFR-screen.css"));
    m_sifrFileNames.Add(wxS("sifr.js"));

    // The foundry headers' background comes from the archive; a copy is placed in the
    // user data folder the first time so that the font list can refer to it by path.
    m_foundryBackgroundPath = userData + wxS("foundrybg.png");
    std::string background;
    if (headless || !ReadZipEntry(wxS("FoundryBackground.png"), wxS(GLYPHARA_RESOURCE_ARCHIVE), background) ||
        !HasPngSignature(background.data(), background.size()))
        m_foundryBackgroundPath.clear();
    else if (!wxFileExists(m_foundryBackgroundPath))
    {
        // Written aside and renamed into place: a second copy of the program starting at
        // the same moment must never find half a picture.
        if (FolderExists(userData))
            WriteBytesAtomically(m_foundryBackgroundPath, background.data(), background.size());
        if (!wxFileExists(m_foundryBackgroundPath))
            m_foundryBackgroundPath.clear();
    }
    TS_LOG(TS_MESSAGE, wxS("Foundry background image path is: ") + m_foundryBackgroundPath);

    m_systemFontDir = programFolder + wxS("/") + wxS("Fonts/");
    m_userFontDir = userData + wxS("Fonts/");
    ensureFolder(m_userFontDir.BeforeLast('/'));
    if (!FolderExists(m_userFontDir))
        m_userFontDir.clear();
    TS_LOG(TS_MESSAGE, wxS("System font dir is: ") + m_systemFontDir);
    TS_LOG(TS_MESSAGE, wxS("User font dir is: ") + m_userFontDir);
    BuildFontLists();

    m_systemEffectDir = programFolder + wxS("/") + wxS("Effects/");
    m_userEffectDir = userData + wxS("Effects/");
    ensureFolder(m_userEffectDir.BeforeLast('/'));
    if (!FolderExists(m_userEffectDir))
        m_userEffectDir.clear();
    TS_LOG(TS_MESSAGE, wxS("System effect dir is: ") + m_systemEffectDir);
    TS_LOG(TS_MESSAGE, wxS("User effect dir is: ") + m_userEffectDir);
    BuildEffectList();

    NewProject();
    if (!headless)
        WebBrowserPreview(m_embeddedPreviewPath, true);

    TS_RETURN(RC_OK, wxEmptyString);
}

int CGlypharaCore::Release()
{
    TS_FUNCTION("CGlypharaCore::Release");
    TS_LOG(TS_VERBOSE, wxS("Freeing singleton resources..."));

    m_initialised = false;
    m_updateControlsCallback = nullptr;
    m_updateFlashCallback = nullptr;
    m_callbackContext = nullptr;

    for (CBasicWebServer* server : m_webServers)
    {
        if (server)
            CBasicWebServer::StopAndDelete(server);
    }
    m_webServers.clear();

    // Only the process's own preview folder goes: after a store the browser preview's
    // page lies in the user's project folder.
    if (!m_previewFolder.empty() && wxDirExists(m_previewFolder))
        RemoveFolderTree(m_previewFolder);
    m_previewFolder.clear();

    m_sifrFileNames.clear();
    m_standardTagNames.clear();
    m_tags.clear();
    m_userFontSnapshot.clear();
    m_exportCopies.reset();
    m_fontPictures.reset();
    m_fontList.reset();

    m_configFilePath.clear();
    m_systemFontDir.clear();
    m_userFontDir.clear();
    m_systemEffectDir.clear();
    m_userEffectDir.clear();
    m_selectedTag.clear();
    m_selectedEffect.clear();
    m_projectFilePath.clear();
    m_projectName.clear();
    m_userText.clear();
    m_browserPreviewPath.clear();
    m_embeddedPreviewPath.clear();
    m_embeddedPreviewUrl.clear();
    m_foundryBackgroundPath.clear();

    if (wxConfigBase* config = wxConfigBase::Get(false))
        config->Flush();

    TS_LOG(TS_VERBOSE, wxS("...resources freed!"));
    TS_RETURN(RC_OK, wxEmptyString);
}

int CGlypharaCore::SetInterfaceCallbacks(void* context, UpdateControlsCallback updateControls,
                                         UpdateFlashCallback updateFlash)
{
    TS_FUNCTION("CGlypharaCore::SetInterfaceCallbacks");
    CORE_REQUIRE_INITIALIZED();
    if (!context)
        TS_RETURN(RC_INVALID_ARGUMENT, wxEmptyString);
    m_callbackContext = context;
    m_updateControlsCallback = updateControls;
    m_updateFlashCallback = updateFlash;
    TS_RETURN(RC_OK, wxEmptyString);
}
