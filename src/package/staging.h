// Staging: the payload carried by the executable is copied to <Documents>\QIB\temp\data.vqm,
// which the header preview and the installation run then read.
#pragma once

#include <memory>

#include "framework/cstring.h"
#include "platform/env.h"

// Sets `dataFile` to the staging path and writes the payload there. Reports its own
// failures in message boxes; the caller tests afterwards whether the file exists. A write
// that fails or comes up short removes the incomplete file.
//
// Every installer stages to the same path, so the file is locked before it is touched and
// `lock` keeps it locked; the caller holds it as long as it reads the file (until its
// dialog ends). When another installer holds the lock, the file is left alone and this
// reports that it could not be written; the caller goes on with the file that is there.
void StagePayload(platform::Env& env, CString& dataFile, std::unique_ptr<platform::FileLock>& lock);
