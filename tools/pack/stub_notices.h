// The licence notices an installer stub carries: on Linux the ELF section
// ".larkspan.notices", on Windows the PE section ".notices"; a NUL ends the text.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>

namespace pack {

inline constexpr const char* kElfNoticesSection = ".larkspan.notices";
inline constexpr const char* kPeNoticesSection = ".notices";

// The notices of the program (stub or installer) `file` holds; nullopt when it is no
// program or carries none. Every offset is checked against the file: a damaged program
// gives nullopt, never a read outside it.
std::optional<std::string> FindStubNotices(std::span<const std::byte> file);

}  // namespace pack
