#include "pack/text_quote.h"

#include <cstdio>

#include "platform/text.h"

namespace pack {

namespace {

void AppendEscape(std::string& out, unsigned code) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "\\u%04X", code);
    out += buffer;
}

bool IsHigh(char16_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLow(char16_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

}  // namespace

std::string Quote(std::u16string_view text) {
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        switch (c) {
            case u'"':
                out += "\\\"";
                continue;
            case u'\\':
                out += "\\\\";
                continue;
            case u'\r':
                out += "\\r";
                continue;
            case u'\n':
                out += "\\n";
                continue;
            case u'\t':
                out += "\\t";
                continue;
            default:
                break;
        }
        if (c < 0x20 || c == 0x7F || (c >= 0x80 && c < 0xA0)) {
            AppendEscape(out, c);
        } else if (IsHigh(c) && i + 1 < text.size() && IsLow(text[i + 1])) {
            out += platform::Utf16ToUtf8(text.substr(i, 2));
            ++i;
        } else if (IsHigh(c) || IsLow(c)) {
            AppendEscape(out, c);
        } else {
            out += platform::Utf16ToUtf8(text.substr(i, 1));
        }
    }
    out += '"';
    return out;
}

std::string Quote(std::string_view utf8) {
    return Quote(platform::Utf8ToUtf16(utf8));
}

}  // namespace pack
