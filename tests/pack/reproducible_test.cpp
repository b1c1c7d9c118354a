// The same inputs give the same bytes: create reads neither the files' times nor the order in
// which the file system lists them, and wrap writes no time of its own into an installer,
// Linux or Windows, so that anyone can rebuild a package or an installer and compare.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <random>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "pack_fixture.h"

namespace pack_testing {
namespace {

using namespace std::chrono_literals;

// The files of a package source: the sample's header and title image, and sections whose names
// sort differently by bytes, by number and by case.
const std::vector<std::pair<std::string, std::string>> kSourceFiles = {
    {"objectpacks/b.qop", "second brush"},
    {"objectpacks/A.qop", "upper-case name"},
    {"objectpacks/a.qop", "lower-case name"},
    {"objectpacks/10.qop", "ten"},
    {"objectpacks/9.qop", "nine"},
    {"objectpacks/z", ""},
    {"preview/p2.png", "preview two"},
    {"preview/p1.png", "preview one"},
    {"tessel/t.png", "tile"},
};

class ReproducibleTest : public PackTest {
protected:
    // Writes the source into `folder`, its files in the order given by `order` (indexes into
    // kSourceFiles), each stamped with a time of its own starting at `stamp`.
    void WriteSource(const fs::path& folder, const std::vector<std::size_t>& order,
                     fs::file_time_type stamp, fs::file_time_type::duration step) {
        for (const char* section : {"tessel", "objectpacks", "preview"}) {
            fs::create_directories(folder / section);
        }
        fs::copy_file(SampleFolder() / "package.json", folder / "package.json");
        fs::copy_file(SampleFolder() / "title.jpg", folder / "title.jpg");
        for (const std::size_t i : order) {
            const fs::path path = folder / kSourceFiles[i].first;
            WriteText(path, kSourceFiles[i].second);
            fs::last_write_time(path, stamp);
            stamp += step;
        }
        for (const char* name : {"package.json", "title.jpg", "objectpacks", "preview", "tessel"}) {
            fs::last_write_time(folder / name, stamp);
            stamp += step;
        }
    }

    RunResult Create(const fs::path& source, const fs::path& out) {
        return Pack({"create", source.string(), "-o", out.string()});
    }

    RunResult Wrap(const fs::path& stub, const fs::path& package, const fs::path& out) {
        return Pack(
            {"wrap", "--stub", stub.string(), "--package", package.string(), "-o", out.string()});
    }

    // Past a change of the clock's second, so that a time stamp written by the tool would show.
    static void LetTheClockMove() { std::this_thread::sleep_for(1100ms); }
};

// A scratch folder in memory (tmpfs), which lists a folder's files in the reverse order of
// their creation, where ext4 lists them in the order of their names' hashes, whatever the
// order of creation. Removed with its files.
class MemoryFolder {
public:
    MemoryFolder() {
        std::random_device random;
        const fs::path shm = "/dev/shm";
        path_ = (fs::is_directory(shm) ? shm : fs::temp_directory_path()) /
                ("larkspan-pack-order-" + std::to_string(random()));
        fs::create_directories(path_);
    }
    ~MemoryFolder() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    MemoryFolder(const MemoryFolder&) = delete;
    MemoryFolder& operator=(const MemoryFolder&) = delete;

    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

std::vector<std::string> Listing(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    return names;
}

TEST_F(ReproducibleTest, CreateIgnoresFileTimesAndListingOrder) {
    std::vector<std::size_t> forward;
    for (std::size_t i = 0; i < kSourceFiles.size(); ++i) {
        forward.push_back(i);
    }
    const std::vector<std::size_t> backward(forward.rbegin(), forward.rend());
    const auto now = fs::file_time_type::clock::now();
    const MemoryFolder memory;
    const std::vector<fs::path> sources = {dir_ / "disk", memory.path() / "forward",
                                           memory.path() / "backward"};
    WriteSource(sources[0], forward, now - 24h * 400, 1h);
    WriteSource(sources[1], forward, now + 24h, -1min);
    WriteSource(sources[2], backward, now, 1s);
    // The premise: the file system hands the files over in different orders.
    ASSERT_NE(Listing(sources[1] / "objectpacks"), Listing(sources[2] / "objectpacks"));

    ASSERT_EQ(Create(sources[0], dir_ / "disk.vqm").status, 0);
    const auto expected = ReadBytes(dir_ / "disk.vqm");
    ASSERT_FALSE(expected.empty());
    for (const fs::path& source : {sources[1], sources[2]}) {
        LetTheClockMove();
        ASSERT_EQ(Create(source, dir_ / "other.vqm").status, 0) << source;
        EXPECT_EQ(ReadBytes(dir_ / "other.vqm"), expected) << source;
    }

    // The same source again once its files were touched, over its earlier output.
    for (const auto& entry : fs::recursive_directory_iterator(sources[0])) {
        fs::last_write_time(entry.path(), now);
    }
    ASSERT_EQ(Create(sources[0], dir_ / "disk.vqm").status, 0);
    EXPECT_EQ(ReadBytes(dir_ / "disk.vqm"), expected);
}

TEST_F(ReproducibleTest, WrapOfTheSamePackageGivesTheSameInstallerLater) {
    struct Stub {
        const char* what;
        fs::path path;
    };
    std::vector<Stub> stubs = {{"the Linux stub", LARKSPAN_LINUX_STUB},
                               {"the Windows test stub", LARKSPAN_PE_TEST_STUB}};
    if (stubs[1].path.empty() || !fs::exists(stubs[1].path)) {
        const char* ci = std::getenv("CI");
        if (ci != nullptr && std::string(ci) == "true") {
            FAIL() << "the Windows test stub was not built: is mingw-w64 installed?";
        }
        GTEST_SKIP() << "no Windows test stub (mingw-w64 missing)";
    }
    ASSERT_EQ(Create(SampleFolder(), dir_ / "s.vqm").status, 0);
    for (std::size_t i = 0; i < stubs.size(); ++i) {
        const fs::path stub = dir_ / ("stub" + std::to_string(i));
        fs::copy_file(stubs[i].path, stub);
        stubs[i].path = stub;
        ASSERT_EQ(Wrap(stub, dir_ / "s.vqm", dir_ / ("first" + std::to_string(i))).status, 0)
            << stubs[i].what;
    }
    LetTheClockMove();
    const auto now = fs::file_time_type::clock::now();
    fs::last_write_time(dir_ / "s.vqm", now + 1h);
    for (std::size_t i = 0; i < stubs.size(); ++i) {
        fs::last_write_time(stubs[i].path, now - 24h * 30);
        const fs::path later = dir_ / ("later" + std::to_string(i));
        ASSERT_EQ(Wrap(stubs[i].path, dir_ / "s.vqm", later).status, 0) << stubs[i].what;
        EXPECT_EQ(ReadBytes(later), ReadBytes(dir_ / ("first" + std::to_string(i))))
            << stubs[i].what;
    }
}

}  // namespace
}  // namespace pack_testing
