#include "pack_fixture.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <sstream>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <share.h>
#endif

#include "pack/command_line.h"
#include "platform/resource_table.h"

namespace pack_testing {

RunResult Pack(const std::vector<std::string>& args) {
    std::vector<std::string> argv = {"larkspan-pack"};
    argv.insert(argv.end(), args.begin(), args.end());
    std::ostringstream out;
    std::ostringstream err;
    RunResult result;
    result.status = pack::RunCommandLine(argv, out, err);
    result.out = out.str();
    result.err = err.str();
    return result;
}

fs::path SampleFolder() {
    const char* root = std::getenv("LARKSPAN_SOURCE_DIR");
    return fs::path(root != nullptr ? root : ".") / "sample";
}

std::vector<std::byte> ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<char> chars((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::byte> bytes(chars.size());
    if (!chars.empty()) {  // an empty vector's data() may be null, which memcpy must not get
        std::memcpy(bytes.data(), chars.data(), chars.size());
    }
    return bytes;
}

void WriteBytes(const fs::path& path, std::span<const std::byte> bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good()) << path;
}

void WriteText(const fs::path& path, std::string_view text) {
    WriteBytes(path, BytesOf(text));
}

std::vector<std::byte> BytesOf(std::string_view text) {
    const auto bytes = std::as_bytes(std::span(text.data(), text.size()));
    return {bytes.begin(), bytes.end()};
}

std::vector<std::string> Tree(const fs::path& folder) {
    std::vector<std::string> paths;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        paths.push_back(fs::relative(entry.path(), folder).generic_string());
    }
    std::sort(paths.begin(), paths.end());
    return paths;
}

#ifdef _WIN32
namespace {
// Files held open without sharing until the test ends: no other opening of them succeeds.
std::vector<int>& HeldFiles() {
    static std::vector<int> held;
    return held;
}
}  // namespace

void MakeUnreadable(const fs::path& path) {
    const int fd = ::_wsopen(path.c_str(), _O_RDONLY | _O_BINARY, _SH_DENYRW);
    ASSERT_GE(fd, 0) << path;
    HeldFiles().push_back(fd);
}
#else
void MakeUnreadable(const fs::path& path) {
    fs::permissions(path, fs::perms::none);
    if (std::ifstream probe(path, std::ios::binary); !probe.is_open()) {
        return;
    }
    // Root reads whatever the permissions say; reading the start of this process's own
    // memory fails on every kernel.
    fs::remove(path);
    fs::create_symlink("/proc/self/mem", path);
}
#endif

std::vector<std::byte> InstallerHolding(std::span<const std::byte> package, std::size_t stubSize) {
    namespace restable = platform::restable;
    std::vector<std::byte> file(stubSize, std::byte{0x90});
    restable::Entry other;  // a second resource before the payload, which list must skip
    other.type = u"ICON";
    other.id = 128;
    other.offset = file.size();
    other.size = 16;
    file.insert(file.end(), 16, std::byte{0x11});
    restable::Entry setup;
    setup.type = std::u16string(restable::kSetupType);
    setup.id = restable::kSetupId;
    setup.language = restable::kSetupLanguage;
    setup.offset = file.size();
    setup.size = package.size();
    file.insert(file.end(), package.begin(), package.end());
    const std::vector<restable::Entry> entries = {other, setup};
    const std::vector<std::byte> table = restable::Serialize(entries, stubSize);
    file.insert(file.end(), table.begin(), table.end());
    return file;
}

PackTest::PackTest() {
    std::random_device random;
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = fs::temp_directory_path() /
           ("larkspan-pack-" + std::string(info->name()) + "-" + std::to_string(random()));
    fs::create_directories(dir_);
}

void MakeReadableAgain() {
#ifdef _WIN32
    for (const int fd : HeldFiles()) {
        ::_close(fd);
    }
    HeldFiles().clear();
#endif
}

fs::path Utf8Path(std::string_view utf8) {
    return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

PackTest::~PackTest() {
    MakeReadableAgain();
    std::error_code ec;
    // Unreadable files must be readable again for their folder to go.
    for (auto it = fs::recursive_directory_iterator(dir_, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        if (!it->is_symlink(ec)) {
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
        }
    }
    fs::remove_all(dir_, ec);
}

}  // namespace pack_testing
