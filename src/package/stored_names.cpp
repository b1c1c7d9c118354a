#include "package/stored_names.h"

#include <string_view>

bool IsSafeStoredName(const CString& name) {
    const std::u16string& s = name.str();
    return !s.empty() && s != u"." && s != u".." &&
           s.find_first_of(u"\\/") == std::u16string::npos && s.find(u'\0') == std::u16string::npos;
}

bool IsSafeSubfolder(const CString& subfolder) {
    const std::u16string_view s = subfolder.str();
    if (s.empty()) {
        return true;
    }
    if (s.front() == u'\\' || s.front() == u'/' || (s.size() >= 2 && s[1] == u':') ||
        s.find(u'\0') != std::u16string_view::npos) {
        return false;
    }
    std::size_t start = 0;
    while (start <= s.size()) {
        const std::size_t end = std::min(s.find_first_of(u"\\/", start), s.size());
        if (s.substr(start, end - start) == u"..") {
            return false;
        }
        start = end + 1;
    }
    return true;
}
