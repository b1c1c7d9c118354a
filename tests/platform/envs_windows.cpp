// The Windows build's own Env in the conformance suite.
#include <gtest/gtest.h>

#include "env_conformance.h"
#include "platform/win32/win32_env.h"
#include "support/temp_dir.h"

namespace platform_test {

namespace {

EnvUnderTest Win32Env() {
    auto temp = std::make_shared<testing_support::TempDir>();
    return {platform::win32::NewWin32Env(), temp->path().u16string(), temp,
            [folder = temp->path()] { return NamesIn(folder); }};
}

}  // namespace

INSTANTIATE_TEST_SUITE_P(Envs, EnvConformance, EnvsOf(EnvFactory{"win32", Win32Env}), EnvName);

}  // namespace platform_test
