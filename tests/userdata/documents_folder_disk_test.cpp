// The documents folder as the Linux Env finds it, and the tree made on disk below it.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "platform/posix/posix_env.h"
#include "platform/text.h"
#include "userdata/user_diff_data.h"

namespace {

namespace fs = std::filesystem;
using platform::Path;

// The carried form of a native path, spelt out here rather than borrowed from the Env.
CString Carried(const std::string& native) {
    std::u16string out = platform::Utf8ToUtf16(native);
    for (char16_t& c : out) {
        if (c == u'/') {
            c = u'\\';
        }
    }
    return CString(out);
}

// A fresh folder that stands for the user's home, removed at the end.
class TempHome : public ::testing::Test {
protected:
    TempHome() {
        std::random_device rd;
        root = fs::temp_directory_path() / ("larkspan-userdata-" + std::to_string(rd()));
        fs::create_directories(root / "home");
        home = (root / "home").string();
    }
    ~TempHome() override {
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }

    void WriteUserDirs(const fs::path& configDir, const std::string& text) {
        fs::create_directories(configDir);
        std::ofstream(configDir / "user-dirs.dirs") << text;
    }

    platform::posix::Environment Environment() const {
        platform::posix::Environment env;
        env.variables["HOME"] = home;
        const std::string pw = (root / "pw").string();
        env.passwordHome = [pw] { return std::optional<std::string>(pw); };
        return env;
    }

    fs::path root;
    std::string home;
};

TEST_F(TempHome, UserDirsFolderIsUsedCreatedAndHoldsTheTree) {
    WriteUserDirs(fs::path(home) / ".config",
                  "# written by the desktop\nXDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
                  "XDG_DOCUMENTS_DIR=\"$HOME/Docs\"\n");
    auto env = platform::posix::NewPosixEnv(Environment());
    CUserDiffData data(u"QIB", u"temp", *env);
    EXPECT_EQ(data.GetDocumentsFolder(), Carried(home + "/Docs"));
    EXPECT_EQ(data.GetFilePath(u"data.vqm"), Carried(home + "/Docs/QIB/temp/data.vqm"));
    EXPECT_TRUE(fs::is_directory(fs::path(home) / "Docs" / "QIB" / "temp"));
    EXPECT_FALSE(fs::exists(fs::path(home) / "Documents"));
}

TEST_F(TempHome, UserDirsReadFromXdgConfigHome) {
    const fs::path config = root / "config";
    const std::string elsewhere = (root / "Elsewhere" / "Docs").string();
    WriteUserDirs(config, "XDG_DOCUMENTS_DIR=\"" + elsewhere + "\"\n");
    auto environment = Environment();
    environment.variables["XDG_CONFIG_HOME"] = config.string();
    auto env = platform::posix::NewPosixEnv(environment);
    CUserDiffData data(u"QIB", u"objectpacks", *env);
    data.SetInnerFolder(u"Flowers", 1);
    EXPECT_EQ(data.GetFolderPath(), Carried(elsewhere + "/QIB/objectpacks/Flowers"));
    EXPECT_TRUE(fs::is_directory(fs::path(elsewhere) / "QIB" / "objectpacks" / "Flowers"));
}

TEST_F(TempHome, UserDirsLinesThatAreNotUsable) {
    // Each text leaves the configured folder without an answer, so $HOME/Documents is used.
    const std::vector<std::string> texts = {
        "",
        "XDG_DOCUMENTS_DIR=\"Documents\"\n",      // relative
        "XDG_DOCUMENTS_DIR=\"$HOMEDIR/Docs\"\n",  // another variable
        "XDG_DOCUMENTS_DIR=\"$HOME/Docs\n",       // quote not closed
        "XDG_DOCUMENTS_DIR=$HOME/Docs\n",         // not quoted
        "# XDG_DOCUMENTS_DIR=\"$HOME/Docs\"\n",   // a comment
        "XDG_DOCUMENTS_DIRX=\"$HOME/Docs\"\n",
    };
    for (const std::string& text : texts) {
        WriteUserDirs(fs::path(home) / ".config", text);
        auto env = platform::posix::NewPosixEnv(Environment());
        CUserDiffData data(u"QIB", u"temp", *env);
        EXPECT_EQ(data.GetDocumentsFolder(), Carried(home + "/Documents")) << text;
        EXPECT_FALSE(fs::exists(fs::path(home) / "Docs")) << text;
    }
}

TEST_F(TempHome, UserDirsValuesThatAreUsable) {
    struct Case {
        std::string text;
        std::string documents;  // below the home folder
    };
    const std::vector<Case> cases = {
        {"XDG_DOCUMENTS_DIR=\"$HOME/A\"\nXDG_DOCUMENTS_DIR=\"$HOME/B\"\n", "/B"},  // last wins
        {"  XDG_DOCUMENTS_DIR=\"$HOME/C/\"\n", "/C"},
        {"XDG_DOCUMENTS_DIR=\"$HOME/My \\\"D\\\"\"\n", "/My \"D\""},
        {"XDG_DOCUMENTS_DIR=\"$HOME\"\n", ""},  // a disabled folder means the home itself
    };
    for (const Case& c : cases) {
        WriteUserDirs(fs::path(home) / ".config", c.text);
        auto env = platform::posix::NewPosixEnv(Environment());
        CUserDiffData data(u"QIB", u"temp", *env);
        EXPECT_EQ(data.GetDocumentsFolder(), Carried(home + c.documents)) << c.text;
        EXPECT_TRUE(fs::is_directory(home + c.documents + "/QIB/temp")) << c.text;
    }
}

TEST_F(TempHome, WithoutUserDirsTheDocumentsFolderOfHomeIsCreated) {
    auto env = platform::posix::NewPosixEnv(Environment());
    CUserDiffData data(u"QIB", u"temp", *env);
    // The carried form of a native path: each "/" turned into "\".
    const std::string documents = home + "/Documents";
    std::u16string expected = u"\\" + platform::Utf8ToUtf16(documents.substr(1));
    std::replace(expected.begin(), expected.end(), u'/', u'\\');
    EXPECT_EQ(data.GetDocumentsFolder(), CString(expected));
    EXPECT_EQ(expected.find(u'/'), std::u16string::npos);
    EXPECT_TRUE(fs::is_directory(documents + "/QIB/temp"));
    EXPECT_EQ(env->DisplayPath(data.GetFilePath(u"data.vqm").str()),
              platform::Utf8ToUtf16(documents + "/QIB/temp/data.vqm"));
}

TEST_F(TempHome, EmptyHomeFallsBackToThePasswordHomeWithoutCreatingIt) {
    auto environment = Environment();
    environment.variables["HOME"] = "";
    auto env = platform::posix::NewPosixEnv(environment);
    CUserDiffData data(u"QIB", u"temp", *env);
    EXPECT_EQ(data.GetDocumentsFolder(), Carried((root / "pw").string() + "/Documents"));
    EXPECT_FALSE(fs::exists(root / "pw"));
}

// Records folder creations instead of making them, so that nothing lands in "/".
class NoCreation : public platform::EnvWrapper {
public:
    using EnvWrapper::EnvWrapper;
    std::vector<Path> requests;
    bool CreateFolder(const Path& path) override {
        requests.push_back(path);
        return false;
    }
};

TEST_F(TempHome, UnsetHomeGivesTheDriveRootWhichIsTheRootFolder) {
    auto environment = Environment();
    environment.variables.erase("HOME");
    auto posix = platform::posix::NewPosixEnv(environment);
    NoCreation env(*posix);
    CUserDiffData data(u"QIB", u"temp", env);
    EXPECT_EQ(data.GetDocumentsFolder(), CString(u"C:\\"));
    EXPECT_EQ(data.GetFilePath(u"data.vqm"), CString(u"C:\\QIB\\temp\\data.vqm"));
    EXPECT_EQ(env.DisplayPath(data.GetFilePath(u"data.vqm").str()), u"/QIB/temp/data.vqm");
    for (const Path& request : env.requests) {
        EXPECT_EQ(request.rfind(u"C:\\QIB", 0), 0u);
    }
}

}  // namespace
