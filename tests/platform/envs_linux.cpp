// The Envs of the Linux build: the tests' in-memory one and the system's own.
#include <gtest/gtest.h>

#include "env_conformance.h"
#include "platform/posix/posix_env.h"
#include "support/mem_env.h"
#include "support/temp_dir.h"

namespace platform_test {

namespace {

EnvUnderTest MemoryEnv() {
    auto env = std::make_shared<testing_support::MemEnv>();
    env->folders.insert(u"\\mem");
    return {env, u"\\mem", nullptr};
}

EnvUnderTest PosixEnv() {
    auto temp = std::make_shared<testing_support::TempDir>();
    return {platform::posix::NewPosixEnv(platform::posix::Environment{}),
            platform::posix::CarriedPath(temp->path().string()), temp};
}

}  // namespace

INSTANTIATE_TEST_SUITE_P(Envs, EnvConformance,
                         testing::Values(EnvFactory{"memory", MemoryEnv},
                                         EnvFactory{"posix", PosixEnv}),
                         [](const testing::TestParamInfo<EnvFactory>& info) {
                             return info.param.name;
                         });

}  // namespace platform_test
