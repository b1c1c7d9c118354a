#include "ui/gtk/dialog_layout.h"

#include <algorithm>

namespace ui::gtk {

namespace {

int FloorDiv(int a, int b) {
    return a / b - (a % b != 0 && (a < 0) != (b < 0) ? 1 : 0);
}

int CeilDiv(int a, int b) {
    return -FloorDiv(-a, b);
}

}  // namespace

BaseUnits BaseUnitsFromMeasure(int lettersWidth, int lineHeight) {
    return BaseUnits{std::max(1, (lettersWidth / 26 + 1) / 2), std::max(1, lineHeight)};
}

Rect ToDevice(const Rect& logical, int scale) {
    return Rect{logical.left * scale, logical.top * scale, logical.right * scale,
                logical.bottom * scale};
}

Rect ToLogical(const Rect& device, int scale) {
    if (scale <= 1) {
        return device;
    }
    return Rect{FloorDiv(device.left, scale), FloorDiv(device.top, scale),
                CeilDiv(device.right, scale), CeilDiv(device.bottom, scale)};
}

}  // namespace ui::gtk
