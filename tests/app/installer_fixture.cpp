#include "app/installer_fixture.h"

#include "platform/posix/posix_env.h"
#include "resources/resource_module.h"

namespace testing_support {

namespace {

platform::posix::Environment HomeAt(const std::filesystem::path& home) {
    platform::posix::Environment e;
    e.variables["HOME"] = home.string();
    e.variables["XDG_CONFIG_HOME"] = (home / ".config").string();
    e.passwordHome = [] { return std::nullopt; };
    return e;
}

class FailingWrite final : public platform::WritableFile {
public:
    explicit FailingWrite(platform::WritableFile& target) : target_(target) {}
    explicit FailingWrite(std::unique_ptr<platform::WritableFile> target)
        : owned_(std::move(target)), target_(*owned_) {}
    platform::FileError Append(std::span<const std::byte> data) override {
        // Half of it reaches the disk, then the disk is full.
        target_.Append(data.first(data.size() / 2));
        return platform::FileError::diskFull;
    }
    platform::FileError Close() override { return target_.Close(); }

private:
    std::unique_ptr<platform::WritableFile> owned_;
    platform::WritableFile& target_;
};

// A new file whose writes fail, that cannot take its name, or whose closing fails.
class FaultyUnnamedFile final : public platform::UnnamedFileWrapper {
public:
    FaultyUnnamedFile(std::unique_ptr<platform::UnnamedFile> target, bool failWrites,
                      std::function<bool(const platform::Path&)> refuseName,
                      std::function<bool(const platform::Path&)> failClose)
        : UnnamedFileWrapper(std::move(target)),
          refuseName_(std::move(refuseName)),
          failClose_(std::move(failClose)) {
        if (failWrites) {
            failing_.emplace(UnnamedFileWrapper::Contents());
        }
    }
    platform::WritableFile& Contents() override {
        return failing_ ? *failing_ : UnnamedFileWrapper::Contents();
    }
    platform::FileError CloseAndName(const platform::Path& to) override {
        if (refuseName_(to)) {
            return platform::FileError::accessDenied;
        }
        if (failClose_(to)) {
            return platform::FileError::hardIO;  // unnamed, the file goes with this object
        }
        return UnnamedFileWrapper::CloseAndName(to);
    }

private:
    std::optional<FailingWrite> failing_;
    std::function<bool(const platform::Path&)> refuseName_;
    std::function<bool(const platform::Path&)> failClose_;
};

class PayloadBytes final : public platform::ResourceData {
public:
    PayloadBytes(const std::vector<std::byte>& b, std::optional<std::uint64_t> checksum)
        : bytes_(b), checksum_(checksum) {}
    std::span<const std::byte> Bytes() const override { return bytes_; }
    std::optional<std::uint64_t> StoredChecksum() const override { return checksum_; }

private:
    const std::vector<std::byte>& bytes_;
    std::optional<std::uint64_t> checksum_;
};

}  // namespace

bool FaultEnv::Matches(const std::set<std::u16string>& set, const platform::Path& path) {
    for (const auto& end : set) {
        if (path.size() >= end.size() &&
            path.compare(path.size() - end.size(), end.size(), end) == 0) {
            return true;
        }
    }
    return false;
}

platform::FileError FaultEnv::OpenSequential(const platform::Path& path,
                                             std::unique_ptr<platform::SequentialFile>* file) {
    if (beforeOpen) {
        beforeOpen(path);
    }
    if (Matches(refuseOpen, path)) {
        return platform::FileError::accessDenied;
    }
    return EnvWrapper::OpenSequential(path, file);
}

platform::FileError FaultEnv::CreateTruncated(const platform::Path& path,
                                              std::unique_ptr<platform::WritableFile>* file) {
    if (Matches(refuseCreate, path)) {
        return platform::FileError::accessDenied;
    }
    const auto error = EnvWrapper::CreateTruncated(path, file);
    if (error == platform::FileError::none && Matches(failWrites, path)) {
        *file = std::make_unique<FailingWrite>(std::move(*file));
    }
    return error;
}

platform::FileError FaultEnv::CreateUnnamedFile(const platform::Path& folder,
                                                std::unique_ptr<platform::UnnamedFile>* file) {
    const auto error = EnvWrapper::CreateUnnamedFile(folder, file);
    if (error != platform::FileError::none) {
        return error;
    }
    bool failing = false;
    for (const auto& [end, nth] : failTemporaryWrites) {
        failing = failing || (Matches({end}, folder) && ++temporariesMade_[end] == nth);
    }
    *file = std::make_unique<FaultyUnnamedFile>(
        std::move(*file), failing,
        [this](const platform::Path& to) { return Matches(refuseCreate, to); },
        [this](const platform::Path& to) { return Matches(failCloses, to); });
    return error;
}

// A file that cannot be created cannot be moved or named into place or made for a lock either.
platform::FileError FaultEnv::ReplaceFile(const platform::Path& from, const platform::Path& to) {
    if (Matches(refuseCreate, to)) {
        return platform::FileError::accessDenied;
    }
    return EnvWrapper::ReplaceFile(from, to);
}

// A lock that tells its Env when it goes, so that a removal it held back can happen.
class FaultEnv::TrackedLock final : public platform::FileLock {
public:
    TrackedLock(FaultEnv& env, platform::Path path, std::unique_ptr<platform::FileLock> inner)
        : env_(env), path_(std::move(path)), inner_(std::move(inner)) {}
    ~TrackedLock() override {
        inner_.reset();
        env_.LockReleased(path_);
    }

private:
    FaultEnv& env_;
    platform::Path path_;
    std::unique_ptr<platform::FileLock> inner_;
};

platform::FileError FaultEnv::LockFile(const platform::Path& path,
                                       std::unique_ptr<platform::FileLock>* lock) {
    if (Matches(refuseCreate, path) && !PathExists(path)) {
        return platform::FileError::accessDenied;
    }
    const auto error = EnvWrapper::LockFile(path, lock);
    if (error == platform::FileError::none) {
        ++locksHeld_[path];
        *lock = std::make_unique<TrackedLock>(*this, path, std::move(*lock));
    }
    return error;
}

void FaultEnv::LockReleased(const platform::Path& path) {
    if (--locksHeld_[path] == 0 && removalPending_.erase(path) != 0) {
        EnvWrapper::RemoveFile(path);
    }
}

platform::FileError FaultEnv::RemoveFile(const platform::Path& path) {
    if (Matches(refuseRemove, path)) {
        return platform::FileError::accessDenied;
    }
    if (keepRemovedWhileLocked && locksHeld_[path] > 0 && PathExists(path)) {
        removalPending_.insert(path);
        return platform::FileError::none;
    }
    return EnvWrapper::RemoveFile(path);
}

std::unique_ptr<platform::ResourceData> FaultEnv::LoadExecutableResource(std::u16string_view,
                                                                         std::uint32_t) {
    if (!payload) {
        return nullptr;
    }
    return std::make_unique<PayloadBytes>(*payload, payloadChecksum);
}

InstallerTest::InstallerTest()
    : posix(platform::posix::NewPosixEnv(HomeAt(home.path()))), env(*posix) {}

void InstallerTest::RunInstaller() {
    CLarkspanApp app;
    AfxServices services;
    services.env = &env;
    services.backend = &backend;
    services.imageDecoder = imageDecoder;
    services.resources = &resources::LarkspanResources();
    app.Run(services, u"/opt/installers/larkspan");
}

std::u16string InstallerTest::Display(const std::filesystem::path& p) const {
    return CString::FromUtf8(p.string()).str();
}

const DialogState& InstallerTest::Shown() const {
    static const DialogState none;
    return backend.shown.empty() ? none : backend.shown.front();
}

}  // namespace testing_support
