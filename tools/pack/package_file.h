// A package read from disk: a package file, or the SETUP 129 payload of an installer.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "pack/pack_error.h"
#include "package/package_archive.h"
#include "platform/env.h"
#include "platform/payload_locator.h"

namespace pack {

// Where the package's bytes lie in the file.
struct PackageRange {
    std::uint64_t fileSize = 0;
    std::uint64_t offset = 0;  // 0 for a package file
    std::uint64_t size = 0;
    bool installer = false;
    std::optional<std::uint64_t> checksum;  // an installer's record of its payload
};

// The formats of installer that the tool reads, each tried in turn.
std::span<const platform::ResourceLocator* const> InstallerLocators();

// A file that ends in a resource table, or a Windows program with a resource directory, is an
// installer and its package is the SETUP 129 resource; any other file is a package as a
// whole. PackError naming the file otherwise, with `damagedStatus` when the installer's
// resources are damaged or hold no package.
PackageRange LocatePackage(const std::filesystem::path& file, int damagedStatus = kExitBadInput);

struct LoadedPackage {
    Package package;
    PackageRange range;
    std::uint64_t endOffset = 0;  // offset in the package just after endTag
};

// Reads the whole package. A package that is damaged or is no package at all raises
// PackError with status `damagedStatus`, naming the file, the offset in the file and the
// field being read.
LoadedPackage LoadPackage(const std::filesystem::path& file, int damagedStatus);

// The package's range of the file as the one file of an Env, opened whatever the name (how a
// CFile reads the package); the Env offers nothing else. PackError naming the file when it
// cannot be opened.
std::unique_ptr<platform::Env> OpenPackageEnv(const std::filesystem::path& file,
                                              const PackageRange& range);

// An Env without files, for what must be handed one but opens nothing.
std::unique_ptr<platform::Env> EnvWithoutFiles();

// The package's bytes as stored.
std::vector<std::byte> ReadPackageBytes(const std::filesystem::path& file,
                                        const PackageRange& range);

// "objectpacks entry 3 name", "header field packageName" ...: the field a read stopped at.
std::string DescribeField(const ReadProgress& progress);

}  // namespace pack
