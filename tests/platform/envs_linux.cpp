// The Linux build's own Env in the conformance suite.
#include <gtest/gtest.h>

#include "env_conformance.h"
#include "platform/posix/posix_env.h"
#include "support/temp_dir.h"

namespace platform_test {

namespace {

EnvUnderTest PosixEnv() {
    auto temp = std::make_shared<testing_support::TempDir>();
    return {platform::posix::NewPosixEnv(platform::posix::Environment{}),
            platform::posix::CarriedPath(temp->path().string()), temp};
}

}  // namespace

INSTANTIATE_TEST_SUITE_P(Envs, EnvConformance, EnvsOf({"posix", PosixEnv}), EnvName);

}  // namespace platform_test
