// extract FILE -C DIR: writes the source folder that `create` turns back into the package.
#include <CLI/CLI.hpp>
#include <memory>
#include <system_error>

#include "pack/file_io.h"
#include "pack/pack_error.h"
#include "pack/package_file.h"
#include "pack/source_folder.h"
#include "pack/verbs.h"

namespace pack {

namespace fs = std::filesystem;

namespace {

// The folder's own path without a trailing separator, so that its temporary sibling lies
// beside it.
fs::path TargetFolder(const std::string& shownAs) {
    fs::path target = fs::absolute(PathFromText(shownAs)).lexically_normal();
    if (!target.has_filename()) {
        target = target.parent_path();
    }
    std::error_code ec;
    const fs::file_status status = fs::status(Sys(target), ec);
    if (fs::exists(status)) {
        if (!fs::is_directory(status)) {
            throw PackError(shownAs + ": exists and is not a folder");
        }
        if (!IsEmptyFolder(target)) {
            throw PackError(shownAs + ": exists and is not empty");
        }
    }
    return target;
}

// The fields package.json does not carry, when the package's differ from what create writes.
std::string UncarriedFields(const Package& p) {
    std::string fields;
    const auto add = [&](bool differs, const char* name) {
        if (differs) {
            fields += (fields.empty() ? "" : ", ") + std::string(name);
        }
    };
    const PackageHeader& h = p.header;
    add(h.archiveTitle != CString(kArchiveTitle), "archiveTitle");
    add(h.subfolderEditable > 1, "subfolderEditable");
    add(!h.reservedText.IsEmpty(), "reservedText");
    add(h.imageName != p.titleName, "imageName");
    add(h.reservedWord != 0, "reservedWord");
    add(p.titleTag != CString(u"titleimage"), "titleimage tag");
    add(p.titleImage.empty() && !p.titleName.IsEmpty(), "titleimage name");
    for (int s = 0; s < kSectionCount; ++s) {
        add(p.sections[static_cast<std::size_t>(s)].tag != CString(kSectionTags[s]),
            "section tags");
    }
    add(p.endTag != CString(u"end"), "endTag");
    return fields;
}

// Builds the package again from the written folder and says where it would differ.
void WarnIfNotReproducible(VerbContext& context, const std::string& file,
                           const LoadedPackage& loaded, const fs::path& written,
                           const std::string& shownAs) {
    std::string why;
    try {
        const std::vector<std::byte> rebuilt = WritePackage(BuildPackage(written));
        const std::vector<std::byte> stored = ReadPackageBytes(PathFromText(file), loaded.range);
        if (rebuilt == stored) {
            return;
        }
        std::size_t at = 0;
        while (at < rebuilt.size() && at < stored.size() && rebuilt[at] == stored[at]) {
            ++at;
        }
        why = "the bytes differ from package offset " + std::to_string(at);
        if (const std::string fields = UncarriedFields(loaded.package); !fields.empty()) {
            why += "; package.json does not carry " + fields;
        }
    } catch (const PackError& e) {
        why = std::string("create refuses it: ") + e.what();
    }
    context.err << "larkspan-pack: warning: create will not rebuild " << file << " from " << shownAs
                << ": " << why << "\n";
}

}  // namespace

void AddExtractVerb(CLI::App& app, VerbContext& context) {
    struct Options {
        std::string file;
        std::string folder;
    };
    auto options = std::make_shared<Options>();
    CLI::App* verb = app.add_subcommand(
        "extract",
        "Write the source folder of a package (package.json, title image, objectpacks/, "
        "preview/, tessel/) into DIR, which must be missing or empty");
    verb->add_option("FILE", options->file, "A package or an installer")->required();
    verb->add_option("-C,--directory", options->folder, "The folder to create")->required();
    verb->footer(
        "Example:\n  larkspan-pack extract setup -C source\n      writes the source folder that "
        "create turns back into the same package");
    verb->callback([&context, options] {
        RunVerb(context, [&] {
            const LoadedPackage loaded = LoadPackage(PathFromText(options->file), kExitBadInput);
            CheckExtractable(loaded.package, options->file);
            UnnamedFolder staged(TargetFolder(options->folder));
            WriteSourceFolder(loaded.package, staged.path(), options->folder);
            WarnIfNotReproducible(context, options->file, loaded, staged.path(), options->folder);
            staged.Name();
            std::size_t files = 0;
            for (const PackageSection& section : loaded.package.sections) {
                files += section.files.size();
            }
            context.out << options->folder << ": " << files << (files == 1 ? " file" : " files")
                        << (loaded.package.titleImage.empty() ? "" : " and the title image")
                        << "\n";
        });
    });
}

}  // namespace pack
