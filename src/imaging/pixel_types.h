// The pixel types of the two-pass scaler: packed 8-bit channels, each resampled on its own.
// The scaler attaches no meaning to channel order or alpha.
#pragma once

#include "framework/types.h"

// 4-byte pixels (the image window's blue, green, red, 0).
struct CDataRGBA_UBYTE {
    static constexpr unsigned kChannels = 4;
    BYTE channel[kChannels];
};

// 3-byte pixels (the quick bitmap's optional companion buffer).
struct CDataRGB_UBYTE {
    static constexpr unsigned kChannels = 3;
    BYTE channel[kChannels];
};

static_assert(sizeof(CDataRGBA_UBYTE) == 4 && alignof(CDataRGBA_UBYTE) == 1);
static_assert(sizeof(CDataRGB_UBYTE) == 3 && alignof(CDataRGB_UBYTE) == 1);
