// The Envs of the Windows build: the tests' in-memory one and the system's own.
#include <gtest/gtest.h>

#include "env_conformance.h"
#include "platform/win32/win32_env.h"
#include "support/mem_env.h"
#include "support/temp_dir.h"

namespace platform_test {

namespace {

EnvUnderTest MemoryEnv() {
    auto env = std::make_shared<testing_support::MemEnv>();
    env->folders.insert(u"\\mem");
    return {env, u"\\mem", nullptr};
}

EnvUnderTest Win32Env() {
    auto temp = std::make_shared<testing_support::TempDir>();
    return {platform::win32::NewWin32Env(), temp->path().u16string(), temp};
}

}  // namespace

INSTANTIATE_TEST_SUITE_P(Envs, EnvConformance,
                         testing::Values(EnvFactory{"memory", MemoryEnv},
                                         EnvFactory{"win32", Win32Env}),
                         [](const testing::TestParamInfo<EnvFactory>& info) {
                             return info.param.name;
                         });

}  // namespace platform_test
