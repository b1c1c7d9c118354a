// CQImageWnd: the child window that shows the title image. The picture is decoded once,
// copied into the window's own 32-bit bitmap, shrunk (never enlarged) to fit frameRect with
// its aspect ratio kept, and painted unscaled and centred on a dark grey background.
#pragma once

#include <cstdint>
#include <span>

#include "framework/cstring.h"
#include "framework/types.h"
#include "framework/wnd.h"
#include "imaging/quick_bitmap.h"
#include "platform/env.h"
#include "platform/image_decoder.h"

class CQImageWnd : public CWnd {
public:
    // The child window id it is created with (the installer's resource ids name it too).
    static constexpr UINT IDC_IMAGE_WINDOW = 123456;

    // Picture files are read through `env` and decoded by `decoder`; both must outlive it.
    CQImageWnd(platform::Env& env, platform::ImageDecoder& decoder)
        : m_env(env), m_decoder(decoder) {}
    ~CQImageWnd() override;

    // Creates the window over `frame` in `dialog`'s client coordinates; only on success
    // takes that rectangle as frameRect and shows the window. Reports nothing on failure.
    BOOL CreateOver(CWnd& frame, CWnd* dialog);
    // Reads and decodes the file and shows its picture, fitted to frameRect. A file that
    // cannot be read or decoded leaves the picture as it was. Raises CMemoryException when
    // the picture's buffers cannot be allocated.
    void SetImageFile(CString path);
    // The same for a picture file's bytes already in memory.
    void SetImage(std::span<const std::uint8_t> file);

    // The largest size the picture is shown in: only its width and height count.
    CRect frameRect;
    // The picture in its displayed size.
    CQuickBitmap bitmap;

protected:
    void OnPaint();
    BOOL OnEraseBkgnd(CDC* pDC);

    DECLARE_MESSAGE_MAP()

private:
    void Show(const platform::DecodedImage& image);

    platform::Env& m_env;
    platform::ImageDecoder& m_decoder;
};
