// Small packages for tests, built with the package writer.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "package/package_archive.h"

namespace testing_support {

std::vector<std::byte> Text(const std::string& s);

// A package with a title image of `titleBytes` (not a real picture) and the given files.
struct PackageSpec {
    std::u16string name = u"Test Templates";
    std::u16string description = u"Line one\r\nLine two";
    DWORD requiredVersion = 3;
    std::u16string subfolder = u"Tests";
    DWORD subfolderEditable = 1;
    std::vector<std::byte> titleImage = Text("not really a jpeg");
    std::vector<std::pair<std::u16string, std::vector<std::byte>>> objectPacks = {
        {u"a.qop", Text("alpha")}, {u"b.qop", Text("bravo")}};
    std::vector<std::pair<std::u16string, std::vector<std::byte>>> previews = {
        {u"a.png", Text("preview")}};
    std::vector<std::pair<std::u16string, std::vector<std::byte>>> tessels = {
        {u"t.tsl", Text("tessel")}};
};

Package MakePackage(const PackageSpec& spec);
std::vector<std::byte> MakePackageBytes(const PackageSpec& spec = {});

}  // namespace testing_support
