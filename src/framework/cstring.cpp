#include "framework/cstring.h"

#include <algorithm>

#include "platform/text.h"

CString CString::FromUtf8(std::string_view text) {
    return CString(platform::Utf8ToUtf16(text));
}

std::string CString::ToUtf8() const {
    return platform::Utf16ToUtf8(s_);
}

CString CString::Left(int count) const {
    return CString(s_.substr(0, static_cast<std::size_t>(std::clamp(count, 0, GetLength()))));
}

CString CString::Mid(int first) const {
    return Mid(first, GetLength());
}

CString CString::Mid(int first, int count) const {
    first = std::clamp(first, 0, GetLength());
    count = std::clamp(count, 0, GetLength() - first);
    return CString(s_.substr(static_cast<std::size_t>(first), static_cast<std::size_t>(count)));
}

CString CString::Right(int count) const {
    count = std::clamp(count, 0, GetLength());
    return CString(s_.substr(s_.size() - static_cast<std::size_t>(count)));
}

int CString::ReverseFind(char16_t ch) const {
    const auto at = s_.rfind(ch);
    return at == std::u16string::npos ? -1 : static_cast<int>(at);
}

int CString::Find(char16_t ch, int start) const {
    if (start < 0 || start > GetLength()) {
        return -1;
    }
    const auto at = s_.find(ch, static_cast<std::size_t>(start));
    return at == std::u16string::npos ? -1 : static_cast<int>(at);
}
