// Start-up services of the framework. The common control classes are registered by the
// front end (the Windows one registers the system's; the others have none). The rest only
// change the native look on the system the installer was first written for; the front end
// gives the native look, so they keep their place in the start-up sequence and do nothing.
#pragma once

#include "framework/types.h"

struct INITCOMMONCONTROLSEX {
    DWORD dwSize;
    DWORD dwICC;
};
inline constexpr DWORD ICC_WIN95_CLASSES = 0x000000FF;

// Asks the front end to register the classes in dwICC; FALSE for a structure of the wrong
// size or when the front end fails.
BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* init);
inline void AfxEnableControlContainer() {}

class CShellManager {};

class CMFCVisualManagerWindows {};

class CMFCVisualManager {
public:
    template <typename VisualManager>
    static void SetDefaultManager() {}
};
