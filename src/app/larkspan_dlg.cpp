#include "app/larkspan_dlg.h"

#include "framework/app.h"
#include "package/header_preview.h"
#include "package/installation.h"
#include "package/messages.h"
#include "package/staging.h"
#include "resources/resource.h"
#include "userdata/path_functions.h"

BEGIN_MESSAGE_MAP(CLarkspanDlg, CDialogEx)
ON_WM_PAINT()
ON_WM_QUERYDRAGICON()
ON_BN_CLICKED(IDOK, OnInstall)
END_MESSAGE_MAP()

CLarkspanDlg::CLarkspanDlg(CWnd* pParent)
    : CDialogEx(IDD_INSTALL, pParent),
      m_wndImage(AfxGetEnv(), *AfxGetApp()->services().imageDecoder),
      m_hIcon(AfxGetApp()->LoadIcon(IDI_APP)) {}

CLarkspanDlg::~CLarkspanDlg() = default;

void CLarkspanDlg::DoDataExchange(CDataExchange* pDX) {
    CDialogEx::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_IMAGE_FRAME, m_wndFrame);
    DDX_Text(pDX, IDC_PACKAGE_NAME, m_strName);
    DDX_Text(pDX, IDC_REQUIRED_VERSION, m_nVersion);
    DDX_Text(pDX, IDC_SUBFOLDER, m_strInstallSubfolder);
    DDX_Text(pDX, IDC_DESCRIPTION, m_strDescription);
    DDX_Control(pDX, IDC_SUBFOLDER, m_editSubfolder);
}

BOOL CLarkspanDlg::OnInitDialog() {
    CDialogEx::OnInitDialog();

    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));

    // Without an image window the dialog simply shows no picture.
    m_wndImage.CreateOver(m_wndFrame, this);

    CWaitCursor wait;
    StagePayload(AfxGetEnv(), m_strDataFile, m_stagingLock);
    if (!FileExists(AfxGetEnv(), m_strDataFile)) {
        AfxMessageBox(CString(messages::kMissingDataFile));
        OnCancel();
        return FALSE;
    }
    if (!ReadPackageHeader()) {
        AfxMessageBox(CString(messages::kNotInstalled));
        OnCancel();
        return FALSE;
    }
    return TRUE;
}

BOOL CLarkspanDlg::ReadPackageHeader() {
    PackagePreview preview;
    const auto showImage = [this](const CString& imageFile) { m_wndImage.SetImageFile(imageFile); };
    if (!PreviewPackageHeader(AfxGetEnv(), m_strDataFile, showImage, preview)) {
        return FALSE;
    }
    m_strDescription = preview.description;
    m_strInstallSubfolder = preview.subfolder;
    m_nVersion = preview.requiredVersion;
    m_strName = preview.packageName;
    if (!preview.subfolderEditable) {
        m_editSubfolder.SetReadOnly(TRUE);
    }
    UpdateData(FALSE);
    return TRUE;
}

void CLarkspanDlg::OnInstall() {
    UpdateData(TRUE);
    CWaitCursor wait;
    if (RunInstallation(AfxGetEnv(), m_strDataFile, m_strInstallSubfolder)) {
        CDialogEx::OnOK();
    }
}

void CLarkspanDlg::IconOrigin(const CRect& client, int cx, int cy, int* x, int* y) {
    *x = (client.Width() - cx + 1) / 2;
    *y = (client.Height() - cy + 1) / 2;
}

void CLarkspanDlg::OnPaint() {
    if (!IsIconic()) {
        return;  // the front end paints the dialog itself
    }
    CPaintDC dc(this);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);
    const int cxIcon = GetSystemMetrics(SM_CXICON);
    const int cyIcon = GetSystemMetrics(SM_CYICON);
    CRect rect;
    GetClientRect(&rect);
    int x = 0;
    int y = 0;
    IconOrigin(rect, cxIcon, cyIcon, &x, &y);
    dc.DrawIcon(x, y, m_hIcon);
}

HICON CLarkspanDlg::OnQueryDragIcon() {
    return m_hIcon;
}
