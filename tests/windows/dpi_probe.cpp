// Measures the running installer's dialog from outside, as another DPI-aware program on the
// same desktop: its controls must sit where the dialog manager maps the template through the
// base units of the dialog's font at the screen's DPI, no text may be cut, and the image
// window must cover the picture frame exactly.
//   dpi_probe.exe DPI [--may-cut TEXT]
// --may-cut names a label that fits or misses by a pixel with the font metrics of one Wine
// installation or another: whether it is cut is reported, never failed.
// Prints "base X Y" and "image LEFT TOP WIDTH HEIGHT" (screen pixels) on standard output, one
// line per failed check on standard error; exit status 0 when every check passes, 1 when one
// fails, 2 when there is no dialog to measure.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "resources/install_dialog.h"
#include "resources/resource.h"

namespace {

constexpr int kImageWindowId = 123456;

int g_failures = 0;

void Fail(const std::wstring& what) {
    std::fwprintf(stderr, L"dpi_probe: %ls\n", what.c_str());
    ++g_failures;
}

std::wstring Text(HWND window) {
    wchar_t buffer[512] = {};
    ::GetWindowTextW(window, buffer, 512);
    return buffer;
}

std::wstring Wide(std::u16string_view text) {
    return std::wstring(text.begin(), text.end());
}

std::wstring Show(const RECT& r) {
    return std::to_wstring(r.left) + L"," + std::to_wstring(r.top) + L" " +
           std::to_wstring(r.right - r.left) + L"x" + std::to_wstring(r.bottom - r.top);
}

bool operator==(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// A window's rectangle in the dialog's client coordinates.
RECT InDialog(HWND dialog, HWND control) {
    RECT r;
    ::GetWindowRect(control, &r);
    ::MapWindowPoints(HWND_DESKTOP, dialog, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// The control the template entry made: by id, or for the shared static id by its text.
HWND ControlOf(HWND dialog, const ui::ControlTemplate& c) {
    if (c.id != IDC_STATIC) {
        return ::GetDlgItem(dialog, c.id);
    }
    const std::wstring wanted = Wide(c.text);
    for (HWND child = ::GetWindow(dialog, GW_CHILD); child != nullptr;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
        const int id = ::GetDlgCtrlID(child);
        if (id != IDC_STATIC && id != 0xFFFF) {
            continue;
        }
        const std::wstring text = Text(child);
        if (text == wanted) {
            return child;
        }
    }
    return nullptr;
}

// The dialog's font as the dialog manager makes it from the template, selected into a
// screen DC for the lifetime of this object.
class DialogFont {
public:
    DialogFont(const ui::DialogTemplate& t, int dpi) : dc_(::GetDC(nullptr)) {
        font_ = ::CreateFontW(-::MulDiv(t.pointSize, dpi, 72), 0, 0, 0, FW_DONTCARE, FALSE, FALSE,
                              FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                              PROOF_QUALITY, FF_DONTCARE, Wide(t.fontFace).c_str());
        old_ = ::SelectObject(dc_, font_);
        ::GetTextMetricsW(dc_, &metrics_);
        // The dialog base units of a font: the average width of the Latin letters, rounded,
        // and the character height.
        const wchar_t letters[] = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
        SIZE size{};
        ::GetTextExtentPoint32W(dc_, letters, 52, &size);
        baseX_ = (size.cx / 26 + 1) / 2;
        baseY_ = metrics_.tmHeight;
    }
    ~DialogFont() {
        ::SelectObject(dc_, old_);
        ::DeleteObject(font_);
        ::ReleaseDC(nullptr, dc_);
    }
    DialogFont(const DialogFont&) = delete;
    DialogFont& operator=(const DialogFont&) = delete;

    int baseX() const { return baseX_; }
    int baseY() const { return baseY_; }
    int height() const { return metrics_.tmHeight; }
    int em() const { return metrics_.tmHeight - metrics_.tmInternalLeading; }
    // The rectangle `text` takes when broken into lines `width` pixels wide.
    RECT Laid(const std::wstring& text, int width) const {
        RECT r{0, 0, width, 0};
        ::DrawTextW(dc_, text.c_str(), static_cast<int>(text.size()), &r,
                    DT_CALCRECT | DT_LEFT | DT_EXPANDTABS | DT_WORDBREAK);
        return r;
    }
    SIZE Extent(const std::wstring& text) const {
        SIZE size{};
        ::GetTextExtentPoint32W(dc_, text.c_str(), static_cast<int>(text.size()), &size);
        return size;
    }

private:
    HDC dc_;
    HFONT font_ = nullptr;
    HGDIOBJ old_ = nullptr;
    TEXTMETRICW metrics_{};
    int baseX_ = 0;
    int baseY_ = 0;
};

HWND WaitForDialog(const ui::DialogTemplate& t) {
    for (int i = 0; i < 300; ++i) {
        HWND dialog = ::FindWindowW(L"#32770", Wide(t.caption).c_str());
        if (dialog != nullptr && ::IsWindowVisible(dialog) &&
            ::GetDlgItem(dialog, kImageWindowId) != nullptr) {
            return dialog;
        }
        ::Sleep(100);
    }
    return nullptr;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2 && !(argc == 4 && std::wstring(argv[2]) == L"--may-cut")) {
        std::fwprintf(stderr, L"usage: dpi_probe DPI [--may-cut TEXT]\n");
        return 2;
    }
    const std::wstring mayCut = argc == 4 ? argv[3] : L"";
    // Physical pixels, as the installer (DPI-aware itself) sees them.
    ::SetProcessDPIAware();
    const int dpi = _wtoi(argv[1]);
    const ui::DialogTemplate& t = resources::InstallDialogTemplate();
    HWND dialog = WaitForDialog(t);
    if (dialog == nullptr) {
        std::fwprintf(stderr, L"dpi_probe: no dialog \"%ls\" appeared\n", Wide(t.caption).c_str());
        return 2;
    }

    HDC screen = ::GetDC(nullptr);
    const int screenDpi = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
    if (screenDpi != dpi) {
        Fail(L"the screen has " + std::to_wstring(screenDpi) + L" DPI, not " +
             std::to_wstring(dpi));
    }

    const DialogFont font(t, dpi);
    std::printf("base %d %d\n", font.baseX(), font.baseY());
    // The font grows with the DPI: its em is 8 points at this DPI (to the pixel the font's
    // hinting rounds to), its average letter 6 pixels wide at 96 DPI and in proportion.
    if (std::abs(font.em() - ::MulDiv(t.pointSize, dpi, 72)) > 1 ||
        std::abs(font.baseX() * 96 - 6 * dpi) > 96) {
        Fail(L"the dialog font (em " + std::to_wstring(font.em()) + L", base units " +
             std::to_wstring(font.baseX()) + L"x" + std::to_wstring(font.baseY()) +
             L") does not follow " + std::to_wstring(dpi) + L" DPI");
    }
    const auto mapX = [&](int units) { return ::MulDiv(units, font.baseX(), 4); };
    const auto mapY = [&](int units) { return ::MulDiv(units, font.baseY(), 8); };

    RECT client;
    ::GetClientRect(dialog, &client);
    const RECT wantedClient{0, 0, mapX(t.cx), mapY(t.cy)};
    if (!(client == wantedClient)) {
        Fail(L"dialog client " + Show(client) + L", expected " + Show(wantedClient));
    }

    for (const ui::ControlTemplate& c : t.controls) {
        const std::wstring name =
            L"control " + std::to_wstring(c.id) + L" \"" + Wide(c.text) + L"\"";
        HWND control = ControlOf(dialog, c);
        if (control == nullptr) {
            Fail(name + L" missing");
            continue;
        }
        const RECT at = InDialog(dialog, control);
        const RECT wanted{mapX(c.x), mapY(c.y), mapX(c.x) + mapX(c.cx), mapY(c.y) + mapY(c.cy)};
        if (!(at == wanted)) {
            Fail(name + L" at " + Show(at) + L", expected " + Show(wanted));
        }
        if (at.left < 0 || at.top < 0 || at.right > client.right || at.bottom > client.bottom) {
            Fail(name + L" at " + Show(at) + L" reaches outside the dialog " + Show(client));
        }
        // Its text within its client area: a line's height; a label's text broken into lines
        // at its width, a button's or a one-line edit's text on one line.
        RECT inside;
        ::GetClientRect(control, &inside);
        const std::wstring text = Text(control);
        const bool multiline =
            c.controlClass == ui::ControlClass::edit && (c.style & ES_MULTILINE) != 0;
        const int margin = c.controlClass == ui::ControlClass::button ? 4 : 0;
        const SIZE extent = font.Extent(text);
        if (font.height() + margin > inside.bottom) {
            Fail(name + L": a line of text is " + std::to_wstring(font.height()) +
                 L" pixels high, its client area " + std::to_wstring(inside.bottom));
        }
        if (c.controlClass == ui::ControlClass::staticText) {
            // As the static control lays its text out: broken into lines at its width.
            const RECT laid = font.Laid(text, inside.right);
            const bool cut = laid.bottom > inside.bottom || laid.right > inside.right;
            const std::wstring how = name + L": its text takes " + Show(laid) +
                                     L" pixels laid out, its client area " + Show(inside);
            if (!mayCut.empty() && text == mayCut) {
                std::printf("%s: %ls\n", cut ? "cut, as it may be" : "fits", how.c_str());
            } else if (cut) {
                Fail(how);
            }
        } else if (!text.empty() && !multiline && extent.cx + margin > inside.right) {
            Fail(name + L": its text \"" + text + L"\" is " + std::to_wstring(extent.cx) +
                 L" pixels wide, its client area " + std::to_wstring(inside.right));
        }
    }

    // The image window lies exactly over the picture frame.
    HWND image = ::GetDlgItem(dialog, kImageWindowId);
    HWND frame = ::GetDlgItem(dialog, IDC_IMAGE_FRAME);
    RECT imageRect{}, frameRect{};
    ::GetWindowRect(image, &imageRect);
    ::GetWindowRect(frame, &frameRect);
    if (!(imageRect == frameRect)) {
        Fail(L"the image window " + Show(imageRect) + L" does not cover the frame " +
             Show(frameRect));
    }
    std::printf("image %ld %ld %ld %ld\n", imageRect.left, imageRect.top,
                imageRect.right - imageRect.left, imageRect.bottom - imageRect.top);
    return g_failures == 0 ? 0 : 1;
}
