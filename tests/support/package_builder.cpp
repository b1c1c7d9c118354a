#include "support/package_builder.h"

namespace testing_support {

std::vector<std::byte> Text(const std::string& s) {
    std::vector<std::byte> out;
    for (char c : s) {
        out.push_back(static_cast<std::byte>(c));
    }
    return out;
}

Package MakePackage(const PackageSpec& spec) {
    Package p;
    p.header.magic = kPackageMagic;
    p.header.archiveTitle = u"QIB Multiarchive file";
    p.header.requiredVersion = spec.requiredVersion;
    p.header.subfolder = spec.subfolder;
    p.header.subfolderEditable = spec.subfolderEditable;
    p.header.packageName = spec.name;
    p.header.description = spec.description;
    p.header.imageName = u"title.jpg";
    p.titleName = u"title.jpg";
    p.titleImage = spec.titleImage;
    const auto fill = [](PackageSection& s, std::u16string_view tag, const auto& files) {
        s.tag = CString(tag);
        for (const auto& [name, data] : files) {
            s.files.push_back({CString(name), data});
        }
    };
    fill(p.sections[0], kSectionTags[0], spec.objectPacks);
    fill(p.sections[1], kSectionTags[1], spec.previews);
    fill(p.sections[2], kSectionTags[2], spec.tessels);
    return p;
}

std::vector<std::byte> MakePackageBytes(const PackageSpec& spec) {
    return WritePackage(MakePackage(spec));
}

}  // namespace testing_support
