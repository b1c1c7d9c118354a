#include "framework/app.h"

#include <algorithm>
#include <cassert>
#include <new>

#include "framework/dialog.h"
#include "framework/exceptions.h"
#include "framework/shell.h"
#include "framework/wnd.h"

namespace {
CWinApp* g_app = nullptr;
}

BEGIN_MESSAGE_MAP(CWinApp, CCmdTarget)
ON_COMMAND(ID_HELP, OnHelp)
END_MESSAGE_MAP()

CWinApp::CWinApp(const char16_t* appName) : m_pszAppName(appName) {
    assert(g_app == nullptr && "one application object at a time");
    g_app = this;
}

CWinApp::~CWinApp() {
    if (g_app == this) {
        g_app = nullptr;
    }
}

BOOL CWinApp::InitInstance() {
    return TRUE;
}

HICON CWinApp::LoadIcon(UINT id) const {
    return m_services.resources != nullptr ? m_services.resources->FindIcon(id) : nullptr;
}

void CWinApp::Attach(const AfxServices& services, const CString& executablePath) {
    m_services = services;
    if (!m_pszAppName.IsEmpty()) {
        return;
    }
    if (services.resources != nullptr) {
        m_pszAppName = services.resources->FindString(AFX_IDS_APP_TITLE);
    }
    if (m_pszAppName.IsEmpty()) {
        const int slash =
            std::max(executablePath.ReverseFind(u'/'), executablePath.ReverseFind(u'\\'));
        CString name = executablePath.Mid(slash + 1);
        if (const int dot = name.ReverseFind(u'.'); dot > 0) {
            name = name.Left(dot);
        }
        m_pszAppName = name;
    }
}

int CWinApp::Run(const AfxServices& services, const CString& executablePath) {
    Attach(services, executablePath);
    InitInstance();
    return 0;
}

CWinApp* AfxGetApp() {
    return g_app;
}

platform::Env& AfxGetEnv() {
    assert(g_app != nullptr && g_app->services().env != nullptr);
    return *g_app->services().env;
}

ui::Backend& AfxGetBackend() {
    assert(g_app != nullptr && g_app->services().backend != nullptr);
    return *g_app->services().backend;
}

const AfxResourceModule& AfxGetResources() {
    assert(g_app != nullptr && g_app->services().resources != nullptr);
    return *g_app->services().resources;
}

namespace {

ui::DialogWindow* MainWindowOf(CWinApp* app) {
    if (app == nullptr || app->m_pMainWnd == nullptr) {
        return nullptr;
    }
    return app->m_pMainWnd->GetBackendWindow();
}

}  // namespace

int AfxMessageBox(const CString& text, UINT type, UINT) {
    ui::MessageBoxRequest box;
    box.text = text.str();
    box.title = AfxGetApp() != nullptr ? AfxGetApp()->m_pszAppName.str() : std::u16string();
    box.buttons = (type & MB_TYPEMASK) == MB_YESNO ? ui::BoxButtons::yesNo : ui::BoxButtons::ok;
    switch (type & MB_ICONMASK) {
        case MB_ICONSTOP:
            box.icon = ui::BoxIcon::stop;
            break;
        case MB_ICONQUESTION:
            box.icon = ui::BoxIcon::question;
            break;
        case MB_ICONEXCLAMATION:
            box.icon = ui::BoxIcon::exclamation;
            break;
        default:
            box.icon = box.buttons == ui::BoxButtons::yesNo ? ui::BoxIcon::question
                                                            : ui::BoxIcon::exclamation;
    }
    box.systemModal = (type & MB_SYSTEMMODAL) != 0;
    const ui::BoxAnswer answer = AfxGetBackend().ShowMessageBox(box, MainWindowOf(AfxGetApp()));
    return static_cast<int>(answer);
}

void AfxProcessWndProcException() {
    try {
        throw;
    } catch (const CMemoryException& e) {
        AfxMessageBox(e.GetErrorMessage(), MB_ICONEXCLAMATION | MB_SYSTEMMODAL);
    } catch (const std::bad_alloc&) {
        AfxMessageBox(CMemoryException().GetErrorMessage(), MB_ICONEXCLAMATION | MB_SYSTEMMODAL);
    } catch (const CException& e) {
        AfxMessageBox(e.GetErrorMessage(), MB_ICONSTOP);
    } catch (...) {
        if (!CDialog::KeepEscapedException()) {
            throw;
        }
    }
}

CWaitCursor::CWaitCursor() {
    AfxGetBackend().BeginWaitCursor();
}

CWaitCursor::~CWaitCursor() {
    AfxGetBackend().EndWaitCursor();
}

BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* init) {
    if (init == nullptr || init->dwSize != sizeof(INITCOMMONCONTROLSEX)) {
        return FALSE;
    }
    return AfxGetBackend().InitCommonControls(init->dwICC) ? TRUE : FALSE;
}
