#include "framework/dialog.h"

#include <cstdint>
#include <cstdio>
#include <utility>

#include "framework/app.h"

BEGIN_MESSAGE_MAP(CDialog, CWnd)
ON_COMMAND(IDOK, OnOK)
ON_COMMAND(IDCANCEL, OnCancel)
END_MESSAGE_MAP()

CDialog::CDialog(UINT templateId, CWnd* parent) : m_nIDTemplate(templateId), m_pParentWnd(parent) {}

CDialog::~CDialog() = default;

namespace {

// The innermost dialog whose modal loop runs now.
CDialog* g_pModalDialog = nullptr;

}  // namespace

int CDialog::DoModal() {
    const ui::DialogTemplate* dialogTemplate = AfxGetResources().FindDialog(m_nIDTemplate);
    if (dialogTemplate == nullptr) {
        return -1;
    }
    m_bEnded = false;
    m_bInCommand = false;
    m_nResult = IDCANCEL;
    m_escaped = nullptr;
    m_lpDialogTemplate = dialogTemplate;
    m_pOuterModal = std::exchange(g_pModalDialog, this);
    AfxGetBackend().RunModalDialog(*dialogTemplate, *this);
    g_pModalDialog = m_pOuterModal;
    m_lpDialogTemplate = nullptr;
    m_pWindow = nullptr;
    m_kind = Kind::none;
    if (m_escaped) {
        std::rethrow_exception(std::exchange(m_escaped, nullptr));
    }
    return m_nResult;
}

bool CDialog::KeepEscapedException() {
    CDialog* dialog = g_pModalDialog;
    if (dialog == nullptr) {
        return false;
    }
    if (!dialog->m_escaped) {
        dialog->m_escaped = std::current_exception();
    }
    dialog->EndDialog(dialog->m_nResult);
    return true;
}

bool CDialog::OnInit(ui::DialogWindow& window) {
    m_pWindow = &window;
    m_kind = Kind::dialog;
    AfxCallWndProc([this] { OnInitDialog(); });
    if (m_bEnded) {
        return false;
    }
    // Initialised and still hidden: the front end shows the window where it is now.
    if (CheckAutoCenter()) {
        CenterWindow(GetOwnerWindow());
    }
    return true;
}

BOOL CDialog::CheckAutoCenter() {
    constexpr std::uint32_t kOwnPlacement = ui::style::kChild | ui::style::kDsAbsAlign |
                                            ui::style::kDsCenter | ui::style::kDsCenterMouse;
    const ui::DialogTemplate* t = m_lpDialogTemplate;
    return t != nullptr && t->x == 0 && t->y == 0 && (t->style & kOwnPlacement) == 0;
}

CWnd* CDialog::GetOwnerWindow() const {
    if (m_pParentWnd != nullptr) {
        return m_pParentWnd;
    }
    CWinApp* app = AfxGetApp();
    return app != nullptr && app->m_pMainWnd != this ? app->m_pMainWnd : nullptr;
}

void CDialog::OnCommand(int id) {
    if (m_bEnded || m_bInCommand) {
        return;
    }
    m_bInCommand = true;
    AfxCallWndProc([this, id] {
        if (const auto* e = FindMessageEntry(WM_COMMAND, BN_CLICKED, static_cast<UINT>(id))) {
            (this->*std::get<AFX_PMSG>(e->pfn))();
        }
    });
    m_bInCommand = false;
}

void CDialog::PaintClient(ui::DeviceContext& dc, const ui::Rect& client) {
    Paint(dc, client);
}

const ui::Icon* CDialog::DragIcon() {
    HICON icon = nullptr;
    AfxCallWndProc([this, &icon] {
        if (const auto* e = FindMessageEntry(WM_QUERYDRAGICON, 0, 0)) {
            icon = (this->*std::get<AFX_PMSG_ICON>(e->pfn))();
        }
    });
    return icon;
}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK() {
    if (!UpdateData(TRUE)) {
        return;
    }
    EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

void CDialog::EndDialog(int result) {
    m_bEnded = true;
    m_nResult = result;
    if (m_pWindow != nullptr) {
        m_pWindow->End(result);
    }
}

BOOL CDialog::UpdateData(BOOL saveAndValidate) {
    CDataExchange dx(this, saveAndValidate);
    try {
        DoDataExchange(&dx);
    } catch (const CUserException&) {
        return FALSE;
    }
    return TRUE;
}

void CDialog::DoDataExchange(CDataExchange*) {}

void DDX_Control(CDataExchange* pDX, int id, CWnd& control) {
    if (control.GetSafeHwnd() == nullptr) {
        control.AttachToControl(pDX->m_pDlgWnd->GetBackendWindow(), id);
    }
}

void DDX_Text(CDataExchange* pDX, int id, CString& value) {
    ui::DialogWindow* window = pDX->m_pDlgWnd->GetBackendWindow();
    if (window == nullptr) {
        return;
    }
    if (pDX->m_bSaveAndValidate) {
        value = CString(window->GetControlText(id));
    } else {
        window->SetControlText(id, value.str());
    }
}

bool AfxScanUnsigned(const CString& text, UINT* value) {
    const std::u16string& s = text.str();
    std::size_t i = 0;
    while (i < s.size() && (s[i] == u' ' || s[i] == u'\t')) {
        ++i;
    }
    if (i < s.size() && s[i] == u'+') {
        ++i;
    }
    const std::size_t digits = i;
    unsigned long long v = 0;
    while (i < s.size() && s[i] >= u'0' && s[i] <= u'9') {
        v = v * 10 + static_cast<unsigned>(s[i] - u'0');
        if (v > 0xFFFFFFFFull) {
            return false;
        }
        ++i;
    }
    if (i == digits) {
        return false;
    }
    while (i < s.size() && (s[i] == u' ' || s[i] == u'\t')) {
        ++i;
    }
    if (i != s.size()) {
        return false;
    }
    *value = static_cast<UINT>(v);
    return true;
}

void DDX_Text(CDataExchange* pDX, int id, UINT& value) {
    ui::DialogWindow* window = pDX->m_pDlgWnd->GetBackendWindow();
    if (window == nullptr) {
        return;
    }
    if (pDX->m_bSaveAndValidate) {
        UINT scanned = 0;
        if (!AfxScanUnsigned(CString(window->GetControlText(id)), &scanned)) {
            AfxMessageBox(u"Enter a positive integer.", MB_ICONEXCLAMATION);
            pDX->Fail();
        }
        value = scanned;
    } else {
        char text[16];
        std::snprintf(text, sizeof text, "%u", value);
        window->SetControlText(id, CString::FromUtf8(text).str());
    }
}
