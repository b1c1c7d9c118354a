#include "app/larkspan_app.h"

#include <memory>

#include "app/larkspan_dlg.h"
#include "framework/shell.h"

BEGIN_MESSAGE_MAP(CLarkspanApp, CWinApp)
ON_COMMAND(ID_HELP, OnHelp)
END_MESSAGE_MAP()

BOOL CLarkspanApp::InitInstance() {
    INITCOMMONCONTROLSEX controls = {sizeof(INITCOMMONCONTROLSEX), ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);

    CWinApp::InitInstance();
    AfxEnableControlContainer();
    auto shellManager = std::make_unique<CShellManager>();
    CMFCVisualManager::SetDefaultManager<CMFCVisualManagerWindows>();
    SetRegistryKey(u"Local AppWizard-Generated Applications");

    CLarkspanDlg dlg;
    m_pMainWnd = &dlg;
    dlg.DoModal();

    m_pMainWnd = nullptr;
    shellManager.reset();
    return FALSE;
}
