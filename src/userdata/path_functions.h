// Small helpers on backslash-separated paths.
#pragma once

#include "framework/cstring.h"
#include "framework/types.h"
#include "platform/env.h"

// The path with one "\" appended, unless it is empty or already ends in "\".
CString AddTrailingBackslash(CString path);

// The text after the last "\"; the whole path when it holds none.
CString FileNameOf(CString path);

// Nonzero when the path names an existing file or folder. An empty path, and one that the
// framework's status query refuses (260 characters or more), give 0.
BOOL FileExists(platform::Env& env, const CString& path);
