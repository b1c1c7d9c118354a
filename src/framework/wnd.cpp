#include "framework/wnd.h"

#include <algorithm>

#include "framework/app.h"

int GetSystemMetrics(int index) {
    switch (index) {
        case SM_CXICON:
        case SM_CYICON:
            return AfxGetBackend().IconSize();
        default:
            return 0;
    }
}

void CDC::FillSolidRect(const CRect& rect, COLORREF color) {
    if (m_pDC != nullptr) {
        m_pDC->FillSolidRect(rect, ui::Color{static_cast<std::uint8_t>(color & 0xFF),
                                             static_cast<std::uint8_t>((color >> 8) & 0xFF),
                                             static_cast<std::uint8_t>((color >> 16) & 0xFF)});
    }
}

void CDC::SetDIBitsToDevice(int x, int y, int width, int height, const BYTE* pixels) {
    if (m_pDC != nullptr && pixels != nullptr && width > 0 && height > 0) {
        m_pDC->DrawBottomUpPixels(x, y, width, height, pixels);
    }
}

BOOL CDC::DrawIcon(int x, int y, HICON icon) {
    if (m_pDC == nullptr || icon == nullptr) {
        return FALSE;
    }
    m_pDC->DrawIcon(x, y, GetSystemMetrics(SM_CXICON), *icon);
    return TRUE;
}

CPaintDC::CPaintDC(CWnd* wnd) : CDC(wnd != nullptr ? wnd->m_pPaintDC : nullptr) {}

CWnd::~CWnd() = default;

BOOL CWnd::Create(const char16_t*, const char16_t*, DWORD, const RECT& rect, CWnd* parent, UINT id,
                  void*) {
    if (parent == nullptr || parent->m_pWindow == nullptr || m_pWindow != nullptr) {
        return FALSE;
    }
    if (!parent->m_pWindow->CreateChild(static_cast<int>(id), rect, *this)) {
        return FALSE;
    }
    m_pWindow = parent->m_pWindow;
    m_nID = static_cast<int>(id);
    m_kind = Kind::child;
    m_rcChild = rect;
    return TRUE;
}

BOOL CWnd::ShowWindow(int) {
    return m_pWindow != nullptr;
}

namespace {

// Where a window of `size` starts when centred over [overStart, overStart + overSize), kept
// inside [areaStart, areaEnd); one larger than the area starts at its start, so that its
// caption stays within reach.
int CentredStart(int overStart, int overSize, int size, int areaStart, int areaEnd) {
    const int centred = overStart + (overSize - size) / 2;
    return std::max(std::min(centred, areaEnd - size), areaStart);
}

bool IsEmpty(const ui::Rect& r) {
    return r.Width() <= 0 || r.Height() <= 0;
}

}  // namespace

void CWnd::CenterWindow(CWnd* alternateOwner) {
    if (m_pWindow == nullptr || m_kind != Kind::dialog) {
        return;
    }
    ui::DialogWindow& self = *m_pWindow;
    ui::DialogWindow* owner = alternateOwner != nullptr ? alternateOwner->m_pWindow : nullptr;
    if (owner == &self || (owner != nullptr && (!owner->IsVisible() || owner->IsMinimized() ||
                                                IsEmpty(owner->WindowRect())))) {
        owner = nullptr;
    }
    const ui::Rect window = self.WindowRect();
    const ui::Rect area = (owner != nullptr ? owner : &self)->WorkArea();
    if (IsEmpty(window) || IsEmpty(area)) {
        return;  // no screen
    }
    const ui::Rect over = owner != nullptr ? owner->WindowRect() : area;
    self.MoveTo(CentredStart(over.left, over.Width(), window.Width(), area.left, area.right),
                CentredStart(over.top, over.Height(), window.Height(), area.top, area.bottom));
}

void CWnd::Invalidate(BOOL) {
    if (m_pWindow != nullptr && m_kind == Kind::child) {
        m_pWindow->InvalidateChild(m_nID);
    }
}

BOOL CWnd::IsIconic() const {
    return m_pWindow != nullptr && m_kind == Kind::dialog && m_pWindow->IsMinimized();
}

void CWnd::GetClientRect(RECT* rect) const {
    *rect = {};
    if (m_pWindow == nullptr) {
        return;
    }
    switch (m_kind) {
        case Kind::dialog:
            *rect = m_pWindow->ClientRect();
            break;
        case Kind::control: {
            const ui::Rect r = m_pWindow->ControlRect(m_nID);
            *rect = {0, 0, r.Width(), r.Height()};
            break;
        }
        case Kind::child:
            *rect = {0, 0, m_rcChild.Width(), m_rcChild.Height()};
            break;
        case Kind::none:
            break;
    }
}

void CWnd::GetWindowRect(RECT* rect) const {
    *rect = {};
    if (m_pWindow == nullptr) {
        return;
    }
    switch (m_kind) {
        case Kind::dialog:
            *rect = m_pWindow->ClientRect();
            break;
        case Kind::control:
            *rect = m_pWindow->ControlRect(m_nID);
            break;
        case Kind::child:
            *rect = m_rcChild;
            break;
        case Kind::none:
            break;
    }
}

void CWnd::ScreenToClient(RECT*) const {}

void CWnd::SetWindowText(const CString& text) {
    if (m_pWindow != nullptr && m_kind == Kind::control) {
        m_pWindow->SetControlText(m_nID, text.str());
    }
}

CString CWnd::GetWindowText() const {
    if (m_pWindow != nullptr && m_kind == Kind::control) {
        return CString(m_pWindow->GetControlText(m_nID));
    }
    return {};
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_pWindow == nullptr) {
        return 0;
    }
    switch (message) {
        case WM_SETICON:
            if (lParam != 0 && m_kind == Kind::dialog) {
                m_pWindow->SetIcon(*reinterpret_cast<HICON>(lParam));
            }
            return 0;
        case EM_SETREADONLY:
            if (m_kind == Kind::control) {
                m_pWindow->SetReadOnly(m_nID, wParam != 0);
                return 1;
            }
            return 0;
        case WM_ICONERASEBKGND:
            // wParam is the paint context's surface (CDC::GetSafeHdc).
            if (wParam != 0 && m_kind == Kind::dialog) {
                m_pWindow->EraseIconBackground(*reinterpret_cast<ui::DeviceContext*>(wParam));
            }
            return 0;
        default:
            return 0;
    }
}

void CWnd::AttachToControl(ui::DialogWindow* window, int id) {
    m_pWindow = window;
    m_nID = id;
    m_kind = Kind::control;
}

void CWnd::Detach() {
    m_pWindow = nullptr;
    m_nID = 0;
    m_kind = Kind::none;
}

void CWnd::Paint(ui::DeviceContext& dc, const ui::Rect&) {
    m_pPaintDC = &dc;
    struct Reset {
        CWnd* w;
        ~Reset() { w->m_pPaintDC = nullptr; }
    } reset{this};
    AfxCallWndProc([this, &dc] {
        CDC cdc(&dc);
        if (const auto* e = FindMessageEntry(WM_ERASEBKGND, 0, 0)) {
            (this->*std::get<AFX_PMSG_ERASE>(e->pfn))(&cdc);
        }
        if (const auto* e = FindMessageEntry(WM_PAINT, 0, 0)) {
            (this->*std::get<AFX_PMSG>(e->pfn))();
        }
    });
}
