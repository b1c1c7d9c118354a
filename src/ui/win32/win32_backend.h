// The Windows front end. No system type appears here: the installer's program takes the
// backend through this function only.
#pragma once

#include <memory>

#include "ui/backend.h"

namespace ui::win32 {

// The front end over the running program's resources: dialogs are built from its RT_DIALOG
// resources (DialogTemplate::id) and icons loaded from its RT_GROUP_ICON ones
// (Icon::resourceId).
std::unique_ptr<Backend> NewWin32Backend();

}  // namespace ui::win32
