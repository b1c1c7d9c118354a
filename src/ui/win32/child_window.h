// The plain child windows that the seam's painters draw: WM_ERASEBKGND erases nothing (the
// painter covers the whole client area), WM_PAINT paints through the device-context seam.
#pragma once

#include "ui/backend.h"
#include "ui/win32/win32_types.h"

namespace ui::win32 {

class IconHandles;

// The window class of those children, registered while the object lives.
class ChildClass {
public:
    explicit ChildClass(NativeModule module);
    ChildClass(const ChildClass&) = delete;
    ChildClass& operator=(const ChildClass&) = delete;
    ~ChildClass();

private:
    NativeModule module_;
    bool registered_ = false;
};

// A child's link to its painter and to the dialog it lives in; owned by the dialog, it
// outlives the window.
struct PaintedChild {
    ChildPainter* painter = nullptr;
    IconHandles* icons = nullptr;
    NativeWindow window = nullptr;
};

// Creates the child of `parent` with id `id` over `rect` (the parent's client coordinates),
// style WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN; false when the system refuses.
bool CreatePaintedChild(NativeModule module, NativeWindow parent, int id, const Rect& rect,
                        PaintedChild& child);

}  // namespace ui::win32
