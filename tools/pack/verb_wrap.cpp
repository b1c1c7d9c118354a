// wrap --stub STUB --package PACKAGE -o INSTALLER: the installer stub's bytes followed by the
// package and the resource table that names it SETUP 129. Wrapping an installer replaces its
// payload instead of stacking a second one.
#include <CLI/CLI.hpp>
#include <algorithm>
#include <filesystem>
#include <memory>
#include <span>
#include <string_view>

#include "pack/file_io.h"
#include "pack/pack_error.h"
#include "pack/package_file.h"
#include "pack/verbs.h"
#include "platform/checksum.h"
#include "platform/resource_table.h"

namespace pack {

namespace fs = std::filesystem;
namespace restable = platform::restable;

namespace {

struct WrapOptions {
    std::string stub;
    std::string package;
    std::string output;
};

bool Contains(std::span<const std::byte> haystack, std::string_view needle) {
    const auto* begin = reinterpret_cast<const char*>(haystack.data());
    const std::string_view text(begin, haystack.size());
    return text.find(needle) != std::string_view::npos;
}

// The stub's own bytes: all of it, or what comes before the resources of an installer that
// was wrapped already.
std::span<const std::byte> StubPart(const std::vector<std::byte>& bytes,
                                    const std::string& shownAs) {
    static constexpr std::byte kElf[] = {std::byte{0x7F}, std::byte{'E'}, std::byte{'L'},
                                         std::byte{'F'}};
    if (bytes.size() < 4 || !std::equal(std::begin(kElf), std::end(kElf), bytes.begin())) {
        throw PackError(shownAs + ": not a Larkspan installer stub (not an executable)");
    }
    std::span<const std::byte> stub(bytes);
    if (bytes.size() >= restable::kTrailerSize) {
        const auto trailer =
            restable::ParseTrailer(stub.last(restable::kTrailerSize), bytes.size());
        if (trailer) {
            stub = stub.first(static_cast<std::size_t>(trailer->stubSize));
        }
    }
    if (!Contains(stub, restable::StubMarker())) {
        throw PackError(shownAs + ": not a Larkspan installer stub");
    }
    return stub;
}

void Wrap(const WrapOptions& o) {
    const std::vector<std::byte> stubBytes = ReadWholeFile(o.stub);
    const std::span<const std::byte> stub = StubPart(stubBytes, o.stub);

    // The package must be well formed; an installer given as the package lends its payload.
    const LoadedPackage loaded = LoadPackage(o.package, kExitBadInput);
    const std::vector<std::byte> payload = ReadPackageBytes(o.package, loaded.range);

    restable::Entry entry;
    entry.id = restable::kSetupId;
    entry.language = restable::kSetupLanguage;
    entry.type = std::u16string(restable::kSetupType);
    entry.offset = stub.size();
    entry.size = payload.size();
    entry.checksum = platform::PayloadChecksum(payload);
    entry.flags = restable::kHasChecksum;
    const std::vector<std::byte> table = restable::Serialize(std::span(&entry, 1), stub.size());

    StagedFile out(o.output);
    out.Write(stub);
    out.Write(payload);
    out.Write(table);
    // The installer runs like its stub did.
    std::error_code ec;
    const fs::perms perms = fs::status(o.stub, ec).permissions();
    if (!ec) {
        fs::permissions(out.temporary(), perms & fs::perms::mask, ec);
    }
    out.Commit();
}

}  // namespace

void AddWrapVerb(CLI::App& app, VerbContext& context) {
    auto options = std::make_shared<WrapOptions>();
    CLI::App* verb = app.add_subcommand(
        "wrap", "Make an installer: the installer stub followed by the package as its payload");
    verb->add_option("--stub", options->stub,
                     "The installer program without a payload (build/larkspan)")
        ->required();
    verb->add_option("--package", options->package, "The package to carry")->required();
    verb->add_option("-o,--output", options->output, "The installer to write")->required();
    verb->callback([&context, options] { RunVerb(context, [&] { Wrap(*options); }); });
}

}  // namespace pack
