// The installer end to end through the scripted front end: start-up, staging, header
// preview and installation runs, over every Env.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include "app/installer_fixture.h"
#include "imaging/q_image_wnd.h"
#include "package/messages.h"
#include "platform/checksum.h"
#include "resources/resource.h"

namespace testing_support {
namespace {

using ::testing::ElementsAre;

const std::u16string kEof = u"Attempted to access an unnamed file past its end.";

TEST_P(InstallerTest, WithoutPayloadReportsTwiceAndNeverShowsTheDialog) {
    env.payload.reset();
    RunInstaller();
    EXPECT_THAT(backend.BoxTexts(),
                ElementsAre(S(messages::kExtractFailed), S(messages::kMissingDataFile)));
    EXPECT_FALSE(backend.dialogShown);
    // Both boxes are titled with the executable's name, carry the exclamation icon and
    // appear while the wait cursor shows; the cursor is gone afterwards.
    for (const RecordedBox& box : backend.boxes) {
        EXPECT_EQ(box.title, u"larkspan");
        EXPECT_EQ(box.icon, ui::BoxIcon::exclamation);
        EXPECT_EQ(box.buttons, ui::BoxButtons::ok);
    }
    EXPECT_EQ(backend.boxesUnderWaitCursor, 2);
    EXPECT_EQ(backend.waitCursorDepth, 0);
    EXPECT_TRUE(IsFolder(Qib(u"temp")));
}

TEST_P(InstallerTest, AForeignPayloadFailsThePreviewAndCancels) {
    RunInstaller(Text("PK\x03\x04 not a package at all"));
    EXPECT_THAT(backend.BoxTexts(),
                ElementsAre(S(messages::kNotAnArchive), S(messages::kNotInstalled)));
    EXPECT_FALSE(backend.dialogShown);
}

TEST_P(InstallerTest, ShowsTheHeaderAndWritesTheTitleImage) {
    PackageSpec spec;
    spec.requiredVersion = 0xFFFFFFFF;
    backend.script = {Press{IDCANCEL}};
    std::vector<platform::Path> opened;
    env.beforeOpen = [&](const platform::Path& path) { opened.push_back(path); };
    RunInstaller(MakePackageBytes(spec));
    ASSERT_TRUE(backend.dialogShown);
    EXPECT_TRUE(backend.boxes.empty());
    const DialogState& s = Shown();
    EXPECT_EQ(s.texts.at(IDC_PACKAGE_NAME), u"Test Templates");
    EXPECT_EQ(s.texts.at(IDC_DESCRIPTION), u"Line one\r\nLine two");
    EXPECT_EQ(s.texts.at(IDC_REQUIRED_VERSION), u"4294967295");
    EXPECT_EQ(s.texts.at(IDC_SUBFOLDER), u"Tests");
    EXPECT_FALSE(s.readOnly.at(IDC_SUBFOLDER));
    EXPECT_EQ(Read(Qib(u"temp\\install.jpg")), spec.titleImage);
    // The window read install.jpg back through the installer's Env.
    EXPECT_EQ(std::count(opened.begin(), opened.end(), Qib(u"temp\\install.jpg")), 1);
    ASSERT_EQ(decoder.pictures.size(), 1u);
    EXPECT_EQ(decoder.pictures[0], spec.titleImage);
    EXPECT_EQ(backend.createdChildren,
              std::vector<int>{static_cast<int>(CQImageWnd::IDC_IMAGE_WINDOW)});
    // Cancelled: the staging file stays, nothing is installed.
    EXPECT_EQ(Read(DataFile()), MakePackageBytes(spec));
    EXPECT_FALSE(Exists(Qib(u"objectpacks")));
}

TEST_P(InstallerTest, AFixedSubfolderIsReadOnlyAndATitlelessPackageWritesNoImage) {
    PackageSpec spec;
    spec.subfolderEditable = 0;
    spec.titleImage.clear();
    backend.script = {Press{IDCANCEL}};
    RunInstaller(MakePackageBytes(spec));
    ASSERT_TRUE(backend.dialogShown);
    EXPECT_TRUE(Shown().readOnly.at(IDC_SUBFOLDER));
    EXPECT_FALSE(Exists(Qib(u"temp\\install.jpg")));
    EXPECT_TRUE(decoder.pictures.empty());
}

TEST_P(InstallerTest, AnArchiveErrorInTheHeaderOpensTheDialogWithEmptyFields) {
    auto bytes = MakePackageBytes();
    bytes.resize(40);  // inside the header
    backend.script = {Press{IDCANCEL}};
    RunInstaller(bytes);
    ASSERT_EQ(backend.boxes.size(), 1u);
    EXPECT_EQ(backend.boxes[0].text, kEof);
    EXPECT_EQ(backend.boxes[0].icon, ui::BoxIcon::stop);
    ASSERT_TRUE(backend.dialogShown);
    EXPECT_EQ(Shown().texts.at(IDC_PACKAGE_NAME), u"");
    EXPECT_EQ(Shown().texts.at(IDC_REQUIRED_VERSION), u"0");
    EXPECT_FALSE(Shown().readOnly.at(IDC_SUBFOLDER));
    EXPECT_EQ(backend.waitCursorDepth, 0);
}

TEST_P(InstallerTest, AReadOnlyStagingFileFallsBackToTheEarlierOne) {
    PackageSpec earlier;
    earlier.name = u"Earlier";
    MakeFolders(Qib(u"temp"));
    Write(DataFile(), MakePackageBytes(earlier));
    env.refuseCreate = {u"\\data.vqm"};
    backend.script = {Press{IDCANCEL}};
    RunInstaller(MakePackageBytes());
    EXPECT_THAT(backend.BoxTexts(), ElementsAre(S(messages::kCreateTempFailed)));
    ASSERT_TRUE(backend.dialogShown);
    EXPECT_EQ(Shown().texts.at(IDC_PACKAGE_NAME), u"Earlier");
}

TEST_P(InstallerTest, AnEarlierLongerStagingFileEndsUpExactlyThePayload) {
    PackageSpec earlier;
    earlier.objectPacks = {{u"big.qop", std::vector<std::byte>(20000, std::byte{'x'})}};
    MakeFolders(Qib(u"temp"));
    Write(DataFile(), MakePackageBytes(earlier));
    const auto payload = MakePackageBytes();
    ASSERT_LT(payload.size(), SizeOf(DataFile()));
    backend.script = {Press{IDCANCEL}};
    RunInstaller(payload);
    EXPECT_TRUE(backend.boxes.empty());
    EXPECT_EQ(Read(DataFile()), payload);
}

// A failed staging file is gone before the installer looks for it, also where a file
// removed under an open lock stays visible until the lock goes (Windows).
class FailedStagingTest
    : public InstallerFixture,
      public ::testing::WithParamInterface<std::tuple<InstallerEnvFactory, bool>> {
protected:
    FailedStagingTest() : InstallerFixture(std::get<0>(GetParam())) {
        env.keepRemovedWhileLocked = std::get<1>(GetParam());
    }
};

TEST_P(FailedStagingTest, AStagingWriteThatFailsRemovesTheFileAndCancels) {
    env.failWrites = {u"\\data.vqm"};
    RunInstaller(MakePackageBytes());
    EXPECT_THAT(backend.BoxTexts(),
                ElementsAre(S(messages::kCreateTempFailed), S(messages::kMissingDataFile)));
    EXPECT_FALSE(backend.dialogShown);
    EXPECT_FALSE(Exists(DataFile()));
}

TEST_P(FailedStagingTest, APayloadThatFailsItsChecksumIsNotStaged) {
    auto bytes = MakePackageBytes(
        PackageSpec{.objectPacks = {{u"big.qop", std::vector<std::byte>(3 << 20)}}});
    env.payloadChecksum = platform::PayloadChecksum(bytes);
    bytes[bytes.size() - 100] ^=
        std::byte{1};  // one bit flipped in transit, past the first megabyte
    RunInstaller(bytes);
    EXPECT_THAT(backend.BoxTexts(),
                ElementsAre(S(messages::kExtractFailed), S(messages::kMissingDataFile)));
    EXPECT_FALSE(backend.dialogShown);
    EXPECT_FALSE(Exists(DataFile()));
}

INSTANTIATE_TEST_SUITE_P(Deletion, FailedStagingTest,
                         ::testing::Combine(::testing::ValuesIn(InstallerEnvs()),
                                            ::testing::Bool()),
                         [](const auto& info) {
                             return std::get<0>(info.param).name + (std::get<1>(info.param)
                                                                        ? "_NameKeptWhileLocked"
                                                                        : "_NameGoneAtOnce");
                         });

TEST_P(InstallerTest, APayloadWithItsChecksumIsStagedWhole) {
    const auto bytes = MakePackageBytes(
        PackageSpec{.objectPacks = {{u"big.qop", std::vector<std::byte>(3 << 20)}}});
    env.payloadChecksum = platform::PayloadChecksum(bytes);
    backend.script = {Press{IDCANCEL}};
    RunInstaller(bytes);
    EXPECT_TRUE(backend.boxes.empty());
    EXPECT_EQ(Read(DataFile()), bytes);
}

TEST_P(InstallerTest, InstallWritesEverySectionAndEnds) {
    backend.script = {Press{IDOK}};
    RunInstaller(MakePackageBytes());
    EXPECT_THAT(backend.BoxTexts(), ElementsAre(S(messages::kInstalled)));
    EXPECT_THAT(Tree(Qib()),
                ElementsAre("Preview/", "Preview/Tests_a.png", "Tessel/", "Tessel/t.tsl",
                            "objectpacks/", "objectpacks/Tests/", "objectpacks/Tests/a.qop",
                            "objectpacks/Tests/b.qop", "temp/", "temp/install.jpg"));
    EXPECT_EQ(Read(Qib(u"objectpacks\\Tests\\b.qop")), Text("bravo"));
    EXPECT_EQ(backend.waitCursorDepth, 0);
}

TEST_P(InstallerTest, SubfolderTextDecidesFolderLevelAndPreviewPrefix) {
    struct Case {
        std::u16string subfolder;
        std::vector<std::string> installed;  // besides temp/
    };
    const std::vector<Case> cases = {
        {u"X",
         {"Preview/", "Preview/X_a.png", "Tessel/", "Tessel/t.tsl", "objectpacks/",
          "objectpacks/X/", "objectpacks/X/a.qop", "objectpacks/X/b.qop"}},
        {u"",
         {"Preview/", "Preview/a.png", "Tessel/", "Tessel/t.tsl", "objectpacks/",
          "objectpacks/a.qop", "objectpacks/b.qop"}},
    };
    for (const Case& c : cases) {
        RemoveAll(Qib());
        backend = ScriptedBackend();
        backend.script = {SetText{IDC_SUBFOLDER, c.subfolder}, Press{IDOK}};
        RunInstaller(MakePackageBytes());
        auto tree = Tree(Qib());
        std::erase_if(tree, [](const std::string& p) { return p.rfind("temp/", 0) == 0; });
        EXPECT_EQ(tree, c.installed) << CString(c.subfolder).ToUtf8();
        EXPECT_THAT(backend.BoxTexts(), ElementsAre(S(messages::kInstalled)));
    }
}

TEST_P(InstallerTest, ATwoLevelSubfolderWithAMissingUpperLevelFailsTheFirstWrite) {
    backend.script = {SetText{IDC_SUBFOLDER, u"a\\b"}, Press{IDOK}, Press{IDCANCEL}};
    RunInstaller(MakePackageBytes());
    EXPECT_THAT(backend.BoxTexts(), ElementsAre(S(messages::kFilesDirectory)));
    EXPECT_FALSE(Exists(Qib(u"objectpacks\\a")));
    EXPECT_TRUE(Exists(DataFile()));
}

TEST_P(InstallerTest, TheOverwriteQuestionComesOnceAndNoStopsQuietly) {
    const std::u16string question =
        S(messages::kOverwriteBefore) + u"a.qop" + S(messages::kOverwriteAfter);
    // First run installs; the second asks, is answered No, then Yes.
    backend.script = {Press{IDOK}};
    RunInstaller(MakePackageBytes());

    backend = ScriptedBackend();
    backend.answers = {ui::BoxAnswer::no, ui::BoxAnswer::yes};
    backend.script = {Press{IDOK}, Press{IDOK}};
    RemoveAll(Qib(u"objectpacks\\Tests\\b.qop"));
    PackageSpec second;
    second.objectPacks = {{u"a.qop", Text("new alpha")}, {u"b.qop", Text("new bravo")}};
    second.tessels = {{u"t.tsl", Text("new tessel")}};
    RunInstaller(MakePackageBytes(second));
    ASSERT_THAT(backend.BoxTexts(), ElementsAre(question, question, S(messages::kInstalled)));
    EXPECT_EQ(backend.boxes[0].buttons, ui::BoxButtons::yesNo);
    EXPECT_EQ(backend.boxes[0].icon, ui::BoxIcon::question);
    EXPECT_EQ(Read(Qib(u"objectpacks\\Tests\\a.qop")), Text("new alpha"));
    EXPECT_EQ(Read(Qib(u"objectpacks\\Tests\\b.qop")), Text("new bravo"));
    EXPECT_EQ(Read(Qib(u"Tessel\\t.tsl")), Text("new tessel"));
    EXPECT_FALSE(Exists(DataFile()));
}

TEST_P(InstallerTest, AnsweringNoWritesNothingAndKeepsTheDialogOpen) {
    MakeFolders(Qib(u"objectpacks\\Tests"));
    Write(Qib(u"objectpacks\\Tests\\a.qop"), Text("mine"));
    backend.script = {Press{IDOK}, Press{IDCANCEL}};
    RunInstaller(MakePackageBytes());
    ASSERT_EQ(backend.boxes.size(), 1u);
    EXPECT_EQ(Read(Qib(u"objectpacks\\Tests\\a.qop")), Text("mine"));
    EXPECT_FALSE(Exists(Qib(u"objectpacks\\Tests\\b.qop")));
    EXPECT_TRUE(IsFolder(Qib(u"Preview")));
    EXPECT_TRUE(IsFolder(Qib(u"Tessel")));
    EXPECT_FALSE(Exists(Qib(u"Tessel\\t.tsl")));
    EXPECT_TRUE(Exists(DataFile()));
}

TEST_P(InstallerTest, EmptyFirstSectionRepeatedNamesAndEmptyEntries) {
    PackageSpec spec;
    spec.objectPacks.clear();
    spec.previews = {{u"p", Text("first")}, {u"p", Text("second")}, {u"zero", {}}};
    MakeFolders(Qib(u"Preview"));
    Write(Qib(u"Preview\\Tests_zero"), Text("old content"));
    backend.script = {Press{IDOK}};
    RunInstaller(MakePackageBytes(spec));
    EXPECT_THAT(backend.BoxTexts(), ElementsAre(S(messages::kInstalled)));
    EXPECT_EQ(Read(Qib(u"Preview\\Tests_p")), Text("second"));
    EXPECT_EQ(SizeOf(Qib(u"Preview\\Tests_zero")), 0u);
    EXPECT_TRUE(Exists(Qib(u"Tessel\\t.tsl")));
}

TEST_P(InstallerTest, AnArchiveEndingInsideTheSecondSectionKeepsWhatWasWritten) {
    PackageSpec spec;
    spec.previews = {{u"big.png", std::vector<std::byte>(5000, std::byte{1})}};
    auto bytes = MakePackageBytes(spec);
    bytes.resize(bytes.size() - 2000);
    backend.script = {Press{IDOK}, Press{IDCANCEL}};
    RunInstaller(bytes);
    ASSERT_THAT(backend.BoxTexts(), ElementsAre(kEof));
    EXPECT_EQ(backend.boxes[0].icon, ui::BoxIcon::stop);
    EXPECT_TRUE(Exists(Qib(u"objectpacks\\Tests\\b.qop")));
    // The short entry is refused before its file is made.
    EXPECT_FALSE(Exists(Qib(u"Preview\\Tests_big.png")));
    EXPECT_TRUE(Exists(DataFile()));
    EXPECT_EQ(backend.shown.size(), 3u);  // shown, after Install, after Cancel
}

TEST_P(InstallerTest, AStagingFileThatCannotBeDeletedIsReportedAfterSuccess) {
    env.refuseRemove = {u"\\data.vqm"};
    backend.script = {Press{IDOK}, Press{IDCANCEL}};
    RunInstaller(MakePackageBytes());
    ASSERT_EQ(backend.boxes.size(), 2u);
    EXPECT_EQ(backend.boxes[0].text, S(messages::kInstalled));
    EXPECT_EQ(backend.boxes[1].text, u"Access to " + Display(DataFile()) + u" was denied.");
    EXPECT_EQ(backend.boxes[1].icon, ui::BoxIcon::stop);
    EXPECT_TRUE(Exists(DataFile()));
    EXPECT_EQ(backend.shown.size(), 3u);  // still open after Install
}

TEST_P(InstallerTest, UnsafeNamesAndSubfoldersStopBeforeAnythingIsMade) {
    struct Case {
        const char* what;
        std::u16string subfolder;
        std::u16string tesselName;
        std::u16string message;
    };
    const std::vector<Case> cases = {
        {"parent folder", u"..", u"t.tsl", S(messages::kUnsafeSubfolder) + u".."},
        {"inner parent", u"a\\..\\..\\x", u"t.tsl",
         S(messages::kUnsafeSubfolder) + u"a\\..\\..\\x"},
        {"rooted", u"/etc", u"t.tsl", S(messages::kUnsafeSubfolder) + u"/etc"},
        {"drive", u"C:\\x", u"t.tsl", S(messages::kUnsafeSubfolder) + u"C:\\x"},
        {"traversing name", u"Tests", u"..\\..\\evil", S(messages::kUnsafeName) + u"..\\..\\evil"},
        {"slash in name", u"Tests", u"a/b", S(messages::kUnsafeName) + u"a/b"},
        {"dot dot name", u"Tests", u"..", S(messages::kUnsafeName) + u".."},
    };
    for (const Case& c : cases) {
        RemoveAll(Qib());
        backend = ScriptedBackend();
        backend.script = {SetText{IDC_SUBFOLDER, c.subfolder}, Press{IDOK}, Press{IDCANCEL}};
        PackageSpec spec;
        spec.tessels = {{c.tesselName, Text("x")}};
        RunInstaller(MakePackageBytes(spec));
        EXPECT_THAT(backend.BoxTexts(), ElementsAre(c.message)) << c.what;
        const bool nameCase = c.subfolder == u"Tests";
        // A bad subfolder stops before the folders; a bad name after the earlier files.
        EXPECT_EQ(Exists(Qib(u"objectpacks")), nameCase) << c.what;
        EXPECT_EQ(Exists(Qib(u"Preview\\Tests_a.png")), nameCase) << c.what;
        EXPECT_FALSE(Exists(Qib(u"evil"))) << c.what;
        EXPECT_TRUE(Exists(DataFile())) << c.what;
    }
}

TEST_P(InstallerTest, AnUnscannableVersionStopsTheExchangeButNotTheRun) {
    // The version box is read-only in practice; if its text is not a number, the
    // framework says so, and the subfolder is then not read back.
    backend.script = {SetText{IDC_REQUIRED_VERSION, u"abc"}, SetText{IDC_SUBFOLDER, u"Other"},
                      Press{IDOK}, Press{IDCANCEL}};
    RunInstaller(MakePackageBytes());
    ASSERT_GE(backend.boxes.size(), 1u);
    EXPECT_EQ(backend.boxes[0].text, u"Enter a positive integer.");
    EXPECT_TRUE(Exists(Qib(u"objectpacks\\Tests\\a.qop")));
    EXPECT_FALSE(Exists(Qib(u"objectpacks\\Other")));
}

INSTANTIATE_TEST_SUITE_P(Envs, InstallerTest, ::testing::ValuesIn(InstallerEnvs()),
                         InstallerEnvName);

}  // namespace
}  // namespace testing_support
