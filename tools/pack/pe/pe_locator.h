// The payload locator for Windows installers: SETUP 129 found through the program's resource
// directory, its checksum in XXH3 129 beside it.
#pragma once

#include "platform/payload_locator.h"

namespace pack::pe {

const platform::ResourceLocator& ResourceDirectoryLocator();

}  // namespace pack::pe
