#include "ui/common/text_lines.h"

#include <vector>

#include "platform/text.h"

namespace ui::common {

std::u16string ToToolkitLines(std::u16string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
            continue;  // the "\n" that follows stays
        }
        out.push_back(text[i]);
    }
    return out;
}

std::u16string FromToolkitLines(std::u16string_view text) {
    std::u16string out;
    out.reserve(text.size() + text.size() / 16);
    for (const char16_t c : text) {
        if (c == u'\n') {
            out.push_back(u'\r');
        }
        out.push_back(c);
    }
    return out;
}

std::vector<std::u16string_view> SplitLines(std::u16string_view text) {
    std::vector<std::u16string_view> lines;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = text.find_first_of(u"\r\n", start);
        lines.push_back(text.substr(start, end == std::u16string_view::npos ? end : end - start));
        if (end == std::u16string_view::npos) {
            return lines;
        }
        start =
            end + (text[end] == u'\r' && end + 1 < text.size() && text[end + 1] == u'\n' ? 2 : 1);
    }
}

BoxText SplitBoxText(std::u16string_view text) {
    const std::vector<std::u16string_view> lines = SplitLines(text);
    std::size_t first = 0;
    while (first + 1 < lines.size() && lines[first].empty()) {
        ++first;
    }
    BoxText box;
    box.heading = platform::Utf16ToUtf8(lines[first]);
    for (std::size_t i = first + 1; i < lines.size(); ++i) {
        if (i > first + 1) {
            box.body += '\n';
        }
        box.body += platform::Utf16ToUtf8(lines[i]);
    }
    return box;
}

}  // namespace ui::common
