// Where the dialog's controls go: dialog units turned into pixels from the base units of the
// font the dialog actually uses, and the two pixel spaces of a scaled desktop. The toolkit
// lays widgets out in logical pixels; the framework sees device pixels (logical x scale), so
// that a picture is scaled once to the real pixels of the screen and painted one to one.
#pragma once

#include "ui/device_context.h"

namespace ui::gtk {

struct BaseUnits {
    int x = 0;  // average character width
    int y = 0;  // character height
};

// The letters whose average width is the horizontal base unit.
inline constexpr char kBaseUnitLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

// From the measured width of kBaseUnitLetters and the font's line height, in pixels: the
// average of the 52 letters rounded to the nearest pixel, never below one pixel.
BaseUnits BaseUnitsFromMeasure(int lettersWidth, int lineHeight);

// A logical rectangle in device pixels.
Rect ToDevice(const Rect& logical, int scale);
// A device rectangle in logical pixels: the smallest logical rectangle that covers it.
Rect ToLogical(const Rect& device, int scale);

}  // namespace ui::gtk
