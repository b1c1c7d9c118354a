#include <gtest/gtest.h>

#include <cstddef>
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
