// The modal dialog: the system's dialog manager builds it from the program's dialog resource,
// with the system's controls, and runs its modal loop.
#pragma once

#include "ui/backend.h"
#include "ui/win32/win32_types.h"

namespace ui::win32 {

class IconHandles;
class WaitCursor;

struct DialogServices {
    NativeModule module;
    IconHandles& icons;
    WaitCursor& waitCursor;
};

// DialogBoxParamW over the dialog resource `dialog.id` of the module: `events` initialises
// the dialog while it is hidden (a dialog that ends itself there never shows), then the
// system shows it with the focus on its first tab stop and runs the modal loop until End;
// returns End's result, or -1 when the dialog cannot be made. Enter presses the default
// button, Escape is IDCANCEL. An exception thrown by `events` or a painter ends the dialog
// and is rethrown here.
int RunDialog(const DialogTemplate& dialog, DialogEvents& events, const DialogServices& services);

// The system window of a dialog of this front end; null for any other.
NativeWindow WindowOf(DialogWindow* window);

}  // namespace ui::win32
