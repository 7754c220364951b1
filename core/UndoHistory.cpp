#include "core/UndoHistory.h"

#include <wx/intl.h>

#include <algorithm>
#include <cmath>

namespace
{
bool Same(const wxString& a, const wxString& b)
{
    return a == b;
}
bool Same(int a, int b)
{
    return a == b;
}
bool Same(bool a, bool b)
{
    return a == b;
}
// A value read from a file may be NaN, which must still equal itself here.
bool Same(float a, float b)
{
    return a == b || (std::isnan(a) && std::isnan(b));
}
bool Same(const RgbColour& a, const RgbColour& b)
{
    return a == b;
}

// Groups of fields that one control of the window edits, in the order their names are
// looked up.
enum StyleGroup
{
    kFont,
    kSize,
    kAlign,
    kColour,
    kLinkColour,
    kHoverColour,
    kBackgroundColour,
    kOpacity,
    kBold,
    kItalic,
    kStroke,
    kUnderline,
    kBlur,
    kDropShadow,
    kGlow,
    kBevel,
    kGroupCount
};

// What a change of each group is called, and the field it stands for when several of
// its fields change at once.
const struct
{
    const char* name;
    const char* field;
} kGroups[kGroupCount] = {
    {wxTRANSLATE("font change"), "font"},
    {wxTRANSLATE("size change"), "size"},
    {wxTRANSLATE("alignment change"), "align"},
    {wxTRANSLATE("colour change"), "color"},
    {wxTRANSLATE("link colour change"), "linkcolor"},
    {wxTRANSLATE("hover colour change"), "hovercolor"},
    {wxTRANSLATE("background colour change"), "backgroundcolor"},
    {wxTRANSLATE("opacity change"), "opacity"},
    {wxTRANSLATE("bold change"), "bold"},
    {wxTRANSLATE("italic change"), "italic"},
    {wxTRANSLATE("stroke change"), "stroked"},
    {wxTRANSLATE("underline change"), "understroked"},
    {wxTRANSLATE("blur change"), "blur"},
    {wxTRANSLATE("drop shadow change"), "dropshadow"},
    {wxTRANSLATE("glow change"), "glow"},
    {wxTRANSLATE("bevel change"), "bevel"},
};

struct StyleField
{
    const char* field;
    StyleGroup group;
    bool (*same)(const FontProperties&, const FontProperties&);
};

#define GLYPHARA_STYLE_FIELD(name, group, member)                                            \
    {                                                                                        \
        name, group,                                                                         \
            [](const FontProperties& a, const FontProperties& b) { return Same(a.member, b.member); } \
    }

// Every field of the record; a field added to the record must be added here too.
const StyleField kStyleFields[] = {
    GLYPHARA_STYLE_FIELD("font", kFont, font),
    GLYPHARA_STYLE_FIELD("foundry", kFont, foundry),
    GLYPHARA_STYLE_FIELD("size", kSize, size),
    GLYPHARA_STYLE_FIELD("align", kAlign, align),
    GLYPHARA_STYLE_FIELD("color", kColour, color),
    GLYPHARA_STYLE_FIELD("linkcolor", kLinkColour, linkcolor),
    GLYPHARA_STYLE_FIELD("backgroundcolor", kBackgroundColour, backgroundcolor),
    GLYPHARA_STYLE_FIELD("hovercolor", kHoverColour, hovercolor),
    GLYPHARA_STYLE_FIELD("opacity", kOpacity, opacity),
    GLYPHARA_STYLE_FIELD("bold", kBold, bold),
    GLYPHARA_STYLE_FIELD("italic", kItalic, italic),
    GLYPHARA_STYLE_FIELD("stroked", kStroke, stroked),
    GLYPHARA_STYLE_FIELD("understroked", kUnderline, understroked),
    GLYPHARA_STYLE_FIELD("blur.enabled", kBlur, blur.enabled),
    GLYPHARA_STYLE_FIELD("blur.quality", kBlur, blur.quality),
    GLYPHARA_STYLE_FIELD("blur.blurx", kBlur, blur.blurx),
    GLYPHARA_STYLE_FIELD("blur.blury", kBlur, blur.blury),
    GLYPHARA_STYLE_FIELD("dropshadow.enabled", kDropShadow, dropshadow.enabled),
    GLYPHARA_STYLE_FIELD("dropshadow.quality", kDropShadow, dropshadow.quality),
    GLYPHARA_STYLE_FIELD("dropshadow.angle", kDropShadow, dropshadow.angle),
    GLYPHARA_STYLE_FIELD("dropshadow.knockout", kDropShadow, dropshadow.knockout),
    GLYPHARA_STYLE_FIELD("dropshadow.distance", kDropShadow, dropshadow.distance),
    GLYPHARA_STYLE_FIELD("dropshadow.color", kDropShadow, dropshadow.color),
    GLYPHARA_STYLE_FIELD("dropshadow.strength", kDropShadow, dropshadow.strength),
    GLYPHARA_STYLE_FIELD("glow.enabled", kGlow, glow.enabled),
    GLYPHARA_STYLE_FIELD("glow.strength", kGlow, glow.strength),
    GLYPHARA_STYLE_FIELD("glow.blurx", kGlow, glow.blurx),
    GLYPHARA_STYLE_FIELD("glow.blury", kGlow, glow.blury),
    GLYPHARA_STYLE_FIELD("glow.knockout", kGlow, glow.knockout),
    GLYPHARA_STYLE_FIELD("glow.inner", kGlow, glow.inner),
    GLYPHARA_STYLE_FIELD("glow.quality", kGlow, glow.quality),
    GLYPHARA_STYLE_FIELD("glow.alpha", kGlow, glow.alpha),
    GLYPHARA_STYLE_FIELD("glow.color", kGlow, glow.color),
    GLYPHARA_STYLE_FIELD("bevel.enabled", kBevel, bevel.enabled),
    GLYPHARA_STYLE_FIELD("bevel.angle", kBevel, bevel.angle),
    GLYPHARA_STYLE_FIELD("bevel.distance", kBevel, bevel.distance),
    GLYPHARA_STYLE_FIELD("bevel.strength", kBevel, bevel.strength),
    GLYPHARA_STYLE_FIELD("bevel.quality", kBevel, bevel.quality),
    GLYPHARA_STYLE_FIELD("bevel.highlightcolor", kBevel, bevel.highlightcolor),
    GLYPHARA_STYLE_FIELD("bevel.shadowcolor", kBevel, bevel.shadowcolor),
    GLYPHARA_STYLE_FIELD("bevel.type", kBevel, bevel.type),
};

#undef GLYPHARA_STYLE_FIELD

bool IsFilterGroup(int group)
{
    return group >= kBlur;
}

bool UnchangedTag(const UndoTagChange& change)
{
    return change.hadBefore == change.hasAfter && (!change.hadBefore || SameStyle(change.before, change.after));
}

size_t StringBytes(const wxString& text)
{
    return text.length() * sizeof(wxChar);
}
}

bool SameStyle(const FontProperties& a, const FontProperties& b)
{
    for (const StyleField& field : kStyleFields)
    {
        if (!field.same(a, b))
            return false;
    }
    return true;
}

void DescribeStyleChange(const FontProperties& before, const FontProperties& after, wxString& name,
                         wxString& field)
{
    name.clear();
    field.clear();
    bool touched[kGroupCount] = {};
    int changedFields = 0;
    const StyleField* lastChanged = nullptr;
    for (const StyleField& candidate : kStyleFields)
    {
        if (!candidate.same(before, after))
        {
            touched[candidate.group] = true;
            ++changedFields;
            lastChanged = &candidate;
        }
    }
    if (!lastChanged)
        return;

    int groups = 0, filterGroups = 0, group = 0;
    for (int i = 0; i < kGroupCount; ++i)
    {
        if (!touched[i])
            continue;
        ++groups;
        if (IsFilterGroup(i))
            ++filterGroups;
        group = i;
    }
    // A new font brings the bold and italic flags its faces allow.
    if (touched[kFont])
    {
        name = wxGetTranslation(kGroups[kFont].name);
        field = kGroups[kFont].field;
    }
    else if (groups == 1)
    {
        name = wxGetTranslation(kGroups[group].name);
        field = changedFields == 1 ? lastChanged->field : kGroups[group].field;
    }
    else if (groups == filterGroups)
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
