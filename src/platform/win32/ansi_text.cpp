#include <windows.h>

#include <string>

#include "platform/text.h"

namespace platform {

std::u16string ThreadAnsiToUtf16(std::string_view bytes) {
    if (bytes.empty()) {
        return {};
    }
    const int length = static_cast<int>(bytes.size());  // archive strings stay below 2 GiB
    const int units = ::MultiByteToWideChar(CP_THREAD_ACP, 0, bytes.data(), length, nullptr, 0);
    if (units <= 0) {
        return Cp1252ToUtf16(bytes);
    }
    std::u16string out(static_cast<std::size_t>(units), u'\0');
    ::MultiByteToWideChar(CP_THREAD_ACP, 0, bytes.data(), length,
                          reinterpret_cast<wchar_t*>(out.data()), units);
    return out;
}

}  // namespace platform
