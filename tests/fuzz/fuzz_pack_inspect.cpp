// `larkspan-pack list` and `verify` over an arbitrary file (a package, an installer, or
// neither), run in-process as the command line runs them. Checked besides:
// - list exits 0 or 2, verify 0, 1 or 2, each with exactly one line on the error stream
//   when it fails and none when it succeeds; nothing runs out of memory on a small file;
// - a file that verify accepts is one that list shows whole, to its endTag.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>

#include "pack/command_line.h"
#include "support/temp_dir.h"

namespace {

[[noreturn]] void Fail(const char* what, const std::string& detail = {}) {
    std::fprintf(stderr, "fuzz_pack_inspect: %s\n%s\n", what, detail.c_str());
    std::abort();
}

struct Result {
    int status = 0;
    std::string out;
    std::string err;
};

Result Run(const std::string& verb, const std::string& file) {
    std::ostringstream out;
    std::ostringstream err;
    Result r;
    r.status = pack::RunCommandLine({"larkspan-pack", verb, file}, out, err);
    r.out = out.str();
    r.err = err.str();
    return r;
}

std::size_t Lines(const std::string& text) {
    std::size_t n = 0;
    for (char c : text) {
        n += c == '\n' ? 1 : 0;
    }
    return n;
}

void CheckReport(const char* verb, const Result& r, int highest) {
    if (r.status < 0 || r.status > highest) {
        Fail("an exit status outside the documented ones", verb + std::string(": ") + r.err);
    }
    if ((r.status == 0) != r.err.empty() || (r.status != 0 && Lines(r.err) != 1)) {
        Fail("not exactly one error line for a failure, or one for a success", r.err);
    }
    if (r.err == "larkspan-pack: out of memory\n") {
        Fail("a small file exhausted memory", r.err);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const testing_support::TempDir folder;
    const std::string file = (folder.path() / "input.vqm").string();
    {
        std::FILE* f = std::fopen(file.c_str(), "wb");
        if (f == nullptr || (size != 0 && std::fwrite(data, 1, size, f) != size) ||
            std::fclose(f) != 0) {
            Fail("cannot write the input file");
        }
    }
    const Result list = Run("list", file);
    CheckReport("list", list, 2);
    const Result verify = Run("verify", file);
    CheckReport("verify", verify, 2);
    if (list.status == 0 && list.out.find("\nendTag: ") == std::string::npos) {
        Fail("list succeeded without reaching endTag", list.out);
    }
    if (verify.status == 0 && list.status != 0) {
        Fail("verify accepts a file that list cannot show", list.err);
    }
    return 0;
}
