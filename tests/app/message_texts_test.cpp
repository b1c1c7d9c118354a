// Every message the installer shows, written out here as the user reads it (typos included)
// rather than taken from the program's own constants, so that a change of wording fails;
// one row per situation that shows it, with the boxes in order.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cctype>
#include <ostream>
#include <tuple>

#include "app/installer_fixture.h"
#include "resources/resource.h"

namespace testing_support {
namespace {

// Stands for the staging file's path as the user knows it.
const std::u16string kStagingPath = u"<staging path>";

struct Box {
    std::u16string text;
    ui::BoxIcon icon;
    ui::BoxButtons buttons;
    bool operator==(const Box&) const = default;
};

Box Ok(std::u16string text) {
    return {std::move(text), ui::BoxIcon::exclamation, ui::BoxButtons::ok};
}
Box Ask(std::u16string text) {
    return {std::move(text), ui::BoxIcon::question, ui::BoxButtons::yesNo};
}
// The framework's report of an error escaping a message handler.
Box Stop(std::u16string text) {
    return {std::move(text), ui::BoxIcon::stop, ui::BoxButtons::ok};
}

void PrintTo(const Box& box, std::ostream* os) {
    *os << '"' << CString(box.text).ToUtf8() << "\" icon " << static_cast<int>(box.icon)
        << " buttons " << static_cast<int>(box.buttons);
}

// What a situation may change before the installer runs.
struct Arrangement {
    FaultEnv& env;
    ScriptedBackend& backend;
    InstallerFixture& files;
};

struct Situation {
    const char* name;
    void (*arrange)(Arrangement&);
    std::vector<Box> boxes;
    bool dialogShown;
};

void PrintTo(const Situation& s, std::ostream* os) {
    *os << s.name;
}

// Changes the faults when Install opens the staging file: at its second opening, the first
// being the header preview's.
template <typename F>
void AtInstall(Arrangement& s, F change) {
    s.env.beforeOpen = [&env = s.env, change, opened = 0](const platform::Path& path) mutable {
        if (path.ends_with(u"\\data.vqm") && ++opened == 2) {
            change(env);
        }
    };
}

const Situation kSituations[] = {
    {"no payload",
     [](Arrangement& s) { s.env.payload.reset(); },
     {Ok(u"Failed to extract the data, extracting process aborted!"),
      Ok(u"Error 5, Missing 'data.vqm' file in temporrary space")},
     false},
    {"staging file cannot be created",
     [](Arrangement& s) { s.env.refuseCreate = {u"\\data.vqm"}; },
     {Ok(u"Failed to create temporary data file, extracting process aborted!"),
      Ok(u"Error 5, Missing 'data.vqm' file in temporrary space")},
     false},
    {"payload is not a package",
     [](Arrangement& s) { s.env.payload = Text("PK\x03\x04 not a package at all"); },
     {Ok(u"Error\nFile is not a QIB Archive file!"),
      Ok(u"Error 4, the templates were not installed")},
     false},
    {"preview cannot open the staging file",
     [](Arrangement& s) { s.env.refuseOpen = {u"\\data.vqm"}; },
     {Ok(u"Error\nCannot open file (Permissions?):\n" + kStagingPath),
      Ok(u"Error 4, the templates were not installed")},
     false},
    {"title image cannot be written",
     [](Arrangement& s) { s.env.refuseCreate = {u"\\install.jpg"}; },
     {Ok(u"Error\nCannot install template.\nDo you have permission to write to the Document "
         u"Directory?"),
      Ok(u"Error 4, the templates were not installed")},
     false},
    {"package ends inside its header",
     [](Arrangement& s) {
         s.env.payload->resize(40);
         s.backend.script = {Press{IDCANCEL}};
     },
     {Stop(u"Attempted to access an unnamed file past its end.")},
     true},
    {"Install cannot open the staging file",
     [](Arrangement& s) {
         AtInstall(s, [](FaultEnv& env) { env.refuseOpen = {u"\\data.vqm"}; });
         s.backend.script = {Press{IDOK}, Press{IDCANCEL}};
     },
     {Ok(u"Error\nCannot open file (Permissions?):\n" + kStagingPath)},
     true},
    {"staging file is no package at Install",
     [](Arrangement& s) {
         AtInstall(s, [&files = s.files](FaultEnv&) {
             files.Write(files.DataFile(), Text("PK\x03\x04"));
         });
         s.backend.script = {Press{IDOK}, Press{IDCANCEL}};
     },
     {Ok(u"Error\nFile is not a QIB Archive file!")},
     true},
    {"first object pack exists, answer No",
     [](Arrangement& s) {
         s.files.MakeFolders(s.files.Qib(u"objectpacks\\Tests"));
         s.files.Write(s.files.Qib(u"objectpacks\\Tests\\a.qop"), Text("mine"));
         s.backend.answers = {ui::BoxAnswer::no};
         s.backend.script = {Press{IDOK}, Press{IDCANCEL}};
     },
     {Ask(u"File Exist\nThe file 'a.qop' already exist.\nContinue Overwriting the template?")},
     true},
    {"installed file cannot be created",
     [](Arrangement& s) {
         s.env.refuseCreate = {u"\\b.qop"};
         s.backend.script = {Press{IDOK}, Press{IDCANCEL}};
     },
     {Ok(u"Error\nCannot install template.\nDo you have permission to write to the Files "
         u"Directory?\n(For Vista/W7 you need to set the QIB to 'Run as Administrator')")},
     true},
    {"stored name is unsafe",
     [](Arrangement& s) {
         s.env.payload = MakePackageBytes(PackageSpec{.tessels = {{u"..", Text("x")}}});
         s.backend.script = {Press{IDOK}, Press{IDCANCEL}};
     },
     {Ok(u"Error\nCannot install template.\nThe package holds an unsafe file name:\n..")},
     true},
    {"subfolder leads out of objectpacks",
     [](Arrangement& s) {
         s.backend.script = {SetText{IDC_SUBFOLDER, u"a\\..\\.."}, Press{IDOK}, Press{IDCANCEL}};
     },
     {Ok(u"Error\nCannot install template.\nThe subfolder must stay inside the objectpacks "
         u"folder:\na\\..\\..")},
     true},
    {"version box holds no number",
     [](Arrangement& s) {
         s.backend.script = {SetText{IDC_REQUIRED_VERSION, u"x"}, Press{IDOK}, Press{IDCANCEL}};
     },
     // The run's own exchange, then the one that would end the dialog after the success.
     {Ok(u"Enter a positive integer."),
      Ok(u"Premium template were installed.\r\nIf QIB is currenty running, you need to close it "
         u"and start it again."),
      Ok(u"Enter a positive integer.")},
     true},
    {"package ends inside an entry",
     [](Arrangement& s) {
         s.env.payload->resize(s.env.payload->size() - 20);
         s.backend.script = {Press{IDOK}, Press{IDCANCEL}};
     },
     {Stop(u"Attempted to access an unnamed file past its end.")},
     true},
    {"success",
     [](Arrangement& s) { s.backend.script = {Press{IDOK}}; },
     {Ok(u"Premium template were installed.\r\nIf QIB is currenty running, you need to close it "
         u"and start it again.")},
     true},
    {"staging file cannot be deleted",
     [](Arrangement& s) {
         s.env.refuseRemove = {u"\\data.vqm"};
         s.backend.script = {Press{IDOK}, Press{IDCANCEL}};
     },
     {Ok(u"Premium template were installed.\r\nIf QIB is currenty running, you need to close it "
         u"and start it again."),
      Stop(u"Access to " + kStagingPath + u" was denied.")},
     true},
};

class MessageTexts
    : public InstallerFixture,
      public ::testing::WithParamInterface<std::tuple<InstallerEnvFactory, Situation>> {
protected:
    MessageTexts() : InstallerFixture(std::get<0>(GetParam())) {}
};

TEST_P(MessageTexts, AreShownExactlyAndInOrder) {
    const Situation& situation = std::get<1>(GetParam());
    env.payload = MakePackageBytes();
    Arrangement setup{env, backend, *this};
    situation.arrange(setup);
    RunInstaller();

    std::vector<Box> expected = situation.boxes;
    for (Box& box : expected) {
        if (const auto at = box.text.find(kStagingPath); at != std::u16string::npos) {
            box.text.replace(at, kStagingPath.size(), Display(DataFile()));
        }
    }
    std::vector<Box> shown;
    for (const RecordedBox& box : backend.boxes) {
        shown.push_back({box.text, box.icon, box.buttons});
        EXPECT_EQ(box.title, u"larkspan");  // the executable's name
    }
    EXPECT_THAT(shown, ::testing::ElementsAreArray(expected));
    EXPECT_EQ(backend.dialogShown, situation.dialogShown);
}

INSTANTIATE_TEST_SUITE_P(EverySituation, MessageTexts,
                         ::testing::Combine(::testing::ValuesIn(InstallerEnvs()),
                                            ::testing::ValuesIn(kSituations)),
                         [](const auto& info) {
                             std::string name = std::get<0>(info.param).name + "_";
                             for (const char* c = std::get<1>(info.param).name; *c != '\0'; ++c) {
                                 if (std::isalnum(static_cast<unsigned char>(*c))) {
                                     name += *c;
                                 }
                             }
                             return name;
                         });

}  // namespace
}  // namespace testing_support
