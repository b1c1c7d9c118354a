// IDC_WAIT over the front end's dialogs while at least one operation is busy.
#pragma once

namespace ui::win32 {

class WaitCursor {
public:
    WaitCursor() = default;
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

    // Nested: the wait cursor shows from the first Begin to the matching last End, which
    // puts back the cursor that was there before the first.
    void Begin();
    void End();
    bool Busy() const { return depth_ > 0; }
    // Sets the wait cursor again while busy (after a message box, whose loop set its own);
    // true when it did. The dialogs call it for WM_SETCURSOR over themselves and their
    // children.
    bool Show() const;

private:
    int depth_ = 0;
    void* restore_ = nullptr;  // the cursor before the first Begin
};

}  // namespace ui::win32
