// Dialog units into pixels, from the measured font.
#include <gtest/gtest.h>

#include "ui/dialog_template.h"
#include "ui/gtk/dialog_layout.h"

namespace {

using ui::Rect;
using ui::gtk::BaseUnitsFromMeasure;
using ui::gtk::ToDevice;
using ui::gtk::ToLogical;

TEST(BaseUnits, AverageTheLettersToTheNearestPixel) {
    struct Case {
        int lettersWidth, lineHeight, x, y;
    };
    const Case cases[] = {
        {312, 13, 6, 13},  // 6.0 per letter
        {337, 13, 6, 13},  // 6.48 rounds down
        {338, 13, 7, 13},  // 6.5 rounds up
        {415, 16, 8, 16},  // a larger desktop font
        {0, 0, 1, 1},      // a font that measures nothing still gives a usable unit
    };
    for (const Case& c : cases) {
        const ui::gtk::BaseUnits units = BaseUnitsFromMeasure(c.lettersWidth, c.lineHeight);
        EXPECT_EQ(units.x, c.x) << c.lettersWidth;
        EXPECT_EQ(units.y, c.y) << c.lettersWidth;
    }
}

TEST(BaseUnits, LetterWidthGrowsTheDialogInProportion) {
    // The same template on a font half as large again is half as large again, within the
    // truncation of each coordinate.
    const Rect small = ui::ToPixels(243, 7, 237, 14, 6, 13);
    const Rect large = ui::ToPixels(243, 7, 237, 14, 9, 19);
    EXPECT_NEAR(large.Width(), small.Width() * 1.5, 1);
    EXPECT_NEAR(large.left, small.left * 1.5, 1);
}

TEST(DevicePixels, RoundTripThroughEveryScale) {
    const Rect logical{14, 14, 468, 324};
    for (const int scale : {1, 2, 3}) {
        const Rect device = ToDevice(logical, scale);
        EXPECT_EQ(device.Width(), logical.Width() * scale);
        EXPECT_EQ(ToLogical(device, scale), logical) << scale;
    }
}

TEST(DevicePixels, ALogicalRectangleCoversAnUnalignedDeviceOne) {
    struct Case {
        Rect device;
        int scale;
        Rect logical;
    };
    const Case cases[] = {
        {{3, 5, 7, 9}, 2, {1, 2, 4, 5}},
        {{-3, -1, 1, 2}, 2, {-2, -1, 1, 1}},
        {{0, 0, 5, 5}, 1, {0, 0, 5, 5}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ToLogical(c.device, c.scale), c.logical);
    }
}

}  // namespace
