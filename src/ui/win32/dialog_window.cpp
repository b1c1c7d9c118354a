#include "ui/win32/dialog_window.h"

#include <windows.h>

#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ui/win32/child_window.h"
#include "ui/win32/gdi_device_context.h"
#include "ui/win32/icon_handles.h"
#include "ui/win32/wait_cursor.h"

namespace ui::win32 {

namespace {

std::wstring Wide(std::u16string_view text) {
    return std::wstring(text.begin(), text.end());
}

Rect FromRect(const RECT& r) {
    return Rect{r.left, r.top, r.right, r.bottom};
}

// The dialog resource `id` of the module as it is, but without WS_VISIBLE: the dialog manager
// would show a visible template's window right after WM_INITDIALOG even when the dialog
// ended itself there; without it, the modal loop shows the window when it starts, which it
// does only for a dialog that has not ended. DWORD-aligned, as templates must be. Empty when
// the module has no such resource.
std::vector<DWORD> HiddenTemplate(HINSTANCE module, int id) {
    HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(id), RT_DIALOG);
    const DWORD size = found != nullptr ? ::SizeofResource(module, found) : 0;
    const void* data = size != 0 ? ::LockResource(::LoadResource(module, found)) : nullptr;
    if (data == nullptr || size < sizeof(DLGTEMPLATE)) {
        return {};
    }
    // Rounded up without an overflow where size_t has 32 bits.
    std::vector<DWORD> copy(size / sizeof(DWORD) + (size % sizeof(DWORD) != 0 ? 1 : 0));
    std::memcpy(copy.data(), data, size);
    // DLGTEMPLATEEX: version 1, signature 0xFFFF, help id, extended style, then the style.
    const auto* words = reinterpret_cast<const WORD*>(copy.data());
    const bool extended = words[0] == 1 && words[1] == 0xFFFF;
    if (extended && size < 16) {
        return {};
    }
    copy[extended ? 3 : 0] &= ~static_cast<DWORD>(WS_VISIBLE);
    return copy;
}

class Window final : public DialogWindow {
public:
    Window(DialogEvents& events, const DialogServices& services)
        : events_(events), services_(services) {}

    int Run(int templateId);
    HWND handle() const { return window_; }

    void SetControlText(int id, std::u16string_view text) override;
    std::u16string GetControlText(int id) override;
    void SetReadOnly(int id, bool readOnly) override;
    Rect ControlRect(int id) override;
    Rect ClientRect() override;
    bool CreateChild(int id, const Rect& rect, ChildPainter& painter) override;
    void InvalidateChild(int id) override;
    void SetIcon(const Icon& icon) override;
    bool IsMinimized() override;
    void EraseIconBackground(DeviceContext& dc) override;
    void End(int result) override;
    Rect WindowRect() override;
    Rect WorkArea() override;
    void MoveTo(int left, int top) override;
    bool IsVisible() override;

private:
    static INT_PTR CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR Handle(UINT message, WPARAM wParam);
    void Command(int id);
    void Paint();

    DialogEvents& events_;
    const DialogServices& services_;
    HWND window_ = nullptr;
    std::map<int, std::unique_ptr<PaintedChild>> children_;
    bool ended_ = false;
    int result_ = IDCANCEL;
};

int Window::Run(int templateId) {
    const std::vector<DWORD> resource = HiddenTemplate(services_.module, templateId);
    if (resource.empty()) {
        return -1;
    }
    const INT_PTR result = ::DialogBoxIndirectParamW(
        services_.module, reinterpret_cast<const DLGTEMPLATE*>(resource.data()), nullptr, Proc,
        reinterpret_cast<LPARAM>(this));
    window_ = nullptr;
    return result == -1 ? -1 : result_;
}

INT_PTR CALLBACK Window::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        ::SetWindowLongPtrW(window, DWLP_USER, lParam);
        reinterpret_cast<Window*>(lParam)->window_ = window;
    }
    auto* self = reinterpret_cast<Window*>(::GetWindowLongPtrW(window, DWLP_USER));
    return self != nullptr ? self->Handle(message, wParam) : FALSE;
}

INT_PTR Window::Handle(UINT message, WPARAM wParam) {
    switch (message) {
        case WM_INITDIALOG: {
            const bool show = events_.OnInit(*this);
            if (!show && !ended_) {
                End(IDCANCEL);
            }
            // TRUE: the system gives the focus to the first control with a tab stop.
            return ended_ ? FALSE : TRUE;
        }
        case WM_COMMAND:
            if (HIWORD(wParam) == BN_CLICKED) {
                Command(LOWORD(wParam));
            }
            return TRUE;
        case WM_PAINT:
            Paint();
            return TRUE;
        case WM_QUERYDRAGICON: {
            const Icon* icon = events_.DragIcon();
            if (icon == nullptr) {
                return FALSE;  // the system's
            }
            return reinterpret_cast<INT_PTR>(
                services_.icons.Get(*icon, ::GetSystemMetrics(SM_CXICON)));
        }
        case WM_SETCURSOR:
            // For the dialog and, through DefWindowProc asking the parent first, its children.
            if (services_.waitCursor.Show()) {
                ::SetWindowLongPtrW(window_, DWLP_MSGRESULT, TRUE);
                return TRUE;
            }
            return FALSE;
        default:
            return FALSE;
    }
}

void Window::Command(int id) {
    if (!ended_) {
        events_.OnCommand(id);
    }
}

void Window::Paint() {
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(window_, &ps);  // the dialog's background is erased here
    if (dc != nullptr) {
        RECT r;
        ::GetClientRect(window_, &r);
        GdiDeviceContext gdi(dc, services_.icons);
        events_.PaintClient(gdi, FromRect(r));
    }
    ::EndPaint(window_, &ps);
}

void Window::SetControlText(int id, std::u16string_view text) {
    ::SetDlgItemTextW(window_, id, Wide(text).c_str());
}

std::u16string Window::GetControlText(int id) {
    HWND control = ::GetDlgItem(window_, id);
    if (control == nullptr) {
        return {};
    }
    std::vector<wchar_t> text(static_cast<std::size_t>(::GetWindowTextLengthW(control)) + 1);
    const int length = ::GetWindowTextW(control, text.data(), static_cast<int>(text.size()));
    return std::u16string(text.begin(), text.begin() + (length > 0 ? length : 0));
}

void Window::SetReadOnly(int id, bool readOnly) {
    ::SendDlgItemMessageW(window_, id, EM_SETREADONLY, readOnly ? TRUE : FALSE, 0);
}

Rect Window::ControlRect(int id) {
    HWND control = ::GetDlgItem(window_, id);
    RECT r{};
    if (control == nullptr || !::GetWindowRect(control, &r)) {
        return {};
    }
    ::MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&r), 2);
    return FromRect(r);
}

Rect Window::ClientRect() {
    RECT r{};
    ::GetClientRect(window_, &r);
    return FromRect(r);
}

bool Window::CreateChild(int id, const Rect& rect, ChildPainter& painter) {
    if (children_.count(id) != 0 || rect.Width() <= 0 || rect.Height() <= 0) {
        return false;
    }
    auto child = std::make_unique<PaintedChild>();
    child->painter = &painter;
    child->icons = &services_.icons;
    if (!CreatePaintedChild(services_.module, window_, id, rect, *child)) {
        return false;
    }
    children_.emplace(id, std::move(child));
    return true;
}

void Window::InvalidateChild(int id) {
    if (const auto it = children_.find(id); it != children_.end() && it->second->window) {
        ::InvalidateRect(it->second->window, nullptr, TRUE);
    }
}

void Window::SetIcon(const Icon& icon) {
    HICON big = services_.icons.Get(icon, ::GetSystemMetrics(SM_CXICON));
    HICON smallIcon = services_.icons.Get(icon, ::GetSystemMetrics(SM_CXSMICON));
    ::SendMessageW(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
    ::SendMessageW(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon));
}

bool Window::IsMinimized() {
    return window_ != nullptr && ::IsIconic(window_);
}

void Window::EraseIconBackground(DeviceContext& dc) {
    if (const auto* gdi = dynamic_cast<const GdiDeviceContext*>(&dc)) {
        ::SendMessageW(window_, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(gdi->native()), 0);
    }
}

Rect Window::WindowRect() {
    RECT r{};
    if (window_ == nullptr || !::GetWindowRect(window_, &r)) {
        return {};
    }
    return FromRect(r);
}

Rect Window::WorkArea() {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    HMONITOR monitor = ::MonitorFromWindow(window_, MONITOR_DEFAULTTONEAREST);
    if (monitor != nullptr && ::GetMonitorInfoW(monitor, &info)) {
        return FromRect(info.rcWork);
    }
    RECT r{};  // the primary monitor's
    return ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0) ? FromRect(r) : Rect{};
}

void Window::MoveTo(int left, int top) {
    if (window_ != nullptr) {
        ::SetWindowPos(window_, nullptr, left, top, 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
    }
}

bool Window::IsVisible() {
    return window_ != nullptr && ::IsWindowVisible(window_);
}

void Window::End(int result) {
    ended_ = true;
    result_ = result;
    if (window_ != nullptr) {
        ::EndDialog(window_, result);
    }
}

}  // namespace

int RunDialog(const DialogTemplate& dialog, DialogEvents& events, const DialogServices& services) {
    Window window(events, services);
    return window.Run(dialog.id);
}

NativeWindow WindowOf(DialogWindow* window) {
    const auto* ours = dynamic_cast<const Window*>(window);
    return ours != nullptr ? ours->handle() : nullptr;
}

}  // namespace ui::win32
