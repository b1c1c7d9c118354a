// Writing one extracted file whole. The bytes go to a new file in the destination's folder
// (without a name where the system allows it, else under a temporary name), which takes the
// destination's name only once it is complete: at every moment the destination is either
// what it was or the whole new file. On any failure the new file is gone and the
// destination stays as it was.
#pragma once

#include "framework/archive.h"
#include "framework/cstring.h"
#include "framework/types.h"
#include "platform/env.h"

enum class WriteOutcome { written, cannotCreate, writeFailed };

WriteOutcome WriteWholeFile(platform::Env& env, const CString& path, const BYTE* data, DWORD size);

// The next `size` bytes of the archive (an entry's data) as the file at `path`, copied from
// the archive's file into the new file without passing through a buffer of ours. A size
// beyond the bytes that remain raises the end-of-file error before any file is made.
WriteOutcome CopyEntryToFile(platform::Env& env, CArchive& ar, const CString& path, DWORD size);
