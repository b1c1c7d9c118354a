// The version resource (language 1033).
#pragma once

#include <string_view>

#include "resources/resource.h"

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
    {LARKSPAN_VERSION_MAJOR, LARKSPAN_VERSION_MINOR, LARKSPAN_VERSION_PATCH,
     LARKSPAN_VERSION_BUILD},
    {LARKSPAN_VERSION_MAJOR, LARKSPAN_VERSION_MINOR, LARKSPAN_VERSION_PATCH,
     LARKSPAN_VERSION_BUILD},
    u"Larkspan",
    u"Larkspan.exe",
    u"Larkspan.exe",
    1033,
};

}  // namespace resources
