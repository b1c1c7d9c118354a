// CWnd and its device contexts: windows are front-end objects reached through the UI
// seam. A CWnd is one of: a dialog's own window, a control of a dialog (attached by data
// exchange), or a child window that a dialog created for it.
#pragma once

#include <cstdint>

#include "framework/cstring.h"
#include "framework/msgmap.h"
#include "framework/types.h"
#include "ui/backend.h"
#include "ui/device_context.h"

using CRect = ui::Rect;
using RECT = ui::Rect;
using COLORREF = std::uint32_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;

constexpr COLORREF RGB(int r, int g, int b) {
    return static_cast<COLORREF>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}

inline constexpr int SW_HIDE = 0;
inline constexpr int SW_SHOW = 5;
inline constexpr int SM_CXICON = 11;
inline constexpr int SM_CYICON = 12;

// The desktop's metrics, from the front end.
int GetSystemMetrics(int index);

// A drawing context over a front end's surface; draws nothing when it has none.
class CDC {
public:
    explicit CDC(ui::DeviceContext* dc = nullptr) : m_pDC(dc) {}
    ui::DeviceContext* GetSafeHdc() const { return m_pDC; }

    void FillSolidRect(const CRect& rect, COLORREF color);
    // 32-bit bottom-up pixels (blue, green, red, unused) with their top-left at (x, y),
    // one surface pixel per picture pixel, clipped to the surface.
    void SetDIBitsToDevice(int x, int y, int width, int height, const BYTE* pixels);
    BOOL DrawIcon(int x, int y, HICON icon);

protected:
    ui::DeviceContext* m_pDC;
};

class CWnd;

// The device context of the WM_PAINT being handled by `wnd`.
class CPaintDC : public CDC {
public:
    explicit CPaintDC(CWnd* wnd);
};

class CWnd : public CCmdTarget, public ui::ChildPainter {
public:
    CWnd() = default;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;
    ~CWnd() override;

    // Creates a child window of a dialog over `rect` (the parent's client coordinates).
    // Only children of a dialog that is up can be created; FALSE otherwise.
    virtual BOOL Create(const char16_t* className, const char16_t* windowName, DWORD style,
                        const RECT& rect, CWnd* parent, UINT id, void* context = nullptr);
    // Non-null while the window exists.
    const void* GetSafeHwnd() const { return m_pWindow != nullptr ? this : nullptr; }
    UINT GetDlgCtrlID() const { return static_cast<UINT>(m_nID); }
    // The front end's dialog window this object lives in, or null.
    ui::DialogWindow* GetBackendWindow() const { return m_pWindow; }

    BOOL ShowWindow(int cmdShow);
    // Centres a dialog's own window over the dialog of `alternateOwner` when that one is shown
    // and not minimised, else over the work area of the monitor the window is on; either way
    // it stays inside that work area, its top-left corner first. Nothing else moves.
    void CenterWindow(CWnd* alternateOwner = nullptr);
    void Invalidate(BOOL erase = TRUE);
    BOOL IsIconic() const;
    void GetClientRect(RECT* rect) const;
    // The front ends report rectangles in the dialog's client coordinates, so screen
    // coordinates here are those of the dialog's client area.
    void GetWindowRect(RECT* rect) const;
    void ScreenToClient(RECT* rect) const;
    void SetWindowText(const CString& text);
    CString GetWindowText() const;
    // WM_SETICON, WM_ICONERASEBKGND (wParam: a CDC's GetSafeHdc) and EM_SETREADONLY are
    // understood.
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

    // Attaches this object to control `id` of a dialog window (data exchange does this).
    void AttachToControl(ui::DialogWindow* window, int id);
    void Detach();

    // ui::ChildPainter: a paint request from the front end, handled through the message table.
    void Paint(ui::DeviceContext& dc, const ui::Rect& client) override;

protected:
    friend class CPaintDC;
    friend class CDialog;

    enum class Kind { none, dialog, control, child };

    ui::DialogWindow* m_pWindow = nullptr;  // the dialog window this object lives in
    int m_nID = 0;                          // control or child id; 0 for the dialog itself
    Kind m_kind = Kind::none;
    ui::Rect m_rcChild;                       // a child window's rectangle
    ui::DeviceContext* m_pPaintDC = nullptr;  // during WM_PAINT
};

class CStatic : public CWnd {};

class CEdit : public CWnd {
public:
    BOOL SetReadOnly(BOOL readOnly = TRUE) {
        return SendMessage(EM_SETREADONLY, static_cast<WPARAM>(readOnly), 0) != 0;
    }
};
