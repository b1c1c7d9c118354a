// CWinApp and the application-wide services: the front end, the platform seam, the
// resource module, message boxes, the wait cursor and the report of errors escaping a
// message handler.
#pragma once

#include "framework/cstring.h"
#include "framework/msgmap.h"
#include "framework/types.h"
#include "platform/env.h"
#include "platform/image_decoder.h"
#include "ui/backend.h"
#include "ui/dialog_template.h"

class CWnd;

// Where templates, icons and strings come from (the executable's resources).
class AfxResourceModule {
public:
    virtual ~AfxResourceModule() = default;
    virtual const ui::DialogTemplate* FindDialog(UINT id) const = 0;
    virtual HICON FindIcon(UINT id) const = 0;
    // Empty when the string table has no such entry.
    virtual CString FindString(UINT id) const = 0;
};

// What the running application works with; handed in by the program's entry point or a test.
struct AfxServices {
    platform::Env* env = nullptr;
    ui::Backend* backend = nullptr;
    platform::ImageDecoder* imageDecoder = nullptr;
    const AfxResourceModule* resources = nullptr;
};

inline constexpr UINT AFX_IDS_APP_TITLE = 57344;

class CWinApp : public CCmdTarget {
public:
    // With no name the application is named after its executable's file name without its
    // extension, unless the string table holds an application title.
    explicit CWinApp(const char16_t* appName = nullptr);
    ~CWinApp() override;
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    virtual BOOL InitInstance();
    // Records the key; nothing is stored under it here.
    void SetRegistryKey(const CString& key) { m_strRegistryKey = key; }
    HICON LoadIcon(UINT id) const;
    void OnHelp() {}

    // Binds the services and names the application; then InitInstance may run.
    void Attach(const AfxServices& services, const CString& executablePath);
    // The framework's start-up: Attach, then InitInstance. Returns the process exit code.
    int Run(const AfxServices& services, const CString& executablePath);

    const AfxServices& services() const { return m_services; }

    CString m_pszAppName;
    CString m_strRegistryKey;
    CWnd* m_pMainWnd = nullptr;

    DECLARE_MESSAGE_MAP()

private:
    AfxServices m_services;
};

// The one application object, or null.
CWinApp* AfxGetApp();
platform::Env& AfxGetEnv();
ui::Backend& AfxGetBackend();
const AfxResourceModule& AfxGetResources();

// Shows a modal box titled with the application name and owned by the main window while it
// is up. MB_OK without an icon gets the exclamation icon, MB_YESNO the question icon.
// Returns IDOK, IDYES or IDNO.
int AfxMessageBox(const CString& text, UINT type = MB_OK, UINT helpId = 0);

// Reports the exception being handled as the framework does for an error escaping a message
// handler: the framework's text with the stop icon, or "Out of memory." with the
// exclamation icon, system-modal. Call only from a catch block. An exception that is not the
// framework's ends the running modal dialog and comes out of its DoModal (CDialog); with no
// dialog running it is rethrown.
void AfxProcessWndProcException();

// Runs a handler and reports any framework error that escapes it; true when none did. Inside
// a modal dialog nothing escapes it.
template <typename F>
bool AfxCallWndProc(F&& handler) {
    try {
        handler();
        return true;
    } catch (...) {
        AfxProcessWndProcException();
        return false;
    }
}

// The wait cursor while the object lives.
class CWaitCursor {
public:
    CWaitCursor();
    ~CWaitCursor();
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;
};
