// The install dialog: it prepares everything while it initialises (image window, staging,
// header preview) and installs when Install is pressed.
#pragma once

#include <memory>

#include "framework/dialog.h"
#include "imaging/q_image_wnd.h"
#include "platform/env.h"

class CLarkspanDlg : public CDialogEx {
public:
    explicit CLarkspanDlg(CWnd* pParent = nullptr);
    ~CLarkspanDlg() override;

    // Where the dialog's minimised icon goes in a client area of that size: centred with
    // signed divisions that truncate towards zero.
    static void IconOrigin(const CRect& client, int cx, int cy, int* x, int* y);

    // The members, in the order the dialog's state is described.
    CQImageWnd m_wndImage;
    CString m_strDataFile;
    HICON m_hIcon;
    CStatic m_wndFrame;
    CString m_strName;
    UINT m_nVersion = 0;
    CString m_strInstallSubfolder;
    CString m_strDescription;
    CEdit m_editSubfolder;
    // Keeps other installers off the staging file while this dialog lives.
    std::unique_ptr<platform::FileLock> m_stagingLock;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;

    // Reads the package header into the fields; FALSE after it has reported a failure.
    BOOL ReadPackageHeader();

    void OnPaint();
    HICON OnQueryDragIcon();
    void OnInstall();

    DECLARE_MESSAGE_MAP()
};
