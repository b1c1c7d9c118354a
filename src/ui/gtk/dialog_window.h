// The dialog window built from a template, with the toolkit's widgets at the template's
// places, run modally in a nested main loop.
#pragma once

#include "ui/backend.h"

namespace ui::gtk {

class WaitCursor;

// The toolkit window of a running dialog carries its ui::DialogWindow under this key, so
// that message boxes find the window that owns them and the wait cursor the windows it
// covers.
inline constexpr char kDialogWindowKey[] = "larkspan-dialog-window";

// Builds the dialog, initialises it through `events` while it is hidden (a dialog that ends
// itself there is never shown), then shows it with the focus on its first tab stop and runs
// a nested main loop until End; returns End's result. Enter presses the default button (or
// the focused one), Escape and the window manager's close request are Cancel.
int RunDialog(const DialogTemplate& dialog, DialogEvents& events, WaitCursor& waitCursor);

}  // namespace ui::gtk
