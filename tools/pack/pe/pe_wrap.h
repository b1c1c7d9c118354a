// Writing an installer's payload into a copy of a Windows stub: the stub's resource tree is
// read, rebuilt with the payload as SETUP 129 and its checksum as XXH3 129 (language 1033
// both, replacing earlier ones) and laid into the last section of the image: in place when
// the resource section is already the last one (as after an earlier wrap), else in a new
// section appended to the image. Every other resource is carried over byte for byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "pack/pe/pe_image.h"
#include "platform/resource_table.h"

namespace pack::pe {

// The resource beside the payload that holds its XXH3-64, 8 bytes little-endian.
using platform::restable::kChecksumType;

// A well-formed stub that cannot take the payload (no room for another section header, an
// image that would pass 4 GiB).
class CannotWrap : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Whether the program carries `marker` in its bytes outside the payload and checksum
// resources of an earlier wrap. False for a file that is no PE program; DamagedImage when
// its headers or resource tree do not fit the file.
bool CarriesMarker(std::span<const std::byte> program, std::string_view marker);

// The stub with `payload` and `checksum` as its resources. A certificate table is dropped
// (its signature would no longer hold) and `warning` says so; data after the sections other
// than the certificate table (a symbol table, an overlay) follows the new resources.
// DamagedImage or CannotWrap when the stub does not allow it.
std::vector<std::byte> WrapPe(std::span<const std::byte> stub, std::span<const std::byte> payload,
                              std::uint64_t checksum, std::string* warning);

}  // namespace pack::pe
