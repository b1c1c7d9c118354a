// The Linux build's own Env in the conformance suite.
#include <gtest/gtest.h>

#include "env_conformance.h"
#include "platform/posix/posix_env.h"
#include "support/temp_dir.h"

namespace platform_test {

namespace {

EnvUnderTest PosixEnv(bool unnamedFiles) {
    auto temp = std::make_shared<testing_support::TempDir>();
    platform::posix::Environment environment;
    environment.unnamedFiles = unnamedFiles;
    return {platform::posix::NewPosixEnv(environment),
            platform::posix::CarriedPath(temp->path().string()), temp,
            [folder = temp->path()] { return NamesIn(folder); }};
}

}  // namespace

// Also as on a file system that refuses files without a name.
INSTANTIATE_TEST_SUITE_P(Envs, EnvConformance,
                         EnvsOf(EnvFactory{"posix", [] { return PosixEnv(true); }},
                                EnvFactory{"posix_named", [] { return PosixEnv(false); }}),
                         EnvName);

}  // namespace platform_test
