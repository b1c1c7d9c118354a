// Runs the real application object and install dialog against a temporary HOME, with the
// scripted front end and an Env whose faults a test switches on.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "app/larkspan_app.h"
#include "platform/env.h"
#include "platform/image_decoder.h"
#include "support/package_builder.h"
#include "support/scripted_backend.h"
#include "support/temp_dir.h"

namespace testing_support {

// The Linux Env with a payload of the test's choosing and switchable faults, each matched
// by the end of the path.
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

class InstallerTest : public ::testing::Test {
protected:
    InstallerTest();

    // Runs the installer's start-up with the payload given; the scripted front end plays
    // `backend.script` and answers from `backend.answers`.
    void RunInstaller();
    void RunInstaller(const std::vector<std::byte>& payload) {
        env.payload = payload;
        RunInstaller();
    }

    std::filesystem::path Docs() const { return home.path() / "Documents"; }
    std::filesystem::path Qib() const { return Docs() / "QIB"; }
    std::filesystem::path DataFile() const { return Qib() / "temp" / "data.vqm"; }
    std::u16string Display(const std::filesystem::path& p) const;
    // The dialog's state when it was shown.
    const DialogState& Shown() const;

    TempDir home;
    std::unique_ptr<platform::Env> posix;
    FaultEnv env;
    ScriptedBackend backend;
    RecordingDecoder decoder;
    platform::ImageDecoder* imageDecoder = &decoder;  // what the image window decodes with
};

}  // namespace testing_support
