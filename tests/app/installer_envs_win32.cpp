// The Win32 Env in the application tests: its documents folder is the Wine prefix's, shared
// by every test, so QIB is removed before and after each test (the tests take turns). Only
// the tests' prefix has a documents folder that is theirs to empty: elsewhere QIB is the
// user's, and the tests refuse to run.
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <system_error>

#include "app/installer_fixture.h"
#include "platform/win32/win32_env.h"

namespace testing_support {

namespace {

// Removes QIB in the documents folder when made and when it goes.
class CleanQib {
public:
    explicit CleanQib(std::filesystem::path qib) : qib_(std::move(qib)) { Remove(); }
    ~CleanQib() { Remove(); }
    CleanQib(const CleanQib&) = delete;
    CleanQib& operator=(const CleanQib&) = delete;

private:
    void Remove() const {
        std::error_code ec;
        std::filesystem::remove_all(qib_, ec);
    }
    std::filesystem::path qib_;
};

InstallerEnv Win32Env() {
    // Wine hands its prefix on to the programs it runs.
    if (std::getenv("WINEPREFIX") == nullptr) {
        throw std::runtime_error("the installer tests run in the tests' Wine prefix only");
    }
    std::shared_ptr<platform::Env> env = platform::win32::NewWin32Env();
    const platform::Path documents = DocumentsOf(*env);
    auto clean = std::make_shared<CleanQib>(std::filesystem::path(documents + u"\\QIB"));
    return OnDisk(
        env, documents, [](const platform::Path& path) { return path; }, clean);
}

}  // namespace

std::vector<InstallerEnvFactory> SystemInstallerEnvs() {
    return {{"win32", Win32Env}};
}

}  // namespace testing_support
