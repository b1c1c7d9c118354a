#include "platform/carried_path.h"

#include <algorithm>

namespace platform::carried {

bool NamesAFile(std::u16string_view path) {
    return path.size() < kMaxPath && path.find(u'\0') == std::u16string_view::npos;
}

bool EndsWithSeparator(std::u16string_view path) {
    return !path.empty() && path.back() == kSeparator;
}

std::u16string WithTrailingSeparator(std::u16string path) {
    if (!path.empty() && !EndsWithSeparator(path)) {
        path += kSeparator;
    }
    return path;
}

std::u16string_view WithoutTrailingSeparator(std::u16string_view path) {
    if (EndsWithSeparator(path)) {
        path.remove_suffix(1);
    }
    return path;
}

std::u16string_view LastComponent(std::u16string_view path) {
    const auto at = path.rfind(kSeparator);
    return at == std::u16string_view::npos ? path : path.substr(at + 1);
}

DriveSplit SplitDrive(std::u16string_view path) {
    if (path.size() >= 2 && path[1] == u':') {
        char16_t drive = path[0];
        if (drive >= u'a' && drive <= u'z') {
            drive = static_cast<char16_t>(drive - u'a' + u'A');
        }
        return {drive, path.substr(2)};
    }
    return {std::nullopt, path};
}

std::u16string WithSeparator(std::u16string_view path, char16_t separator) {
    std::u16string out(path);
    std::replace(out.begin(), out.end(), kSeparator, separator);
    return out;
}

}  // namespace platform::carried
