// The title image path over arbitrary file bytes: the bytes become a file, the image window
// decodes it with the Linux decoder, fits it into a 340 x 251 frame and paints it into an
// offscreen surface. Only the framework's exceptions may leave the window. Checked besides:
// the bitmap's header describes its pixels, the fourth byte of every pixel is 0, a picture
// is never shown larger than the frame unless the fit gave a side below 1, and setting the
// same file again (which reuses the buffers) gives exactly the same picture.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

#include "framework/exceptions.h"
#include "framework/wnd.h"
#include "imaging/q_image_wnd.h"
#include "platform/codecs/picture_codecs.h"
#include "platform/posix/posix_env.h"
#include "support/disk_env.h"
#include "support/temp_dir.h"
#include "ui/offscreen/offscreen_window.h"

namespace {

constexpr int kFrameWidth = 340;
constexpr int kFrameHeight = 251;
constexpr int kFrameControl = 1000;

[[noreturn]] void Fail(const char* what) {
    std::fprintf(stderr, "fuzz_image: %s\n", what);
    std::abort();
}

struct Process {
    testing_support::TempDir folder;
    std::filesystem::path file = folder.path() / "install.jpg";
    platform::Path carried = platform::posix::CarriedPath(file.string());
    std::unique_ptr<platform::ImageDecoder> decoder = platform::codecs::NewImageDecoder();
};

Process& TheProcess() {
    static Process process;
    return process;
}

struct Snapshot {
    int width = 0;
    int height = 0;
    std::vector<BYTE> pixels;
    friend bool operator==(const Snapshot&, const Snapshot&) = default;
};

Snapshot Snap(const CQuickBitmap& b) {
    Snapshot s{b.width, b.height, {}};
    if (b.pixels != nullptr) {
        s.pixels.assign(b.pixels, b.pixels + std::size_t(b.width) * std::size_t(b.height) * 4);
    }
    return s;
}

void CheckBitmap(const CQuickBitmap& b) {
    if (b.pixels == nullptr) {
        return;
    }
    if (b.header == nullptr || b.width <= 0 || b.height <= 0 || b.header->biSize != 40 ||
        b.header->biWidth != b.width || b.header->biHeight != b.height ||
        b.header->biBitCount != 32 || b.header->biPlanes != 1) {
        Fail("the bitmap's header does not describe its pixels");
    }
    const std::size_t count = std::size_t(b.width) * std::size_t(b.height);
    for (std::size_t i = 0; i < count; ++i) {
        if (b.pixels[4 * i + 3] != 0) {
            Fail("a pixel's fourth byte is not 0");
        }
    }
    // Larger than the frame only when the fit came out below one pixel and was skipped.
    if (b.width > kFrameWidth || b.height > kFrameHeight) {
        const double aspect = double(b.height) / double(b.width);
        const bool degenerate = (b.width > kFrameWidth && int(kFrameWidth * aspect) < 1) ||
                                int(kFrameHeight / aspect) < 1;
        if (!degenerate) {
            Fail("the picture is shown larger than its frame");
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Process& p = TheProcess();
    {
        std::ofstream out(p.file, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }

    ui::OffscreenWindow host(ui::Rect{0, 0, 360, 300});
    host.SetControlRect(kFrameControl, ui::Rect{10, 12, 10 + kFrameWidth, 12 + kFrameHeight});
    CWnd dialog;
    CStatic frame;
    dialog.AttachToControl(&host, 0);
    frame.AttachToControl(&host, kFrameControl);
    CQImageWnd window(testing_support::DiskEnv(), *p.decoder);
    if (!window.CreateOver(frame, &dialog)) {
        Fail("the image window was not created");
    }
    try {
        window.SetImageFile(p.carried);
        const Snapshot first = Snap(window.bitmap);
        window.SetImageFile(p.carried);
        if (Snap(window.bitmap) != first) {
            Fail("setting the same picture again changes it");
        }
        CheckBitmap(window.bitmap);
        const ui::OffscreenSurface surface = host.PaintChild(CQImageWnd::IDC_IMAGE_WINDOW);
        if (surface.width() != kFrameWidth || surface.height() != kFrameHeight) {
            Fail("the painted window is not the frame's size");
        }
    } catch (const CException&) {
        // Out of memory for the picture's buffers: the framework reports it.
    }
    return 0;
}
