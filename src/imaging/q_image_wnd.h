// CQImageWnd: the child window that shows the title image. The picture is decoded once,
// copied into the window's own 32-bit bitmap, shrunk (never enlarged) to fit frameRect with
// its aspect ratio kept, and painted unscaled and centred on a dark grey background.
#pragma once

#include "framework/cstring.h"
#include "framework/types.h"
#include "framework/wnd.h"
#include "imaging/quick_bitmap.h"
#include "platform/image_decoder.h"

class CQImageWnd : public CWnd {
public:
    // The child window id it is created with (the installer's resource ids name it too).
    static constexpr UINT IDC_IMAGE_WINDOW = 123456;

    explicit CQImageWnd(platform::ImageDecoder& decoder) : m_decoder(decoder) {}
    ~CQImageWnd() override;

    // Creates the window over `frame` in `dialog`'s client coordinates; only on success
    // takes that rectangle as frameRect and shows the window. Reports nothing on failure.
    BOOL CreateOver(CWnd& frame, CWnd* dialog);
    // Decodes the file and shows its picture, fitted to frameRect. A file that cannot be
    // decoded leaves the picture as it was. Raises CMemoryException when the picture's
    // buffers cannot be allocated.
    void SetImageFile(CString path);

    // The largest size the picture is shown in: only its width and height count.
    CRect frameRect;
    // The picture in its displayed size.
    CQuickBitmap bitmap;

protected:
    void OnPaint();
    BOOL OnEraseBkgnd(CDC* pDC);

    DECLARE_MESSAGE_MAP()

private:
    platform::ImageDecoder& m_decoder;
};
