#include "ui/win32/wait_cursor.h"

#include <windows.h>

namespace ui::win32 {

namespace {

HCURSOR WaitShape() {
    return ::LoadCursorW(nullptr, IDC_WAIT);  // shared: never destroyed
}

}  // namespace

void WaitCursor::Begin() {
    if (++depth_ == 1) {
        restore_ = ::SetCursor(WaitShape());
    }
}

void WaitCursor::End() {
    if (depth_ > 0 && --depth_ == 0) {
        // With no cursor before (none had been set yet), the arrow: a null one would hide it.
        HCURSOR before = static_cast<HCURSOR>(restore_);
        ::SetCursor(before != nullptr && before != WaitShape() ? before
                                                               : ::LoadCursorW(nullptr, IDC_ARROW));
        restore_ = nullptr;
    }
}

bool WaitCursor::Show() const {
    if (!Busy()) {
        return false;
    }
    ::SetCursor(WaitShape());
    return true;
}

}  // namespace ui::win32
