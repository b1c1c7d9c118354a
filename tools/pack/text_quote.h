// Text of a package as the tool shows it: UTF-8 in double quotes, with line breaks, controls,
// quotes, backslashes and unpaired surrogates escaped, so that every value stays on one line
// and shows exactly what is stored.
#pragma once

#include <string>
#include <string_view>

namespace pack {

std::string Quote(std::u16string_view text);
std::string Quote(std::string_view utf8);

}  // namespace pack
