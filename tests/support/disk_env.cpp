#include "support/disk_env.h"

#include <memory>

#include "platform/posix/posix_env.h"

namespace testing_support {

platform::Env& DiskEnv() {
    static const std::unique_ptr<platform::Env> env =
        platform::posix::NewPosixEnv(platform::posix::Environment{});
    return *env;
}

}  // namespace testing_support
