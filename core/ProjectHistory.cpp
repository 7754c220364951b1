// Undo and redo of the open project: what each edit changed is recorded when the
// outermost operation making it ends, and applied backwards or forwards on request.
#include "core/GlypharaCore.h"

#include "core/CoreNames.h"
#include "core/TextUtil.h"
#include "core/UndoHistory.h"
#include "trace/TraceSystem.h"

#include <wx/intl.h>

#include <chrono>

namespace
{
long long SteadyMilliseconds()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

bool SameTags(const TagMap& a, const TagMap& b)
{
    if (a.size() != b.size())
        return false;
    for (TagMap::const_iterator left = a.begin(), right = b.begin(); left != a.end(); ++left, ++right)
    {
        if (left->first != right->first || !SameStyle(left->second, right->second))
            return false;
    }
    return true;
}

// The tags that differ between two states of the map, in map order.
void CompareTags(const TagMap& before, const TagMap& after, std::vector<UndoTagChange>& changes)
{
    const TagMap::key_compare less = before.key_comp();
    TagMap::const_iterator old = before.begin(), now = after.begin();
    while (old != before.end() || now != after.end())
    {
        UndoTagChange change;
        if (now == after.end() || (old != before.end() && less(old->first, now->first)))
        {
            change.name = old->first;
            change.hadBefore = true;
            change.before = old->second;
            ++old;
        }
        else if (old == before.end() || less(now->first, old->first))
        {
            change.name = now->first;
            change.hasAfter = true;
            change.after = now->second;
            ++now;
        }
        else
        {
            const bool same = SameStyle(old->second, now->second);
            if (!same)
            {
                change.name = old->first;
                change.hadBefore = change.hasAfter = true;
                change.before = old->second;
                change.after = now->second;
            }
            ++old;
            ++now;
            if (same)
                continue;
        }
        changes.push_back(change);
    }
}

// A name for a step that no operation named: what its content says.
wxString NameFromContent(const UndoStep& step)
{
    if (step.tags.empty())
        return wxGetTranslation(wxS("sample text change"));
    if (step.tags.size() == 1 && !step.textChanged)
    {
        const UndoTagChange& change = step.tags.front();
        if (!change.hadBefore)
            return wxString::Format(wxGetTranslation(wxS("add tag %s")), ShownTag(change.name));
        if (!change.hasAfter)
            return wxString::Format(wxGetTranslation(wxS("remove tag %s")), ShownTag(change.name));
        wxString name, field;
        DescribeStyleChange(change.before, change.after, name, field);
        return name;
    }
    return wxGetTranslation(wxS("changes"));
}
}

struct CGlypharaCore::HistoryState
{
    UndoHistory steps;
    long long (*clock)() = nullptr;

    // The operation in progress, from its outermost scope.
    int depth = 0;
    EditScope::Mode mode = EditScope::kRecord;
    wxString name;
    wxString key;
    TagMap tagsBefore;
    UndoSelection selectionBefore;
    wxString textBefore;
    FontProperties userDefinedBefore;

    // The tags as they were last saved or opened; selecting a tag marks the project
    // unsaved without changing it, so the content tells whether it is back there.
    bool savedKnown = false;
    TagMap savedTags;

    long long Now() const { return clock ? clock() : SteadyMilliseconds(); }
    void NoteSavedState(const CGlypharaCore& core);
    void Apply(CGlypharaCore& core, const UndoStep& step, bool forward);
};

CGlypharaCore::HistoryState& CGlypharaCore::History()
{
    if (!m_history)
        m_history = std::make_shared<HistoryState>();
    return *m_history;
}

void CGlypharaCore::HistoryState::NoteSavedState(const CGlypharaCore& core)
{
    // Only a save or an open sets the mark, and every change clears it, so while it is
    // set the tags are the saved ones.
    if (!core.m_projectSaved || (savedKnown && SameTags(savedTags, core.m_tags)))
        return;
    savedTags = core.m_tags;
    savedKnown = true;
    // No step may merge across a save, or undo could not stop at the saved state.
    steps.Seal();
}

CGlypharaCore::EditScope::EditScope(CGlypharaCore& core, Mode mode) : m_core(core)
{
    HistoryState& history = core.History();
    if (history.depth++ > 0)
    {
        if (mode > history.mode)
            history.mode = mode;
        return;
    }
    history.mode = mode;
    history.name.clear();
    history.key.clear();
    // The window may look at the history from its refresh inside a new project already.
    if (mode == kNewHistory)
        history.steps.Clear();
    history.NoteSavedState(core);
    if (mode != kRecord)
        return;
    history.tagsBefore = core.m_tags;
    history.selectionBefore.tag = core.m_selectedTag;
    history.selectionBefore.effect = core.m_selectedEffect;
    history.textBefore = core.m_userText;
    const EffectFilterMap::const_iterator userDefined = core.m_effectFilters.find(kUserDefinedEffect);
    history.userDefinedBefore = userDefined != core.m_effectFilters.end() ? userDefined->second : FontProperties();
}

CGlypharaCore::EditScope::~EditScope()
{
    HistoryState& history = m_core.History();
    if (--history.depth > 0)
        return;
    if (history.mode == kNewHistory)
    {
        history.steps.Clear();
        history.savedKnown = false;
        history.savedTags.clear();
        history.tagsBefore.clear();
        return;
    }
    if (history.mode != kRecord)
        return;

    UndoStep step;
    CompareTags(history.tagsBefore, m_core.m_tags, step.tags);
    history.tagsBefore.clear();
    if (history.textBefore != m_core.m_userText)
    {
        step.textChanged = true;
        step.textBefore = history.textBefore;
        step.textAfter = m_core.m_userText;
    }
    if (step.ChangesNothing())
        return;
    const EffectFilterMap::const_iterator userDefined = m_core.m_effectFilters.find(kUserDefinedEffect);
    const FontProperties userDefinedAfter =
        userDefined != m_core.m_effectFilters.end() ? userDefined->second : FontProperties();
    if (!SameStyle(history.userDefinedBefore, userDefinedAfter))
    {
        step.userDefinedChanged = true;
        step.userDefinedBefore = history.userDefinedBefore;
        step.userDefinedAfter = userDefinedAfter;
    }
    step.selectionBefore = history.selectionBefore;
    step.selectionAfter.tag = m_core.m_selectedTag;
    step.selectionAfter.effect = m_core.m_selectedEffect;
    step.name = history.name.empty() ? NameFromContent(step) : history.name;
    step.key = history.name.empty() ? wxString() : history.key;
    step.time = history.Now();
    history.steps.Record(step);
}

void CGlypharaCore::EditScope::Name(const wxString& name, const wxString& key)
{
    HistoryState& history = m_core.History();
    if (history.name.empty())
    {
        history.name = name;
        history.key = key;
    }
}

void CGlypharaCore::EditScope::NameStyleChange(const FontProperties& before, const FontProperties& after)
{
    HistoryState& history = m_core.History();
    if (!history.name.empty() || history.mode != kRecord)
        return;
    wxString name, field;
    DescribeStyleChange(before, after, name, field);
    if (!name.empty())
        Name(name, field.empty() ? wxString() : wxS("style:") + m_core.m_selectedTag + wxS(":") + field);
}

void CGlypharaCore::HistoryState::Apply(CGlypharaCore& core, const UndoStep& step, bool forward)
{
    for (const UndoTagChange& change : step.tags)
    {
        if (forward ? change.hasAfter : change.hadBefore)
            core.m_tags[change.name] = forward ? change.after : change.before;
        else
            core.m_tags.erase(change.name);
    }
    if (step.textChanged)
        core.m_userText = forward ? step.textAfter : step.textBefore;
    const wxString userDefined = kUserDefinedEffect;
    if (step.userDefinedChanged)
        core.m_effectFilters[userDefined] = forward ? step.userDefinedAfter : step.userDefinedBefore;

    const UndoSelection& selection = forward ? step.selectionAfter : step.selectionBefore;
    core.m_selectedTag = selection.tag;
    if (core.m_tags.count(core.m_selectedTag) == 0 && !core.m_tags.empty())
        core.m_selectedTag = core.m_tags.begin()->first;
    // The effect may have been deleted or replaced since; the filters decide then.
    core.m_selectedEffect = core.m_effectFilters.count(selection.effect) ? selection.effect : userDefined;
    core.FollowEffect(core.TagRecord(core.m_selectedTag));

    core.m_projectSaved = savedKnown && SameTags(savedTags, core.m_tags);
}

bool CGlypharaCore::CanUndo() const
{
    return m_initialised && m_history && m_history->steps.CanUndo();
}

bool CGlypharaCore::CanRedo() const
{
    return m_initialised && m_history && m_history->steps.CanRedo();
}

wxString CGlypharaCore::GetUndoName() const
{
    if (!CanUndo())
        return wxGetTranslation(wxS("Undo"));
    return wxString::Format(wxGetTranslation(wxS("Undo %s")), m_history->steps.NextUndo()->name);
}

wxString CGlypharaCore::GetRedoName() const
{
    if (!CanRedo())
        return wxGetTranslation(wxS("Redo"));
    return wxString::Format(wxGetTranslation(wxS("Redo %s")), m_history->steps.NextRedo()->name);
}

int CGlypharaCore::Undo()
{
    TS_FUNCTION("CGlypharaCore::Undo");
    CORE_REQUIRE_INITIALIZED();
    HistoryState& history = History();
    if (history.depth > 0)
        TS_RETURN(RC_FAILED, wxS("Unable to undo while the project is being changed"));
    if (!history.steps.CanUndo())
        TS_RETURN(RC_FAILED, wxS("Nothing to undo"));

    // The refresh below may echo values back into the core; those are not new steps.
    EditScope replay(*this, EditScope::kDontRecord);
    const UndoStep* step = history.steps.Undo();
    TS_LOG(TS_MESSAGE, wxS("Undoing ") + step->name);
    history.Apply(*this, *step, false);
    if (!m_embeddedPreviewPath.empty())
        SaveProject(wxEmptyString, true, true);
    CallUpdateControls();
    CallUpdateFlash(500);
    TS_RETURN(RC_OK, wxEmptyString);
}

int CGlypharaCore::Redo()
{
    TS_FUNCTION("CGlypharaCore::Redo");
    CORE_REQUIRE_INITIALIZED();
    HistoryState& history = History();
    if (history.depth > 0)
        TS_RETURN(RC_FAILED, wxS("Unable to redo while the project is being changed"));
    if (!history.steps.CanRedo())
        TS_RETURN(RC_FAILED, wxS("Nothing to redo"));

    EditScope replay(*this, EditScope::kDontRecord);
    const UndoStep* step = history.steps.Redo();
    TS_LOG(TS_MESSAGE, wxS("Redoing ") + step->name);
    history.Apply(*this, *step, true);
    if (!m_embeddedPreviewPath.empty())
        SaveProject(wxEmptyString, true, true);
    CallUpdateControls();
    CallUpdateFlash(500);
    TS_RETURN(RC_OK, wxEmptyString);
}

void CGlypharaCore::BeginEditGroup()
{
    History().steps.BeginGroup();
}

void CGlypharaCore::EndEditGroup()
{
    History().steps.EndGroup();
}

size_t CGlypharaCore::GetUndoCount() const
{
    return m_history ? m_history->steps.UndoCount() : 0;
}

size_t CGlypharaCore::GetRedoCount() const
{
    return m_history ? m_history->steps.RedoCount() : 0;
}

void CGlypharaCore::SetUndoClock(long long (*now)())
{
    History().clock = now;
}
