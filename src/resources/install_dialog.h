// Dialog template 102, the install dialog.
#pragma once

#include "ui/dialog_template.h"

namespace resources {

const ui::DialogTemplate& InstallDialogTemplate();

}  // namespace resources
