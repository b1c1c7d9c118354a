#include "userdata/path_functions.h"

#include <gtest/gtest.h>

#include "support/mem_env.h"

namespace {

TEST(PathFunctions, AddTrailingBackslashAndFileNameOf) {
    struct Case {
        const char16_t* path;
        const char16_t* withBackslash;
        const char16_t* fileName;
    };
    const Case cases[] = {
        {u"", u"", u""},
        {u"data.vqm", u"data.vqm\\", u"data.vqm"},
        {u"C:\\QIB\\temp", u"C:\\QIB\\temp\\", u"temp"},
        {u"C:\\QIB\\temp\\", u"C:\\QIB\\temp\\", u""},
        {u"\\home\\ann\\a.jpg", u"\\home\\ann\\a.jpg\\", u"a.jpg"},
        {u"\\", u"\\", u""},
        {u"a\\\\", u"a\\\\", u""},
        {u"dir/file", u"dir/file\\", u"dir/file"},  // only "\" separates
    };
    for (const Case& c : cases) {
        EXPECT_EQ(AddTrailingBackslash(c.path), CString(c.withBackslash))
            << CString(c.path).ToUtf8();
        EXPECT_EQ(FileNameOf(c.path), CString(c.fileName)) << CString(c.path).ToUtf8();
    }
}

TEST(PathFunctions, FileExistsForFilesAndFoldersBelowTheLengthLimit) {
    testing_support::MemEnv env;
    env.folders.insert(u"\\docs");
    env.AddFile(u"\\docs\\data.vqm", {});
    const std::u16string longest(259, u'x');
    const std::u16string tooLong(260, u'x');
    env.AddFile(longest, {});
    env.AddFile(tooLong, {});
    env.folders.insert(tooLong + u"d");

    EXPECT_EQ(FileExists(env, u""), FALSE);
    EXPECT_NE(FileExists(env, u"\\docs"), FALSE);
    EXPECT_NE(FileExists(env, u"\\docs\\data.vqm"), FALSE);
    EXPECT_EQ(FileExists(env, u"\\docs\\missing"), FALSE);
    EXPECT_NE(FileExists(env, longest), FALSE);
    EXPECT_EQ(FileExists(env, tooLong), FALSE);
    EXPECT_EQ(FileExists(env, tooLong + u"d"), FALSE);
}

}  // namespace
