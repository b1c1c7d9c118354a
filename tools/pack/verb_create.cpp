// create SOURCE_DIR -o PACKAGE.vqm: builds a package from a source folder.
#include <CLI/CLI.hpp>
#include <memory>

#include "pack/file_io.h"
#include "pack/source_folder.h"
#include "pack/verbs.h"

namespace pack {

void AddCreateVerb(CLI::App& app, VerbContext& context) {
    struct Options {
        std::string source;
        std::string output;
    };
    auto options = std::make_shared<Options>();
    CLI::App* verb = app.add_subcommand(
        "create",
        "Build a package from SOURCE_DIR: package.json, the title image and the folders "
        "objectpacks/, preview/ and tessel/");
    verb->add_option("SOURCE_DIR", options->source, "The package source folder")->required();
    verb->add_option("-o,--output", options->output, "The package file to write")->required();
    verb->footer(
        "Example:\n  larkspan-pack create sample -o sample.vqm\n      packs the source folder "
        "sample into the package sample.vqm");
    verb->callback([&context, options] {
        RunVerb(context, [&] {
            const Package package = BuildPackage(PathFromText(options->source));
            const std::vector<std::byte> bytes = WritePackage(package);
            UnnamedFile out(PathFromText(options->output));
            out.Write(bytes);
            out.CloseAndName();
            std::size_t files = 0;
            for (const PackageSection& section : package.sections) {
                files += section.files.size();
            }
            context.out << options->output << ": " << bytes.size() << " bytes, " << files
                        << (files == 1 ? " file" : " files") << "\n";
        });
    });
}

}  // namespace pack
