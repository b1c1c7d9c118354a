// Names and subfolder texts come from the package or the user and are untrusted: these
// tests keep every file the installer writes inside its folders.
#pragma once

#include "framework/cstring.h"

// A bare file name: no "\" or "/", no NUL, not empty, not "." or "..".
bool IsSafeStoredName(const CString& name);

// A relative folder path below objectpacks: not rooted ("\" or "/" first), no drive form
// ("X:"), no ".." component (split at "\" and "/"), no NUL. The empty text is safe.
bool IsSafeSubfolder(const CString& subfolder);
