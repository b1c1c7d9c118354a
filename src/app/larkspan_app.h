// The installer's application object: its start-up runs the install dialog modally and the
// installer ends when the dialog closes.
#pragma once

#include "framework/app.h"

class CLarkspanApp : public CWinApp {
public:
    CLarkspanApp() = default;

    // Always FALSE: there is no message loop of the application's own.
    BOOL InitInstance() override;

    DECLARE_MESSAGE_MAP()
};
