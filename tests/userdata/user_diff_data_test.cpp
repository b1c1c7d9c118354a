#include "userdata/user_diff_data.h"

#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <vector>

#include "support/mem_env.h"
#include "userdata/path_functions.h"

namespace {

using platform::Path;
using testing_support::MemEnv;

const std::u16string kDocs = u"\\home\\ann\\Documents";

// MemEnv keeps "X\" and "X" apart where a file system sees one folder; this view gives it
// the file system's reading of a trailing backslash, and records every creation asked for.
class FileSystemView : public platform::EnvWrapper {
public:
    using EnvWrapper::EnvWrapper;
    std::vector<Path> createRequests;

    bool PathExists(const Path& path) override { return target().PathExists(Trim(path)); }
    bool CreateFolder(const Path& path) override {
        createRequests.push_back(path);
        return target().CreateFolder(Trim(path));
    }

private:
    static Path Trim(Path path) {
        while (path.size() > 1 && path.back() == u'\\') {
            path.pop_back();
        }
        return path;
    }
};

class UserDiffDataTest : public ::testing::Test {
protected:
    UserDiffDataTest() : fs(mem) {
        mem.folders.insert(kDocs);
        mem.configuredDocuments = kDocs;
    }

    // Folders that exist below the documents folder.
    std::set<Path> Created() const {
        std::set<Path> out;
        for (const Path& f : mem.folders) {
            if (f != kDocs) {
                out.insert(f);
            }
        }
        return out;
    }

    MemEnv mem;
    FileSystemView fs;
};

TEST_F(UserDiffDataTest, StagingPathUnderTheDocumentsFolderAndItsFoldersCreated) {
    CUserDiffData data(u"QIB", u"temp", fs);
    EXPECT_EQ(data.GetFilePath(u"data.vqm"), CString(kDocs + u"\\QIB\\temp\\data.vqm"));
    EXPECT_EQ(Created(), (std::set<Path>{kDocs + u"\\QIB", kDocs + u"\\QIB\\temp"}));
    EXPECT_EQ(fs.createRequests, (std::vector<Path>{kDocs + u"\\QIB", kDocs + u"\\QIB\\temp"}));

    // A second object finds both folders and asks for nothing.
    fs.createRequests.clear();
    CUserDiffData again(u"QIB", u"temp", fs);
    EXPECT_TRUE(fs.createRequests.empty());
    EXPECT_EQ(again.CreateFolders(), CString(kDocs + u"\\QIB\\temp"));
}

TEST_F(UserDiffDataTest, WhenEveryQueryFailsThePathsStartAtTheDriveRoot) {
    mem.configuredDocuments.reset();
    mem.folders.insert(u"C:");  // so that the in-memory tree can hold C:\QIB
    CUserDiffData data(u"QIB", u"temp", fs);
    EXPECT_EQ(data.GetDocumentsFolder(), CString(u"C:\\"));
    EXPECT_EQ(data.GetFilePath(u"data.vqm"), CString(u"C:\\QIB\\temp\\data.vqm"));
    EXPECT_EQ(fs.createRequests, (std::vector<Path>{u"C:\\QIB", u"C:\\QIB\\temp"}));
}

TEST_F(UserDiffDataTest, OneTrailingBackslashOfTheDocumentsFolderIsRemoved) {
    mem.configuredDocuments = kDocs + u"\\";
    CUserDiffData one(u"QIB", u"temp", fs);
    EXPECT_EQ(one.GetDocumentsFolder(), CString(kDocs + u"\\"));
    EXPECT_EQ(one.GetFilePath(u"data.vqm"), CString(kDocs + u"\\QIB\\temp\\data.vqm"));

    mem.configuredDocuments = kDocs + u"\\\\";
    CUserDiffData two(u"QIB", u"temp", fs);
    EXPECT_EQ(two.GetFilePath(u"data.vqm"), CString(kDocs + u"\\\\QIB\\temp\\data.vqm"));
}

TEST_F(UserDiffDataTest, DocumentsFolderIsLookedUpOncePerObject) {
    CUserDiffData data(u"QIB", u"temp", fs);
    EXPECT_EQ(mem.documentsQueries, 1);  // by the constructor
    data.GetDocumentsFolder();
    data.GetFolderPath();
    data.GetFilePath(u"x");
    data.GetProductSubfolder(u"Preview");
    data.SetInnerFolder(u"a", 1);
    EXPECT_EQ(mem.documentsQueries, 1);

    // The cache belongs to the object: a later answer reaches only a new object.
    mem.configuredDocuments = u"\\elsewhere";
    EXPECT_EQ(data.GetDocumentsFolder(), CString(kDocs));
    CUserDiffData other(u"QIB", u"temp", fs);
    EXPECT_EQ(mem.documentsQueries, 2);
    EXPECT_EQ(other.GetDocumentsFolder(), CString(u"\\elsewhere"));
}

TEST_F(UserDiffDataTest, AnEmptyAnswerIsNotCached) {
    mem.configuredDocuments = u"";
    CUserDiffData data(u"QIB", u"temp", fs);
    EXPECT_EQ(mem.documentsQueries, 1);
    EXPECT_EQ(data.GetDocumentsFolder(), CString());
    EXPECT_EQ(mem.documentsQueries, 2);
    // An empty documents folder composes a rooted path.
    EXPECT_EQ(data.GetFolderPath(), CString(u"\\QIB\\temp"));
    EXPECT_EQ(mem.documentsQueries, 3);
    mem.configuredDocuments = kDocs;
    EXPECT_EQ(data.GetDocumentsFolder(), CString(kDocs));
    data.GetDocumentsFolder();
    EXPECT_EQ(mem.documentsQueries, 4);
}

TEST(DocumentsFolderChain, AccountFolderOnlyWhenTheDefaultAnsweredEmpty) {
    using Answer = std::optional<Path>;
    struct Case {
        const char* what;
        Answer configured, byDefault, account;
        const char16_t* expected;
        int queries;  // the queries run in order, so the count tells which ran
    };
    const Case cases[] = {
        {"configured found", u"\\a", u"\\b", u"\\c", u"\\a", 1},
        {"configured found empty: stored as is", u"", u"\\b", u"\\c", u"", 1},
        {"default found", {}, u"\\b", u"\\c", u"\\b", 2},
        {"default failed: drive root kept, account skipped", {}, {}, u"\\c", u"C:\\", 2},
        {"default found empty: account asked", {}, u"", u"\\c", u"\\c", 3},
        {"default empty, account failed", {}, u"", {}, u"", 3},
        {"default empty, account empty", {}, u"", u"", u"", 3},
    };
    for (const Case& c : cases) {
        MemEnv env;
        env.configuredDocuments = c.configured;
        env.defaultDocuments = c.byDefault;
        env.accountDocuments = c.account;
        CUserDiffData data(u"QIB", u"temp", env);
        EXPECT_EQ(env.documentsQueries, c.queries) << c.what;
        env.documentsQueries = 0;
        EXPECT_EQ(data.GetDocumentsFolder(), CString(c.expected)) << c.what;
    }
}

TEST_F(UserDiffDataTest, EmptySubfolderNamesTheProductFolder) {
    CUserDiffData data(u"QIB", u"", fs);
    EXPECT_EQ(Created(), (std::set<Path>{kDocs + u"\\QIB"}));
    // The folder with the trailing backslash is asked for too, and fails harmlessly.
    EXPECT_EQ(fs.createRequests, (std::vector<Path>{kDocs + u"\\QIB", kDocs + u"\\QIB\\"}));
    EXPECT_EQ(data.GetFolderPath(), CString(kDocs + u"\\QIB"));
    data.SetInnerFolder(u"inner", 0);
    EXPECT_EQ(data.GetFolderPath(), CString(kDocs + u"\\QIB"));
    EXPECT_EQ(data.GetFilePath(u"f"), CString(kDocs + u"\\QIB\\f"));
    EXPECT_EQ(data.CreateFolders(), CString(kDocs + u"\\QIB\\\\inner"));
}

TEST_F(UserDiffDataTest, InnerFolderIsStoredWithOneLeadingBackslash) {
    const std::u16string packs = kDocs + u"\\QIB\\objectpacks";
    struct Case {
        const char16_t* name;
        int create;
        std::u16string folderPath;
        std::set<Path> created;  // below the documents folder
    };
    const Case cases[] = {
        {u"Flowers", 1, packs + u"\\Flowers", {kDocs + u"\\QIB", packs, packs + u"\\Flowers"}},
        {u"\\Flowers", 0, packs + u"\\Flowers", {kDocs + u"\\QIB", packs}},
        {u"\\Flowers", 1, packs + u"\\Flowers", {kDocs + u"\\QIB", packs, packs + u"\\Flowers"}},
        {u"Flowers\\", 0, packs + u"\\Flowers\\", {kDocs + u"\\QIB", packs}},
        {u"", 1, packs, {kDocs + u"\\QIB", packs}},
        {u"Flowers",
         7,
         packs + u"\\Flowers",  // any nonzero flag creates
         {kDocs + u"\\QIB", packs, packs + u"\\Flowers"}},
        // Not recursive: the first component is missing, so nothing is made below
        // objectpacks and no error shows.
        {u"Spring\\Flowers", 1, packs + u"\\Spring\\Flowers", {kDocs + u"\\QIB", packs}},
    };
    for (const Case& c : cases) {
        MemEnv env;
        env.folders.insert(kDocs);
        env.configuredDocuments = kDocs;
        CUserDiffData data(u"QIB", u"objectpacks", env);
        data.SetInnerFolder(c.name, c.create);
        const auto what = CString(c.name).ToUtf8() + " flag " + std::to_string(c.create);
        EXPECT_EQ(data.GetFolderPath(), CString(c.folderPath)) << what;
        env.folders.erase(kDocs);
        EXPECT_EQ(env.folders, c.created) << what;
    }
}

TEST_F(UserDiffDataTest, ObjectPackFolderWithTrailingBackslashForTheInstaller) {
    CUserDiffData data(u"QIB", u"objectpacks", fs);
    EXPECT_EQ(AddTrailingBackslash(data.GetFolderPath()), CString(kDocs + u"\\QIB\\objectpacks\\"));
    data.SetInnerFolder(u"Flowers", 1);
    EXPECT_EQ(AddTrailingBackslash(data.GetFolderPath()),
              CString(kDocs + u"\\QIB\\objectpacks\\Flowers\\"));
    EXPECT_TRUE(mem.folders.count(kDocs + u"\\QIB\\objectpacks\\Flowers"));
}

TEST_F(UserDiffDataTest, CreateFoldersReportsTheDeepestFolderWorkedOn) {
    CUserDiffData data(u"QIB", u"objectpacks", fs);
    data.SetInnerFolder(u"Flowers", 0);
    EXPECT_EQ(data.CreateFolders(), CString(kDocs + u"\\QIB\\objectpacks\\Flowers"));
    EXPECT_TRUE(mem.folders.count(kDocs + u"\\QIB\\objectpacks\\Flowers"));
    // A second run finds everything in place and asks for nothing.
    fs.createRequests.clear();
    EXPECT_EQ(data.CreateFolders(), CString(kDocs + u"\\QIB\\objectpacks\\Flowers"));
    EXPECT_TRUE(fs.createRequests.empty());

    // Without a documents folder on disk nothing can be made; the inner folder is left
    // out of the result, but the composed paths stay as they are.
    MemEnv bare;
    bare.configuredDocuments = kDocs;
    CUserDiffData orphan(u"QIB", u"objectpacks", bare);
    orphan.SetInnerFolder(u"Flowers", 1);
    EXPECT_EQ(orphan.CreateFolders(), CString(kDocs + u"\\QIB\\objectpacks"));
    EXPECT_EQ(orphan.GetFolderPath(), CString(kDocs + u"\\QIB\\objectpacks\\Flowers"));
    EXPECT_TRUE(bare.folders.empty());
}

TEST_F(UserDiffDataTest, FilePathDropsTheDirectoryPartOfTheName) {
    const std::u16string temp = kDocs + u"\\QIB\\temp";
    CUserDiffData data(u"QIB", u"temp", fs);
    EXPECT_EQ(data.GetFilePath(u"install.jpg"), CString(temp + u"\\install.jpg"));
    EXPECT_EQ(data.GetFilePath(u"a\\b\\install.jpg"), CString(temp + u"\\install.jpg"));
    EXPECT_EQ(data.GetFilePath(u"\\install.jpg"), CString(temp + u"\\install.jpg"));
    EXPECT_EQ(data.GetFilePath(u"dir\\"), CString(temp + u"\\"));
    EXPECT_EQ(data.GetFilePath(u""), CString(temp + u"\\"));
    data.SetInnerFolder(u"x", 0);
    EXPECT_EQ(data.GetFilePath(u"f"), CString(temp + u"\\x\\f"));
    fs.createRequests.clear();
    data.GetFilePath(u"g");
    EXPECT_TRUE(fs.createRequests.empty());
}

TEST_F(UserDiffDataTest, ProductSubfolderIgnoresTheObjectsOwnSubfolder) {
    CUserDiffData data(u"QIB", u"", fs);
    data.SetInnerFolder(u"inner", 0);
    EXPECT_EQ(data.GetProductSubfolder(u"Preview"), CString(kDocs + u"\\QIB\\Preview"));
    EXPECT_EQ(AddTrailingBackslash(data.GetProductSubfolder(u"Tessel")),
              CString(kDocs + u"\\QIB\\Tessel\\"));
    EXPECT_EQ(Created(), (std::set<Path>{kDocs + u"\\QIB", kDocs + u"\\QIB\\Preview",
                                         kDocs + u"\\QIB\\Tessel"}));
}

TEST_F(UserDiffDataTest, ProductSubfolderCreatesTheProductFolderFirst) {
    // An object whose construction could not make anything (no documents folder yet).
    mem.folders.clear();
    CUserDiffData data(u"QIB", u"temp", fs);
    EXPECT_TRUE(mem.folders.empty());
    mem.folders.insert(kDocs);
    fs.createRequests.clear();

    EXPECT_EQ(data.GetProductSubfolder(u""), CString(kDocs + u"\\QIB\\"));
    EXPECT_EQ(fs.createRequests, (std::vector<Path>{kDocs + u"\\QIB"}));
    EXPECT_EQ(Created(), (std::set<Path>{kDocs + u"\\QIB"}));

    EXPECT_EQ(data.GetProductSubfolder(u"Preview"), CString(kDocs + u"\\QIB\\Preview"));
    EXPECT_EQ(Created(), (std::set<Path>{kDocs + u"\\QIB", kDocs + u"\\QIB\\Preview"}));
}

}  // namespace
