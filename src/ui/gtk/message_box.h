// Message boxes as the toolkit's modal message dialogs.
#pragma once

#include "ui/backend.h"

namespace ui::gtk {

// Shows `box` and waits for the answer. It is transient for `owner` when that is a dialog of
// this front end that is on screen; otherwise (no owner, or a dialog still initialising
// behind the scenes) it stands alone, centred on the screen. The first line of the text is
// the heading, the rest the secondary text. OK is the default of an OK box, Yes of a Yes/No
// box; a Yes/No box can only be answered, not closed, and closing an OK box answers OK.
BoxAnswer RunMessageBox(const MessageBoxRequest& box, DialogWindow* owner);

}  // namespace ui::gtk
