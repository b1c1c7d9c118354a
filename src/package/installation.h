// The installation run behind the Install button: reads the staged package from its first
// byte and writes every stored file into <Documents>\QIB\objectpacks (below the subfolder),
// Preview (names prefixed with the subfolder and "_") and Tessel.
#pragma once

#include "framework/cstring.h"
#include "framework/types.h"
#include "platform/env.h"

// Returns TRUE after the success message and the deletion of the staging file; FALSE when
// the run stopped (it has said why, or the user declined to overwrite). Archive errors and a
// failed deletion escape to the framework's report.
BOOL RunInstallation(platform::Env& env, const CString& dataFile, const CString& subfolder);
