// CDialog and CDialogEx: a modal dialog built by the front end from a template, with
// initialisation, data exchange and the OK and Cancel contract (validate, transfer from the
// controls, close with IDOK).
#pragma once

#include <exception>

#include "framework/cstring.h"
#include "framework/types.h"
#include "framework/wnd.h"
#include "ui/backend.h"

class CDialog;

// Raised by data exchange to stop it after it has told the user why.
class CUserException {};

class CDataExchange {
public:
    CDataExchange(CDialog* dialog, BOOL saveAndValidate)
        : m_bSaveAndValidate(saveAndValidate), m_pDlgWnd(dialog) {}
    [[noreturn]] void Fail() { throw CUserException(); }

    BOOL m_bSaveAndValidate;  // TRUE: from the controls to the members
    CDialog* m_pDlgWnd;
};

void DDX_Control(CDataExchange* pDX, int id, CWnd& control);
void DDX_Text(CDataExchange* pDX, int id, CString& value);
// Shown as "%u"; read back by scanning the text the same way. Text that does not scan is
// refused with "Enter a positive integer." and stops the exchange.
void DDX_Text(CDataExchange* pDX, int id, UINT& value);

// The scan of a "%u" field: optional blanks, decimal digits, optional blanks; nothing when
// the text is not such a number or does not fit in 32 bits.
bool AfxScanUnsigned(const CString& text, UINT* value);

// The front end calls the dialog's handlers from its toolkit's loop, whose frames no
// exception may cross. So the dialog runs one command at a time (a box that a command shows
// runs a nested loop, and no second command may start underneath it), and an exception that
// escapes a handler of the running dialog or of its children, one the framework does not
// report itself, ends the dialog and comes out of DoModal once the loop has returned; the
// first such exception wins.
class CDialog : public CWnd, private ui::DialogEvents {
public:
    explicit CDialog(UINT templateId, CWnd* parent = nullptr);
    ~CDialog() override;

    // Builds the dialog from its template, initialises it and runs it modally.
    virtual int DoModal();
    // Performs the first exchange towards the controls. Returns TRUE (focus to the first
    // control with a tab stop).
    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    void EndDialog(int result);
    // FALSE when the exchange was stopped (the user has been told why).
    BOOL UpdateData(BOOL saveAndValidate = TRUE);

    // Called from a catch block by the framework: keeps the exception being handled for the
    // innermost running modal dialog and ends that dialog. False when no dialog runs.
    static bool KeepEscapedException();

protected:
    virtual void DoDataExchange(CDataExchange* pDX);
    // Whether the framework centres the dialog once it is initialised: when its template
    // places it at 0,0 and asks for no placement of its own (a child, absolute alignment,
    // centring by the dialog manager or at the mouse).
    virtual BOOL CheckAutoCenter();

    DECLARE_MESSAGE_MAP()

private:
    bool OnInit(ui::DialogWindow& window) override;
    void OnCommand(int id) override;
    // WM_PAINT and WM_QUERYDRAGICON of the dialog itself, through its message table.
    void PaintClient(ui::DeviceContext& dc, const ui::Rect& client) override;
    const ui::Icon* DragIcon() override;

    // The window the dialog opens over: its parent, else the application's main window
    // when that is another window. Null when there is none.
    CWnd* GetOwnerWindow() const;

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;
    const ui::DialogTemplate* m_lpDialogTemplate = nullptr;  // while DoModal runs
    bool m_bEnded = false;
    bool m_bInCommand = false;
    int m_nResult = IDCANCEL;
    std::exception_ptr m_escaped;      // what escaped a handler, for DoModal to rethrow
    CDialog* m_pOuterModal = nullptr;  // the modal dialog that ran when this one started
};

// The dialog that draws with the current visual style; the same as CDialog here.
class CDialogEx : public CDialog {
public:
    using CDialog::CDialog;
};
