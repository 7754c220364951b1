#include "core/UndoHistory.h"

#include "core/StyleFields.h"

#include <wx/intl.h>

#include <algorithm>
#include <cstring>
#include <type_traits>

namespace
{
// Which groups of fields (those one control edits) differ between two records. A
// group's fields stand together in the lists, so a group is new when it is not the last
// one touched.
struct ChangeTally
{
    int fields = 0;
    int groups = 0;
    int filterGroups = 0;
    bool font = false;
    const char* group = nullptr;
    const char* undoName = nullptr;
    wxString field;

    void Touch(const char* groupKey, const char* name, bool inFilter, const wxString& key)
    {
        ++fields;
        field = key;
        if (!group || std::strcmp(group, groupKey) != 0)
        {
            ++groups;
            if (inFilter)
                ++filterGroups;
        }
        group = groupKey;
        undoName = name;
        font = font || std::strcmp(groupKey, "font") == 0;
    }
};

bool UnchangedTag(const UndoTagChange& change)
{
    return change.hadBefore == change.hasAfter && (!change.hadBefore || SameStyle(change.before, change.after));
}

size_t StringBytes(const wxString& text)
{
    return text.length() * sizeof(wxChar);
}
}

void DescribeStyleChange(const FontProperties& before, const FontProperties& after, wxString& name,
                         wxString& field)
{
    ChangeTally tally;
    ForEachStyleField<FontProperties>([&](const auto& tagField) {
        if (!SameValue(before.*tagField.member, after.*tagField.member))
            tally.Touch(tagField.group, tagField.undoName, false, tagField.name);
    });
    ForEachStyleFilter([&](const auto& filter) {
        const auto &old = before.*filter.member, &now = after.*filter.member;
        using Record = std::decay_t<decltype(old)>;
        ForEachStyleField<Record>([&](const auto& filterField) {
            if (!SameValue(old.*filterField.member, now.*filterField.member))
                tally.Touch(filter.name, filter.undoName, true,
                            wxString(filter.name) + wxS(".") + filterField.name);
        });
    });

    name.clear();
    field.clear();
    if (tally.fields == 0)
        return;
    // A new font brings the bold and italic flags its faces allow.
    if (tally.font)
    {
        name = wxGetTranslation(wxS("font change"));
        field = wxS("font");
    }
    else if (tally.groups == 1)
    {
        name = wxGetTranslation(tally.undoName);
        field = tally.fields == 1 ? tally.field : wxString(tally.group);
    }
    else if (tally.groups == tally.filterGroups)
    {
        name = wxGetTranslation(wxS("effect change"));
        field = wxS("filters");
    }
    else
        name = wxGetTranslation(wxS("style change"));
}

bool UndoStep::ChangesNothing() const
{
    if (textChanged && textBefore != textAfter)
        return false;
    return std::all_of(tags.begin(), tags.end(), UnchangedTag);
}

void UndoStep::Absorb(const UndoStep& later)
{
    for (const UndoTagChange& change : later.tags)
    {
        auto mine = std::find_if(tags.begin(), tags.end(),
                                 [&change](const UndoTagChange& own) { return own.name == change.name; });
        if (mine == tags.end())
            tags.push_back(change);
        else
        {
            mine->hasAfter = change.hasAfter;
            mine->after = change.after;
        }
    }
    tags.erase(std::remove_if(tags.begin(), tags.end(), UnchangedTag), tags.end());

    if (later.textChanged)
    {
        if (!textChanged)
            textBefore = later.textBefore;
        textAfter = later.textAfter;
        textChanged = textBefore != textAfter;
    }
    if (later.userDefinedChanged)
    {
        if (!userDefinedChanged)
            userDefinedBefore = later.userDefinedBefore;
        userDefinedAfter = later.userDefinedAfter;
        userDefinedChanged = !SameStyle(userDefinedBefore, userDefinedAfter);
    }
    selectionAfter = later.selectionAfter;
    name = later.name;
    time = later.time;
}

size_t UndoStep::ApproximateBytes() const
{
    size_t bytes = sizeof(UndoStep) + tags.capacity() * sizeof(UndoTagChange);
    bytes += StringBytes(name) + StringBytes(key) + StringBytes(textBefore) + StringBytes(textAfter);
    bytes += StringBytes(selectionBefore.tag) + StringBytes(selectionBefore.effect);
    bytes += StringBytes(selectionAfter.tag) + StringBytes(selectionAfter.effect);
    for (const UndoTagChange& change : tags)
    {
        bytes += StringBytes(change.name) + StringBytes(change.before.font) + StringBytes(change.before.foundry);
        bytes += StringBytes(change.after.font) + StringBytes(change.after.foundry);
    }
    return bytes;
}

UndoHistory::UndoHistory(size_t capacity) : m_capacity(std::max<size_t>(capacity, 1))
{
}

void UndoHistory::Record(const UndoStep& step)
{
    if (step.ChangesNothing())
        return;
    if (m_position < m_steps.size())
    {
        m_steps.erase(m_steps.begin() + static_cast<std::ptrdiff_t>(m_position), m_steps.end());
        m_lastOpen = false;
    }

    if (m_lastOpen && m_position > 0 && !step.key.empty())
    {
        UndoStep& last = m_steps[m_position - 1];
        const long long pause = step.time - last.time;
        if (last.key == step.key && (m_grouping || (pause >= 0 && pause < kUndoPauseMs)))
        {
            last.Absorb(step);
            if (last.ChangesNothing())
            {
                m_steps.pop_back();
                --m_position;
                m_lastOpen = false;
            }
            return;
        }
    }

    m_steps.push_back(step);
    ++m_position;
    m_lastOpen = !step.key.empty();
    while (m_steps.size() > m_capacity)
    {
        m_steps.pop_front();
        --m_position;
    }
}

const UndoStep* UndoHistory::NextUndo() const
{
    return CanUndo() ? &m_steps[m_position - 1] : nullptr;
}

const UndoStep* UndoHistory::NextRedo() const
{
    return CanRedo() ? &m_steps[m_position] : nullptr;
}

const UndoStep* UndoHistory::Undo()
{
    m_lastOpen = false;
    m_grouping = false;
    if (!CanUndo())
        return nullptr;
    --m_position;
    return &m_steps[m_position];
}

const UndoStep* UndoHistory::Redo()
{
    m_lastOpen = false;
    m_grouping = false;
    if (!CanRedo())
        return nullptr;
    ++m_position;
    return &m_steps[m_position - 1];
}

void UndoHistory::EndGroup()
{
    if (!m_grouping)
        return;
    m_grouping = false;
    m_lastOpen = false;
}

void UndoHistory::Clear()
{
    m_steps.clear();
    m_position = 0;
    m_lastOpen = false;
    m_grouping = false;
}

size_t UndoHistory::ApproximateBytes() const
{
    size_t bytes = sizeof(UndoHistory);
    for (const UndoStep& step : m_steps)
        bytes += step.ApproximateBytes();
    return bytes;
}
