// The Windows implementation of the platform seam, on the calls the installer was written
// against: CreateFileW and friends for files, SHGetFolderPathW for the documents folder,
// FindResourceW ... LockResource for the program's own resources. Paths are native: the
// carried form is Windows' own.
#pragma once

#include <memory>
#include <string>

#include "platform/env.h"

namespace platform::win32 {

std::unique_ptr<Env> NewWin32Env();

// The running program's own file, as the system names it.
std::u16string ExecutablePath();

}  // namespace platform::win32
