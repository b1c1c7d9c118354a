// Writing one extracted file whole: created (or truncated), written, closed. A write that
// fails or comes up short removes the incomplete file, so that no damaged file stays behind
// looking installed.
#pragma once

#include "framework/cstring.h"
#include "framework/types.h"
#include "platform/env.h"

enum class WriteOutcome { written, cannotCreate, writeFailed };

WriteOutcome WriteWholeFile(platform::Env& env, const CString& path, const BYTE* data, DWORD size);
