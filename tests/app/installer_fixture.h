// Runs the real application object and install dialog over an Env of the test's choosing
// (the in-memory one, and each of the system's own on a documents folder of the test's), with
// the scripted front end and an Env wrapper whose faults a test switches on.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "app/larkspan_app.h"
#include "platform/env.h"
#include "platform/image_decoder.h"
#include "support/package_builder.h"
#include "support/scripted_backend.h"

namespace testing_support {

// A fresh Env whose documents folder holds nothing the test did not put there, with what the
// tests need of its files beyond the Env's own calls. Whatever keeps the folders alive (and
// removes what the test made) lives in `keep` and goes with the object.
struct InstallerEnv {
    std::shared_ptr<platform::Env> env;
    // The folder the test owns, the documents folder in it: nothing else in it may change.
    platform::Path scope;
    // The path as the system writes it, which is the form the installer's messages show.
    std::function<std::u16string(const platform::Path&)> native;
    // Every file and folder below a folder, as paths relative to it with "/" between names
    // and "/" after a folder's, sorted; nothing when the folder is missing.
    std::function<std::vector<std::string>(const platform::Path&)> tree;
    // Removes a file, or a folder with everything in it; nothing when it is missing.
    std::function<void(const platform::Path&)> removeAll;
    std::shared_ptr<void> keep;
};

struct InstallerEnvFactory {
    std::string name;
    std::function<InstallerEnv()> make;
};

inline void PrintTo(const InstallerEnvFactory& factory, std::ostream* os) {
    *os << factory.name;
}

// The system's own Envs on this platform (installer_envs_posix.cpp, installer_envs_win32.cpp).
std::vector<InstallerEnvFactory> SystemInstallerEnvs();
// Those and the tests' in-memory Env, which behaves as the systems' do.
std::vector<InstallerEnvFactory> InstallerEnvs();
std::string InstallerEnvName(const ::testing::TestParamInfo<InstallerEnvFactory>& info);

// An Env on the real disk: `tree` and `removeAll` through std::filesystem at the native path.
InstallerEnv OnDisk(std::shared_ptr<platform::Env> env, platform::Path scope,
                    std::function<std::u16string(const platform::Path&)> native,
                    std::shared_ptr<void> keep);

// A path below a folder, in the Env's form.
inline platform::Path operator/(const platform::Path& folder, std::u16string_view name) {
    return folder + u"\\" + platform::Path(name);
}

// A message of the table as a whole string, for comparing with what the backend recorded.
inline std::u16string S(std::u16string_view text) {
    return std::u16string(text);
}

// The documents folder the Env gives, the first of its queries that finds one, without a "\\" at
// the end.
platform::Path DocumentsOf(platform::Env& env);

// Another Env with a payload of the test's choosing and switchable faults, each matched by
// the end of the path.
class FaultEnv : public platform::EnvWrapper {
public:
    using platform::EnvWrapper::EnvWrapper;

    std::optional<std::vector<std::byte>> payload;
    std::optional<std::uint64_t> payloadChecksum;  // as the resource table would record it
    std::set<std::u16string> refuseCreate;         // CreateTruncated, ReplaceFile or naming a new
                                                   // file onto it and LockFile of a missing file
                                                   // fail (access denied)
    std::set<std::u16string> refuseRemove;         // RemoveFile fails (access denied)
    std::set<std::u16string> failWrites;           // Append fails (disk full)
    std::set<std::u16string> refuseOpen;           // OpenSequential fails (access denied)
    // Called before every OpenSequential, before refuseOpen is looked at: a test changes the
    // file or the faults between the header preview and Install here.
    std::function<void(const platform::Path&)> beforeOpen;
    // Append fails (disk full) for the n-th new file (from 1) made in a folder.
    std::map<std::u16string, int> failTemporaryWrites;
    // Naming a new file onto it fails as a failed close does (an I/O error): it keeps no name.
    std::set<std::u16string> failCloses;
    // Windows' deletion: a file removed while a lock of this Env on it is held keeps its
    // name and bytes until the last such lock goes.
    bool keepRemovedWhileLocked = false;

    platform::FileError OpenSequential(const platform::Path& path,
                                       std::unique_ptr<platform::SequentialFile>* file) override;
    platform::FileError CreateTruncated(const platform::Path& path,
                                        std::unique_ptr<platform::WritableFile>* file) override;
    platform::FileError ReplaceFile(const platform::Path& from, const platform::Path& to) override;
    platform::FileError LockFile(const platform::Path& path,
                                 std::unique_ptr<platform::FileLock>* lock) override;
    platform::FileError RemoveFile(const platform::Path& path) override;
    platform::FileError CreateUnnamedFile(const platform::Path& folder,
                                          std::unique_ptr<platform::UnnamedFile>* file) override;
    std::unique_ptr<platform::ResourceData> LoadExecutableResource(std::u16string_view type,
                                                                   std::uint32_t id) override;

private:
    class TrackedLock;
    void LockReleased(const platform::Path& path);

    std::map<std::u16string, int> temporariesMade_;
    std::map<platform::Path, int> locksHeld_;
    std::set<platform::Path> removalPending_;
    static bool Matches(const std::set<std::u16string>& set, const platform::Path& path);
};

// Decodes nothing: the image window keeps its dark background. Records the bytes of each
// picture file it was given (read through the installer's Env).
class RecordingDecoder : public platform::ImageDecoder {
public:
    std::vector<std::vector<std::byte>> pictures;
    platform::DecodedImage Decode(std::span<const std::uint8_t> file) override {
        const auto bytes = std::as_bytes(file);
        pictures.emplace_back(bytes.begin(), bytes.end());
        return {};
    }
};

// The installer over the Env a factory makes. The file helpers go to that Env directly, past
// the faults and past beforeOpen.
class InstallerFixture : public ::testing::Test {
public:
    explicit InstallerFixture(const InstallerEnvFactory& factory);

    // Runs the installer's start-up with the payload given; the scripted front end plays
    // `backend.script` and answers from `backend.answers` (or `front` does).
    void RunInstaller() { RunInstaller(backend); }
    void RunInstaller(ui::Backend& front);
    void RunInstaller(const std::vector<std::byte>& payload) {
        env.payload = payload;
        RunInstaller();
    }

    // Paths in the Env's form: the documents folder, and QIB or a path below it ("a\\b").
    const platform::Path& Docs() const { return documents_; }
    // The folder the test owns, the documents folder in it.
    const platform::Path& Scope() const { return system_.scope; }
    platform::Path Qib(std::u16string_view below = {}) const;
    platform::Path DataFile() const { return Qib(u"temp\\data.vqm"); }
    std::u16string Display(const platform::Path& path) const { return system_.native(path); }
    // The dialog's state when it was shown.
    const DialogState& Shown() const;
    // The path on the disk, for the cases of a system's own (links, devices).
    std::filesystem::path Native(const platform::Path& path) const;

    platform::Env& System() { return *system_.env; }
    bool Exists(const platform::Path& path);
    bool IsFolder(const platform::Path& path);
    std::uint64_t SizeOf(const platform::Path& path);
    std::vector<std::byte> Read(const platform::Path& path);
    void Write(const platform::Path& path, const std::vector<std::byte>& bytes);
    // Creates the folder and every missing folder above it.
    void MakeFolders(const platform::Path& path);
    void RemoveAll(const platform::Path& path) { system_.removeAll(path); }
    std::vector<std::string> Tree(const platform::Path& folder) { return system_.tree(folder); }
    // Everything below the test's own folder that is not below QIB.
    std::vector<std::string> BesideQib();
    // The temporary files an interrupted write could have left directly in a folder.
    std::vector<std::string> Temporaries(const platform::Path& folder);

protected:
    InstallerEnv system_;
    platform::Path documents_;

public:
    FaultEnv env;
    ScriptedBackend backend;
    RecordingDecoder decoder;
    platform::ImageDecoder* imageDecoder = &decoder;  // what the image window decodes with
};

// The same cases over every Env of InstallerEnvs().
class InstallerTest : public InstallerFixture,
                      public ::testing::WithParamInterface<InstallerEnvFactory> {
protected:
    InstallerTest() : InstallerFixture(GetParam()) {}
};

}  // namespace testing_support
