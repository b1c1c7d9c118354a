#include <string>

#include "platform/posix/posix_env.h"
#include "platform/text.h"

namespace platform::posix {

namespace {
// Paths of this many UTF-16 units or more fail, as they do on the system this installer
// was first written for.
constexpr std::size_t kMaxPath = 260;
}  // namespace

std::optional<std::string> NativePath(const Path& path) {
    // A NUL would end the path early at the system call.
    if (path.size() >= kMaxPath || path.find(u'\0') != Path::npos) {
        return std::nullopt;
    }
    std::u16string_view rest = path;
    if (rest.size() >= 2 && rest[1] == u':') {
        if (rest[0] != u'C' && rest[0] != u'c') {
            return std::nullopt;
        }
        rest.remove_prefix(2);
        if (rest.empty()) {
            return std::string("/");
        }
    }
    std::string native = Utf16ToUtf8(rest);
    for (char& c : native) {
        if (c == '\\') {
            c = '/';
        }
    }
    return native;
}

Path CarriedPath(const std::string& native) {
    Path carried = Utf8ToUtf16(native);
    for (char16_t& c : carried) {
        if (c == u'/') {
            c = u'\\';
        }
    }
    return carried;
}

}  // namespace platform::posix
