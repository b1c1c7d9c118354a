// Symbolic links where the installer writes, on the Linux Env: a link is replaced itself,
// never written through, so its target keeps its bytes.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "app/installer_fixture.h"
#include "package/messages.h"
#include "resources/resource.h"

namespace testing_support {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

using LinkTest = InstallerTest;

TEST_P(LinkTest, ALinkToAFullDeviceIsReplacedNotWrittenThrough) {
    MakeFolders(Qib(u"objectpacks\\Tests"));
    fs::create_symlink("/dev/full", Native(Qib(u"objectpacks\\Tests\\b.qop")));
    backend.script = {Press{IDOK}, Press{IDCANCEL}};
    backend.answers = {};
    RunInstaller(MakePackageBytes());
    EXPECT_THAT(backend.BoxTexts(), ElementsAre(S(messages::kInstalled)));
    EXPECT_FALSE(fs::is_symlink(Native(Qib(u"objectpacks\\Tests\\b.qop"))));
    EXPECT_EQ(Read(Qib(u"objectpacks\\Tests\\b.qop")), Text("bravo"));
    EXPECT_TRUE(Exists(Qib(u"Tessel\\t.tsl")));
    EXPECT_FALSE(Exists(DataFile()));
}

TEST_P(LinkTest, ALinkIsReplacedAndItsTargetKeepsItsBytes) {
    const platform::Path packs = Qib(u"objectpacks\\Tests");
    MakeFolders(packs);
    const platform::Path elsewhere = Scope() / u"elsewhere";
    Write(elsewhere, Text("not the installer's"));
    fs::create_symlink(Native(elsewhere), Native(packs / u"b.qop"));
    backend.answers = {ui::BoxAnswer::yes};
    backend.script = {Press{IDOK}};
    RunInstaller(MakePackageBytes());
    EXPECT_EQ(backend.BoxTexts().back(), S(messages::kInstalled));
    EXPECT_FALSE(fs::is_symlink(Native(packs / u"b.qop")));
    EXPECT_EQ(Read(packs / u"b.qop"), Text("bravo"));
    EXPECT_EQ(Read(elsewhere), Text("not the installer's"));
    EXPECT_THAT(Temporaries(packs), IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(Envs, LinkTest, ::testing::ValuesIn(SystemInstallerEnvs()),
                         InstallerEnvName);

}  // namespace
}  // namespace testing_support
