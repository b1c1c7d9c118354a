// Writing one extracted file whole: created (or truncated), written, closed. A write that
// fails or comes up short removes the incomplete file, so that no damaged file stays behind
// looking installed.
#pragma once

#include "framework/archive.h"
#include "framework/cstring.h"
#include "framework/types.h"
#include "platform/env.h"

enum class WriteOutcome { written, cannotCreate, writeFailed };

WriteOutcome WriteWholeFile(platform::Env& env, const CString& path, const BYTE* data, DWORD size);

// The next `size` bytes of the archive (an entry's data) as the file at `path`, copied from
// the archive's file into the new file without passing through a buffer of ours. A size
// beyond the bytes that remain raises the end-of-file error before the file is made.
WriteOutcome CopyEntryToFile(platform::Env& env, CArchive& ar, const CString& path, DWORD size);
