// An installed file is the old one or the whole new one, and one installer at a time writes
// the staging file: the real application against a temporary HOME, faults injected at the
// platform seam.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "app/installer_fixture.h"
#include "package/messages.h"
#include "platform/posix/posix_env.h"
#include "resources/resource.h"
#include "resources/resource_module.h"

namespace testing_support {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

std::u16string S(std::u16string_view v) {
    return std::u16string(v);
}

// The temporary files an interrupted write could have left in a folder.
std::vector<std::string> Temporaries(const fs::path& folder) {
    std::vector<std::string> found;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("~lks", 0) == 0) {
            found.push_back(name);
        }
    }
    return found;
}

using ReplaceTest = InstallerTest;

TEST_F(ReplaceTest, AFullDiskOnTheSecondObjectPackKeepsItsOldBytes) {
    const fs::path packs = Qib() / "objectpacks" / "Tests";
    fs::create_directories(packs);
    WriteFileBytes(packs / "b.qop", Text("the user's old bravo"));
    env.failTemporaryWrites = {{u"\\objectpacks\\Tests", 2}};
    backend.script = {Press{IDOK}, Press{IDCANCEL}};
    RunInstaller(MakePackageBytes());
    EXPECT_THAT(backend.BoxTexts(), ElementsAre(S(messages::kFilesDirectory)));
    EXPECT_EQ(ReadFileBytes(packs / "a.qop"), Text("alpha"));
    EXPECT_EQ(ReadFileBytes(packs / "b.qop"), Text("the user's old bravo"));
    EXPECT_THAT(Temporaries(packs), IsEmpty());
    EXPECT_FALSE(fs::exists(Qib() / "Tessel" / "t.tsl"));
    EXPECT_TRUE(fs::exists(DataFile()));

    // Pressed again once there is room, the run asks and replaces it whole.
    backend = ScriptedBackend();
    env.failTemporaryWrites.clear();
    backend.answers = {ui::BoxAnswer::yes};
    backend.script = {Press{IDOK}};
    RunInstaller(MakePackageBytes());
    EXPECT_EQ(ReadFileBytes(packs / "b.qop"), Text("bravo"));
    EXPECT_THAT(Temporaries(packs), IsEmpty());
}

// Closing reports an error (a delayed write that failed): never taken for success.
TEST_F(ReplaceTest, AFailedCloseOfAnObjectPackIsReportedAndKeepsItsOldBytes) {
    const fs::path packs = Qib() / "objectpacks" / "Tests";
    fs::create_directories(packs);
    WriteFileBytes(packs / "b.qop", Text("the user's old bravo"));
    env.failCloses = {u"\\objectpacks\\Tests\\b.qop"};
    backend.answers = {ui::BoxAnswer::yes};
    backend.script = {Press{IDOK}, Press{IDCANCEL}};
    RunInstaller(MakePackageBytes());
    EXPECT_THAT(backend.BoxTexts(), ElementsAre(S(messages::kFilesDirectory)));
    EXPECT_EQ(ReadFileBytes(packs / "a.qop"), Text("alpha"));
    EXPECT_EQ(ReadFileBytes(packs / "b.qop"), Text("the user's old bravo"));
    EXPECT_THAT(Temporaries(packs), IsEmpty());
    EXPECT_FALSE(fs::exists(Qib() / "Tessel" / "t.tsl"));
}

// The folders of the three sections and of the title image; not their parents, not other names.
TEST_F(ReplaceTest, ARunRemovesWhatAKilledRunLeftWhereItWritesAndNothingElse) {
    const fs::path packs = Qib() / "objectpacks" / "Tests";
    for (const fs::path& folder : {packs, Qib() / "Preview", Qib() / "Tessel", Qib() / "temp"}) {
        fs::create_directories(folder);
    }
    const std::vector<fs::path> left = {
        packs / "~lks0badf00d.tmp", Qib() / "Preview" / "~lks12345678.tmp",
        Qib() / "Tessel" / "~lksABCDEF01.tmp", Qib() / "temp" / "~lks2468ace0.tmp"};
    const std::vector<fs::path> kept = {packs / "~lks0badf00d.tmp.keep", packs / "~lks0badf0.tmp",
                                        Qib() / "objectpacks" / "~lks11111111.tmp"};
    for (const auto& file : left) {
        WriteFileBytes(file, Text("left by a killed run"));
    }
    for (const auto& file : kept) {
        WriteFileBytes(file, Text("not ours"));
    }
    backend.script = {Press{IDOK}};
    RunInstaller(MakePackageBytes());
    EXPECT_EQ(backend.BoxTexts().back(), S(messages::kInstalled));
    for (const auto& file : left) {
        EXPECT_FALSE(fs::exists(file)) << file;
    }
    for (const auto& file : kept) {
        EXPECT_EQ(ReadFileBytes(file), Text("not ours")) << file;
    }
    EXPECT_EQ(ReadFileBytes(packs / "a.qop"), Text("alpha"));
}

TEST_F(ReplaceTest, ReplacedFilesLinksAndEmptyEntriesEndUpWhole) {
    // An old, longer file; a link whose target must not change; an empty entry over a file.
    const fs::path packs = Qib() / "objectpacks" / "Tests";
    fs::create_directories(packs);
    fs::create_directories(Qib() / "Tessel");
    WriteFileBytes(packs / "a.qop", Text("a much longer old alpha"));
    WriteFileBytes(home.path() / "elsewhere", Text("not the installer's"));
    fs::create_symlink(home.path() / "elsewhere", packs / "b.qop");
    WriteFileBytes(Qib() / "Tessel" / "t.tsl", Text("old tessel"));
    PackageSpec spec;
    spec.tessels = {{u"t.tsl", {}}};
    backend.answers = {ui::BoxAnswer::yes};
    backend.script = {Press{IDOK}};
    RunInstaller(MakePackageBytes(spec));
    EXPECT_EQ(backend.BoxTexts().back(), S(messages::kInstalled));
    EXPECT_EQ(ReadFileBytes(packs / "a.qop"), Text("alpha"));
    EXPECT_FALSE(fs::is_symlink(packs / "b.qop"));
    EXPECT_EQ(ReadFileBytes(packs / "b.qop"), Text("bravo"));
    EXPECT_EQ(ReadFileBytes(home.path() / "elsewhere"), Text("not the installer's"));
    EXPECT_EQ(fs::file_size(Qib() / "Tessel" / "t.tsl"), 0u);
    EXPECT_THAT(Temporaries(packs), IsEmpty());
    EXPECT_THAT(Temporaries(Qib() / "temp"), IsEmpty());
}

TEST_F(ReplaceTest, AFolderInThePlaceOfAFileStaysAndIsReported) {
    const fs::path packs = Qib() / "objectpacks" / "Tests";
    fs::create_directories(packs / "b.qop" / "inside");
    backend.script = {Press{IDOK}, Press{IDCANCEL}};
    RunInstaller(MakePackageBytes());
    EXPECT_THAT(backend.BoxTexts(), ElementsAre(S(messages::kFilesDirectory)));
    EXPECT_TRUE(fs::is_directory(packs / "b.qop" / "inside"));
    EXPECT_EQ(ReadFileBytes(packs / "a.qop"), Text("alpha"));
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
        return posix->LockFile(platform::posix::CarriedPath(DataFile().string()), &lock) ==
               platform::FileError::locked;
    }

    void RunWith(ui::Backend& front, const std::vector<std::byte>& payload) {
        env.payload = payload;
        CLarkspanApp app;
        AfxServices services;
        services.env = &env;
        services.backend = &front;
        services.imageDecoder = imageDecoder;
        services.resources = &resources::LarkspanResources();
        app.Run(services, u"/opt/installers/larkspan");
    }
};

TEST_F(StagingLockTest, TheStagingFileIsLockedWhileTheDialogLives) {
    // Boxes while the dialog is open: the overwrite question, a failure, the success box.
    fs::create_directories(Qib() / "objectpacks" / "Tests");
    WriteFileBytes(Qib() / "objectpacks" / "Tests" / "a.qop", Text("old"));
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

TEST_F(StagingLockTest, ASecondInstallerLeavesTheFileAloneAndShowsWhatIsThere) {
    PackageSpec first;
    first.name = u"First";
    const std::vector<std::byte> firstBytes = MakePackageBytes(first);
    fs::create_directories(Qib() / "temp");
    WriteFileBytes(DataFile(), firstBytes);
    std::unique_ptr<platform::FileLock> firstInstaller;
    ASSERT_EQ(posix->LockFile(platform::posix::CarriedPath(DataFile().string()), &firstInstaller),
              platform::FileError::none);

    PackageSpec second;
    second.name = u"Second";
    second.titleImage = Text("the second's picture");
    backend.script = {Press{IDCANCEL}};
    RunInstaller(MakePackageBytes(second));
    EXPECT_THAT(backend.BoxTexts(), ElementsAre(S(messages::kCreateTempFailed)));
    ASSERT_TRUE(backend.dialogShown);
    EXPECT_EQ(Shown().texts.at(IDC_PACKAGE_NAME), u"First");
    EXPECT_EQ(ReadFileBytes(DataFile()), firstBytes);
    EXPECT_EQ(ReadFileBytes(Qib() / "temp" / "install.jpg"), first.titleImage);
}

}  // namespace
}  // namespace testing_support
