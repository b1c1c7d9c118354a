// Staging: the payload carried by the executable is copied to <Documents>\QIB\temp\data.vqm,
// which the header preview and the installation run then read.
#pragma once

#include "framework/cstring.h"
#include "platform/env.h"

// Sets `dataFile` to the staging path and writes the payload there. Reports its own
// failures in message boxes; the caller tests afterwards whether the file exists. A write
// that fails or comes up short removes the incomplete file.
void StagePayload(platform::Env& env, CString& dataFile);
