#include "platform/text.h"

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

}  // namespace
