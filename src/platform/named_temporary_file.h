// The named way to an UnnamedFile, for a system or a file system without files that have no
// name: a file that Env::CreateTemporaryFile makes in the folder, moved over its destination
// by Env::ReplaceFile once complete, and removed when it was not.
#pragma once

#include <memory>

#include "platform/env.h"

namespace platform {

FileError CreateNamedTemporaryFile(Env& env, const Path& folder,
                                   std::unique_ptr<UnnamedFile>* file);

}  // namespace platform
