// wrap --stub STUB --package PACKAGE -o INSTALLER. A Linux stub (ELF) is followed by the
// package and the resource table that names it SETUP 129; a Windows stub (PE) gets the
// package as its SETUP 129 resource in a rebuilt resource section. Either way the payload's
// checksum travels beside it, and wrapping an installer replaces its payload instead of
// stacking a second one.
#include <CLI/CLI.hpp>
#include <algorithm>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "pack/file_io.h"
#include "pack/pack_error.h"
#include "pack/package_file.h"
#include "pack/pe/pe_image.h"
#include "pack/pe/pe_wrap.h"
#include "pack/verbs.h"
#include "platform/checksum.h"
#include "platform/resource_table.h"
#include "platform/tool_system.h"

namespace pack {

namespace fs = std::filesystem;
namespace restable = platform::restable;

namespace {

struct WrapOptions {
    std::string stub;
    std::string platform = "linux";
    std::string arch;  // of a Windows stub: x86 (the default) or x64
    std::string package;
    std::string output;
};

bool Contains(std::span<const std::byte> haystack, std::string_view needle) {
    const auto* begin = reinterpret_cast<const char*>(haystack.data());
    const std::string_view text(begin, haystack.size());
    return text.find(needle) != std::string_view::npos;
}

bool IsElf(std::span<const std::byte> bytes) {
    static constexpr std::byte kElf[] = {std::byte{0x7F}, std::byte{'E'}, std::byte{'L'},
                                         std::byte{'F'}};
    return bytes.size() >= 4 && std::equal(std::begin(kElf), std::end(kElf), bytes.begin());
}

PackError DamagedWindowsStub(const std::string& shownAs, const pe::DamagedImage& e) {
    return PackError(shownAs + ": damaged Windows stub: " + e.what());
}

struct Stub {
    bool windows = false;
    std::span<const std::byte> bytes;  // of a Linux stub: without an earlier payload
};

// The stub, told by its bytes; PackError unless it is an installer stub (or an installer).
Stub CheckStub(const std::vector<std::byte>& bytes, const std::string& shownAs) {
    if (pe::StartsLikeWindowsProgram(bytes)) {
        bool marked = false;
        try {
            marked = pe::CarriesMarker(bytes, restable::StubMarker());
        } catch (const pe::DamagedImage& e) {
            throw DamagedWindowsStub(shownAs, e);
        }
        if (!marked) {
            throw PackError(shownAs + ": not a Larkspan installer stub");
        }
        return {true, bytes};
    }
    if (!IsElf(bytes)) {
        throw PackError(shownAs + ": not a Larkspan installer stub (not an executable)");
    }
    // What comes before the resources of an installer that was wrapped already.
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
    return {false, stub};
}

// Where a stub lives, from the tool's folder: installed, PREFIX/lib/larkspan/PLATFORM/ beside
// PREFIX/bin/larkspan-pack; in the Windows zip, stubs/PLATFORM/ beside larkspan-pack.exe; in a
// build tree, the installer built beside the tool or in the build folder of its preset (build/,
// build-windows-x86/, build-windows/). The x86 Windows stub is the default: it runs on every
// Windows.
struct StubPlace {
    fs::path installed;  // below lib/larkspan/ and stubs/
    std::vector<fs::path> inBuildTree;
    std::string shown;  // "linux", "windows x86"
};

StubPlace PlaceOf(const std::string& platform, const std::string& arch) {
    if (platform != "windows") {
        return {fs::path("linux") / "larkspan",
                {fs::path("larkspan"), fs::path("..") / "build" / "larkspan"},
                "linux"};
    }
    if (arch == "x64") {
        return {fs::path("windows") / "x64" / "larkspan.exe",
                {fs::path("..") / "build-windows" / "larkspan.exe"},
                "windows x64"};
    }
    return {fs::path("windows") / "x86" / "larkspan.exe",
            {fs::path("..") / "build-windows-x86" / "larkspan.exe"},
            "windows x86"};
}

// The stub installed with the tool, found from the tool's own place so that the installed
// tree (or the unpacked zip) can be moved.
fs::path FindStub(const std::string& platform, const std::string& arch) {
    const std::optional<fs::path> self = platform::tool::RunningProgramFile();
    if (!self) {
        throw PackError(
            "cannot find the installer stubs: the system does not say where larkspan-pack is; "
            "give the stub with --stub");
    }
    const fs::path bin = self->parent_path();
    const StubPlace place = PlaceOf(platform, arch);
    std::vector<fs::path> candidates = {bin / ".." / "lib" / "larkspan" / place.installed,
                                        bin / "stubs" / place.installed};
    for (const fs::path& inBuildTree : place.inBuildTree) {
        candidates.push_back(bin / inBuildTree);
    }
    std::error_code ec;
    for (const fs::path& candidate : candidates) {
        if (fs::is_regular_file(Sys(candidate), ec)) {
            return candidate.lexically_normal();
        }
    }
    throw PackError("no " + place.shown +
                    " installer stub installed with larkspan-pack (looked for " +
                    TextOf(candidates[0].lexically_normal()) + "); give one with --stub");
}

void Wrap(WrapOptions o, VerbContext& context) {
    if (!o.arch.empty() && o.platform != "windows") {
        throw PackError("--arch chooses between the Windows stubs: it needs --platform windows");
    }
    if (!o.arch.empty() && !o.stub.empty()) {
        throw PackError("--arch chooses an installed stub: not with --stub " + o.stub);
    }
    if (o.stub.empty()) {
        o.stub = TextOf(FindStub(o.platform, o.arch));
    }
    const fs::path stubPath = PathFromText(o.stub);
    const fs::path packagePath = PathFromText(o.package);
    const std::vector<std::byte> stubBytes = ReadWholeFile(stubPath);
    const Stub stub = CheckStub(stubBytes, o.stub);

    // The package must be well formed; an installer given as the package lends its payload.
    const LoadedPackage loaded = LoadPackage(packagePath, kExitBadInput);
    const std::vector<std::byte> payload = ReadPackageBytes(packagePath, loaded.range);
    const std::uint64_t checksum = platform::PayloadChecksum(payload);

    UnnamedFile out(PathFromText(o.output));
    std::string warning;
    if (stub.windows) {
        std::vector<std::byte> installer;
        try {
            installer = pe::WrapPe(stub.bytes, payload, checksum, &warning);
        } catch (const pe::DamagedImage& e) {
            throw DamagedWindowsStub(o.stub, e);
        } catch (const pe::CannotWrap& e) {
            throw PackError(o.stub + ": cannot wrap this Windows stub: " + e.what());
        }
        out.Write(installer);
    } else {
        restable::Entry entry;
        entry.id = restable::kSetupId;
        entry.language = restable::kSetupLanguage;
        entry.type = std::u16string(restable::kSetupType);
        entry.offset = stub.bytes.size();
        entry.size = payload.size();
        entry.checksum = checksum;
        entry.flags = restable::kHasChecksum;
        out.Write(stub.bytes);
        out.Write(payload);
        out.Write(restable::Serialize(std::span(&entry, 1), stub.bytes.size()));
    }
    // The installer runs like its stub did, and its author may replace it.
    std::error_code ec;
    const fs::perms perms = fs::status(Sys(stubPath), ec).permissions();
    if (!ec) {
        fs::permissions(Sys(out.temporary()), (perms & fs::perms::mask) | fs::perms::owner_write,
                        ec);
    }
    out.CloseAndName();
    if (!warning.empty()) {
        context.err << "larkspan-pack: warning: " << o.stub << ": " << warning << "\n";
    }
}

}  // namespace

void AddWrapVerb(CLI::App& app, VerbContext& context) {
    auto options = std::make_shared<WrapOptions>();
    CLI::App* verb = app.add_subcommand(
        "wrap",
        "Make an installer: the installer stub (Linux or Windows) carrying the package as its "
        "payload");
    verb->add_option("--stub", options->stub,
                     "The installer program without a payload (build/larkspan, "
                     "build-windows-x86/larkspan.exe); by default the one installed with the tool");
    verb->add_option("--platform", options->platform,
                     "Which installed stub to wrap when --stub is not given (default linux)")
        ->check(CLI::IsMember({"linux", "windows"}));
    verb->add_option("--arch", options->arch,
                     "Which Windows stub: x86 (default; runs on every Windows, 32-bit, 64-bit "
                     "and ARM64) or x64")
        ->check(CLI::IsMember({"x86", "x64"}));
    verb->add_option("--package", options->package, "The package to carry")->required();
    verb->add_option("-o,--output", options->output, "The installer to write")->required();
    verb->footer(
        "Example:\n  larkspan-pack wrap --platform windows --package sample.vqm -o setup.exe\n     "
        " wraps the package into the Windows installer stub installed with the tool");
    verb->callback([&context, options] { RunVerb(context, [&] { Wrap(*options, context); }); });
}

}  // namespace pack
