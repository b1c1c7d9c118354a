// The staged package opened for reading from its first byte, as the header preview and
// the installation run both do.
#pragma once

#include <optional>

#include "framework/archive.h"
#include "framework/file.h"
#include "platform/env.h"

class StagedArchive {
public:
    explicit StagedArchive(platform::Env& env) : file(env) {}

    // Opens `dataFile` and reads the magic. When the file cannot be opened or is no package,
    // says so (after closing what it opened) and returns FALSE.
    BOOL Open(const CString& dataFile);
    // Closes the reader, then the file.
    void Close();

    CFile file;
    std::optional<CArchive> ar;
};
