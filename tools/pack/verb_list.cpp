// list FILE: the header fields and every entry of a package or an installer's package.
#include <CLI/CLI.hpp>
#include <memory>

#include "pack/file_io.h"
#include "pack/pack_error.h"
#include "pack/package_file.h"
#include "pack/source_folder.h"
#include "pack/text_quote.h"
#include "pack/verbs.h"

namespace pack {

namespace {

std::string Count(std::size_t n) {
    return std::to_string(n) + (n == 1 ? " entry" : " entries");
}

void PrintPackage(std::ostream& out, const std::string& shownAs, const LoadedPackage& loaded) {
    const PackageRange& r = loaded.range;
    const Package& p = loaded.package;
    const PackageHeader& h = p.header;
    out << "file: " << shownAs << " (" << r.fileSize << " bytes, ";
    if (r.installer) {
        out << "installer; package at offset " << r.offset << ", " << r.size << " bytes)\n";
    } else {
        out << "package)\n";
    }
    out << "magic: " << h.magic << "\n"
        << "archiveTitle: " << Quote(h.archiveTitle.str()) << "\n"
        << "requiredVersion: " << h.requiredVersion << "\n"
        << "subfolder: " << Quote(h.subfolder.str()) << "\n"
        << "subfolderEditable: " << h.subfolderEditable << "\n"
        << "reservedText: " << Quote(h.reservedText.str()) << "\n"
        << "packageName: " << Quote(h.packageName.str()) << "\n"
        << "description: " << Quote(h.description.str()) << "\n"
        << "imageName: " << Quote(h.imageName.str()) << "\n"
        << "reservedWord: " << h.reservedWord << "\n"
        << "titleimage: tag " << Quote(p.titleTag.str()) << ", name " << Quote(p.titleName.str())
        << ", " << p.titleImage.size() << " bytes\n";
    for (int s = 0; s < kSectionCount; ++s) {
        const PackageSection& section = p.sections[static_cast<std::size_t>(s)];
        const std::string name = SectionFolderName(s);
        out << name << ": tag " << Quote(section.tag.str()) << ", " << Count(section.files.size())
            << "\n";
        for (const PackageFile& file : section.files) {
            out << "  " << name << " " << Quote(file.name.str()) << " " << file.data.size()
                << " bytes\n";
        }
    }
    out << "endTag: " << Quote(p.endTag.str()) << "\n";
    if (loaded.endOffset < r.size) {
        out << "after endTag: " << r.size - loaded.endOffset << " bytes, never read\n";
    }
}

}  // namespace

void AddListVerb(CLI::App& app, VerbContext& context) {
    auto file = std::make_shared<std::string>();
    CLI::App* verb = app.add_subcommand(
        "list", "Show the header fields and every entry (section, name, size) of a package");
    verb->add_option("FILE", *file, "A package or an installer")->required();
    verb->footer(
        "Example:\n  larkspan-pack list setup.exe\n      shows the header and the entries of the "
        "package the installer carries");
    verb->callback([&context, file] {
        RunVerb(context, [&] {
            PrintPackage(context.out, *file, LoadPackage(PathFromText(*file), kExitBadInput));
        });
    });
}

}  // namespace pack
