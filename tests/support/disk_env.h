// The platform's own Env over the real file system, for tests that read and write files on
// disk and need no documents folder.
#pragma once

#include "platform/env.h"

namespace testing_support {

platform::Env& DiskEnv();

}  // namespace testing_support
