#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <iterator>
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
    // A "\\" at the end of a folder's path names the same folder.
    EXPECT_TRUE(env().PathExists(At(u"one\\")));
    platform::FileStatus status;
    ASSERT_TRUE(env().GetFileStatus(At(u"one\\"), &status));
    EXPECT_TRUE(status.isDirectory);
    EXPECT_FALSE(env().CreateFolder(At(u"one\\")));  // already there
    EXPECT_TRUE(env().CreateFolder(At(u"three\\")));
    EXPECT_TRUE(env().PathExists(At(u"three")));
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

namespace platform_test {

using platform::FileError;
using platform::Path;
using Names = std::vector<std::u16string>;

// What a folder shows while a new file is written in it: nothing new where the system makes
// files without a name, else one temporary name.
::testing::AssertionResult NothingButTemporaryBeside(const Names& names, const Names& before) {
    Names added;
    std::set_difference(names.begin(), names.end(), before.begin(), before.end(),
                        std::back_inserter(added));
    if (added.size() > 1 || (added.size() == 1 && !platform::IsTemporaryFileName(added[0]))) {
        return ::testing::AssertionFailure() << added.size() << " new names";
    }
    return ::testing::AssertionSuccess();
}

TEST_P(EnvConformance, AnUnnamedFileTakesItsNameOnlyWhenComplete) {
    // Over an existing file, then to a new name.
    Write(At(u"old"), "the old and longer content");
    for (const std::u16string_view name : {u"old", u"fresh"}) {
        const Names before = Listed();
        std::unique_ptr<platform::UnnamedFile> file;
        ASSERT_EQ(env().CreateUnnamedFile(Root(), &file), FileError::none);
        ASSERT_EQ(file->Contents().Append(Text("new ")), FileError::none);
        ASSERT_EQ(file->Contents().Append(Text("bytes")), FileError::none);
        EXPECT_TRUE(NothingButTemporaryBeside(Listed(), before));
        EXPECT_EQ(ReadAll(At(u"old")), name == u"old" ? "the old and longer content" : "new bytes");
        EXPECT_FALSE(env().PathExists(At(u"fresh")));
        ASSERT_EQ(file->CloseAndName(At(name)), FileError::none);
        EXPECT_EQ(ReadAll(At(name)), "new bytes");
    }
    EXPECT_EQ(Listed(), (Names{u"fresh", u"old"}));

    // Empty, too.
    std::unique_ptr<platform::UnnamedFile> empty;
    ASSERT_EQ(env().CreateUnnamedFile(Root(), &empty), FileError::none);
    ASSERT_EQ(empty->CloseAndName(At(u"old")), FileError::none);
    EXPECT_EQ(ReadAll(At(u"old")), "");
    EXPECT_EQ(Listed(), (Names{u"fresh", u"old"}));
}

TEST_P(EnvConformance, AnUnnamedFileThatIsNotNamedLeavesNothing) {
    ASSERT_TRUE(env().CreateFolder(At(u"folder")));
    Write(At(u"folder\\inside"), "inside");
    {
        std::unique_ptr<platform::UnnamedFile> abandoned;
        ASSERT_EQ(env().CreateUnnamedFile(Root(), &abandoned), FileError::none);
        ASSERT_EQ(abandoned->Contents().Append(Text("never named")), FileError::none);
    }
    EXPECT_EQ(Listed(), (Names{u"folder"}));

    // A folder in its place: refused, the folder as it was, the file gone.
    std::unique_ptr<platform::UnnamedFile> refused;
    ASSERT_EQ(env().CreateUnnamedFile(Root(), &refused), FileError::none);
    ASSERT_EQ(refused->Contents().Append(Text("file")), FileError::none);
    EXPECT_NE(refused->CloseAndName(At(u"folder")), FileError::none);
    refused.reset();
    EXPECT_EQ(Listed(), (Names{u"folder"}));
    EXPECT_EQ(ReadAll(At(u"folder\\inside")), "inside");

    std::unique_ptr<platform::UnnamedFile> none;
    EXPECT_EQ(env().CreateUnnamedFile(At(u"missing"), &none), FileError::notFound);
    EXPECT_EQ(none, nullptr);
}

TEST_P(EnvConformance, RemovingTemporaryFilesTakesOnlyThoseNobodyWrites) {
    // What a killed run left: both cases of the hexadecimal digits.
    Write(At(u"~lks0123abcd.tmp"), "left");
    Write(At(u"~lksDEADBEEF.tmp"), "left");
    // Near misses, a folder and a file below of that form: all stay.
    const Names kept = {u"lks01234567.tmp",    u"~LKS01234567.tmp",  u"~lks11234567.TMP",
                        u"~lks0123456.tmp",    u"~lks012345678.tmp", u"~lks0123456g.tmp",
                        u"~lks01234567.tmp.x", u"~lks01234567"};
    for (const std::u16string& name : kept) {
        Write(At(name), "not ours");
    }
    ASSERT_TRUE(env().CreateFolder(At(u"~lks89abcdef.tmp")));
    Write(At(u"~lks89abcdef.tmp\\~lks76543210.tmp"), "below");
    // Another installer's files, being written now.
    Path held;
    std::unique_ptr<platform::WritableFile> writing;
    ASSERT_EQ(env().CreateTemporaryFile(Root(), &held, &writing), FileError::none);
    ASSERT_EQ(writing->Append(Text("being written")), FileError::none);
    std::unique_ptr<platform::UnnamedFile> unnamed;
    ASSERT_EQ(env().CreateUnnamedFile(Root(), &unnamed), FileError::none);
    ASSERT_EQ(unnamed->Contents().Append(Text("also")), FileError::none);
    const Names during = Listed();

    EXPECT_EQ(env().RemoveTemporaryFiles(Root()), 2u);
    Names expected = during;
    std::erase(expected, u"~lks0123abcd.tmp");
    std::erase(expected, u"~lksDEADBEEF.tmp");
    EXPECT_EQ(expected.size(), during.size() - 2);
    EXPECT_EQ(Listed(), expected);
    EXPECT_EQ(ReadAll(At(u"~lks89abcdef.tmp\\~lks76543210.tmp")), "below");

    // Both writers go on undisturbed; once they are done nothing of theirs is left over.
    ASSERT_EQ(writing->Append(Text(", whole")), FileError::none);
    ASSERT_EQ(writing->Close(), FileError::none);
    EXPECT_EQ(ReadAll(held), "being written, whole");
    ASSERT_EQ(unnamed->CloseAndName(At(u"named")), FileError::none);
    EXPECT_EQ(ReadAll(At(u"named")), "also");
    EXPECT_EQ(env().RemoveTemporaryFiles(Root()), 1u);  // the closed one, now nobody's
    EXPECT_FALSE(env().PathExists(held));
    EXPECT_EQ(env().RemoveTemporaryFiles(At(u"missing")), 0u);
}

}  // namespace platform_test
