// CFile refuses paths of 260 characters or more before the system sees them: opening fails
// with a bad path, deleting raises the framework's file error, and the file stays.
#include "framework/file.h"

#include <gtest/gtest.h>

#include "support/mem_env.h"

namespace {

using testing_support::MemEnv;

TEST(FileLengthLimit, OpenAndRemoveRefusePathsOf260CharactersOrMore) {
    MemEnv env;
    const std::u16string longest = u"\\" + std::u16string(258, u'a');  // 259 characters
    const std::u16string tooLong = u"\\" + std::u16string(259, u'a');  // 260 characters
    env.AddFile(longest, {std::byte{1}});
    env.AddFile(tooLong, {std::byte{2}});

    CFile file(env);
    EXPECT_TRUE(file.Open(longest, CFile::modeRead));
    file.Close();
    CFileException error;
    EXPECT_FALSE(file.Open(tooLong, CFile::modeRead, &error));
    EXPECT_EQ(error.m_cause, CFileException::badPath);
    EXPECT_FALSE(file.IsOpen());

    try {
        CFile::Remove(env, tooLong);
        ADD_FAILURE() << "a path of 260 characters was deleted";
    } catch (const CFileException& e) {
        EXPECT_EQ(e.m_cause, CFileException::badPath);
    }
    EXPECT_EQ(env.files.count(tooLong), 1u);
    CFile::Remove(env, longest);
    EXPECT_EQ(env.files.count(longest), 0u);
}

}  // namespace
