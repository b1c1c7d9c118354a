// package.json, the manifest of a package source folder, and the rules for the texts it
// carries into the package header.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace pack {

inline constexpr std::string_view kManifestName = "package.json";

// The manifest's fields, UTF-8 as in the file. The description breaks lines with "\n".
struct Manifest {
    std::string name;
    std::string description;
    std::uint32_t requiredVersion = 0;
    std::string subfolder;
    bool subfolderEditable = false;
    std::string titleImage;  // a file in the source folder; empty for none
};

// Parses and checks the manifest text; PackError naming `shownAs` and the field otherwise.
// Unknown fields are refused, so that a misspelt field is not silently left out.
Manifest ParseManifest(std::string_view text, const std::string& shownAs);
// The manifest text that ParseManifest reads back into the same fields.
std::string FormatManifest(const Manifest& manifest);

// The description as stored: every line break ("\r\n", "\n" or a lone "\r") becomes "\r\n",
// which the installer's multi-line box expects.
std::u16string StoredDescription(std::u16string_view text);
// The description as the manifest writes it: "\r\n" becomes "\n", the rest is kept.
std::u16string ManifestDescription(std::u16string_view stored);

// Why the installer would refuse this subfolder text, or empty when it takes it: it must
// not be rooted, carry a drive, hold a ".." component or a NUL.
std::string SubfolderProblem(std::u16string_view subfolder);

}  // namespace pack
