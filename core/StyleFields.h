// The fields of the style records, each declared once: its member, its XML attribute
// name and, for the tag element's own fields and the filters, what an undo step that
// changes it is called. Reading, writing, comparing and naming changes all walk these
// lists, so a field added to a record is added here, in file order, and nowhere else.
// Defaults are the records' own (default construction).
#ifndef GLYPHARA_CORE_STYLEFIELDS_H
#define GLYPHARA_CORE_STYLEFIELDS_H

#include "core/FontProperties.h"

#include <wx/translation.h>

#include <cmath>
#include <tuple>

template <typename Record, typename Value>
struct StyleField
{
    using RecordType = Record;
    using ValueType = Value;

    Value Record::*member;
    // The XML attribute; in undo keys, the field's own part ("blurx" of "glow.blurx").
    const char* name;
    // Tag fields only: the field that stands for the group of fields one control edits
    // ("font" for font and foundry), and what a change of that group is called.
    const char* group;
    const char* undoName;
};

template <typename Record>
struct StyleFilter
{
    using RecordType = Record;

    Record FontProperties::*member;
    // The child element, and the group that every field of the filter belongs to.
    const char* name;
    const char* undoName;
};

template <typename Record, typename Value>
constexpr StyleField<Record, Value> Field(Value Record::*member, const char* name)
{
    return {member, name, name, nullptr};
}

template <typename Value>
constexpr StyleField<FontProperties, Value> TagField(Value FontProperties::*member, const char* name,
                                                     const char* undoName, const char* group = nullptr)
{
    return {member, name, group ? group : name, undoName};
}

template <typename Record>
constexpr StyleFilter<Record> Filter(Record FontProperties::*member, const char* name, const char* undoName)
{
    return {member, name, undoName};
}

template <typename Record>
struct StyleFieldsOf;

template <>
struct StyleFieldsOf<BlurProperties>
{
    using R = BlurProperties;
    static constexpr auto list = std::make_tuple(Field(&R::enabled, "enabled"), Field(&R::quality, "quality"),
                                                 Field(&R::blurx, "blurx"), Field(&R::blury, "blury"));
};

template <>
struct StyleFieldsOf<DropShadowProperties>
{
    using R = DropShadowProperties;
    static constexpr auto list =
        std::make_tuple(Field(&R::enabled, "enabled"), Field(&R::quality, "quality"), Field(&R::angle, "angle"),
                        Field(&R::knockout, "knockout"), Field(&R::distance, "distance"),
                        Field(&R::color, "color"), Field(&R::strength, "strength"));
};

template <>
struct StyleFieldsOf<GlowProperties>
{
    using R = GlowProperties;
    static constexpr auto list =
        std::make_tuple(Field(&R::enabled, "enabled"), Field(&R::strength, "strength"), Field(&R::blurx, "blurx"),
                        Field(&R::blury, "blury"), Field(&R::knockout, "knockout"), Field(&R::inner, "inner"),
                        Field(&R::quality, "quality"), Field(&R::alpha, "alpha"), Field(&R::color, "color"));
};

template <>
struct StyleFieldsOf<BevelProperties>
{
    using R = BevelProperties;
    static constexpr auto list =
        std::make_tuple(Field(&R::enabled, "enabled"), Field(&R::angle, "angle"), Field(&R::distance, "distance"),
                        Field(&R::strength, "strength"), Field(&R::quality, "quality"),
                        Field(&R::highlightcolor, "highlightcolor"), Field(&R::shadowcolor, "shadowcolor"),
                        Field(&R::type, "type"));
};

// The tag element's own attributes; the filters follow as child elements.
template <>
struct StyleFieldsOf<FontProperties>
{
    using R = FontProperties;
    static constexpr auto list = std::make_tuple(
        TagField(&R::font, "font", wxTRANSLATE("font change")),
        TagField(&R::foundry, "foundry", wxTRANSLATE("font change"), "font"),
        TagField(&R::size, "size", wxTRANSLATE("size change")),
        TagField(&R::align, "align", wxTRANSLATE("alignment change")),
        TagField(&R::color, "color", wxTRANSLATE("colour change")),
        TagField(&R::linkcolor, "linkcolor", wxTRANSLATE("link colour change")),
        TagField(&R::backgroundcolor, "backgroundcolor", wxTRANSLATE("background colour change")),
        TagField(&R::hovercolor, "hovercolor", wxTRANSLATE("hover colour change")),
        TagField(&R::opacity, "opacity", wxTRANSLATE("opacity change")),
        TagField(&R::bold, "bold", wxTRANSLATE("bold change")),
        TagField(&R::italic, "italic", wxTRANSLATE("italic change")),
        TagField(&R::stroked, "stroked", wxTRANSLATE("stroke change")),
        TagField(&R::understroked, "understroked", wxTRANSLATE("underline change")));
};

// In the order the tag element's writer adds them.
inline constexpr auto kStyleFilters =
    std::make_tuple(Filter(&FontProperties::blur, "blur", wxTRANSLATE("blur change")),
                    Filter(&FontProperties::dropshadow, "dropshadow", wxTRANSLATE("drop shadow change")),
                    Filter(&FontProperties::glow, "glow", wxTRANSLATE("glow change")),
                    Filter(&FontProperties::bevel, "bevel", wxTRANSLATE("bevel change")));

template <typename Record, typename Visit>
void ForEachStyleField(Visit&& visit)
{
    std::apply([&visit](const auto&... field) { (visit(field), ...); }, StyleFieldsOf<Record>::list);
}

template <typename Visit>
void ForEachStyleFilter(Visit&& visit)
{
    std::apply([&visit](const auto&... filter) { (visit(filter), ...); }, kStyleFilters);
}

// Field values compare exactly, except that NaN (which a file may hold) equals itself.
template <typename Value>
bool SameValue(const Value& a, const Value& b)
{
    return a == b;
}

inline bool SameValue(float a, float b)
{
    return a == b || (std::isnan(a) && std::isnan(b));
}

// Every field of the record's own list (for the tag record: not its filters).
template <typename Record>
bool SameFields(const Record& a, const Record& b)
{
    bool same = true;
    ForEachStyleField<Record>([&](const auto& field) { same = same && SameValue(a.*field.member, b.*field.member); });
    return same;
}

#endif
