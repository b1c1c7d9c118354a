#include "ui/win32/message_box.h"

#include <windows.h>

#include <string>

namespace ui::win32 {

std::uint32_t MessageBoxType(const MessageBoxRequest& box) {
    std::uint32_t type = box.buttons == BoxButtons::yesNo ? MB_YESNO : MB_OK;
    switch (box.icon) {
        case BoxIcon::exclamation:
            type |= MB_ICONEXCLAMATION;
            break;
        case BoxIcon::question:
            type |= MB_ICONQUESTION;
            break;
        case BoxIcon::stop:
            type |= MB_ICONSTOP;
            break;
    }
    if (box.systemModal) {
        type |= MB_SYSTEMMODAL;
    }
    return type;
}

BoxAnswer AnswerOf(const MessageBoxRequest& box, int result) {
    if (box.buttons == BoxButtons::yesNo) {
        return result == IDYES ? BoxAnswer::yes : BoxAnswer::no;
    }
    return BoxAnswer::ok;
}

BoxAnswer RunMessageBox(const MessageBoxRequest& box, NativeWindow owner) {
    // The texts are UTF-16 on both sides; the copies end them with a NUL.
    const std::wstring text(box.text.begin(), box.text.end());
    const std::wstring title(box.title.begin(), box.title.end());
    const int result = ::MessageBoxW(owner, text.c_str(), title.c_str(), MessageBoxType(box));
    return AnswerOf(box, result);
}

}  // namespace ui::win32
