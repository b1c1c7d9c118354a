// verify FILE: reads a package to its endTag and checks what the installer would refuse.
#include <CLI/CLI.hpp>
#include <memory>

#include "pack/file_io.h"
#include "pack/manifest.h"
#include "pack/pack_error.h"
#include "pack/package_file.h"
#include "pack/source_folder.h"
#include "pack/text_quote.h"
#include "pack/verbs.h"
#include "platform/checksum.h"

namespace pack {

namespace {

// The installer refuses unsafe stored names and subfolders before it writes anything, so a
// package holding one is as unusable as a damaged one.
void CheckInstallable(const Package& p, const std::string& shownAs) {
    if (const std::string problem = SubfolderProblem(p.header.subfolder.str()); !problem.empty()) {
        throw PackError(shownAs + ": header field subfolder " + Quote(p.header.subfolder.str()) +
                            " " + problem + "; the installer refuses it",
                        kExitDamaged);
    }
    for (int s = 0; s < kSectionCount; ++s) {
        const auto& files = p.sections[static_cast<std::size_t>(s)].files;
        for (std::size_t i = 0; i < files.size(); ++i) {
            if (const std::string problem = StoredNameProblem(files[i].name.str());
                !problem.empty()) {
                throw PackError(shownAs + ": " + SectionFolderName(s) + " entry " +
                                    std::to_string(i + 1) + "'s name " +
                                    Quote(files[i].name.str()) + " " + problem +
                                    "; the installer refuses it",
                                kExitDamaged);
            }
        }
    }
}

// An installer's payload must be the bytes it was wrapped with: the installer refuses to
// stage a payload that fails its checksum.
void CheckPayloadChecksum(const std::string& file, const PackageRange& range) {
    if (!range.checksum) {
        return;
    }
    const std::uint64_t actual =
        platform::PayloadChecksum(ReadPackageBytes(PathFromText(file), range));
    if (actual != *range.checksum) {
        throw PackError(file + ": damaged installer: the payload at offset " +
                            std::to_string(range.offset) + " (" + std::to_string(range.size) +
                            " bytes) fails its checksum; the installer refuses it",
                        kExitDamaged);
    }
}

}  // namespace

void AddVerifyVerb(CLI::App& app, VerbContext& context) {
    auto file = std::make_shared<std::string>();
    CLI::App* verb = app.add_subcommand(
        "verify",
        "Read a package to its end; prints OK and exits 0 when it is well formed, else names "
        "the offset and field and exits 1");
    verb->add_option("FILE", *file, "A package or an installer")->required();
    verb->footer(
        "Example:\n  larkspan-pack verify sample.vqm && echo well formed\n      exits 0 when the "
        "package is well formed, 1 when it is damaged");
    verb->callback([&context, file] {
        RunVerb(context, [&] {
            CheckPayloadChecksum(*file, LocatePackage(PathFromText(*file), kExitDamaged));
            const LoadedPackage loaded = LoadPackage(PathFromText(*file), kExitDamaged);
            CheckInstallable(loaded.package, *file);
            context.out << "OK\n";
            if (loaded.endOffset < loaded.range.size) {
                context.out << "note: " << loaded.range.size - loaded.endOffset
                            << " bytes after endTag are never read\n";
            }
        });
    });
}

}  // namespace pack
