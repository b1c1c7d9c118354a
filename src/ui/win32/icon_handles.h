// System icons for the seam's icons, made once per icon and size and destroyed with this
// object.
#pragma once

#include <vector>

#include "ui/device_context.h"
#include "ui/win32/win32_types.h"

namespace ui::win32 {

class IconHandles {
public:
    explicit IconHandles(NativeModule module) : module_(module) {}
    IconHandles(const IconHandles&) = delete;
    IconHandles& operator=(const IconHandles&) = delete;
    ~IconHandles();

    // The icon at size x size pixels: the program's icon resource `icon.resourceId` at that
    // size, else one made from the image that suits the size. Null when neither exists.
    NativeIcon Get(const Icon& icon, int size);

private:
    struct Entry {
        const Icon* icon;
        int size;
        NativeIcon handle;
    };
    NativeModule module_;
    std::vector<Entry> entries_;
};

}  // namespace ui::win32
