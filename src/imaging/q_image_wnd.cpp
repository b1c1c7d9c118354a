#include "imaging/q_image_wnd.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>

#include "platform/picture_file.h"

namespace {

// WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN.
constexpr DWORD kImageWindowStyle = 0x52000000;

// The picture's background: red, green and blue 16.
constexpr COLORREF kBackground = RGB(16, 16, 16);

// Truncates toward zero, saturating at the ends of int (a hostile aspect ratio must not
// overflow the conversion).
int TruncateToInt(double v) {
    if (!(v > static_cast<double>(std::numeric_limits<int>::min()))) {
        return std::numeric_limits<int>::min();
    }
    if (!(v < static_cast<double>(std::numeric_limits<int>::max()))) {
        return std::numeric_limits<int>::max();
    }
    return static_cast<int>(v);
}

// True when the decoded picture is one the copy can read: 24 or 32 bits per pixel and every
// row inside its storage.
bool IsCopyable(const platform::DecodedImage& image) {
    if (image.width <= 0 || image.height <= 0) {
        return false;
    }
    if (image.bitsPerPixel != 24 && image.bitsPerPixel != 32) {
        return false;
    }
    const std::uint64_t rowBytes =
        std::uint64_t(image.width) * std::uint64_t(image.bitsPerPixel / 8);
    const std::uint64_t size = image.storage.size();
    const std::uint64_t pitch =
        image.pitch < 0 ? std::uint64_t(-image.pitch) : std::uint64_t(image.pitch);
    if (pitch < rowBytes || image.topRowOffset > size) {
        return false;
    }
    const std::uint64_t span = pitch * std::uint64_t(image.height - 1);
    if (image.pitch >= 0) {
        return span <= size - image.topRowOffset && rowBytes <= size - image.topRowOffset - span;
    }
    return span <= image.topRowOffset && rowBytes <= size - image.topRowOffset;
}

}  // namespace

BEGIN_MESSAGE_MAP(CQImageWnd, CWnd)
ON_WM_ERASEBKGND()
ON_WM_PAINT()
END_MESSAGE_MAP()

CQImageWnd::~CQImageWnd() {
    bitmap.Release();
}

BOOL CQImageWnd::CreateOver(CWnd& frame, CWnd* dialog) {
    CRect rect;
    frame.GetWindowRect(&rect);
    if (dialog != nullptr) {
        dialog->ScreenToClient(&rect);
    }
    if (!Create(nullptr, nullptr, kImageWindowStyle, rect, dialog, IDC_IMAGE_WINDOW, nullptr)) {
        return FALSE;
    }
    frameRect = rect;
    ShowWindow(SW_SHOW);
    return TRUE;
}

void CQImageWnd::SetImageFile(CString path) {
    Show(platform::DecodePictureFile(m_env, m_decoder, path.str()));
}

void CQImageWnd::SetImage(std::span<const std::uint8_t> file) {
    Show(m_decoder.Decode(file));
}

void CQImageWnd::Show(const platform::DecodedImage& image) {
    if (image.width > 0 && IsCopyable(image)) {
        const int w = image.width;
        const int h = image.height;
        bitmap.Create(w, h);

        // Top row first from the decoder; bottom row first in the bitmap. A source alpha
        // byte is dropped and byte 3 stays 0.
        const std::size_t bytesPerPixel = static_cast<std::size_t>(image.bitsPerPixel / 8);
        const std::uint8_t* top = image.TopRow();
        for (int y = 0; y < h; ++y) {
            const std::uint8_t* in = top + static_cast<std::ptrdiff_t>(y) * image.pitch;
            BYTE* out = bitmap.pixels + static_cast<std::size_t>(h - 1 - y) * std::size_t(w) * 4;
            for (int x = 0; x < w; ++x, in += bytesPerPixel, out += 4) {
                out[0] = in[0];
                out[1] = in[1];
                out[2] = in[2];
            }
        }

        // Fit: shrink to the frame's width, then to its height, keeping the aspect ratio.
        const double aspect = static_cast<double>(h) / static_cast<double>(w);
        int newWidth = w;
        int newHeight = h;
        const int availWidth = frameRect.right - frameRect.left;
        const int availHeight = frameRect.bottom - frameRect.top;
        if (w > availWidth) {
            newWidth = availWidth;
            newHeight = TruncateToInt(availWidth * aspect);
        }
        if (newHeight > availHeight) {
            newHeight = availHeight;
            newWidth = TruncateToInt(availHeight / aspect);
        }
        if (newWidth != w || newHeight != h) {
            bitmap.Scale(newWidth, newHeight);
        }
    }
    if (GetSafeHwnd() != nullptr) {
        Invalidate(TRUE);
    }
}

void CQImageWnd::OnPaint() {
    CPaintDC dc(this);
    CRect client;
    GetClientRect(&client);
    dc.FillSolidRect(client, kBackground);
    if (bitmap.pixels != nullptr && bitmap.width > 0 && bitmap.height > 0) {
        const int x = client.left + (client.right - bitmap.width - client.left) / 2;
        const int y = client.top + (client.bottom - bitmap.height - client.top) / 2;
        dc.SetDIBitsToDevice(x, y, bitmap.header->biWidth, bitmap.header->biHeight, bitmap.pixels);
    }
}

BOOL CQImageWnd::OnEraseBkgnd(CDC*) {
    return 0;
}
