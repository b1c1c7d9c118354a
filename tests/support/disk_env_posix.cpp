#include <cstdlib>
#include <memory>

#include "platform/codecs/picture_codecs.h"
#include "platform/posix/posix_env.h"
#include "support/disk_env.h"

namespace testing_support {

platform::Env& DiskEnv() {
    static const std::unique_ptr<platform::Env> env =
        platform::posix::NewPosixEnv(platform::posix::Environment{});
    return *env;
}

platform::Path DiskPath(const std::filesystem::path& path) {
    return platform::posix::CarriedPath(path.string());
}

std::filesystem::path SourceDir() {
    const char* dir = std::getenv("LARKSPAN_SOURCE_DIR");
    return dir == nullptr ? std::filesystem::path() : std::filesystem::path(dir);
}

std::unique_ptr<platform::ImageDecoder> SystemImageDecoder() {
    return platform::codecs::NewImageDecoder();
}

}  // namespace testing_support
