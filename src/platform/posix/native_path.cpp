#include <algorithm>
#include <string>

#include "platform/carried_path.h"
#include "platform/posix/posix_env.h"
#include "platform/text.h"

namespace platform::posix {

std::optional<std::string> NativePath(const Path& path) {
    if (!carried::NamesAFile(path)) {
        return std::nullopt;
    }
    const carried::DriveSplit split = carried::SplitDrive(path);
    if (split.drive && *split.drive != u'C') {
        return std::nullopt;  // only "C:" has a stand-in: the root folder
    }
    if (split.drive && split.rest.empty()) {
        return std::string("/");
    }
    return Utf16ToUtf8(carried::WithSeparator(split.rest, u'/'));
}

Path CarriedPath(const std::string& native) {
    Path path = Utf8ToUtf16(native);
    std::replace(path.begin(), path.end(), u'/', carried::kSeparator);
    return path;
}

std::string WithoutTrailingSlash(std::string native) {
    while (native.size() > 1 && native.back() == '/') {
        native.pop_back();
    }
    return native;
}

}  // namespace platform::posix
