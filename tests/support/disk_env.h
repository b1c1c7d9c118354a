// The platform's own services over the real disk, for tests that read and write files there
// and need no documents folder: its Env and its picture decoder.
#pragma once

#include <filesystem>
#include <memory>

#include "platform/env.h"
#include "platform/image_decoder.h"

namespace testing_support {

platform::Env& DiskEnv();

// A file or folder of the disk as the Env's paths carry it.
platform::Path DiskPath(const std::filesystem::path& path);

// The source tree (LARKSPAN_SOURCE_DIR, which the tests' environment sets) as the program
// sees it; empty when the variable is not set.
std::filesystem::path SourceDir();

// The decoder the platform's installer shows title images with.
std::unique_ptr<platform::ImageDecoder> SystemImageDecoder();

}  // namespace testing_support
