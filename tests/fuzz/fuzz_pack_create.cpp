// `larkspan-pack create` over an arbitrary source folder: the input gives package.json's text
// and then a list of things to make in the folder (files, folders, links, each with a name
// of any bytes and a place: the top, objectpacks/, preview/ or tessel/). Run in-process as
// the command line runs it. Checked besides:
// - create exits 0 or 2, with one error line when it fails and no output file left;
// - a package it writes passes verify, and extract then create gives the same bytes back.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "pack/command_line.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

[[noreturn]] void Fail(const char* what, const std::string& detail = {}) {
    std::fprintf(stderr, "fuzz_pack_create: %s\n%s\n", what, detail.c_str());
    std::abort();
}

struct Result {
    int status = 0;
    std::string err;
};

Result Run(const std::vector<std::string>& args) {
    std::ostringstream out;
    std::ostringstream err;
    Result r;
    r.status = pack::RunCommandLine(args, out, err);
    r.err = err.str();
    return r;
}

void WriteFile(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A name the folder can hold: the fuzzer's bytes without "/" and NUL, never "." or "..".
std::string FileName(std::string name) {
    std::erase_if(name, [](char c) { return c == '/' || c == '\0'; });
    if (name.empty() || name == "." || name == "..") {
        name = "x" + name;
    }
    return name.substr(0, 200);
}

void MakeSource(FuzzedDataProvider& in, const fs::path& source) {
    static const char* const kPlaces[] = {"", "objectpacks", "preview", "tessel"};
    fs::create_directory(source);
    WriteFile(source / "package.json", in.ConsumeRandomLengthString(4096));
    for (int made = 0; made < 12 && in.remaining_bytes() > 0; ++made) {
        const int kind = in.ConsumeIntegralInRange(0, 3);
        const fs::path place = source / kPlaces[in.ConsumeIntegralInRange(0, 3)];
        const std::string name = FileName(in.ConsumeRandomLengthString(64));
        std::error_code ec;
        fs::create_directory(place, ec);
        const fs::path path = place / name;
        if (fs::exists(fs::symlink_status(path, ec))) {
            continue;
        }
        switch (kind) {
            case 0:
            case 1:
                WriteFile(path, in.ConsumeRandomLengthString(1024));
                break;
            case 2:
                fs::create_directory(path, ec);
                break;
            default:  // a link: to a file of the folder, or to nothing
                fs::create_symlink(FileName(in.ConsumeRandomLengthString(16)), path, ec);
                break;
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const testing_support::TempDir work;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(work.path())) {
        fs::remove_all(entry.path(), ec);
    }
    const fs::path source = work.path() / "source";
    const fs::path package = work.path() / "package.vqm";
    FuzzedDataProvider in(data, size);
    MakeSource(in, source);

    const Result create = Run({"larkspan-pack", "create", source.string(), "-o", package.string()});
    if (create.status != 0) {
        if (create.status != 2 || std::count(create.err.begin(), create.err.end(), '\n') != 1) {
            Fail("a refused source folder gives no single error line with status 2", create.err);
        }
        if (fs::exists(fs::symlink_status(package, ec))) {
            Fail("a refused source folder left an output file");
        }
        return 0;
    }
    if (!create.err.empty()) {
        Fail("create succeeded with an error line", create.err);
    }
    const Result verify = Run({"larkspan-pack", "verify", package.string()});
    if (verify.status != 0) {
        Fail("a created package does not verify", verify.err);
    }
    const fs::path extracted = work.path() / "extracted";
    const Result extract =
        Run({"larkspan-pack", "extract", package.string(), "-C", extracted.string()});
    if (extract.status != 0) {
        Fail("a created package does not extract", extract.err);
    }
    const fs::path again = work.path() / "again.vqm";
    const Result recreate =
        Run({"larkspan-pack", "create", extracted.string(), "-o", again.string()});
    if (recreate.status != 0) {
        Fail("an extracted folder is not created again", recreate.err);
    }
    if (ReadFile(package) != ReadFile(again)) {
        Fail("extract and create again give other bytes");
    }
    return 0;
}
