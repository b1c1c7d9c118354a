#include "platform/text.h"

namespace platform {

// Linux has no thread code page: the installer's packages were written in Windows-1252.
std::u16string ThreadAnsiToUtf16(std::string_view bytes) {
    return Cp1252ToUtf16(bytes);
}

}  // namespace platform
