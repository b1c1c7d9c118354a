// Start-up services of the framework that only change the native look on the system the
// installer was first written for. Here the front end gives the native look, so they keep
// their place in the start-up sequence and do nothing.
#pragma once

#include "framework/types.h"

struct INITCOMMONCONTROLSEX {
    DWORD dwSize;
    DWORD dwICC;
};
inline constexpr DWORD ICC_WIN95_CLASSES = 0x000000FF;

inline BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX*) { return TRUE; }
inline void AfxEnableControlContainer() {}

class CShellManager {};

class CMFCVisualManagerWindows {};

class CMFCVisualManager {
public:
    template <typename VisualManager>
    static void SetDefaultManager() {}
};
