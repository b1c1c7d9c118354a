#include "ui/win32/win32_backend.h"

#include <windows.h>

#include <commctrl.h>  // needs windows.h before it

#include "ui/win32/child_window.h"
#include "ui/win32/dialog_window.h"
#include "ui/win32/icon_handles.h"
#include "ui/win32/message_box.h"
#include "ui/win32/wait_cursor.h"

namespace ui::win32 {

namespace {

class Win32Backend final : public Backend {
public:
    Win32Backend() : module_(::GetModuleHandleW(nullptr)), icons_(module_), childClass_(module_) {}

    BoxAnswer ShowMessageBox(const MessageBoxRequest& box, DialogWindow* owner) override {
        const BoxAnswer answer = RunMessageBox(box, WindowOf(owner));
        waitCursor_.Show();  // the box's loop set the cursor of whatever was under it
        return answer;
    }
    int RunModalDialog(const DialogTemplate& dialog, DialogEvents& events) override {
        return RunDialog(dialog, events, DialogServices{module_, icons_, waitCursor_});
    }
    void BeginWaitCursor() override { waitCursor_.Begin(); }
    void EndWaitCursor() override { waitCursor_.End(); }
    int IconSize() override { return ::GetSystemMetrics(SM_CXICON); }
    bool InitCommonControls(std::uint32_t classes) override {
        INITCOMMONCONTROLSEX init{sizeof(INITCOMMONCONTROLSEX), classes};
        return ::InitCommonControlsEx(&init) != FALSE;
    }

private:
    HINSTANCE module_;
    IconHandles icons_;
    ChildClass childClass_;
    WaitCursor waitCursor_;
};

}  // namespace

std::unique_ptr<Backend> NewWin32Backend() {
    return std::make_unique<Win32Backend>();
}

}  // namespace ui::win32
