// The rules of user-dirs.dirs, without a home folder on disk: where the file lies and which
// documents folder a text names.
#include "platform/posix/user_dirs.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

using platform::posix::DocumentsDirOfUserDirs;
using platform::posix::Environment;
using platform::posix::UserDirsFile;

TEST(UserDirs, FileLiesUnderAnAbsoluteConfigHomeElseUnderHome) {
    struct Case {
        std::optional<std::string> home, configHome;
        std::optional<std::string> file;
    };
    const std::vector<Case> cases = {
        {"/h", std::nullopt, "/h/.config/user-dirs.dirs"},
        {"/h//", std::nullopt, "/h/.config/user-dirs.dirs"},
        {"/h", "/cfg", "/cfg/user-dirs.dirs"},
        {"/h", "cfg", "/h/.config/user-dirs.dirs"},  // a relative config home is ignored
        {"/h", "", "/h/.config/user-dirs.dirs"},
        {std::nullopt, "/cfg", "/cfg/user-dirs.dirs"},
        {"", std::nullopt, std::nullopt},
        {std::nullopt, std::nullopt, std::nullopt},
    };
    for (const Case& c : cases) {
        Environment env;
        if (c.home) {
            env.variables["HOME"] = *c.home;
        }
        if (c.configHome) {
            env.variables["XDG_CONFIG_HOME"] = *c.configHome;
        }
        EXPECT_EQ(UserDirsFile(env), c.file)
            << "HOME=" << c.home.value_or("(unset)")
            << " XDG_CONFIG_HOME=" << c.configHome.value_or("(unset)");
    }
}

TEST(UserDirs, DocumentsFolderOfATextWithAHome) {
    struct Case {
        std::string text;
        std::optional<std::string> documents;
    };
    const std::vector<Case> cases = {
        {"XDG_DOCUMENTS_DIR=\"$HOME/Docs\"\n", "/home/ann/Docs"},
        {"XDG_DOCUMENTS_DIR=\"$HOME/Docs\"", "/home/ann/Docs"},  // no final line break
        {"XDG_DESKTOP_DIR=\"$HOME/Desktop\"\nXDG_DOCUMENTS_DIR=\"/srv/d\"\n", "/srv/d"},
        {"XDG_DOCUMENTS_DIR=\"$HOME/A\"\nXDG_DOCUMENTS_DIR=\"$HOME/B\"\n", "/home/ann/B"},
        {"XDG_DOCUMENTS_DIR=\"$HOME/A\"\nXDG_DOCUMENTS_DIR=\"B\"\n", "/home/ann/A"},
        {" \tXDG_DOCUMENTS_DIR=\"$HOME/C//\"\n", "/home/ann/C"},
        {"XDG_DOCUMENTS_DIR=\"$HOME/My \\\"D\\\"\"\n", "/home/ann/My \"D\""},
        {"XDG_DOCUMENTS_DIR=\"/a\\\\b\"\n", "/a\\b"},
        {"XDG_DOCUMENTS_DIR=\"$HOME\"\n", "/home/ann"},  // a disabled folder: the home itself
        {"XDG_DOCUMENTS_DIR=\"/d\" # after the value\n", "/d"},
        {"", std::nullopt},
        {"XDG_DOCUMENTS_DIR=\"Documents\"\n", std::nullopt},      // relative
        {"XDG_DOCUMENTS_DIR=\"$HOMEDIR/Docs\"\n", std::nullopt},  // another variable
        {"XDG_DOCUMENTS_DIR=\"$HOME/Docs\n", std::nullopt},       // quote not closed
        {"XDG_DOCUMENTS_DIR=\"/d\\\"\n", std::nullopt},           // closing quote escaped
        {"XDG_DOCUMENTS_DIR=$HOME/Docs\n", std::nullopt},         // not quoted
        {"XDG_DOCUMENTS_DIR=\"\"\n", std::nullopt},
        {"# XDG_DOCUMENTS_DIR=\"$HOME/Docs\"\n", std::nullopt},
        {"XDG_DOCUMENTS_DIRX=\"$HOME/Docs\"\n", std::nullopt},
        {"XDG_DOCUMENTS_DIR =\"$HOME/Docs\"\n", std::nullopt},
    };
    const std::string home = "/home/ann/";
    for (const Case& c : cases) {
        EXPECT_EQ(DocumentsDirOfUserDirs(c.text, &home), c.documents) << c.text;
    }
}

TEST(UserDirs, HomeRelativeValuesNeedAHome) {
    const std::string text = "XDG_DOCUMENTS_DIR=\"/abs\"\nXDG_DOCUMENTS_DIR=\"$HOME/Docs\"\n";
    const std::string empty;
    EXPECT_EQ(DocumentsDirOfUserDirs(text, nullptr), "/abs");
    EXPECT_EQ(DocumentsDirOfUserDirs(text, &empty), "/abs");
    EXPECT_EQ(DocumentsDirOfUserDirs("XDG_DOCUMENTS_DIR=\"$HOME\"\n", nullptr), std::nullopt);
}

}  // namespace
