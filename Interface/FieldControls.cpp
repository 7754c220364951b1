#include "Interface/FieldControls.h"

#include "Interface/ControlIds.h"

#include <cmath>
#include <type_traits>

namespace
{
using R = FontProperties;
using Shadow = DropShadowProperties;
using Glow = GlowProperties;
using Bevel = BevelProperties;

// A field of the tag record: one of its own members, or a filter and a member of that
// filter.
template <auto... Path>
struct Reach;

template <auto Member>
struct Reach<Member>
{
    static auto& In(R& record) { return record.*Member; }
    static const auto& In(const R& record) { return record.*Member; }
    static bool FilterOn(const R&) { return true; }
};

template <auto Filter, auto Member>
struct Reach<Filter, Member>
{
    static auto& In(R& record) { return (record.*Filter).*Member; }
    static const auto& In(const R& record) { return (record.*Filter).*Member; }
    static bool FilterOn(const R& record) { return (record.*Filter).enabled; }
};

template <typename Field>
FieldValue Get(const R& record, int scale)
{
    const auto& field = Field::In(record);
    using Value = std::decay_t<decltype(field)>;
    FieldValue value;
    if constexpr (std::is_same_v<Value, RgbColour>)
        value.colour = field;
    else if constexpr (std::is_same_v<Value, float>)
        value.number = ShownAsInteger(field * static_cast<double>(scale));
    else
        value.number = field;
    return value;
}

template <typename Field>
void Set(R& record, const FieldValue& value, int scale)
{
    auto& field = Field::In(record);
    using Value = std::decay_t<decltype(field)>;
    if constexpr (std::is_same_v<Value, RgbColour>)
        field = value.colour;
    else if constexpr (std::is_same_v<Value, float>)
        field = static_cast<float>(value.number / static_cast<double>(scale));
    else if constexpr (std::is_same_v<Value, bool>)
        field = value.number != 0;
    else
        field = value.number;
}

constexpr FieldEnabling kAlways = FieldEnabling::kAlways;
constexpr FieldEnabling kAsItIs = FieldEnabling::kAsItIs;
constexpr FieldControlKind kCheckBox = FieldControlKind::kCheckBox;
constexpr FieldControlKind kSlider = FieldControlKind::kSlider;
constexpr FieldControlKind kChoice = FieldControlKind::kChoice;
constexpr FieldControlKind kColour = FieldControlKind::kColour;

// A filter's fields follow its switch unless told otherwise.
template <auto... Path>
constexpr FieldEnabling kUsual = sizeof...(Path) == 1 ? kAlways : FieldEnabling::kWithFilter;

template <auto... Path>
constexpr FieldControl Row(FieldControlKind kind, int id, const char* trace, FieldEnabling enabling = kUsual<Path...>,
                           int maximum = 0, int scale = 1)
{
    return {id, kind, trace, enabling, maximum, scale, &Get<Reach<Path...>>, &Set<Reach<Path...>>,
            &Reach<Path...>::FilterOn};
}

template <auto... Path>
constexpr FieldControl TextSlider(int id, const char* trace, int maximum, int scale = 1)
{
    return Row<Path...>(FieldControlKind::kTextSlider, id, trace, kUsual<Path...>, maximum, scale);
}
}

const FieldControl kFieldControls[] = {
    Row<&R::color>(kColour, ID_FONT_COLOR, "Font color changed to: %s"),
    Row<&R::linkcolor>(kColour, ID_LINK_COLOR, "Link color changed to: %s"),
    Row<&R::hovercolor>(kColour, ID_HOVER_COLOR, "Hover color changed to: %s"),
    Row<&R::backgroundcolor>(kColour, ID_BACKGROUND_COLOR, "Background color changed to: %s"),
    Row<&R::opacity>(kSlider, ID_OPACITY_SLIDER, "Opacity slider changed to: %d", kAsItIs),
    Row<&R::align>(kChoice, ID_FONT_ALIGNMENT_CHOICE, "Font alignment changed to: %d"),
    Row<&R::bold>(kCheckBox, ID_FONT_BOLD_CHECKBOX, "Font bold checkbox changed to: %d", kAsItIs),
    Row<&R::italic>(kCheckBox, ID_FONT_ITALIC_CHECKBOX, "Font italic checkbox changed to: %d", kAsItIs),
    Row<&R::understroked>(kCheckBox, ID_FONT_UNDERLINE_CHECKBOX, "Font underline checkbox changed to: %d", kAsItIs),

    Row<&R::blur, &BlurProperties::enabled>(kCheckBox, ID_BLUR_CHECKBOX, "Blur filter switched to: %d", kAlways),
    Row<&R::blur, &BlurProperties::blurx>(kSlider, ID_BLUR_HBLUR_SLIDER, "Blur filter H blur set to: %d"),
    Row<&R::blur, &BlurProperties::blury>(kSlider, ID_BLUR_VBLUR_SLIDER, "Blur filter V blur set to: %d"),

    Row<&R::dropshadow, &Shadow::enabled>(kCheckBox, ID_DROPSHADOW_CHECKBOX, "Drop shadow filter switched to: %d",
                                          kAlways),
    Row<&R::dropshadow, &Shadow::knockout>(kCheckBox, ID_DROPSHADOW_KNOCKOUT_CHECKBOX,
                                           "Drop shadow filter knockout checkbox switched to: %d"),
    Row<&R::dropshadow, &Shadow::color>(kColour, ID_DROPSHADOW_COLOR, "Drop shadow color changed to: %s"),
    TextSlider<&R::dropshadow, &Shadow::angle>(ID_DROPSHADOW_ANGLE, "Drop shadow filter angle set to: %d", 360),
    TextSlider<&R::dropshadow, &Shadow::distance>(ID_DROPSHADOW_DISTANCE, "Drop shadow filter distance set to: %d",
                                                  127),
    TextSlider<&R::dropshadow, &Shadow::strength>(ID_DROPSHADOW_STRENGTH, "Drop shadow filter strength set to: %d",
                                                  15),

    Row<&R::glow, &Glow::enabled>(kCheckBox, ID_GLOW_CHECKBOX, "Glow filter switched to: %d", kAlways),
    Row<&R::glow, &Glow::inner>(kCheckBox, ID_GLOW_INNER_CHECKBOX, "Glow filter inner checkbox switched to: %d"),
    Row<&R::glow, &Glow::knockout>(kCheckBox, ID_GLOW_KNOCKOUT_CHECKBOX,
                                   "Glow filter knockout checkbox switched to: %d"),
    Row<&R::glow, &Glow::color>(kColour, ID_GLOW_COLOR, "Glow filter color changed to: %s"),
    TextSlider<&R::glow, &Glow::alpha>(ID_GLOW_ALPHA, "Glow filter alpha set to: %f", 100, 100),
    TextSlider<&R::glow, &Glow::blurx>(ID_GLOW_HBLUR, "Glow filter H blur set to: %d", 127),
    TextSlider<&R::glow, &Glow::blury>(ID_GLOW_VBLUR, "Glow filter V blur set to: %d", 127),
    TextSlider<&R::glow, &Glow::strength>(ID_GLOW_STRENGTH, "Glow filter strength set to: %d", 15),

    Row<&R::bevel, &Bevel::enabled>(kCheckBox, ID_BEVEL_CHECKBOX, "Bevel filter switched to: %d", kAlways),
    Row<&R::bevel, &Bevel::type>(kChoice, ID_BEVEL_TYPE_CHOICE, "Bevel filter type set to: %d"),
    Row<&R::bevel, &Bevel::shadowcolor>(kColour, ID_BEVEL_SHADOW_COLOR, "Bevel filter shadow color changed to: %s"),
    Row<&R::bevel, &Bevel::highlightcolor>(kColour, ID_BEVEL_HIGHLIGHT_COLOR,
                                           "Bevel filter highlight color changed to: %s"),
    TextSlider<&R::bevel, &Bevel::angle>(ID_BEVEL_ANGLE, "Bevel filter angle set to: %d", 360),
    TextSlider<&R::bevel, &Bevel::distance>(ID_BEVEL_DISTANCE, "Bevel filter distance set to: %d", 127),
    TextSlider<&R::bevel, &Bevel::strength>(ID_BEVEL_STRENGTH, "Bevel filter strength set to: %d", 15),
};

const size_t kFieldControlCount = sizeof(kFieldControls) / sizeof(kFieldControls[0]);

size_t FindFieldControl(int id)
{
    for (size_t i = 0; i < kFieldControlCount; ++i)
    {
        if (kFieldControls[i].id == id)
            return i;
    }
    return kFieldControlCount;
}

int ShownAsInteger(double value)
{
    const double allowance = value < 0 ? -1e-4 : 1e-4;
    return static_cast<int>(std::trunc(value + allowance));
}
