#include <cstdlib>
#include <memory>
#include <string>

#include "platform/win32/gdiplus_decoder.h"
#include "platform/win32/win32_env.h"
#include "support/disk_env.h"

namespace testing_support {

platform::Env& DiskEnv() {
    static const std::unique_ptr<platform::Env> env = platform::win32::NewWin32Env();
    return *env;
}

// Windows paths are the Env's own.
platform::Path DiskPath(const std::filesystem::path& path) {
    return path.u16string();
}

// Wine shows the Linux folders the tests start from on drive Z:.
std::filesystem::path SourceDir() {
    const char* dir = std::getenv("LARKSPAN_SOURCE_DIR");
    return dir == nullptr ? std::filesystem::path()
                          : std::filesystem::path("Z:" + std::string(dir));
}

std::unique_ptr<platform::ImageDecoder> SystemImageDecoder() {
    return platform::win32::NewGdiplusDecoder();
}

}  // namespace testing_support
