#include <gtest/gtest.h>

#include <cstddef>
#include <span>
#include <string>
#include <vector>

#include "env_conformance.h"

namespace platform_test {

using platform::FileError;
using platform::Path;

TEST_P(EnvConformance, ACreatedFileReadsBackInAnyPieces) {
    Write(At(u"a.bin"), "0123456789abcdef");
    EXPECT_EQ(ReadAll(At(u"a.bin")), "0123456789abcdef");
    EXPECT_EQ(ReadAll(At(u"a.bin"), 3), "0123456789abcdef");
    std::unique_ptr<platform::SequentialFile> file;
    ASSERT_EQ(env().OpenSequential(At(u"a.bin"), &file), FileError::none);
    EXPECT_EQ(file->Length(), 16u);
}

TEST_P(EnvConformance, CreatingTruncatesALongerFile) {
    Write(At(u"a.bin"), "a much longer text than the next one");
    Write(At(u"a.bin"), "short");
    EXPECT_EQ(ReadAll(At(u"a.bin")), "short");
    Write(At(u"a.bin"), "");
    EXPECT_EQ(ReadAll(At(u"a.bin")), "");
}

TEST_P(EnvConformance, TransferMovesTheNextBytesAndStopsAtTheEnd) {
    Write(At(u"from"), "headbody-tail");
    std::unique_ptr<platform::SequentialFile> from;
    ASSERT_EQ(env().OpenSequential(At(u"from"), &from), FileError::none);
    std::vector<std::byte> head(4);
    std::size_t got = 0;
    ASSERT_EQ(from->Read(head, &got), FileError::none);
    ASSERT_EQ(got, 4u);

    std::unique_ptr<platform::WritableFile> to;
    ASSERT_EQ(env().CreateTruncated(At(u"to"), &to), FileError::none);
    std::uint64_t moved = 0;
    EXPECT_EQ(from->TransferTo(*to, 4, &moved), FileError::none);
    EXPECT_EQ(moved, 4u);
    EXPECT_EQ(from->TransferTo(*to, 100, &moved), FileError::none);
    EXPECT_EQ(moved, 5u);  // only what remained
    ASSERT_EQ(to->Close(), FileError::none);
    EXPECT_EQ(ReadAll(At(u"to")), "body-tail");
}

TEST_P(EnvConformance, StatusTellsFilesFromFoldersAndMissingPaths) {
    Write(At(u"file"), "12345");
    ASSERT_TRUE(env().CreateFolder(At(u"folder")));
    platform::FileStatus status;
    ASSERT_TRUE(env().GetFileStatus(At(u"file"), &status));
    EXPECT_EQ(status.size, 5u);
    EXPECT_FALSE(status.isDirectory);
    ASSERT_TRUE(env().GetFileStatus(At(u"folder"), &status));
    EXPECT_TRUE(status.isDirectory);
    EXPECT_FALSE(env().GetFileStatus(At(u"missing"), &status));

    EXPECT_TRUE(env().PathExists(At(u"file")));
    EXPECT_TRUE(env().PathExists(At(u"folder")));
    EXPECT_FALSE(env().PathExists(At(u"missing")));
}

TEST_P(EnvConformance, FoldersAreMadeOneLevelAtATime) {
    EXPECT_TRUE(env().CreateFolder(At(u"one")));
    EXPECT_FALSE(env().CreateFolder(At(u"one")));  // already there
    EXPECT_TRUE(env().CreateFolder(At(u"one\\two")));
    EXPECT_FALSE(env().CreateFolder(At(u"none\\two")));  // no parent
    EXPECT_FALSE(env().PathExists(At(u"none")));
    Write(At(u"one\\two\\file"), "x");
    EXPECT_EQ(ReadAll(At(u"one\\two\\file")), "x");
}

TEST_P(EnvConformance, RemovingAFileLeavesNothing) {
    Write(At(u"gone"), "x");
    EXPECT_EQ(env().RemoveFile(At(u"gone")), FileError::none);
    EXPECT_FALSE(env().PathExists(At(u"gone")));
    EXPECT_EQ(env().RemoveFile(At(u"gone")), FileError::notFound);
}

// What staging does with a file it must not leave behind: locked, written, closed, the lock
// released, removed. Nothing of it may be found afterwards, not even for a moment (Windows
// would keep the name while any handle stayed open).
TEST_P(EnvConformance, ALockedFileRemovedAfterItsHandlesCloseIsGoneAtOnce) {
    std::unique_ptr<platform::FileLock> lock;
    ASSERT_EQ(env().LockFile(At(u"staged"), &lock), FileError::none);
    std::unique_ptr<platform::WritableFile> out;
    ASSERT_EQ(env().CreateTruncated(At(u"staged"), &out), FileError::none);
    ASSERT_EQ(out->Append(std::as_bytes(std::span("damaged", 7))), FileError::none);
    ASSERT_EQ(out->Close(), FileError::none);
    out.reset();
    lock.reset();
    EXPECT_EQ(env().RemoveFile(At(u"staged")), FileError::none);
    EXPECT_FALSE(env().PathExists(At(u"staged")));
    std::unique_ptr<platform::SequentialFile> in;
    EXPECT_EQ(env().OpenSequential(At(u"staged"), &in), FileError::notFound);
}

TEST_P(EnvConformance, FailuresNameTheirKind) {
    std::unique_ptr<platform::SequentialFile> in;
    EXPECT_EQ(env().OpenSequential(At(u"missing"), &in), FileError::notFound);
    EXPECT_EQ(in, nullptr);

    ASSERT_TRUE(env().CreateFolder(At(u"folder")));
    EXPECT_EQ(env().OpenSequential(At(u"folder"), &in), FileError::accessDenied);
    std::unique_ptr<platform::WritableFile> out;
    EXPECT_EQ(env().CreateTruncated(At(u"folder"), &out), FileError::isDirectory);
    EXPECT_EQ(env().CreateTruncated(At(u"no-such-folder\\file"), &out), FileError::notFound);
    EXPECT_EQ(out, nullptr);
    EXPECT_NE(env().RemoveFile(At(u"folder")), FileError::none);
    EXPECT_TRUE(env().PathExists(At(u"folder")));
}

}  // namespace platform_test

namespace platform_test {

using platform::FileError;
using platform::Path;

TEST_P(EnvConformance, TemporaryFilesAreNewFilesInTheirFolder) {
    Write(At(u"keep"), "kept");
    Path first;
    Path second;
    std::unique_ptr<platform::WritableFile> a;
    std::unique_ptr<platform::WritableFile> b;
    ASSERT_EQ(env().CreateTemporaryFile(Root(), &first, &a), FileError::none);
    ASSERT_EQ(env().CreateTemporaryFile(Root(), &second, &b), FileError::none);
    EXPECT_NE(first, second);
    for (const Path& made : {first, second}) {
        const Path name = made.substr(At(u"").size());
        EXPECT_EQ(made.substr(0, At(u"").size()), At(u""));
        EXPECT_EQ(name.rfind(u"~lks", 0), 0u);
        EXPECT_EQ(name.find(u'\\'), Path::npos);
        EXPECT_EQ(name.substr(name.size() - 4), u".tmp");
        EXPECT_TRUE(env().PathExists(made));
    }
    ASSERT_EQ(a->Append(Text("first")), FileError::none);
    ASSERT_EQ(a->Close(), FileError::none);
    ASSERT_EQ(b->Close(), FileError::none);
    EXPECT_EQ(ReadAll(first), "first");
    EXPECT_EQ(ReadAll(second), "");
    EXPECT_EQ(ReadAll(At(u"keep")), "kept");

    std::unique_ptr<platform::WritableFile> none;
    Path nowhere;
    EXPECT_EQ(env().CreateTemporaryFile(At(u"missing"), &nowhere, &none), FileError::notFound);
    EXPECT_EQ(none, nullptr);
}

TEST_P(EnvConformance, ReplacingMovesAWholeFileOverTheOldOneOrToANewName) {
    Write(At(u"old"), "the old and longer content");
    Write(At(u"new"), "new");
    ASSERT_EQ(env().ReplaceFile(At(u"new"), At(u"old")), FileError::none);
    EXPECT_EQ(ReadAll(At(u"old")), "new");
    EXPECT_FALSE(env().PathExists(At(u"new")));

    Write(At(u"empty"), "");
    ASSERT_EQ(env().ReplaceFile(At(u"empty"), At(u"fresh")), FileError::none);
    EXPECT_EQ(ReadAll(At(u"fresh")), "");
    EXPECT_FALSE(env().PathExists(At(u"empty")));
}

TEST_P(EnvConformance, ReplacingAFolderChangesNothing) {
    ASSERT_TRUE(env().CreateFolder(At(u"folder")));
    Write(At(u"folder\\inside"), "inside");
    Write(At(u"file"), "file");
    EXPECT_NE(env().ReplaceFile(At(u"file"), At(u"folder")), FileError::none);
    platform::FileStatus status;
    ASSERT_TRUE(env().GetFileStatus(At(u"folder"), &status));
    EXPECT_TRUE(status.isDirectory);
    EXPECT_EQ(ReadAll(At(u"folder\\inside")), "inside");
    EXPECT_EQ(ReadAll(At(u"file")), "file");
}

TEST_P(EnvConformance, ALockIsExclusiveUntilReleasedAndHindersNothingElse) {
    std::unique_ptr<platform::FileLock> held;
    ASSERT_EQ(env().LockFile(At(u"staged"), &held), FileError::none);
    ASSERT_NE(held, nullptr);
    EXPECT_EQ(ReadAll(At(u"staged")), "");  // made empty when missing

    std::unique_ptr<platform::FileLock> second;
    EXPECT_EQ(env().LockFile(At(u"staged"), &second), FileError::locked);
    EXPECT_EQ(second, nullptr);

    // Only other locks are kept out: the holder and others read, truncate and write.
    Write(At(u"staged"), "written under the lock");
    EXPECT_EQ(ReadAll(At(u"staged")), "written under the lock");
    EXPECT_EQ(env().LockFile(At(u"staged"), &second), FileError::locked);

    held.reset();
    ASSERT_EQ(env().LockFile(At(u"staged"), &second), FileError::none);
    EXPECT_EQ(ReadAll(At(u"staged")), "written under the lock");  // never truncated

    // Another file is another lock; a locked file can be removed, and is gone at the latest
    // when its lock goes (Windows keeps the name until then).
    std::unique_ptr<platform::FileLock> other;
    EXPECT_EQ(env().LockFile(At(u"other"), &other), FileError::none);
    EXPECT_EQ(env().RemoveFile(At(u"staged")), FileError::none);
    second.reset();
    EXPECT_FALSE(env().PathExists(At(u"staged")));

    EXPECT_EQ(env().LockFile(At(u"missing\\file"), &held), FileError::notFound);
}

}  // namespace platform_test
