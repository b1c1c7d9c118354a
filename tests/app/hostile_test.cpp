// The committed hostile packages of tests/hostile, each run through the real installer with
// Yes to every question, against the outcome it must have.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "app/installer_fixture.h"
#include "package/messages.h"
#include "resources/resource.h"
#include "support/disk_env.h"
#include "support/temp_dir.h"

namespace testing_support {
namespace {

namespace fs = std::filesystem;

fs::path Fixture(const std::string& name) {
    return SourceDir() / "tests" / "hostile" / name;
}

struct Expected {
    const char* file;
    std::vector<std::u16string> boxes;   // every box, in order
    std::vector<std::string> installed;  // files below QIB (temp/ left out)
};

const std::u16string kEof = u"Attempted to access an unnamed file past its end.";

using HostileTest = InstallerTest;

TEST_P(HostileTest, EveryFixtureHasItsOutcome) {
    const auto realDecoder = SystemImageDecoder();
    imageDecoder = realDecoder.get();
    const std::u16string unsafeName = S(messages::kUnsafeName);
    const std::u16string unsafeSub = S(messages::kUnsafeSubfolder);
    const std::vector<Expected> table = {
        {"traversal-objectpacks.vqm",
         {unsafeName + u"..\\..\\evil.qop"},
         {"Preview/", "Tessel/", "objectpacks/", "objectpacks/Hostile/"}},
        {"traversal-preview.vqm",
         {unsafeName + u"../../../evil.png"},
         {"Preview/", "Tessel/", "objectpacks/", "objectpacks/Hostile/",
          "objectpacks/Hostile/a.qop"}},
        {"traversal-tessel.vqm",
         {unsafeName + u"/tmp/evil.tsl"},
         {"Preview/", "Tessel/", "objectpacks/", "objectpacks/Hostile/",
          "objectpacks/Hostile/a.qop"}},
        {"dot-dot-name.vqm",
         {unsafeName + u".."},
         {"Preview/", "Tessel/", "objectpacks/", "objectpacks/Hostile/"}},
        {"nul-in-name.vqm",
         {unsafeName + std::u16string(u"a.qop\0.sh", 9)},
         {"Preview/", "Tessel/", "objectpacks/", "objectpacks/Hostile/"}},
        {"escaping-subfolder-fixed.vqm", {unsafeSub + u"..\\..\\..\\outside"}, {}},
        {"rooted-subfolder-fixed.vqm", {unsafeSub + u"/etc"}, {}},
        // Refused before 2 GiB are allocated: the preview meets the end of the file, and so
        // does Install on the dialog that opens with empty fields.
        {"huge-string-length.vqm", {kEof, kEof}, {}},
        {"utf16-length-overflow.vqm",
         {u"Arithmetic result exceeded 32 bits.", u"Arithmetic result exceeded 32 bits."},
         {}},
        {"huge-entry-size.vqm",
         {kEof},
         {"Preview/", "Tessel/", "objectpacks/", "objectpacks/Hostile/"}},
        {"count-top-bit.vqm",
         {S(messages::kInstalled)},
         {"Preview/", "Preview/Hostile_p.png", "Tessel/", "objectpacks/", "objectpacks/Hostile/"}},
        // Pictures too large to decode leave the frame dark; the package still installs.
        {"png-bomb-title.vqm",
         {S(messages::kInstalled)},
         {"Preview/", "Tessel/", "objectpacks/", "objectpacks/Hostile/",
          "objectpacks/Hostile/a.qop"}},
        {"jpeg-bomb-title.vqm",
         {S(messages::kInstalled)},
         {"Preview/", "Tessel/", "objectpacks/", "objectpacks/Hostile/",
          "objectpacks/Hostile/a.qop"}},
    };
    const std::vector<std::string> beside = BesideQib();
    for (const Expected& e : table) {
        RemoveAll(Qib());
        backend = ScriptedBackend();
        backend.answers = {ui::BoxAnswer::yes};
        backend.script = {Press{IDOK}, Press{IDCANCEL}};
        RunInstaller(ReadFileBytes(Fixture(e.file)));
        EXPECT_EQ(backend.BoxTexts(), e.boxes) << e.file;
        auto tree = Tree(Qib());
        std::erase_if(tree, [](const std::string& p) { return p.rfind("temp", 0) == 0; });
        EXPECT_EQ(tree, e.installed) << e.file;
        // Nothing is ever written beside QIB.
        EXPECT_EQ(BesideQib(), beside) << e.file;
    }
}

INSTANTIATE_TEST_SUITE_P(Envs, HostileTest, ::testing::ValuesIn(InstallerEnvs()), InstallerEnvName);

}  // namespace
}  // namespace testing_support
