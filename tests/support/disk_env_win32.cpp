#include <memory>

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

std::unique_ptr<platform::ImageDecoder> SystemImageDecoder() {
    return platform::win32::NewGdiplusDecoder();
}

}  // namespace testing_support
