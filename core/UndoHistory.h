// The undo history of the open project: a bounded list of steps, each holding only what
// one edit changed (tag records, the sample text) and the selection before and after it.
// Edits of the same field that follow one another closely, or that fall in one explicit
// group such as a slider drag, become a single step.
#ifndef GLYPHARA_CORE_UNDOHISTORY_H
#define GLYPHARA_CORE_UNDOHISTORY_H

#include "core/FontProperties.h"

#include <wx/string.h>

#include <cstddef>
#include <deque>
#include <vector>

// Steps kept before the oldest is dropped.
const size_t kUndoCapacity = 200;
// Edits of the same field closer together than this are one step (a pause in typing).
const long long kUndoPauseMs = 1000;

// What the window shows as selected; restored with the step but never a step of its own.
struct UndoSelection
{
    wxString tag;
    wxString effect;
};

struct UndoTagChange
{
    wxString name;
    bool hadBefore = false;
    bool hasAfter = false;
    FontProperties before;
    FontProperties after;
};

struct UndoStep
{
    // What the step is called after "Undo " or "Redo ", already translated.
    wxString name;
    // Later steps with the same non-empty key may merge into this one.
    wxString key;
    // When the last edit merged into it, in milliseconds of the history's clock.
    long long time = 0;

    std::vector<UndoTagChange> tags;
    bool textChanged = false;
    wxString textBefore;
    wxString textAfter;
    // The "User defined" filter set follows the edits; kept so that undo gives it back.
    bool userDefinedChanged = false;
    FontProperties userDefinedBefore;
    FontProperties userDefinedAfter;
    UndoSelection selectionBefore;
    UndoSelection selectionAfter;

    // True when the project's content is the same before and after (the selection and
    // the "User defined" set alone do not count).
    bool ChangesNothing() const;
    // Makes this step also cover later, which followed it directly.
    void Absorb(const UndoStep& later);
    // Rough heap and object size, for keeping an eye on the bound.
    size_t ApproximateBytes() const;
};

class UndoHistory
{
public:
    explicit UndoHistory(size_t capacity = kUndoCapacity);

    // Adds step (or merges it into the last one) and drops everything that could be
    // redone. A step that changes nothing is ignored; a merge that leaves the last step
    // changing nothing removes it.
    void Record(const UndoStep& step);

    bool CanUndo() const { return m_position > 0; }
    bool CanRedo() const { return m_position < m_steps.size(); }
    // The step Undo or Redo would take, or null.
    const UndoStep* NextUndo() const;
    const UndoStep* NextRedo() const;
    // Move one step back or forward and return the step whose "before" or "after" side
    // is now current, or null when there is none.
    const UndoStep* Undo();
    const UndoStep* Redo();

    // The next recorded step starts afresh instead of merging into the last one.
    void Seal() { m_lastOpen = false; }
    // Inside a group, steps of the same key merge however long the pauses between them.
    // Beginning an open group again changes nothing; ending it seals the step.
    void BeginGroup() { m_grouping = true; }
    void EndGroup();
    bool IsGrouping() const { return m_grouping; }

    void Clear();

    size_t UndoCount() const { return m_position; }
    size_t RedoCount() const { return m_steps.size() - m_position; }
    size_t Capacity() const { return m_capacity; }
    size_t ApproximateBytes() const;

private:
    std::deque<UndoStep> m_steps;
    // Steps before this index can be undone, the others redone.
    size_t m_position = 0;
    size_t m_capacity;
    bool m_lastOpen = false;
    bool m_grouping = false;
};

// Names a change of one tag's record in the program's words ("colour change", "glow
// change", "font change") and gives the field it touched ("color", "glow.blurx"; the
// filter or "filters" when several fields of a filter changed). Empty name and field
// when nothing differs; "style change" and no field for unrelated changes together.
void DescribeStyleChange(const FontProperties& before, const FontProperties& after, wxString& name,
                         wxString& field);

#endif
