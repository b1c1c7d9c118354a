#include "platform/carried_path.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace platform::carried;

TEST(CarriedPath, ThePathLimitAndNulDecideWhetherAPathNamesAFile) {
    EXPECT_TRUE(NamesAFile(std::u16string(259, u'a')));
    EXPECT_FALSE(NamesAFile(std::u16string(260, u'a')));
    EXPECT_FALSE(NamesAFile(std::u16string(u"\\a\0b", 4)));
    EXPECT_TRUE(NamesAFile(u""));
}

TEST(CarriedPath, TrailingSeparators) {
    struct Case {
        std::u16string path, with, without;
    };
    const Case cases[] = {
        {u"", u"", u""},
        {u"C:", u"C:\\", u"C:"},
        {u"C:\\", u"C:\\", u"C:"},
        {u"\\home\\ann", u"\\home\\ann\\", u"\\home\\ann"},
        {u"\\home\\ann\\\\", u"\\home\\ann\\\\", u"\\home\\ann\\"},  // only one is taken
    };
    for (const Case& c : cases) {
        EXPECT_EQ(WithTrailingSeparator(c.path), c.with);
        EXPECT_EQ(WithoutTrailingSeparator(c.path), c.without);
        EXPECT_EQ(EndsWithSeparator(c.path), !c.path.empty() && c.path.back() == u'\\');
    }
}

TEST(CarriedPath, ComponentsDrivesAndSeparators) {
    EXPECT_EQ(LastComponent(u"\\a\\b\\c.vqm"), u"c.vqm");
    EXPECT_EQ(LastComponent(u"c.vqm"), u"c.vqm");
    EXPECT_EQ(LastComponent(u"\\a\\"), u"");

    EXPECT_EQ(SplitDrive(u"c:\\QIB").drive, u'C');
    EXPECT_EQ(SplitDrive(u"c:\\QIB").rest, u"\\QIB");
    EXPECT_EQ(SplitDrive(u"D:").rest, u"");
    EXPECT_EQ(SplitDrive(u"\\home").drive, std::nullopt);
    EXPECT_EQ(SplitDrive(u"\\home").rest, u"\\home");

    EXPECT_EQ(WithSeparator(u"\\home\\ann/x", u'/'), u"/home/ann/x");
    EXPECT_EQ(kFallbackRoot, u"C:\\");
}

}  // namespace
