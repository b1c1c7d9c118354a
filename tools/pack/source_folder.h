// The package source folder: package.json, the optional section folders objectpacks/,
// preview/ and tessel/, and the title image. `create` turns it into a package, `extract`
// turns a package back into one.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "package/package_archive.h"

namespace pack {

inline constexpr std::u16string_view kArchiveTitle = u"QIB Multiarchive file";

// The folder a section's files come from, which is also its tag: "objectpacks" ...
std::string SectionFolderName(int section);

// Why a stored name cannot be a file of its own in a folder, or empty when it can: empty,
// "." or "..", or holding "\", "/" or a NUL.
std::string StoredNameProblem(std::u16string_view name);

// Reads the source folder into the package that `create` writes. Section files are taken
// in byte order of their names. PackError naming the file and field for anything that
// cannot be stored.
Package BuildPackage(const std::filesystem::path& source);

// Writes the source folder of a package into `folder`, which exists and is empty; messages
// name the files below `shownAs`. The names must have passed CheckExtractable.
void WriteSourceFolder(const Package& package, const std::filesystem::path& folder,
                       const std::string& shownAs);

// Refuses (PackError naming `shownAs`) a package whose stored names cannot be written as
// files inside the folder without leaving it or overwriting one another.
void CheckExtractable(const Package& package, const std::string& shownAs);

}  // namespace pack
