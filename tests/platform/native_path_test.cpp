// The Linux file layer's mapping of the carried path form onto the file system.
#include <gtest/gtest.h>

#include "platform/posix/posix_env.h"

namespace {

TEST(NativePath, MapsTheCarriedFormAndRefusesWhatCannotBeAPath) {
    using platform::posix::NativePath;
    EXPECT_EQ(NativePath(u"\\home\\ann\\Documents\\QIB"), "/home/ann/Documents/QIB");
    EXPECT_EQ(NativePath(u"C:\\QIB\\temp"), "/QIB/temp");
    EXPECT_EQ(NativePath(u"C:"), "/");
    EXPECT_EQ(NativePath(u"D:\\x"), std::nullopt);
    EXPECT_EQ(NativePath(std::u16string(u"\\a\0b", 4)), std::nullopt);
    EXPECT_EQ(NativePath(std::u16string(259, u'a')).has_value(), true);
    EXPECT_EQ(NativePath(std::u16string(260, u'a')), std::nullopt);
}

}  // namespace
