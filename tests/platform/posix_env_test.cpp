// What the Linux Env adds to the shared behaviours: links at a destination are replaced, not
// followed; files the user may not write are not replaced; locks hold between processes.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <set>
#include <string>

#include "platform/posix/posix_env.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using platform::FileError;
using testing_support::ReadFileBytes;
using testing_support::TempDir;
using testing_support::WriteFileBytes;

std::vector<std::byte> Bytes(std::string_view text) {
    const auto* first = reinterpret_cast<const std::byte*>(text.data());
    return {first, first + text.size()};
}

class PosixEnvTest : public testing::Test {
protected:
    platform::Path Carried(const fs::path& p) const {
        return platform::posix::CarriedPath(p.string());
    }

    TempDir dir;
    std::unique_ptr<platform::Env> env = platform::posix::NewPosixEnv({});
};

TEST_F(PosixEnvTest, ALinkAtTheDestinationIsReplacedNotWrittenThrough) {
    WriteFileBytes(dir.path() / "target", Bytes("the link's target"));
    fs::create_symlink(dir.path() / "target", dir.path() / "link");
    fs::create_symlink(dir.path() / "nowhere", dir.path() / "dangling");
    for (const char* link : {"link", "dangling"}) {
        WriteFileBytes(dir.path() / "new", Bytes("new"));
        ASSERT_EQ(env->ReplaceFile(Carried(dir.path() / "new"), Carried(dir.path() / link)),
                  FileError::none)
            << link;
        EXPECT_FALSE(fs::is_symlink(dir.path() / link)) << link;
        EXPECT_EQ(ReadFileBytes(dir.path() / link), Bytes("new")) << link;
    }
    EXPECT_EQ(ReadFileBytes(dir.path() / "target"), Bytes("the link's target"));
    EXPECT_FALSE(fs::exists(dir.path() / "nowhere"));
}

TEST_F(PosixEnvTest, AnUnnamedFileHasNoNameWhileWrittenAndReplacesALinkItself) {
    WriteFileBytes(dir.path() / "target", Bytes("the link's target"));
    fs::create_symlink(dir.path() / "target", dir.path() / "link");
    fs::create_symlink(dir.path() / "nowhere", dir.path() / "dangling");
    const auto names = [this] {
        std::set<std::string> found;
        for (const auto& entry : fs::directory_iterator(dir.path())) {
            found.insert(entry.path().filename().string());
        }
        return found;
    };
    const auto before = names();
    for (const char* link : {"link", "dangling"}) {
        std::unique_ptr<platform::UnnamedFile> file;
        ASSERT_EQ(env->CreateUnnamedFile(Carried(dir.path()), &file), FileError::none);
        ASSERT_EQ(file->Contents().Append(Bytes("new")), FileError::none);
        EXPECT_EQ(names(), before) << link;
        ASSERT_EQ(file->CloseAndName(Carried(dir.path() / link)), FileError::none) << link;
        EXPECT_FALSE(fs::is_symlink(dir.path() / link)) << link;
        EXPECT_EQ(ReadFileBytes(dir.path() / link), Bytes("new")) << link;
    }
    EXPECT_EQ(ReadFileBytes(dir.path() / "target"), Bytes("the link's target"));
    EXPECT_FALSE(fs::exists(dir.path() / "nowhere"));
}

TEST_F(PosixEnvTest, RemovingTemporaryFilesLeavesALinkOfThatNameAndItsTarget) {
    WriteFileBytes(dir.path() / "target", Bytes("the link's target"));
    fs::create_symlink(dir.path() / "target", dir.path() / "~lks01234567.tmp");
    EXPECT_EQ(env->RemoveTemporaryFiles(Carried(dir.path())), 0u);
    EXPECT_TRUE(fs::is_symlink(dir.path() / "~lks01234567.tmp"));
    EXPECT_EQ(ReadFileBytes(dir.path() / "target"), Bytes("the link's target"));
}

TEST_F(PosixEnvTest, AFileThatCannotBeOpenedForWritingIsNotReplaced) {
    WriteFileBytes(dir.path() / "read-only", Bytes("old"));
    fs::permissions(dir.path() / "read-only", fs::perms::owner_read);
    WriteFileBytes(dir.path() / "new", Bytes("new"));
    // Root may write any file: then the replacement is tried by a child that has become an
    // ordinary user (nobody), in a folder it may write.
    const auto replace = [&] {
        return env->ReplaceFile(Carried(dir.path() / "new"), Carried(dir.path() / "read-only"));
    };
    if (::geteuid() != 0) {
        EXPECT_EQ(replace(), FileError::accessDenied);
    } else {
        fs::permissions(dir.path(), fs::perms::all);
        const pid_t child = ::fork();
        if (child == 0) {
            const bool dropped = ::setgid(65534) == 0 && ::setuid(65534) == 0;
            ::_exit(dropped && replace() == FileError::accessDenied ? 0 : 1);
        }
        int status = -1;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    }
    EXPECT_EQ(ReadFileBytes(dir.path() / "read-only"), Bytes("old"));
    EXPECT_TRUE(fs::exists(dir.path() / "new"));
}

TEST_F(PosixEnvTest, TemporaryFilesGetTheModeOfAnyNewFile) {
    const mode_t mask = ::umask(022);
    platform::Path made;
    std::unique_ptr<platform::WritableFile> file;
    ASSERT_EQ(env->CreateTemporaryFile(Carried(dir.path()), &made, &file), FileError::none);
    ::umask(mask);
    EXPECT_EQ(fs::status(*platform::posix::NativePath(made)).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                  fs::perms::others_read);
}

TEST_F(PosixEnvTest, ALockKeepsOtherProcessesOut) {
    const platform::Path staged = Carried(dir.path() / "data.vqm");
    // The answer of LockFile in a child process, as its exit status.
    const auto lockInChild = [&] {
        const pid_t child = ::fork();
        if (child == 0) {
            const auto own = platform::posix::NewPosixEnv({});
            std::unique_ptr<platform::FileLock> lock;
            ::_exit(static_cast<int>(own->LockFile(staged, &lock)));
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        return WIFEXITED(status) ? static_cast<FileError>(WEXITSTATUS(status)) : FileError::generic;
    };
    {
        std::unique_ptr<platform::FileLock> lock;
        ASSERT_EQ(env->LockFile(staged, &lock), FileError::none);
        EXPECT_EQ(lockInChild(), FileError::locked);
        // Removed (as after an installation), the file takes the lock with it.
        ASSERT_EQ(env->RemoveFile(staged), FileError::none);
        EXPECT_EQ(lockInChild(), FileError::none);
    }
    EXPECT_EQ(lockInChild(), FileError::none);
}

}  // namespace
