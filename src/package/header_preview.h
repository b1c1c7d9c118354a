// The header preview: reads the staged package's header and title image entry, writes the
// title image to <Documents>\QIB\temp\install.jpg and hands that file on for display.
#pragma once

#include <functional>

#include "framework/cstring.h"
#include "framework/types.h"
#include "platform/env.h"

// What the preview found, for the dialog's fields.
struct PackagePreview {
    CString packageName;
    CString description;
    CString subfolder;
    DWORD requiredVersion = 0;
    bool subfolderEditable = true;
};

// Returns TRUE with `preview` filled when the header was read; FALSE after it has reported
// why not (cannot open, not an archive, title image not writable). Archive errors are not
// caught here: they escape to the framework's report, with the file closed.
BOOL PreviewPackageHeader(platform::Env& env, const CString& dataFile,
                          const std::function<void(const CString&)>& showImageFile,
                          PackagePreview& preview);
