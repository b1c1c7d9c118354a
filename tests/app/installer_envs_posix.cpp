// The Linux Env in the application tests: a temporary HOME, its documents folder
// HOME/Documents as the Env finds it; also as on a file system that refuses files without a
// name, where every installed file is first written under a temporary name.
#include <memory>

#include "app/installer_fixture.h"
#include "platform/posix/posix_env.h"
#include "platform/text.h"
#include "support/temp_dir.h"

namespace testing_support {

namespace {

InstallerEnv PosixEnv(bool unnamedFiles) {
    auto home = std::make_shared<TempDir>();
    platform::posix::Environment e;
    e.variables["HOME"] = home->path().string();
    e.variables["XDG_CONFIG_HOME"] = (home->path() / ".config").string();
    e.passwordHome = [] { return std::nullopt; };
    e.unnamedFiles = unnamedFiles;
    return OnDisk(
        platform::posix::NewPosixEnv(e), platform::posix::CarriedPath(home->path().string()),
        [](const platform::Path& path) {
            return platform::Utf8ToUtf16(platform::posix::NativePath(path).value_or(""));
        },
        home);
}

}  // namespace

std::vector<InstallerEnvFactory> SystemInstallerEnvs() {
    return {{"posix", [] { return PosixEnv(true); }},
            {"posix_named", [] { return PosixEnv(false); }}};
}

}  // namespace testing_support
