// Undo and redo of the open project through the core's operations.
#include "EffectTestSupport.h"

#include "core/GlypharaCore.h"
#include "core/UndoHistory.h"

#include <wx/filefn.h>

#include <functional>
#include <string>
#include <vector>

namespace
{
long long g_now = 0;
long long TestClock()
{
    return g_now;
}

// What an undo must give back: the content and what the window shows as selected.
struct ProjectState
{
    TagMap tags;
    wxString selectedTag;
    wxString selectedEffect;
    wxString text;
    bool saved = false;
};

bool operator==(const ProjectState& a, const ProjectState& b)
{
    if (a.tags.size() != b.tags.size() || a.selectedTag != b.selectedTag || a.selectedEffect != b.selectedEffect ||
        a.text != b.text || a.saved != b.saved)
        return false;
    for (TagMap::const_iterator left = a.tags.begin(), right = b.tags.begin(); left != a.tags.end(); ++left, ++right)
        if (left->first != right->first || !SameStyle(left->second, right->second))
            return false;
    return true;
}

std::ostream& operator<<(std::ostream& out, const ProjectState& state)
{
    return out << "{" << state.tags.size() << " tags; selected " << state.selectedTag << "; effect "
               << state.selectedEffect << "; text " << state.text << "; saved " << state.saved << "}";
}

// Stands in for the main window: counts refreshes and, like its controls, hands the
// values it shows back to the core while it refreshes.
struct EchoingWindow
{
    std::vector<std::string> calls;
    // What the Edit menu would have shown at each refresh.
    std::vector<bool> undoable;
    bool echo = false;
    wxString echoedText;
    bool refreshing = false;

    static int Controls(void* self)
    {
        EchoingWindow& window = *static_cast<EchoingWindow*>(self);
        window.calls.push_back("controls");
        window.undoable.push_back(CGlypharaCore::GetInstance()->CanUndo());
        if (!window.echo || window.refreshing)
            return 0;
        window.refreshing = true;
        CGlypharaCore* core = CGlypharaCore::GetInstance();
        FontProperties record;
        core->GetSelectedFontProperties(record);
        core->SetCurrentFontProperties(record);
        wxString text = window.echoedText;
        if (text.empty())
            core->GetUserText(text);
        core->SetUserText(text);
        window.refreshing = false;
        return 0;
    }
    static int Flash(void* self, int delay)
    {
        static_cast<EchoingWindow*>(self)->calls.push_back("flash " + std::to_string(delay));
        return 0;
    }
};

class ProjectHistoryTest : public EffectTest
{
protected:
    void SetUp() override
    {
        EffectTest::SetUp();
        WriteTextFile(SystemFontDir() + wxS("My_Foundry/Big_Sans.swf"), "FWS-big-sans");
        WriteTextFile(SystemFontDir() + wxS("Type_Co/Slim.swf"), "FWS-slim");
        WriteSupportFiles(ProgramDir());
        Install(UserEffectDir() + wxS("Glow.xml"), "Glow", kGlowXml);
        ASSERT_EQ(RC_OK, InitCore());
        g_now = 1000000;
        Core()->SetUndoClock(&TestClock);
        ASSERT_EQ(RC_OK, Core()->SetInterfaceCallbacks(&window, &EchoingWindow::Controls, &EchoingWindow::Flash));
    }

    ProjectState State()
    {
        ProjectState state;
        state.tags = Core()->GetTags();
        wxArrayString list;
        Core()->GetTagList(list, state.selectedTag);
        state.selectedEffect = Selected();
        Core()->GetUserText(state.text);
        state.saved = Core()->IsProjectSaved();
        return state;
    }

    // A pause long enough to part two edits of the same field.
    static void Pause() { g_now += 5000; }

    int Edit(void (*change)(FontProperties&))
    {
        Pause();
        FontProperties record = Tag();
        change(record);
        return Core()->SetCurrentFontProperties(record);
    }

    int SetSize(int size)
    {
        FontProperties record = Tag();
        record.size = size;
        return Core()->SetCurrentFontProperties(record);
    }

    int AddTag(wxString name, bool select = false) { return Core()->AddNewTag(name, select); }

    wxString Store(const wxString& name)
    {
        const wxString path = ProgramDir() + wxS("/sites/") + name;
        EXPECT_EQ(RC_OK, Core()->SaveProject(path, true, false));
        return path + wxS(".xml");
    }

    EchoingWindow window;
};
}

TEST_F(ProjectHistoryTest, EveryKindOfChangeIsUndoneAndRedoneWithItsSelection)
{
    struct Step
    {
        ProjectState before;
        ProjectState after;
        wxString undoName;
    };
    std::vector<Step> steps;
    auto record = [&](const wxString& name, const std::function<void()>& action) {
        Pause();
        const ProjectState before = State();
        action();
        steps.push_back({before, State(), name});
        EXPECT_EQ(name, Core()->GetUndoName());
    };
    auto select = [&](const wxString& tag) {
        ASSERT_EQ(RC_OK, Core()->SetSelectedTag(tag));
        ASSERT_EQ(steps.size(), Core()->GetUndoCount()) << "selecting " << tag << " made a step";
    };

    record(wxS("Undo colour change"), [&] { Edit([](FontProperties& r) { r.color = RgbColour(200, 10, 10); }); });
    record(wxS("Undo add tag <h2>"), [&] { AddTag(wxS("H2"), true); });
    record(wxS("Undo size change"), [&] { Edit([](FontProperties& r) { r.size = 18; }); });
    select(wxS("h1"));
    record(wxS("Undo effect Glow"), [&] { Core()->SetSelectedEffect(wxS("Glow")); });
    record(wxS("Undo glow change"), [&] { Edit([](FontProperties& r) { r.glow.strength = 7; }); });
    select(wxS("<h2>"));
    record(wxS("Undo font change"), [&] {
        wxArrayString rows;
        wxString shown;
        Core()->GetInstalledFontList(rows, shown);
        for (const wxString& row : rows)
            if (row.Contains(wxS("fontfullpath")) && row.Contains(wxS("Slim")))
                Core()->SelectInstalledFont(row, true, false, false);
    });
    record(wxS("Undo rename tag <h2> to <h3>"), [&] { Core()->RenameTag(wxS("h2"), wxS("h3")); });
    record(wxS("Undo sample text change"), [&] { Core()->SetUserText(wxS("Hello")); });
    select(wxS("h1"));
    record(wxS("Undo remove tag <h1>"), [&] { Core()->RemoveTag(wxS("h1")); });
    record(wxS("Undo underline change"), [&] { Edit([](FontProperties& r) { r.understroked = true; }); });

    // The edits did what they say, so the states below are worth comparing.
    ASSERT_EQ(steps.size(), Core()->GetUndoCount());
    EXPECT_EQ(wxS("User defined"), steps[4].after.selectedEffect);
    EXPECT_EQ(wxS("Slim"), steps[5].after.tags.at(wxS("h2")).font);
    EXPECT_EQ(1u, steps.back().after.tags.size());
    EXPECT_EQ(wxS("Redo"), Core()->GetRedoName());

    for (size_t i = steps.size(); i-- > 0;)
    {
        EXPECT_EQ(steps[i].undoName, Core()->GetUndoName());
        window.calls.clear();
        ASSERT_EQ(RC_OK, Core()->Undo());
        EXPECT_EQ(steps[i].before, State()) << "after undoing " << steps[i].undoName;
        EXPECT_EQ((std::vector<std::string>{"controls", "flash 500"}), window.calls);
        EXPECT_EQ(wxS("Redo") + steps[i].undoName.Mid(4), Core()->GetRedoName());
    }
    EXPECT_FALSE(Core()->CanUndo());
    EXPECT_EQ(RC_FAILED, Core()->Undo());
    EXPECT_EQ(wxS("Undo"), Core()->GetUndoName());

    for (size_t i = 0; i < steps.size(); ++i)
    {
        ASSERT_EQ(RC_OK, Core()->Redo());
        EXPECT_EQ(steps[i].after, State()) << "after redoing " << steps[i].undoName;
    }
    EXPECT_FALSE(Core()->CanRedo());
    EXPECT_EQ(RC_FAILED, Core()->Redo());
}

TEST_F(ProjectHistoryTest, SelectionsRefusalsAndEditsThatChangeNothingAreNoSteps)
{
    ASSERT_EQ(RC_OK, AddTag(wxS("h2")));
    ASSERT_EQ(1u, Core()->GetUndoCount());

    Core()->SetSelectedTag(wxS("h2"));
    Core()->SetSelectedTag(wxS("h1"));
    Core()->SetCurrentFontProperties(Tag());
    Core()->SetUserText(wxS("Sample Text"));
    Core()->SetSelectedEffect(wxS("None"));
    EXPECT_EQ(RC_NOT_FOUND, Core()->SetSelectedEffect(wxS("No such effect")));
    EXPECT_EQ(RC_INVALID_TAG_NAME, AddTag(wxS("<123>"), true));
    EXPECT_EQ(RC_TAG_EXISTS, AddTag(wxS("H2"), true));
    EXPECT_EQ(RC_TAG_EXISTS, Core()->RenameTag(wxS("h1"), wxS("h2")));
    Core()->RemoveTag(wxS("h7"));
    Core()->SetFlashPlayerSize(300, 200);
    EXPECT_EQ(1u, Core()->GetUndoCount());
    EXPECT_EQ(wxS("Undo add tag <h2>"), Core()->GetUndoName());

    // A size typed and typed back within the pause leaves nothing to undo either.
    SetSize(12);
    SetSize(40);
    EXPECT_EQ(1u, Core()->GetUndoCount());

    // Selecting a name that is not a tag is refused.
    EXPECT_EQ(RC_NOT_FOUND, Core()->SetSelectedTag(wxS("<h9>")));
    EXPECT_EQ(1u, Core()->GetUndoCount());

    Core()->RemoveTag(wxS("h2"));
    EXPECT_EQ(RC_DELETE_FAILED, Core()->RemoveTag(wxS("h1")));
    EXPECT_EQ(wxS("Undo remove tag <h2>"), Core()->GetUndoName());
}

TEST_F(ProjectHistoryTest, ANewChangeDropsTheRedoSideButASelectionDoesNot)
{
    AddTag(wxS("h2"));
    Edit([](FontProperties& r) { r.size = 20; });
    Edit([](FontProperties& r) { r.size = 30; });
    ASSERT_EQ(RC_OK, Core()->Undo());
    ASSERT_EQ(RC_OK, Core()->Undo());
    EXPECT_EQ(2u, Core()->GetRedoCount());

    Core()->SetSelectedTag(wxS("h2"));
    EXPECT_EQ(2u, Core()->GetRedoCount());
    ASSERT_EQ(RC_OK, Core()->Redo());
    EXPECT_EQ(20, Core()->GetTags().at(wxS("h1")).size);
    EXPECT_EQ(wxS("<h1>"), State().selectedTag);
    EXPECT_EQ(wxS("Redo size change"), Core()->GetRedoName());

    Edit([](FontProperties& r) { r.opacity = 50; });
    EXPECT_FALSE(Core()->CanRedo());
    EXPECT_EQ(wxS("Redo"), Core()->GetRedoName());
    EXPECT_EQ(wxS("Undo opacity change"), Core()->GetUndoName());
    EXPECT_EQ(3u, Core()->GetUndoCount());
}

TEST_F(ProjectHistoryTest, WhatTheWindowEchoesWhileAnUndoRefreshesItIsNoStep)
{
    window.echo = true;
    Edit([](FontProperties& r) { r.color = RgbColour(1, 2, 3); });
    Pause();
    Core()->SetUserText(wxS("Typed"));
    ASSERT_EQ(2u, Core()->GetUndoCount());

    ASSERT_EQ(RC_OK, Core()->Undo());
    ASSERT_EQ(RC_OK, Core()->Undo());
    EXPECT_EQ(2u, Core()->GetRedoCount());
    EXPECT_EQ(RgbColour(0, 0, 0), Tag().color);

    // Even a text the window changed on its way back is not taken as a new edit.
    window.echoedText = wxS("Typed, trimmed");
    ASSERT_EQ(RC_OK, Core()->Redo());
    EXPECT_EQ(1u, Core()->GetRedoCount());
    EXPECT_EQ(1u, Core()->GetUndoCount());
}

TEST_F(ProjectHistoryTest, UndoingBackToTheSavedStateMarksTheProjectSaved)
{
    SetFont(wxS("h1"), wxS("My Foundry"), wxS("Big Sans"));
    AddTag(wxS("h2"));
    const size_t before = Core()->GetUndoCount();
    const wxString file = Store(wxS("mysite"));
    ASSERT_TRUE(Core()->IsProjectSaved());
    EXPECT_EQ(before, Core()->GetUndoCount());

    Edit([](FontProperties& r) { r.color = RgbColour(9, 9, 9); });
    EXPECT_FALSE(Core()->IsProjectSaved());
    ASSERT_EQ(RC_OK, Core()->Undo());
    EXPECT_TRUE(Core()->IsProjectSaved());
    ASSERT_EQ(RC_OK, Core()->Redo());
    EXPECT_FALSE(Core()->IsProjectSaved());
    ASSERT_EQ(RC_OK, Core()->Undo());

    // Selecting marks the project unsaved without changing it; it is still the saved one.
    Core()->SetSelectedTag(wxS("h2"));
    ASSERT_FALSE(Core()->IsProjectSaved());
    Edit([](FontProperties& r) { r.size = 22; });
    ASSERT_EQ(RC_OK, Core()->Undo());
    EXPECT_TRUE(Core()->IsProjectSaved());
    // Further back than the save is unsaved again.
    ASSERT_EQ(RC_OK, Core()->Undo());
    EXPECT_FALSE(Core()->IsProjectSaved());

    // Typing right after a save is still one step, and the text leaves the mark alone.
    ASSERT_EQ(RC_OK, Core()->Redo());
    Store(wxS("mysite"));
    const size_t steps = Core()->GetUndoCount();
    Core()->SetUserText(wxS("a"));
    Core()->SetUserText(wxS("ab"));
    EXPECT_EQ(steps + 1, Core()->GetUndoCount());
    EXPECT_TRUE(Core()->IsProjectSaved());
    ASSERT_EQ(RC_OK, Core()->Undo());
    EXPECT_TRUE(Core()->IsProjectSaved());
    EXPECT_EQ(wxS("Undo add tag <h2>"), Core()->GetUndoName());
    ASSERT_EQ(RC_OK, Core()->Undo());
    EXPECT_FALSE(Core()->IsProjectSaved());

    // An edit right after a save does not merge into the one before it.
    Pause();
    SetSize(30);
    Store(wxS("mysite"));
    g_now += 100;
    SetSize(31);
    ASSERT_EQ(RC_OK, Core()->Undo());
    EXPECT_TRUE(Core()->IsProjectSaved());
    EXPECT_EQ(30, Tag().size);
}

TEST_F(ProjectHistoryTest, NewAndOpenStartAnEmptyHistory)
{
    SetFont(wxS("h1"), wxS("My Foundry"), wxS("Big Sans"));
    const wxString file = Store(wxS("mysite"));
    Edit([](FontProperties& r) { r.size = 10; });
    Edit([](FontProperties& r) { r.size = 9; });
    Core()->Undo();
    ASSERT_TRUE(Core()->CanUndo() && Core()->CanRedo());

    window.undoable.clear();
    ASSERT_EQ(RC_OK, Core()->LoadProject(file));
    EXPECT_EQ(std::vector<bool>(window.undoable.size(), false), window.undoable);
    EXPECT_FALSE(Core()->CanUndo());
    EXPECT_FALSE(Core()->CanRedo());
    // The project just opened is the saved state.
    Edit([](FontProperties& r) { r.size = 11; });
    EXPECT_EQ(1u, Core()->GetUndoCount());
    ASSERT_EQ(RC_OK, Core()->Undo());
    EXPECT_TRUE(Core()->IsProjectSaved());

    Edit([](FontProperties& r) { r.size = 12; });
    ASSERT_EQ(RC_OK, Core()->NewProject());
    EXPECT_FALSE(Core()->CanUndo());
    EXPECT_FALSE(Core()->CanRedo());
    Edit([](FontProperties& r) { r.size = 13; });
    ASSERT_EQ(RC_OK, Core()->Undo());
    EXPECT_FALSE(Core()->IsProjectSaved());

    // A failed open leaves the project and its history as they were.
    Edit([](FontProperties& r) { r.size = 14; });
    EXPECT_GT(0, Core()->LoadProject(ProgramDir() + wxS("/missing.xml")));
    EXPECT_EQ(1u, Core()->GetUndoCount());
    EXPECT_EQ(14, Tag().size);
}

TEST_F(ProjectHistoryTest, ADragIsOneStepAndTypingOneStepPerPause)
{
    Core()->BeginEditGroup();
    for (int value = 99; value >= 60; --value)
    {
        g_now += 1500;
        Core()->BeginEditGroup();
        FontProperties record = Tag();
        record.opacity = value;
        Core()->SetCurrentFontProperties(record);
    }
    Core()->EndEditGroup();
    EXPECT_EQ(1u, Core()->GetUndoCount());
    EXPECT_EQ(wxS("Undo opacity change"), Core()->GetUndoName());

    // Quick moves without a group merge as well; the next drag is a step of its own.
    FontProperties record = Tag();
    for (int value = 59; value >= 50; --value)
    {
        g_now += 100;
        record.opacity = value;
        Core()->SetCurrentFontProperties(record);
    }
    EXPECT_EQ(2u, Core()->GetUndoCount());
    ASSERT_EQ(RC_OK, Core()->Undo());
    EXPECT_EQ(60, Tag().opacity);
    ASSERT_EQ(RC_OK, Core()->Undo());
    EXPECT_EQ(100, Tag().opacity);

    for (const char* text : {"S", "Sa", "Sam"})
    {
        g_now += 400;
        Core()->SetUserText(wxString::FromUTF8(text));
    }
    g_now += 1000;
    Core()->SetUserText(wxS("Samp"));
    EXPECT_EQ(2u, Core()->GetUndoCount());
    ASSERT_EQ(RC_OK, Core()->Undo());
    EXPECT_EQ(wxS("Sam"), State().text);
    ASSERT_EQ(RC_OK, Core()->Undo());
    EXPECT_EQ(wxS("Sample Text"), State().text);
}

TEST_F(ProjectHistoryTest, TheHistoryKeepsTheNewestTwoHundredSteps)
{
    for (int i = 1; i <= 250; ++i)
    {
        Pause();
        SetSize(i);
    }
    EXPECT_EQ(200u, Core()->GetUndoCount());
    int undone = 0;
    while (undone < 1000 && Core()->Undo() == RC_OK)
        ++undone;
    EXPECT_EQ(200, undone);
    EXPECT_EQ(50, Tag().size);
}

TEST_F(ProjectHistoryTest, UndoRewritesThePreviewAndCopesWithADeletedEffect)
{
    const wxString css = Core()->GetEmbeddedPreviewPath().BeforeLast('/') + wxS("/glypharadata/all.css");
    ASSERT_TRUE(wxFileExists(css));
    const std::string original = ReadTextFile(css);
    Edit([](FontProperties& r) { r.size = 77; });
    ASSERT_NE(original, ReadTextFile(css));
    ASSERT_EQ(RC_OK, Core()->Undo());
    EXPECT_EQ(original, ReadTextFile(css));

    Pause();
    ASSERT_EQ(RC_OK, Core()->SetSelectedEffect(wxS("Glow")));
    const FontProperties glowing = Tag();
    ASSERT_TRUE(glowing.glow.enabled);
    Pause();
    ASSERT_EQ(RC_OK, Core()->DeleteEffect(wxS("Glow"), false));
    EXPECT_EQ(wxS("Undo effect None"), Core()->GetUndoName());
    EXPECT_FALSE(Tag().glow.enabled);

    // The tag gets its filters back; with Glow gone they are the user's own.
    ASSERT_EQ(RC_OK, Core()->Undo());
    EXPECT_TRUE(SameStyle(glowing, Tag()));
    EXPECT_EQ(wxS("User defined"), Selected());
    EXPECT_TRUE(FiltersEqual(glowing, Effect(wxS("User defined"))));
    EXPECT_EQ((std::vector<wxString>{wxS("None"), wxS("User defined")}), List());
    ASSERT_EQ(RC_OK, Core()->Undo());
    EXPECT_EQ(wxS("None"), Selected());

    Core()->Release();
    EXPECT_FALSE(Core()->CanRedo());
    EXPECT_EQ(RC_NOT_INITIALIZED, Core()->Redo());
}
