// wrap without --stub: the built tool, copied into an installed tree and into a build tree,
// finds the stub of the platform asked for beside itself; --platform windows takes the x86
// stub unless --arch x64 asks for the x86-64 one. The tool is run as a program, since it finds
// its stubs from its own file.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "pack/pe/pe_image.h"
#include "pack_fixture.h"
#include "platform/resource_table.h"

namespace pack_testing {
namespace {

namespace pe = pack::pe;

constexpr std::uint16_t kMachineX86 = 0x014C;
constexpr std::uint16_t kMachineX64 = 0x8664;

struct Machine {
    std::uint16_t machine = 0;
    bool pe32Plus = false;
};

Machine MachineOf(const fs::path& program) {
    const std::vector<std::byte> bytes = ReadBytes(program);
    const auto image = pe::ReadImage(pe::Source(bytes));
    if (!image) {
        ADD_FAILURE() << program << " is no Windows program";
        return {};
    }
    const auto at = static_cast<std::size_t>(image->fileHeaderOffset);
    return {static_cast<std::uint16_t>(std::to_integer<unsigned>(bytes[at]) |
                                       std::to_integer<unsigned>(bytes[at + 1]) << 8),
            image->pe32Plus};
}

class StubLookup : public PackTest {
protected:
    void SetUp() override {
        x64_ = LARKSPAN_PE_TEST_STUB;
        x86_ = LARKSPAN_PE_TEST_STUB_X86;
        if (x64_.empty() || x86_.empty() || !fs::exists(x64_) || !fs::exists(x86_)) {
            const char* ci = std::getenv("CI");
            if (ci != nullptr && std::string(ci) == "true") {
                FAIL() << "the Windows test stubs were not built: is mingw-w64 installed?";
            }
            GTEST_SKIP() << "no Windows test stubs (mingw-w64 for x86 and x86-64 missing)";
        }
        ASSERT_EQ(Pack({"create", SampleFolder().string(), "-o", (dir_ / "s.vqm").string()}).status,
                  0);
    }

    // The built tool copied to `bin`; the files given copied beside it, relative to `bin/..`.
    fs::path Tree(const fs::path& bin, const std::vector<std::pair<fs::path, fs::path>>& files) {
        fs::create_directories(bin);
        fs::copy_file(LARKSPAN_PACK_TOOL, bin / "larkspan-pack");
        for (const auto& [from, to] : files) {
            fs::create_directories((bin / ".." / to).parent_path());
            fs::copy_file(from, bin / ".." / to);
        }
        return bin / "larkspan-pack";
    }

    // `tool wrap ARGS --package s.vqm -o out`: its exit status, its standard error in err_.
    int Wrap(const fs::path& tool, const std::string& args, const fs::path& out) {
        const fs::path err = dir_ / "err";
        const std::string command = "'" + tool.string() + "' wrap " + args + " --package '" +
                                    (dir_ / "s.vqm").string() + "' -o '" + out.string() +
                                    "' >/dev/null 2>'" + err.string() + "'";
        const int status = std::system(command.c_str());
        const auto bytes = ReadBytes(err);
        err_.assign(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    fs::path x64_, x86_;
    std::string err_;
};

TEST_F(StubLookup, WindowsTakesTheX86StubUnlessX64IsAskedFor) {
    const fs::path installed =
        Tree(dir_ / "prefix" / "bin", {{x86_, "lib/larkspan/windows/x86/larkspan.exe"},
                                       {x64_, "lib/larkspan/windows/x64/larkspan.exe"}});
    const fs::path built = Tree(dir_ / "top" / "build", {{x86_, "build-windows-x86/larkspan.exe"},
                                                         {x64_, "build-windows/larkspan.exe"}});
    // The Windows tool's own build folder, and the unpacked Windows zip (stubs/ beside the tool).
    const fs::path builtX86 =
        Tree(dir_ / "top2" / "build-windows-x86",
             {{x86_, "build-windows-x86/larkspan.exe"}, {x64_, "build-windows/larkspan.exe"}});
    const fs::path unzipped = Tree(dir_ / "unzipped" / "larkspan-windows",
                                   {{x86_, "larkspan-windows/stubs/windows/x86/larkspan.exe"},
                                    {x64_, "larkspan-windows/stubs/windows/x64/larkspan.exe"}});
    struct Case {
        const char* args;
        std::uint16_t machine;
        bool pe32Plus;
    };
    const Case cases[] = {
        {"--platform windows", kMachineX86, false},
        {"--platform windows --arch x86", kMachineX86, false},
        {"--platform windows --arch x64", kMachineX64, true},
    };
    for (const fs::path& tool : {installed, built, builtX86, unzipped}) {
        for (const Case& c : cases) {
            const fs::path out = dir_ / "setup.exe";
            ASSERT_EQ(Wrap(tool, c.args, out), 0) << tool << " " << c.args << ": " << err_;
            const Machine m = MachineOf(out);
            EXPECT_EQ(m.machine, c.machine) << tool << " " << c.args;
            EXPECT_EQ(m.pe32Plus, c.pe32Plus) << tool << " " << c.args;
            EXPECT_EQ(Pack({"verify", out.string()}).status, 0) << tool << " " << c.args;
            fs::remove(out);
        }
    }
}

TEST_F(StubLookup, SaysWhichStubIsMissingAndRefusesArchWhereItMeansNothing) {
    const fs::path tool =
        Tree(dir_ / "prefix" / "bin", {{x86_, "lib/larkspan/windows/x86/larkspan.exe"}});
    const fs::path x64 = dir_ / "prefix" / "lib" / "larkspan" / "windows" / "x64" / "larkspan.exe";
    struct Case {
        std::string args;
        std::string err;  // the whole of standard error
    };
    const Case cases[] = {
        {"--platform windows --arch x64",
         "larkspan-pack: no windows x64 installer stub installed with larkspan-pack (looked for " +
             x64.lexically_normal().string() + "); give one with --stub\n"},
        {"--arch x64",
         "larkspan-pack: --arch chooses between the Windows stubs: it needs --platform windows\n"},
        {"--platform linux --arch x86",
         "larkspan-pack: --arch chooses between the Windows stubs: it needs --platform windows\n"},
        {"--platform windows --arch x86 --stub '" + x86_.string() + "'",
         "larkspan-pack: --arch chooses an installed stub: not with --stub " + x86_.string() +
             "\n"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Wrap(tool, c.args, dir_ / "out"), 2) << c.args;
        EXPECT_EQ(err_, c.err) << c.args;
        EXPECT_FALSE(fs::exists(dir_ / "out")) << c.args;
    }
}

}  // namespace
}  // namespace pack_testing
