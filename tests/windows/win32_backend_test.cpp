// The Win32 backend on the system (under Wine): the dialog built from resource 102, its
// controls and data, the painted child, icons, message boxes, the wait cursor and GDI
// painting. The program carries the installer's own resources.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "resources/app_icon.h"
#include "resources/install_dialog.h"
#include "resources/resource.h"
#include "ui/win32/gdi_device_context.h"
#include "ui/win32/icon_handles.h"
#include "ui/win32/message_box.h"
#include "ui/win32/wait_cursor.h"
#include "ui/win32/win32_backend.h"

namespace {

using ui::BoxAnswer;
using ui::BoxButtons;
using ui::BoxIcon;
using ui::MessageBoxRequest;

constexpr int kImageWindowId = 123456;

// A dialog's events as plain functions; the system window is found by its caption.
class Events final : public ui::DialogEvents {
public:
    std::function<bool(ui::DialogWindow&)> init = [](ui::DialogWindow&) { return true; };
    std::function<void(int)> command = [](int) {};
    std::vector<int> commands;
    const ui::Icon* dragIcon = nullptr;

    bool OnInit(ui::DialogWindow& window) override { return init(window); }
    void OnCommand(int id) override {
        commands.push_back(id);
        command(id);
    }
    const ui::Icon* DragIcon() override { return dragIcon; }
};

HWND DialogHandle() {
    return ::FindWindowW(L"#32770", L"QIB Template Install");
}

// Runs `step` once the modal loop of the dialog runs (a thread timer fires only there) and
// has shown the dialog: the loop shows it when it first finds no message waiting, and a timer
// that expired while a slow machine built the dialog comes first. Waits a second at the most.
std::function<void()> g_step;
int g_waitsForShow = 0;
void CALLBACK RunStep(HWND, UINT, UINT_PTR timer, DWORD) {
    ::KillTimer(nullptr, timer);
    HWND dialog = DialogHandle();
    if (dialog != nullptr && !::IsWindowVisible(dialog) && g_waitsForShow++ < 50) {
        ::SetTimer(nullptr, 0, 20, RunStep);
        return;
    }
    g_waitsForShow = 0;
    auto step = std::move(g_step);
    g_step = nullptr;
    if (step) {
        step();
    }
}
void Later(std::function<void()> step, UINT ms = 50) {
    g_step = std::move(step);
    ::SetTimer(nullptr, 0, ms, RunStep);
}

// Every WM_SHOWWINDOW that shows the dialog, seen by a hook on this thread.
bool g_dialogShown = false;
LRESULT CALLBACK WatchShow(int code, WPARAM wParam, LPARAM lParam) {
    const auto* msg = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && msg->message == WM_SHOWWINDOW && msg->wParam != 0 &&
        msg->hwnd == DialogHandle()) {
        g_dialogShown = true;
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

class Win32Backend : public ::testing::Test {
protected:
    std::unique_ptr<ui::Backend> backend = ui::win32::NewWin32Backend();
    const ui::DialogTemplate& dialog = resources::InstallDialogTemplate();
    Events events;

    int Run() { return backend->RunModalDialog(dialog, events); }
};

TEST_F(Win32Backend, ADialogEndedDuringInitialisationNeverShows) {
    HHOOK hook = ::SetWindowsHookExW(WH_CALLWNDPROC, WatchShow, nullptr, ::GetCurrentThreadId());
    g_dialogShown = false;
    bool hiddenDuringInit = false;
    events.init = [&](ui::DialogWindow& window) {
        hiddenDuringInit = DialogHandle() != nullptr && !::IsWindowVisible(DialogHandle());
        window.End(IDCANCEL);
        return false;
    };
    EXPECT_EQ(Run(), IDCANCEL);
    ::UnhookWindowsHookEx(hook);
    EXPECT_TRUE(hiddenDuringInit);
    EXPECT_FALSE(g_dialogShown);
    EXPECT_EQ(DialogHandle(), nullptr);
}

TEST_F(Win32Backend, ControlsCarryTheTemplatesStylesAndTheExchangedData) {
    events.init = [&](ui::DialogWindow& window) {
        HWND hwnd = DialogHandle();
        // A caption and a sizing border, no close, minimise or maximise button.
        const DWORD style = static_cast<DWORD>(::GetWindowLongW(hwnd, GWL_STYLE));
        EXPECT_EQ(style & (WS_POPUP | WS_CAPTION | WS_THICKFRAME),
                  static_cast<DWORD>(WS_POPUP | WS_CAPTION | WS_THICKFRAME));
        EXPECT_EQ(style & (WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX), 0u);
        EXPECT_EQ(static_cast<DWORD>(::GetWindowLongW(hwnd, GWL_EXSTYLE)) & WS_EX_APPWINDOW,
                  static_cast<DWORD>(WS_EX_APPWINDOW));
        for (const ui::ControlTemplate& c : dialog.controls) {
            if (c.id == IDC_STATIC) {
                continue;
            }
            SCOPED_TRACE(c.id);
            // Where the dialog manager put it: the template's units in this font and DPI.
            RECT units{c.x, c.y, c.cx, c.cy};
            ::MapDialogRect(hwnd, &units);
            const ui::Rect expected{units.left, units.top, units.left + units.right,
                                    units.top + units.bottom};
            EXPECT_EQ(window.ControlRect(c.id), expected);
            // An edit control draws its border as a sunken client edge.
            HWND control = ::GetDlgItem(hwnd, c.id);
            DWORD style = static_cast<DWORD>(::GetWindowLongW(control, GWL_STYLE));
            if (c.controlClass == ui::ControlClass::edit &&
                (::GetWindowLongW(control, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) != 0) {
                style |= WS_BORDER;
            }
            EXPECT_EQ(style, c.style);
        }
        // Text in and out, the unsigned version and the description's line breaks included.
        for (const auto& [id, text] : std::vector<std::pair<int, std::u16string>>{
                 {IDC_REQUIRED_VERSION, u"4294967295"},
                 {IDC_PACKAGE_NAME, u"N\u00e4me \u4e2d"},
                 {IDC_DESCRIPTION, u"one\r\ntwo\r\n\r\nfour"},
                 {IDC_SUBFOLDER, u""}}) {
            window.SetControlText(id, text);
            EXPECT_EQ(window.GetControlText(id), text);
        }
        HWND subfolder = ::GetDlgItem(hwnd, IDC_SUBFOLDER);
        window.SetReadOnly(IDC_SUBFOLDER, true);
        EXPECT_NE(::GetWindowLongW(subfolder, GWL_STYLE) & ES_READONLY, 0);
        window.SetReadOnly(IDC_SUBFOLDER, false);
        EXPECT_EQ(::GetWindowLongW(subfolder, GWL_STYLE) & ES_READONLY, 0);
        EXPECT_FALSE(window.IsMinimized());
        RECT client;
        ::GetClientRect(hwnd, &client);
        EXPECT_EQ(window.ClientRect(), (ui::Rect{0, 0, client.right, client.bottom}));
        window.End(IDCANCEL);
        return false;
    };
    Run();
}

// Paints what it is asked to paint in one colour, and remembers the client rectangles.
class Painter final : public ui::ChildPainter {
public:
    std::vector<ui::Rect> painted;
    void Paint(ui::DeviceContext& dc, const ui::Rect& client) override {
        painted.push_back(client);
        dc.FillSolidRect(client, ui::Color{16, 16, 16});
    }
};

TEST_F(Win32Backend, TheImageWindowLiesOverTheFrameAndPaintsThroughTheSeam) {
    Painter painter;
    HWND child = nullptr;
    ui::Rect frame;
    events.init = [&](ui::DialogWindow& window) {
        frame = window.ControlRect(IDC_IMAGE_FRAME);
        EXPECT_TRUE(window.CreateChild(kImageWindowId, frame, painter));
        EXPECT_FALSE(window.CreateChild(kImageWindowId, frame, painter)) << "one per id";
        EXPECT_FALSE(window.CreateChild(7, ui::Rect{}, painter)) << "an empty rectangle";
        child = ::GetDlgItem(DialogHandle(), kImageWindowId);
        return true;
    };
    Later([&] {
        ASSERT_NE(child, nullptr);
        EXPECT_EQ(static_cast<DWORD>(::GetWindowLongW(child, GWL_STYLE)), 0x52000000u);
        RECT r;
        ::GetWindowRect(child, &r);
        ::MapWindowPoints(nullptr, DialogHandle(), reinterpret_cast<POINT*>(&r), 2);
        EXPECT_EQ((ui::Rect{r.left, r.top, r.right, r.bottom}), frame);
        HDC dc = ::GetDC(child);
        EXPECT_EQ(::SendMessageW(child, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0), 0);
        ::ReleaseDC(child, dc);
        painter.painted.clear();
        ::RedrawWindow(child, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        ASSERT_FALSE(painter.painted.empty());
        EXPECT_EQ(painter.painted.back(), (ui::Rect{0, 0, frame.Width(), frame.Height()}));
        ::EndDialog(DialogHandle(), IDCANCEL);
    });
    Run();
}

TEST_F(Win32Backend, IconsComeFromIconResource128) {
    events.dragIcon = &resources::AppIcon();
    events.init = [&](ui::DialogWindow& window) {
        window.SetIcon(resources::AppIcon());
        return true;
    };
    Later([&] {
        HWND hwnd = DialogHandle();
        const auto big = reinterpret_cast<HICON>(::SendMessageW(hwnd, WM_GETICON, ICON_BIG, 0));
        const auto smallIcon =
            reinterpret_cast<HICON>(::SendMessageW(hwnd, WM_GETICON, ICON_SMALL, 0));
        ASSERT_NE(big, nullptr);
        ASSERT_NE(smallIcon, nullptr);
        const auto width = [](HICON icon) {
            ICONINFO info{};
            ::GetIconInfo(icon, &info);
            BITMAP bitmap{};
            ::GetObjectW(info.hbmColor, sizeof bitmap, &bitmap);
            ::DeleteObject(info.hbmColor);
            ::DeleteObject(info.hbmMask);
            return bitmap.bmWidth;
        };
        EXPECT_EQ(width(big), ::GetSystemMetrics(SM_CXICON));
        EXPECT_EQ(width(smallIcon), ::GetSystemMetrics(SM_CXSMICON));
        EXPECT_EQ(reinterpret_cast<HICON>(::SendMessageW(hwnd, WM_QUERYDRAGICON, 0, 0)), big);
        ::EndDialog(hwnd, IDCANCEL);
    });
    Run();
}

TEST_F(Win32Backend, ShownWithInstallFocusedAndDefault_EnterIsInstall_EscapeIsCancel) {
    bool checked = false;
    Later([&] {
        HWND hwnd = DialogHandle();
        EXPECT_TRUE(::IsWindowVisible(hwnd));
        EXPECT_EQ(::GetFocus(), ::GetDlgItem(hwnd, IDOK));
        EXPECT_EQ(LOWORD(::SendMessageW(hwnd, DM_GETDEFID, 0, 0)), IDOK);
        // The keys as the modal loop gets them: through the dialog manager.
        ::PostMessageW(::GetFocus(), WM_KEYDOWN, VK_RETURN, 0);
        ::PostMessageW(::GetDlgItem(hwnd, IDC_SUBFOLDER), WM_KEYDOWN, VK_ESCAPE, 0);
        checked = true;
    });
    events.command = [&](int id) {
        if (id == IDCANCEL) {
            ::EndDialog(DialogHandle(), IDCANCEL);
        }
    };
    Run();
    EXPECT_TRUE(checked);
    EXPECT_EQ(events.commands, (std::vector<int>{IDOK, IDCANCEL}));
}

// The verbs the framework places the dialog with, against the system's own view.
TEST_F(Win32Backend, KnowsItsPlaceOnTheScreenAndShowsWhereItWasMoved) {
    RECT before{}, work{};
    ASSERT_TRUE(::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0));
    bool checkedHidden = false, checkedShown = false;
    events.init = [&](ui::DialogWindow& window) {
        HWND hwnd = DialogHandle();
        ::GetWindowRect(hwnd, &before);
        EXPECT_EQ(window.WindowRect(),
                  (ui::Rect{before.left, before.top, before.right, before.bottom}));
        // The dialog manager put it at its template's place: 0,0 on the screen.
        EXPECT_EQ(before.left, 0);
        EXPECT_EQ(before.top, 0);
        // One monitor: its work area is the system's.
        EXPECT_EQ(window.WorkArea(), (ui::Rect{work.left, work.top, work.right, work.bottom}));
        EXPECT_FALSE(window.IsVisible());
        window.MoveTo(101, 57);
        EXPECT_FALSE(::IsWindowVisible(hwnd));  // moving does not show it
        checkedHidden = true;
        return true;
    };
    Later([&] {
        HWND hwnd = DialogHandle();
        RECT now{};
        ::GetWindowRect(hwnd, &now);
        EXPECT_EQ(now.left, 101);
        EXPECT_EQ(now.top, 57);
        EXPECT_EQ(now.right - now.left, before.right - before.left);
        EXPECT_EQ(now.bottom - now.top, before.bottom - before.top);
        EXPECT_TRUE(::IsWindowVisible(hwnd));
        checkedShown = true;
        ::EndDialog(hwnd, IDCANCEL);
    });
    Run();
    EXPECT_TRUE(checkedHidden);
    EXPECT_TRUE(checkedShown);
}

// The message box that is up, answered by its button; its owner and text recorded.
struct SeenBox {
    HWND owner = nullptr;
    std::wstring title, text;
    LONG exStyle = 0;
};
SeenBox g_seen;
void AnswerBoxLater(const wchar_t* title, int button) {
    Later([title, button] {
        HWND box = ::FindWindowW(L"#32770", title);
        if (box == nullptr) {
            AnswerBoxLater(title, button);  // not up yet
            return;
        }
        g_seen.owner = ::GetWindow(box, GW_OWNER);
        wchar_t text[256] = {};
        ::GetDlgItemTextW(box, 0xFFFF, text, 256);  // the box's static text
        g_seen.text = text;
        g_seen.exStyle = ::GetWindowLongW(box, GWL_EXSTYLE);
        ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
    });
}

TEST_F(Win32Backend, MessageBoxesAreOwnedByTheDialogWhileItExists) {
    MessageBoxRequest question{u"File Exist\nContinue?", u"boxtest", BoxButtons::yesNo,
                               BoxIcon::question, false};
    BoxAnswer answer = BoxAnswer::ok;
    HWND dialogWindow = nullptr;
    events.init = [&](ui::DialogWindow& window) {
        dialogWindow = DialogHandle();
        AnswerBoxLater(L"boxtest", IDNO);
        answer = backend->ShowMessageBox(question, &window);
        window.End(IDCANCEL);
        return false;
    };
    Run();
    EXPECT_EQ(answer, BoxAnswer::no);
    EXPECT_EQ(g_seen.owner, dialogWindow);
    EXPECT_EQ(g_seen.text, L"File Exist\nContinue?");

    // Without a dialog: no owner.
    MessageBoxRequest ok{u"Out of memory.", u"boxtest", BoxButtons::ok, BoxIcon::exclamation, true};
    AnswerBoxLater(L"boxtest", IDOK);
    EXPECT_EQ(backend->ShowMessageBox(ok, nullptr), BoxAnswer::ok);
    EXPECT_EQ(g_seen.owner, nullptr);
}

TEST(MessageBoxType, FlagsAndAnswers) {
    struct Case {
        BoxButtons buttons;
        BoxIcon icon;
        bool systemModal;
        UINT type;
    };
    for (const Case& c : {
             Case{BoxButtons::ok, BoxIcon::exclamation, false, MB_OK | MB_ICONEXCLAMATION},
             Case{BoxButtons::yesNo, BoxIcon::question, false, MB_YESNO | MB_ICONQUESTION},
             Case{BoxButtons::ok, BoxIcon::stop, false, MB_OK | MB_ICONSTOP},
             Case{BoxButtons::ok, BoxIcon::exclamation, true,
                  MB_OK | MB_ICONEXCLAMATION | MB_SYSTEMMODAL},
         }) {
        const MessageBoxRequest box{u"t", u"a", c.buttons, c.icon, c.systemModal};
        EXPECT_EQ(ui::win32::MessageBoxType(box), c.type);
    }
    const MessageBoxRequest yesNo{u"t", u"a", BoxButtons::yesNo, BoxIcon::question, false};
    EXPECT_EQ(ui::win32::AnswerOf(yesNo, IDYES), BoxAnswer::yes);
    EXPECT_EQ(ui::win32::AnswerOf(yesNo, IDNO), BoxAnswer::no);
    EXPECT_EQ(ui::win32::AnswerOf(yesNo, 0), BoxAnswer::no) << "a failed box answers No";
    const MessageBoxRequest ok{u"t", u"a", BoxButtons::ok, BoxIcon::exclamation, false};
    EXPECT_EQ(ui::win32::AnswerOf(ok, IDOK), BoxAnswer::ok);
}

TEST_F(Win32Backend, TheWaitCursorCoversTheDialogAndItsChildrenAndIsRestored) {
    const HCURSOR wait = ::LoadCursorW(nullptr, IDC_WAIT);
    const HCURSOR arrow = ::LoadCursorW(nullptr, IDC_ARROW);
    ::SetCursor(arrow);
    backend->BeginWaitCursor();
    EXPECT_EQ(::GetCursor(), wait);
    backend->BeginWaitCursor();
    backend->EndWaitCursor();
    EXPECT_EQ(::GetCursor(), wait) << "nested: still busy";
    events.init = [&](ui::DialogWindow& window) {
        HWND hwnd = DialogHandle();
        for (int id : {IDC_DESCRIPTION, IDOK, 0}) {
            HWND target = id == 0 ? hwnd : ::GetDlgItem(hwnd, id);
            ::SetCursor(arrow);
            EXPECT_TRUE(::SendMessageW(target, WM_SETCURSOR, reinterpret_cast<WPARAM>(target),
                                       MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)))
                << id;
            EXPECT_EQ(::GetCursor(), wait) << id;
        }
        // A box sets its own cursor; the wait cursor comes back when it is answered.
        MessageBoxRequest box{u"Error", u"boxtest", BoxButtons::ok, BoxIcon::exclamation, false};
        AnswerBoxLater(L"boxtest", IDOK);
        backend->ShowMessageBox(box, &window);
        EXPECT_EQ(::GetCursor(), wait);
        window.End(IDCANCEL);
        return false;
    };
    Run();
    backend->EndWaitCursor();
    EXPECT_EQ(::GetCursor(), arrow);
    // Not busy: the controls choose their own cursors again.
    events.init = [&](ui::DialogWindow& window) {
        HWND hwnd = DialogHandle();
        EXPECT_FALSE(::SendMessageW(hwnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(hwnd),
                                    MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)) &&
                     ::GetCursor() == wait);
        window.End(IDCANCEL);
        return false;
    };
    Run();
}

// A 32-bit top-down memory surface to paint on and read back.
class Surface {
public:
    Surface(int width, int height) : width_(width) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        dc_ = ::CreateCompatibleDC(nullptr);
        void* bits = nullptr;
        bitmap_ = ::CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        bits_ = static_cast<const std::uint32_t*>(bits);
        old_ = ::SelectObject(dc_, bitmap_);
    }
    ~Surface() {
        ::SelectObject(dc_, old_);
        ::DeleteObject(bitmap_);
        ::DeleteDC(dc_);
    }
    HDC dc() const { return dc_; }
    // 0xRRGGBB
    std::uint32_t At(int x, int y) const {
        ::GdiFlush();
        return bits_[y * width_ + x] & 0xFFFFFF;
    }

private:
    int width_;
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ old_;
    const std::uint32_t* bits_ = nullptr;
};

TEST(GdiDeviceContext, FillsAndDrawsBottomUpPixelsOneToOneClipped) {
    Surface surface(8, 6);
    ui::win32::IconHandles icons(::GetModuleHandleW(nullptr));
    ui::win32::GdiDeviceContext dc(surface.dc(), icons);
    dc.FillSolidRect(ui::Rect{0, 0, 8, 6}, ui::Color{16, 16, 16});
    EXPECT_EQ(surface.At(7, 5), 0x101010u);

    // A 3 x 2 picture, bottom row first in memory: the top row is red, the bottom blue.
    const std::uint8_t pixels[] = {
        255, 0, 0,   0, 255, 0, 0,   0, 255, 0,   0, 0,  // bottom row: blue
        0,   0, 255, 0, 0,   0, 255, 0, 0,   255, 0, 0,  // top row: red, red, green
    };
    dc.DrawBottomUpPixels(2, 1, 3, 2, pixels);
    EXPECT_EQ(surface.At(2, 1), 0xFF0000u);
    EXPECT_EQ(surface.At(4, 1), 0x00FF00u);
    EXPECT_EQ(surface.At(2, 2), 0x0000FFu);
    EXPECT_EQ(surface.At(1, 1), 0x101010u);
    EXPECT_EQ(surface.At(5, 2), 0x101010u);
    EXPECT_EQ(surface.At(2, 3), 0x101010u);

    // Partly outside: what lies inside is drawn, nothing wraps around.
    dc.FillSolidRect(ui::Rect{0, 0, 8, 6}, ui::Color{16, 16, 16});
    dc.DrawBottomUpPixels(-2, -1, 3, 2, pixels);
    EXPECT_EQ(surface.At(0, 0), 0x0000FFu) << "the picture's bottom-right pixel";
    EXPECT_EQ(surface.At(1, 0), 0x101010u);
    EXPECT_EQ(surface.At(7, 5), 0x101010u);
}

TEST(GdiDeviceContext, DrawsTheProgramIcon) {
    const int size = ::GetSystemMetrics(SM_CXICON);
    Surface surface(size + 4, size + 4);
    ui::win32::IconHandles icons(::GetModuleHandleW(nullptr));
    ui::win32::GdiDeviceContext dc(surface.dc(), icons);
    dc.FillSolidRect(ui::Rect{0, 0, size + 4, size + 4}, ui::Color{16, 16, 16});
    dc.DrawIcon(2, 2, size, resources::AppIcon());
    EXPECT_NE(surface.At(2 + size / 2, 2 + size / 2), 0x101010u);
    EXPECT_EQ(surface.At(0, 0), 0x101010u);
    EXPECT_EQ(surface.At(size + 3, size + 3), 0x101010u);
}

}  // namespace
