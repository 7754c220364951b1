// The main window's controls that each show and edit one field of the selected tag's
// style record: the field, the kind of control, how the refresh enables it, its range
// and the line its handler traces. The property handlers, the refresh, the text
// sliders' ranges and the slider drags kept as one undo step are driven from this table.
#ifndef GLYPHARA_INTERFACE_FIELDCONTROLS_H
#define GLYPHARA_INTERFACE_FIELDCONTROLS_H

#include "core/FontProperties.h"

#include <cstddef>

enum class FieldControlKind
{
    kCheckBox,
    kSlider,
    kTextSlider,
    kChoice,
    kColour
};

// How the refresh sets the control's enabled state.
enum class FieldEnabling
{
    kAlways,
    // With the filter the field belongs to.
    kWithFilter,
    // Left as it is: hidden controls, and the style boxes that follow the font's faces.
    kAsItIs
};

// What a control holds: a number (a check box's 0 or 1, a slider's position, a choice's
// index) or a colour.
struct FieldValue
{
    int number = 0;
    RgbColour colour;
};

struct FieldControl
{
    int id;
    FieldControlKind kind;
    // The handler's trace line, printf style, given the new value: "%d" of the number,
    // "%s" of the colour in HTML form, "%f" of the field's value where scale is not 1.
    const char* trace;
    FieldEnabling enabling;
    // Text sliders only: they run from 0 to this.
    int maximum;
    // Control steps per unit of the field (the glow's alpha, 0 to 1, moves in hundredths).
    int scale;

    // The field as the control shows it, and the control's value stored into the field.
    FieldValue (*get)(const FontProperties& record, int scale);
    void (*set)(FontProperties& record, const FieldValue& value, int scale);
    // Whether the filter that holds the field is on; true for the tag's own fields.
    bool (*filterOn)(const FontProperties& record);
};

extern const FieldControl kFieldControls[];
extern const size_t kFieldControlCount;

// The row of the control with that id, or kFieldControlCount.
size_t FindFieldControl(int id);

// What an integer control shows for a stored floating-point value: truncated toward zero.
// The small allowance keeps a value such as 0.29 x 100, stored as 28.99999..., at 29.
int ShownAsInteger(double value);

#endif
