// Helpers of the authoring tool's tests: running the tool in-process, scratch folders, and
// the sample package source.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "package/package_archive.h"

namespace pack_testing {

namespace fs = std::filesystem;

// Where the tests run: what a Windows file system cannot hold is left out there.
#ifdef _WIN32
inline constexpr bool kWindows = true;
#else
inline constexpr bool kWindows = false;
#endif

struct RunResult {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs `larkspan-pack args...` in-process.
RunResult Pack(const std::vector<std::string>& args);

// The sample package source of the repository.
fs::path SampleFolder();

std::vector<std::byte> ReadBytes(const fs::path& path);
void WriteBytes(const fs::path& path, std::span<const std::byte> bytes);
void WriteText(const fs::path& path, std::string_view text);
std::vector<std::byte> BytesOf(std::string_view text);

// Every path below `folder`, relative to it, sorted; hidden temporary files included.
std::vector<std::string> Tree(const fs::path& folder);

// Makes a file unreadable for this process, root included (on Windows: held open without
// sharing); MakeReadableAgain undoes it for every such file, so that they can be removed.
void MakeUnreadable(const fs::path& path);
void MakeReadableAgain();

// A path from UTF-8 text, on every system.
fs::path Utf8Path(std::string_view utf8);

// The stub bytes, package and resource table of an installer holding `package`.
std::vector<std::byte> InstallerHolding(std::span<const std::byte> package,
                                        std::size_t stubSize = 1000);

// A folder of its own for each test, removed afterwards.
class PackTest : public ::testing::Test {
protected:
    PackTest();
    ~PackTest() override;

    fs::path dir_;
};

}  // namespace pack_testing
