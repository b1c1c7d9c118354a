// Line breaks between the installer's texts ("\r\n" breaks a line, as in the edit controls
// they were written for) and a toolkit's ("\n"), and the split of a message box's text into
// its heading and the rest: what every front end without the system's own controls needs.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace ui::common {

// The text's lines: "\r\n", "\n" and a lone "\r" each break a line; a text without a break is
// one line, an empty text one empty line.
std::vector<std::u16string_view> SplitLines(std::u16string_view text);

// "\r\n" becomes "\n"; everything else stays.
std::u16string ToToolkitLines(std::u16string_view text);
// "\n" becomes "\r\n", also where the text already had "\r\n" (it does not: the toolkit's
// text never holds "\r\n" after ToToolkitLines).
std::u16string FromToolkitLines(std::u16string_view text);

struct BoxText {
    std::string heading;  // UTF-8, one line
    std::string body;     // UTF-8, lines broken by "\n"; empty when the text has one line
};

// The first line is the heading and the remaining lines the body; "\r\n", "\n" and a lone
// "\r" each break a line. Empty lines before the heading are dropped, so that the heading
// is never blank while there is text.
BoxText SplitBoxText(std::u16string_view text);

}  // namespace ui::common
