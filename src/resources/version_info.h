// The version resource (language 1033).
#pragma once

#include <string_view>

namespace resources {

struct VersionInfo {
    unsigned fileVersion[4];
    unsigned productVersion[4];
    std::u16string_view fileDescription;
    std::u16string_view internalName;
    std::u16string_view originalFilename;
    unsigned language;
};

inline constexpr VersionInfo kVersionInfo = {
    {1, 0, 0, 1}, {1, 0, 0, 1}, u"Larkspan", u"Larkspan.exe", u"Larkspan.exe", 1033,
};

}  // namespace resources
