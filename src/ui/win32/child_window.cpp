#include "ui/win32/child_window.h"

#include <windows.h>

#include "ui/win32/gdi_device_context.h"

namespace ui::win32 {

namespace {

constexpr wchar_t kClassName[] = L"LarkspanPaintedChild";
constexpr DWORD kChildStyle = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN;  // 0x52000000

LRESULT CALLBACK ChildProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        ::SetWindowLongPtrW(window, GWLP_USERDATA,
                            reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* child = reinterpret_cast<PaintedChild*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    switch (message) {
        case WM_ERASEBKGND:
            return 0;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = ::BeginPaint(window, &ps);
            if (dc != nullptr && child != nullptr && child->painter != nullptr) {
                RECT r;
                ::GetClientRect(window, &r);
                const Rect client{r.left, r.top, r.right, r.bottom};
                GdiDeviceContext gdi(dc, *child->icons);
                child->painter->Paint(gdi, client);
            }
            ::EndPaint(window, &ps);
            return 0;
        }
        case WM_NCDESTROY:
            ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
            if (child != nullptr) {
                child->window = nullptr;
            }
            break;
        default:
            break;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

ChildClass::ChildClass(NativeModule module) : module_(module) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = ChildProc;
    wc.hInstance = module_;
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kClassName;
    registered_ = ::RegisterClassExW(&wc) != 0;
}

ChildClass::~ChildClass() {
    if (registered_) {
        ::UnregisterClassW(kClassName, module_);
    }
}

bool CreatePaintedChild(NativeModule module, NativeWindow parent, int id, const Rect& rect,
                        PaintedChild& child) {
    HWND window = ::CreateWindowExW(
        0, kClassName, L"", kChildStyle, rect.left, rect.top, rect.Width(), rect.Height(), parent,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), module, &child);
    child.window = window;
    return window != nullptr;
}

}  // namespace ui::win32
