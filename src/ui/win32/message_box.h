// Message boxes as MessageBoxW.
#pragma once

#include <cstdint>

#include "ui/backend.h"
#include "ui/win32/win32_types.h"

namespace ui::win32 {

// The MessageBoxW type of a request: MB_OK or MB_YESNO, the icon's MB_ICON* flag, and
// MB_SYSTEMMODAL when asked for.
std::uint32_t MessageBoxType(const MessageBoxRequest& box);

// The answer for what MessageBoxW returned: IDYES and IDNO as such, anything else of a
// Yes/No box as No (it cannot be closed otherwise), anything of an OK box as OK.
BoxAnswer AnswerOf(const MessageBoxRequest& box, int result);

// Shows the box, owned by `owner` when it is not null, and waits for the answer.
BoxAnswer RunMessageBox(const MessageBoxRequest& box, NativeWindow owner);

}  // namespace ui::win32
