// Line breaks in the boxes and the split of a message into heading and text.
#include <gtest/gtest.h>

#include "ui/common/text_lines.h"

namespace {

using ui::common::FromToolkitLines;
using ui::common::SplitBoxText;
using ui::common::ToToolkitLines;

TEST(ToolkitLines, ConvertCrLfBothWays) {
    struct Case {
        std::u16string installer, toolkit;
    };
    const Case cases[] = {
        {u"", u""},           {u"one line", u"one line"},
        {u"a\r\nb", u"a\nb"}, {u"a\r\n\r\nb\r\n", u"a\n\nb\n"},
        {u"\r\n", u"\n"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ToToolkitLines(c.installer), c.toolkit);
        EXPECT_EQ(FromToolkitLines(c.toolkit), c.installer);
    }
}

TEST(ToolkitLines, LeaveLoneBreakCharactersToTheToolkit) {
    EXPECT_EQ(ToToolkitLines(u"a\rb\nc\r"), u"a\rb\nc\r");
}

TEST(BoxText, FirstLineIsTheHeading) {
    struct Case {
        std::u16string text;
        std::string heading, body;
    };
    const Case cases[] = {
        {u"Error 5, Missing 'data.vqm' file in temporrary space",
         "Error 5, Missing 'data.vqm' file in temporrary space", ""},
        {u"Error\nFile is not a QIB Archive file!", "Error", "File is not a QIB Archive file!"},
        {u"File Exist\nThe file 'a.qop' already exist.\nContinue Overwriting the template?",
         "File Exist", "The file 'a.qop' already exist.\nContinue Overwriting the template?"},
        {u"Premium template were installed.\r\nIf QIB is currenty running, you need to close it",
         "Premium template were installed.", "If QIB is currenty running, you need to close it"},
        {u"a\rb", "a", "b"},
        {u"a\n\nb", "a", "\nb"},
        {u"\n\nHeading\nrest", "Heading", "rest"},
        {u"", "", ""},
        {u"\n", "", ""},
        {u"Gr\u00fc\u00dfe\n\u20ac",
         "Gr\xc3\xbc\xc3\x9f"
         "e",
         "\xe2\x82\xac"},
    };
    for (const Case& c : cases) {
        const ui::common::BoxText box = SplitBoxText(c.text);
        EXPECT_EQ(box.heading, c.heading);
        EXPECT_EQ(box.body, c.body);
    }
}

}  // namespace
