// Icon group 128: the application icon in 48, 32 and 16 pixels, 32 bits per pixel.
#pragma once

#include "ui/device_context.h"

namespace resources {

const ui::Icon& AppIcon();

}  // namespace resources
