// Bad input gets one line on standard error naming the file and the field or offset, exit
// status 2, and leaves no output (nor a temporary file) behind.
#include <gtest/gtest.h>

#include <functional>

#include "pack/source_folder.h"
#include "pack_fixture.h"

namespace pack_testing {
namespace {

class Errors : public PackTest {
protected:
    Errors() {
        source_ = dir_ / "src";
        out_ = dir_ / "out";
        fs::copy(SampleFolder(), source_, fs::copy_options::recursive);
        fs::create_directory(out_);
    }

    // The sample manifest with one field replaced (a JSON value) or, for "", removed.
    void SetField(const std::string& field, const std::string& value) {
        std::string text = "{";
        const std::vector<std::pair<std::string, std::string>> fields = {
            {"name", "\"n\""},      {"description", "\"d\""},      {"requiredVersion", "3"},
            {"subfolder", "\"s\""}, {"subfolderEditable", "true"}, {"titleImage", "\"title.jpg\""}};
        for (const auto& [name, original] : fields) {
            const std::string v = name == field ? value : original;
            if (!v.empty()) {
                text += (text.size() > 1 ? ", \"" : "\"") + name + "\": " + v;
            }
        }
        WriteText(source_ / "package.json", text + "}");
    }

    fs::path source_;
    fs::path out_;
};

struct Case {
    const char* what;
    std::function<void()> setup;
    std::vector<std::string> args;
    int status;
    std::vector<std::string> message;  // parts of the one line
    // False for what a Windows file system cannot hold (names with "\" or that are no text).
    bool onWindows = true;
};

TEST_F(Errors, EachBadInputGetsOneLineAndLeavesNoOutput) {
    const std::string src = source_.string();
    const std::string manifest = (source_ / "package.json").string();
    const std::string pkg = (out_ / "p.vqm").string();
    const std::vector<std::string> create = {"create", src, "-o", pkg};
    const auto field = [&](const std::string& name, const std::string& value) {
        return [this, name, value] { SetField(name, value); };
    };
    const auto missing = [](const std::string& name) {
        return "field \"" + name + "\" is missing";
    };
    const auto damaged = [&] {
        std::vector<std::byte> bytes = WritePackage(pack::BuildPackage(SampleFolder()));
        bytes.resize(bytes.size() - 3);
        WriteBytes(dir_ / "damaged.vqm", bytes);
    };
    const std::string damagedFile = (dir_ / "damaged.vqm").string();
    const auto good = [&] {
        WriteBytes(dir_ / "good.vqm", WritePackage(pack::BuildPackage(SampleFolder())));
    };
    const std::string goodFile = (dir_ / "good.vqm").string();
    const std::vector<Case> cases = {
        {"missing source folder",
         [] {},
         {"create", (dir_ / "nowhere").string(), "-o", pkg},
         2,
         {(dir_ / "nowhere").string() + ": no such folder"}},
        {"source is a file",
         [&] { WriteText(dir_ / "f", ""); },
         {"create", (dir_ / "f").string(), "-o", pkg},
         2,
         {"f: not a folder"}},
        {"no manifest",
         [&] { fs::remove(source_ / "package.json"); },
         create,
         2,
         {manifest + ": cannot read: No such file or directory"}},
        {"manifest not JSON",
         [&] { WriteText(source_ / "package.json", "{\"name\": "); },
         create,
         2,
         {manifest + ": not valid JSON at byte"}},
        {"manifest not an object",
         [&] { WriteText(source_ / "package.json", "[1]"); },
         create,
         2,
         {manifest + ": must hold a JSON object, not array"}},
        {"name missing", field("name", ""), create, 2, {manifest, missing("name")}},
        {"description missing",
         field("description", ""),
         create,
         2,
         {manifest, missing("description")}},
        {"requiredVersion missing",
         field("requiredVersion", ""),
         create,
         2,
         {manifest, missing("requiredVersion")}},
        {"subfolder missing", field("subfolder", ""), create, 2, {manifest, missing("subfolder")}},
        {"subfolderEditable missing",
         field("subfolderEditable", ""),
         create,
         2,
         {manifest, missing("subfolderEditable")}},
        {"name not a string",
         field("name", "1"),
         create,
         2,
         {manifest, "field \"name\" must be a string, not number"}},
        {"description not a string",
         field("description", "[\"a\"]"),
         create,
         2,
         {"field \"description\" must be a string, not array"}},
        {"subfolder not a string",
         field("subfolder", "null"),
         create,
         2,
         {"field \"subfolder\" must be a string, not null"}},
        {"titleImage not a string",
         field("titleImage", "false"),
         create,
         2,
         {"field \"titleImage\" must be a string, not boolean"}},
        {"requiredVersion a string",
         field("requiredVersion", "\"3\""),
         create,
         2,
         {"field \"requiredVersion\" must be a whole number from 0 to 4294967295, not string"}},
        {"requiredVersion negative",
         field("requiredVersion", "-1"),
         create,
         2,
         {"field \"requiredVersion\" must be a whole number", "not -1"}},
        {"requiredVersion fraction",
         field("requiredVersion", "3.5"),
         create,
         2,
         {"field \"requiredVersion\" must be a whole number", "not 3.5"}},
        {"requiredVersion too large",
         field("requiredVersion", "4294967296"),
         create,
         2,
         {"not 4294967296"}},
        {"subfolderEditable a number",
         field("subfolderEditable", "1"),
         create,
         2,
         {"field \"subfolderEditable\" must be true or false, not number"}},
        {"unknown field",
         field("name", "\"n\", \"titleimage\": \"t.jpg\""),
         create,
         2,
         {manifest + ": field \"titleimage\" is not a manifest field"}},
        {"unsafe subfolder",
         field("subfolder", "\"../up\""),
         create,
         2,
         {"field \"subfolder\" has a \"..\" component"}},
        {"title image missing",
         [&] { fs::remove(source_ / "title.jpg"); },
         create,
         2,
         {manifest + ": field \"titleImage\" names a missing file, " +
          (source_ / "title.jpg").string()}},
        {"title image a folder",
         field("titleImage", "\"objectpacks\""),
         create,
         2,
         {"field \"titleImage\" names something other than a file"}},
        {"section is a file",
         [&] {
             fs::remove_all(source_ / "tessel");
             WriteText(source_ / "tessel", "");
         },
         create,
         2,
         {(source_ / "tessel").string() + ": not a folder"}},
        {"folder inside a section",
         [&] { fs::create_directory(source_ / "preview" / "more"); },
         create,
         2,
         {(source_ / "preview" / "more").string() + ": not a regular file"}},
        {"backslash in a name",
         [&] { WriteText(source_ / "objectpacks" / "a\\b.qop", "x"); },
         create,
         2,
         {"a\\b.qop: the file name holds \"\\\""},
         false},
        {"name not UTF-8",
         [&] { WriteText(source_ / "objectpacks" / "bad\xFF.qop", "x"); },
         create,
         2,
         {"bad\xFF.qop: the file name is not valid UTF-8"},
         false},
        {"unreadable file",
         [&] { MakeUnreadable(source_ / "objectpacks" / "ink-pen.qop"); },
         create,
         2,
         {(source_ / "objectpacks" / "ink-pen.qop").string() + ": cannot read: "}},
        {"output folder missing",
         [] {},
         {"create", src, "-o", (out_ / "no" / "p.vqm").string()},
         2,
         {(out_ / "no" / "p.vqm").string() + ": cannot write: No such file or directory"}},
        {"output is a folder",
         [&] { fs::create_directory(out_ / "p.vqm"); },
         create,
         2,
         {pkg + ": cannot write: "}},
        {"list of a damaged package",
         damaged,
         {"list", damagedFile},
         2,
         {damagedFile + ": damaged at offset", "endTag"}},
        {"extract of a damaged package",
         damaged,
         {"extract", damagedFile, "-C", (out_ / "x").string()},
         2,
         {damagedFile + ": damaged at offset", "endTag"}},
        {"verify of a damaged package",
         damaged,
         {"verify", damagedFile},
         1,
         {damagedFile + ": damaged at offset", "endTag"}},
        {"list of a missing file",
         [] {},
         {"list", (dir_ / "none.vqm").string()},
         2,
         {(dir_ / "none.vqm").string() + ": cannot read: No such file or directory"}},
        {"extract beneath a missing folder",
         good,
         {"extract", goodFile, "-C", (out_ / "a" / "b").string()},
         2,
         {(out_ / "a" / "b").string() + ": cannot write: No such file or directory"}},
        {"extract of something else",
         [] {},
         {"extract", (SampleFolder() / "title.jpg").string(), "-C", (out_ / "x").string()},
         2,
         {"title.jpg: the file is not a package: magic 0xE0FFD8FF at offset 0"}},
        {"no verb", [] {}, {}, 2, {"A subcommand is required"}},
        {"unknown verb",
         [] {},
         {"pack", "x"},
         2,
         {"unknown verb \"pack\"; the verbs are create, list, verify, extract"}},
        {"create without -o", [] {}, {"create", src}, 2, {"--output is required"}},
    };
    for (const Case& c : cases) {
        if (kWindows && !c.onWindows) {
            continue;
        }
        SCOPED_TRACE(c.what);
        MakeReadableAgain();
        fs::remove_all(source_);
        fs::copy(SampleFolder(), source_, fs::copy_options::recursive);
        fs::remove_all(out_);
        fs::create_directory(out_);
        c.setup();
        const std::vector<std::string> before = Tree(out_);
        const RunResult r = Pack(c.args);
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err.rfind("larkspan-pack: ", 0), 0u) << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        for (const std::string& part : c.message) {
            EXPECT_NE(r.err.find(part), std::string::npos) << "wanted: " << part << "\n" << r.err;
        }
        EXPECT_EQ(Tree(out_), before);
    }
}

TEST_F(Errors, AFailedCreateKeepsThePackageThatWasThere) {
    WriteText(out_ / "p.vqm", "previous");
    SetField("name", "7");
    const RunResult r = Pack({"create", source_.string(), "-o", (out_ / "p.vqm").string()});
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(ReadBytes(out_ / "p.vqm") == BytesOf("previous"));
    EXPECT_EQ(Tree(out_), std::vector<std::string>{"p.vqm"});
}

TEST_F(Errors, EveryVerbHasHelp) {
    for (const char* verb : {"create", "list", "verify", "extract"}) {
        const RunResult r = Pack({verb, "--help"});
        EXPECT_EQ(r.status, 0) << verb;
        EXPECT_NE(r.out.find(std::string("larkspan-pack ") + verb), std::string::npos) << r.out;
        EXPECT_EQ(r.err, "") << verb;
    }
    const RunResult top = Pack({"--help"});
    EXPECT_EQ(top.status, 0);
    for (const char* verb : {"create", "list", "verify", "extract"}) {
        EXPECT_NE(top.out.find(verb), std::string::npos) << top.out;
    }
}

}  // namespace
}  // namespace pack_testing
