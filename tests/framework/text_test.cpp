#include "platform/text.h"
#include "platform/posix/posix_env.h"

#include <gtest/gtest.h>

namespace {

TEST(Text, Utf8RoundTripsAndReplacesWhatIsMalformed) {
    const std::u16string text = u"caf\u00e9 \u20ac \U0001F600";
    EXPECT_EQ(platform::Utf8ToUtf16(platform::Utf16ToUtf8(text)), text);
    EXPECT_EQ(platform::Utf8ToUtf16("\xC3"), u"\uFFFD");
    EXPECT_EQ(platform::Utf8ToUtf16("a\xFF"
                                    "b"),
              u"a\uFFFDb");
    EXPECT_EQ(platform::Utf16ToUtf8(std::u16string(1, u'\xD800')), "\xEF\xBF\xBD");
}

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
