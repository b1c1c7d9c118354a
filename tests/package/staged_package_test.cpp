// Staging, header preview and installation run of the package layer, on files and folders in
// memory and without the dialog: what each writes where, and the boxes it shows (texts as the
// user reads them).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>

#include "framework/app.h"
#include "package/header_preview.h"
#include "package/installation.h"
#include "package/staging.h"
#include "support/mem_env.h"
#include "support/package_builder.h"
#include "support/scripted_backend.h"

namespace testing_support {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

const std::u16string kQib = u"\\docs\\QIB";
const std::u16string kDataFile = kQib + u"\\temp\\data.vqm";
const std::u16string kInstalled =
    u"Premium template were installed.\r\nIf QIB is currenty running, you need to close it and "
    u"start it again.";

class StagedPackage : public ::testing::Test {
protected:
    StagedPackage() {
        env.folders.insert(u"\\docs");
        env.configuredDocuments = u"\\docs";
        AfxServices services;
        services.env = &env;
        services.backend = &backend;
        app.Attach(services, u"/opt/larkspan");
    }

    void SetPayload(std::vector<std::byte> bytes) { env.resources[{u"SETUP", 129}] = bytes; }
    // The staging file as staging leaves it, with its folders.
    void Stage(const std::vector<std::byte>& package) {
        env.folders.insert(kQib);
        env.folders.insert(kQib + u"\\temp");
        env.AddFile(kDataFile, package);
    }
    std::vector<std::u16string> Files() const {
        std::vector<std::u16string> names;
        for (const auto& [path, data] : env.files) {
            names.push_back(path);
        }
        return names;
    }

    MemEnv env;
    ScriptedBackend backend;
    CWinApp app;
};

TEST_F(StagedPackage, StagingWritesExactlyThePayloadOrSaysWhyNot) {
    const std::vector<std::byte> payload = MakePackageBytes();
    std::vector<std::byte> longer =
        MakePackageBytes(PackageSpec{.objectPacks = {{u"big.qop", std::vector<std::byte>(5000)}}});
    struct Case {
        const char* what;
        std::optional<std::vector<std::byte>> resource;
        std::optional<std::vector<std::byte>> earlier;  // a staging file left by an earlier start
        bool folderInTheWay;
        std::vector<std::u16string> boxes;
        std::optional<std::vector<std::byte>> staged;
    };
    const Case cases[] = {
        {"first start", payload, std::nullopt, false, {}, payload},
        {"over a longer earlier file", payload, longer, false, {}, payload},
        {"no payload",
         std::nullopt,
         longer,
         false,
         {u"Failed to extract the data, extracting process aborted!"},
         longer},
        {"empty payload",
         std::vector<std::byte>{},
         std::nullopt,
         false,
         {u"Failed to extract the data, extracting process aborted!"},
         std::nullopt},
        {"a folder where the file goes",
         payload,
         std::nullopt,
         true,
         {u"Failed to create temporary data file, extracting process aborted!"},
         std::nullopt},
    };
    for (const Case& c : cases) {
        env.files.clear();
        env.folders = {u"\\docs"};
        env.resources.clear();
        backend = ScriptedBackend();
        if (c.resource) {
            SetPayload(*c.resource);
        }
        if (c.earlier) {
            Stage(*c.earlier);
        }
        if (c.folderInTheWay) {
            Stage({});
            env.files.erase(kDataFile);
            env.folders.insert(kDataFile);
        }
        CString dataFile;
        std::unique_ptr<platform::FileLock> lock;
        StagePayload(env, dataFile, lock);
        EXPECT_EQ(dataFile, CString(kDataFile)) << c.what;
        EXPECT_EQ(backend.BoxTexts(), c.boxes) << c.what;
        EXPECT_TRUE(env.folders.count(kQib + u"\\temp")) << c.what;
        const auto staged = env.files.find(kDataFile);
        ASSERT_EQ(staged != env.files.end(), c.staged.has_value()) << c.what;
        if (c.staged) {
            EXPECT_EQ(staged->second, *c.staged) << c.what;
        }
    }
}

TEST_F(StagedPackage, ThePreviewFillsTheFieldsAndWritesTheTitleImage) {
    PackageSpec spec;
    spec.requiredVersion = 0x80000000;
    spec.subfolderEditable = 0;
    Stage(MakePackageBytes(spec));
    std::vector<CString> shown;
    PackagePreview preview;
    ASSERT_TRUE(PreviewPackageHeader(
        env, kDataFile, [&](const CString& file) { shown.push_back(file); }, preview));
    EXPECT_EQ(preview.packageName, CString(u"Test Templates"));
    EXPECT_EQ(preview.description, CString(u"Line one\r\nLine two"));
    EXPECT_EQ(preview.subfolder, CString(u"Tests"));
    EXPECT_EQ(preview.requiredVersion, 0x80000000u);
    EXPECT_FALSE(preview.subfolderEditable);
    EXPECT_THAT(shown, ElementsAre(CString(kQib + u"\\temp\\install.jpg")));
    EXPECT_EQ(env.files.at(kQib + u"\\temp\\install.jpg"), Text("not really a jpeg"));
    EXPECT_THAT(backend.boxes, IsEmpty());
    EXPECT_THAT(Files(), ElementsAre(kDataFile, kQib + u"\\temp\\install.jpg"));
}

TEST_F(StagedPackage, APreviewWithoutTitleImageWritesAndShowsNone) {
    PackageSpec spec;
    spec.titleImage.clear();
    Stage(MakePackageBytes(spec));
    int shown = 0;
    PackagePreview preview;
    ASSERT_TRUE(PreviewPackageHeader(
        env, kDataFile, [&](const CString&) { ++shown; }, preview));
    EXPECT_EQ(shown, 0);
    EXPECT_THAT(Files(), ElementsAre(kDataFile));
    EXPECT_TRUE(preview.subfolderEditable);
}

TEST_F(StagedPackage, APreviewThatFailsSaysWhyAndLeavesTheFieldsEmpty) {
    struct Case {
        const char* what;
        std::optional<std::vector<std::byte>> staged;
        bool titleImageBlocked;  // a folder where install.jpg goes
        std::u16string box;
    };
    const Case cases[] = {
        {"no staging file", std::nullopt, false,
         u"Error\nCannot open file (Permissions?):\n" + kDataFile},
        {"not a package", Text("PK\x03\x04 zip"), false, u"Error\nFile is not a QIB Archive file!"},
        {"title image not writable", MakePackageBytes(), true,
         u"Error\nCannot install template.\nDo you have permission to write to the Document "
         u"Directory?"},
    };
    for (const Case& c : cases) {
        env.files.clear();
        env.folders = {u"\\docs"};
        backend = ScriptedBackend();
        if (c.staged) {
            Stage(*c.staged);
        }
        if (c.titleImageBlocked) {
            env.folders.insert(kQib + u"\\temp\\install.jpg");
        }
        PackagePreview preview;
        EXPECT_FALSE(PreviewPackageHeader(
            env, kDataFile, [](const CString&) {}, preview))
            << c.what;
        EXPECT_THAT(backend.BoxTexts(), ElementsAre(c.box)) << c.what;
        EXPECT_TRUE(preview.packageName.IsEmpty()) << c.what;
        EXPECT_EQ(preview.requiredVersion, 0u) << c.what;
    }
}

TEST_F(StagedPackage, InstallationWritesTheThreeSectionsAndRemovesTheStagingFile) {
    struct Case {
        std::u16string subfolder;
        std::vector<std::u16string> files;
    };
    const Case cases[] = {
        {u"Sub",
         {kQib + u"\\Preview\\Sub_a.png", kQib + u"\\Tessel\\t.tsl",
          kQib + u"\\objectpacks\\Sub\\a.qop", kQib + u"\\objectpacks\\Sub\\b.qop"}},
        {u"",
         {kQib + u"\\Preview\\a.png", kQib + u"\\Tessel\\t.tsl", kQib + u"\\objectpacks\\a.qop",
          kQib + u"\\objectpacks\\b.qop"}},
    };
    for (const Case& c : cases) {
        env.files.clear();
        env.folders = {u"\\docs"};
        backend = ScriptedBackend();
        Stage(MakePackageBytes());
        EXPECT_TRUE(RunInstallation(env, kDataFile, c.subfolder));
        EXPECT_EQ(Files(), c.files);
        EXPECT_EQ(env.files.at(c.files.back()), Text("bravo"));
        EXPECT_THAT(backend.BoxTexts(), ElementsAre(kInstalled));
    }
}

TEST_F(StagedPackage, InstallationAsksOnceBeforeOverwritingAndNoWritesNothing) {
    Stage(MakePackageBytes());
    env.folders.insert(kQib + u"\\objectpacks");
    env.AddFile(kQib + u"\\objectpacks\\a.qop", Text("mine"));
    backend.answers = {ui::BoxAnswer::no};
    EXPECT_FALSE(RunInstallation(env, kDataFile, u""));
    const std::u16string question =
        u"File Exist\nThe file 'a.qop' already exist.\nContinue Overwriting the template?";
    EXPECT_THAT(backend.BoxTexts(), ElementsAre(question));
    EXPECT_EQ(backend.boxes[0].buttons, ui::BoxButtons::yesNo);
    EXPECT_THAT(Files(), ElementsAre(kQib + u"\\objectpacks\\a.qop", kDataFile));
    EXPECT_EQ(env.files.at(kQib + u"\\objectpacks\\a.qop"), Text("mine"));

    backend = ScriptedBackend();
    backend.answers = {ui::BoxAnswer::yes};
    EXPECT_TRUE(RunInstallation(env, kDataFile, u""));
    EXPECT_THAT(backend.BoxTexts(), ElementsAre(question, kInstalled));
    EXPECT_EQ(env.files.at(kQib + u"\\objectpacks\\a.qop"), Text("alpha"));
    EXPECT_EQ(env.files.count(kDataFile), 0u);
}

TEST_F(StagedPackage, AnInstallationThatCannotGoOnSaysWhyAndKeepsTheStagingFile) {
    struct Case {
        const char* what;
        bool staged;
        std::u16string subfolder;
        bool folderInTheWay;  // where the second object pack goes
        std::u16string box;
        std::vector<std::u16string> written;  // installed files
    };
    const Case cases[] = {
        {"no staging file",
         false,
         u"",
         false,
         u"Error\nCannot open file (Permissions?):\n" + kDataFile,
         {}},
        {"a folder where a file goes",
         true,
         u"",
         true,
         u"Error\nCannot install template.\nDo you have permission to write to the Files "
         u"Directory?\n(For Vista/W7 you need to set the QIB to 'Run as Administrator')",
         {kQib + u"\\objectpacks\\a.qop"}},
        {"a subfolder leading out",
         true,
         u"..\\x",
         false,
         u"Error\nCannot install template.\nThe subfolder must stay inside the objectpacks "
         u"folder:\n..\\x",
         {}},
    };
    for (const Case& c : cases) {
        env.files.clear();
        env.folders = {u"\\docs"};
        backend = ScriptedBackend();
        if (c.staged) {
            Stage(MakePackageBytes());
        }
        if (c.folderInTheWay) {
            env.folders.insert(kQib + u"\\objectpacks");
            env.folders.insert(kQib + u"\\objectpacks\\b.qop");
        }
        EXPECT_FALSE(RunInstallation(env, kDataFile, c.subfolder)) << c.what;
        EXPECT_THAT(backend.BoxTexts(), ElementsAre(c.box)) << c.what;
        std::vector<std::u16string> written = Files();
        std::erase(written, kDataFile);
        EXPECT_EQ(written, c.written) << c.what;
        EXPECT_EQ(env.files.count(kDataFile), c.staged ? 1u : 0u) << c.what;
    }
}

}  // namespace
}  // namespace testing_support
