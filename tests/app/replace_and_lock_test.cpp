// An installed file is the old one or the whole new one, and one installer at a time writes
// the staging file: the real application against a temporary HOME, faults injected at the
// platform seam, over every Env.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>

#include "app/installer_fixture.h"
#include "package/messages.h"
#include "resources/resource.h"

namespace testing_support {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

using ReplaceTest = InstallerTest;

TEST_P(ReplaceTest, AFullDiskOnTheSecondObjectPackKeepsItsOldBytes) {
    const platform::Path packs = Qib(u"objectpacks\\Tests");
    MakeFolders(packs);
    Write(packs / u"b.qop", Text("the user's old bravo"));
    env.failTemporaryWrites = {{u"\\objectpacks\\Tests", 2}};
    backend.script = {Press{IDOK}, Press{IDCANCEL}};
    RunInstaller(MakePackageBytes());
    EXPECT_THAT(backend.BoxTexts(), ElementsAre(S(messages::kFilesDirectory)));
    EXPECT_EQ(Read(packs / u"a.qop"), Text("alpha"));
    EXPECT_EQ(Read(packs / u"b.qop"), Text("the user's old bravo"));
    EXPECT_THAT(Temporaries(packs), IsEmpty());
    EXPECT_FALSE(Exists(Qib(u"Tessel\\t.tsl")));
    EXPECT_TRUE(Exists(DataFile()));

    // Pressed again once there is room, the run asks and replaces it whole.
    backend = ScriptedBackend();
    env.failTemporaryWrites.clear();
    backend.answers = {ui::BoxAnswer::yes};
    backend.script = {Press{IDOK}};
    RunInstaller(MakePackageBytes());
    EXPECT_EQ(Read(packs / u"b.qop"), Text("bravo"));
    EXPECT_THAT(Temporaries(packs), IsEmpty());
}

// Closing reports an error (a delayed write that failed): never taken for success.
TEST_P(ReplaceTest, AFailedCloseOfAnObjectPackIsReportedAndKeepsItsOldBytes) {
    const platform::Path packs = Qib(u"objectpacks\\Tests");
    MakeFolders(packs);
    Write(packs / u"b.qop", Text("the user's old bravo"));
    env.failCloses = {u"\\objectpacks\\Tests\\b.qop"};
    backend.answers = {ui::BoxAnswer::yes};
    backend.script = {Press{IDOK}, Press{IDCANCEL}};
    RunInstaller(MakePackageBytes());
    EXPECT_THAT(backend.BoxTexts(), ElementsAre(S(messages::kFilesDirectory)));
    EXPECT_EQ(Read(packs / u"a.qop"), Text("alpha"));
    EXPECT_EQ(Read(packs / u"b.qop"), Text("the user's old bravo"));
    EXPECT_THAT(Temporaries(packs), IsEmpty());
    EXPECT_FALSE(Exists(Qib(u"Tessel\\t.tsl")));
}

// The folders of the three sections and of the title image; not their parents, not other names.
TEST_P(ReplaceTest, ARunRemovesWhatAKilledRunLeftWhereItWritesAndNothingElse) {
    const platform::Path packs = Qib(u"objectpacks\\Tests");
    for (const platform::Path& folder : {packs, Qib(u"Preview"), Qib(u"Tessel"), Qib(u"temp")}) {
        MakeFolders(folder);
    }
    const std::vector<platform::Path> left = {
        packs / u"~lks0badf00d.tmp", Qib(u"Preview\\~lks12345678.tmp"),
        Qib(u"Tessel\\~lksABCDEF01.tmp"), Qib(u"temp\\~lks2468ace0.tmp")};
    const std::vector<platform::Path> kept = {packs / u"~lks0badf00d.tmp.keep",
                                              packs / u"~lks0badf0.tmp",
                                              Qib(u"objectpacks\\~lks11111111.tmp")};
    for (const auto& file : left) {
        Write(file, Text("left by a killed run"));
    }
    for (const auto& file : kept) {
        Write(file, Text("not ours"));
    }
    backend.script = {Press{IDOK}};
    RunInstaller(MakePackageBytes());
    EXPECT_EQ(backend.BoxTexts().back(), S(messages::kInstalled));
    for (const auto& file : left) {
        EXPECT_FALSE(Exists(file)) << CString(file).ToUtf8();
    }
    for (const auto& file : kept) {
        EXPECT_EQ(Read(file), Text("not ours")) << CString(file).ToUtf8();
    }
    EXPECT_EQ(Read(packs / u"a.qop"), Text("alpha"));
}

TEST_P(ReplaceTest, ReplacedFilesAndEmptyEntriesEndUpWhole) {
    // An old, longer file; an empty entry over a file.
    const platform::Path packs = Qib(u"objectpacks\\Tests");
    MakeFolders(packs);
    MakeFolders(Qib(u"Tessel"));
    Write(packs / u"a.qop", Text("a much longer old alpha"));
    Write(Qib(u"Tessel\\t.tsl"), Text("old tessel"));
    PackageSpec spec;
    spec.tessels = {{u"t.tsl", {}}};
    backend.answers = {ui::BoxAnswer::yes};
    backend.script = {Press{IDOK}};
    RunInstaller(MakePackageBytes(spec));
    EXPECT_EQ(backend.BoxTexts().back(), S(messages::kInstalled));
    EXPECT_EQ(Read(packs / u"a.qop"), Text("alpha"));
    EXPECT_EQ(Read(packs / u"b.qop"), Text("bravo"));
    EXPECT_EQ(SizeOf(Qib(u"Tessel\\t.tsl")), 0u);
    EXPECT_THAT(Temporaries(packs), IsEmpty());
    EXPECT_THAT(Temporaries(Qib(u"temp")), IsEmpty());
}

TEST_P(ReplaceTest, AFolderInThePlaceOfAFileStaysAndIsReported) {
    const platform::Path packs = Qib(u"objectpacks\\Tests");
    MakeFolders(packs / u"b.qop\\inside");
    backend.script = {Press{IDOK}, Press{IDCANCEL}};
    RunInstaller(MakePackageBytes());
    EXPECT_THAT(backend.BoxTexts(), ElementsAre(S(messages::kFilesDirectory)));
    EXPECT_TRUE(IsFolder(packs / u"b.qop\\inside"));
    EXPECT_EQ(Read(packs / u"a.qop"), Text("alpha"));
    EXPECT_THAT(Temporaries(packs), IsEmpty());
}

// A front end that, whenever it shows a message box, records whether another installer
// could take the staging file's lock at that moment.
class LockProbe : public ScriptedBackend {
public:
    explicit LockProbe(std::function<bool()> probe) : probe_(std::move(probe)) {}
    std::vector<bool> lockedAtBoxes;
    ui::BoxAnswer ShowMessageBox(const ui::MessageBoxRequest& box,
                                 ui::DialogWindow* owner) override {
        lockedAtBoxes.push_back(probe_());
        return ScriptedBackend::ShowMessageBox(box, owner);
    }

private:
    std::function<bool()> probe_;
};

class StagingLockTest : public InstallerTest {
protected:
    // Whether another installer (another opening of the file) would find it locked.
    bool LockedByOthers() {
        std::unique_ptr<platform::FileLock> lock;
        return System().LockFile(DataFile(), &lock) == platform::FileError::locked;
    }

    void RunWith(ui::Backend& front, const std::vector<std::byte>& payload) {
        env.payload = payload;
        RunInstaller(front);
    }
};

TEST_P(StagingLockTest, TheStagingFileIsLockedWhileTheDialogLives) {
    // Boxes while the dialog is open: the overwrite question, a failure, the success box.
    MakeFolders(Qib(u"objectpacks\\Tests"));
    Write(Qib(u"objectpacks\\Tests\\a.qop"), Text("old"));
    env.refuseRemove = {u"\\data.vqm"};
    LockProbe front([this] { return LockedByOthers(); });
    front.answers = {ui::BoxAnswer::yes};
    front.script = {Press{IDOK}, Press{IDCANCEL}};
    RunWith(front, MakePackageBytes());
    ASSERT_EQ(front.boxes.size(), 3u);
    EXPECT_EQ(front.boxes[1].text, S(messages::kInstalled));
    EXPECT_THAT(front.lockedAtBoxes, ElementsAre(true, true, true));
    EXPECT_FALSE(LockedByOthers());  // released with the dialog
}

TEST_P(StagingLockTest, ASecondInstallerLeavesTheFileAloneAndShowsWhatIsThere) {
    PackageSpec first;
    first.name = u"First";
    const std::vector<std::byte> firstBytes = MakePackageBytes(first);
    MakeFolders(Qib(u"temp"));
    Write(DataFile(), firstBytes);
    std::unique_ptr<platform::FileLock> firstInstaller;
    ASSERT_EQ(System().LockFile(DataFile(), &firstInstaller), platform::FileError::none);

    PackageSpec second;
    second.name = u"Second";
    second.titleImage = Text("the second's picture");
    backend.script = {Press{IDCANCEL}};
    RunInstaller(MakePackageBytes(second));
    EXPECT_THAT(backend.BoxTexts(), ElementsAre(S(messages::kCreateTempFailed)));
    ASSERT_TRUE(backend.dialogShown);
    EXPECT_EQ(Shown().texts.at(IDC_PACKAGE_NAME), u"First");
    EXPECT_EQ(Read(DataFile()), firstBytes);
    EXPECT_EQ(Read(Qib(u"temp\\install.jpg")), first.titleImage);
}

INSTANTIATE_TEST_SUITE_P(Envs, ReplaceTest, ::testing::ValuesIn(InstallerEnvs()), InstallerEnvName);
INSTANTIATE_TEST_SUITE_P(Envs, StagingLockTest, ::testing::ValuesIn(InstallerEnvs()),
                         InstallerEnvName);

}  // namespace
}  // namespace testing_support
