#include "app/installer_fixture.h"

#include <algorithm>
#include <system_error>

#include "resources/resource_module.h"
#include "support/mem_env.h"

namespace testing_support {

namespace {

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

namespace {

// The tests' in-memory Env, its documents folder \mem\Documents.
InstallerEnv InMemory() {
    auto mem = std::make_shared<MemEnv>();
    mem->folders = {u"\\mem", u"\\mem\\Documents"};
    mem->configuredDocuments = u"\\mem\\Documents";
    InstallerEnv made;
    made.env = mem;
    made.scope = u"\\mem";
    made.native = [](const platform::Path& path) { return path; };
    made.tree = [mem = mem.get()](const platform::Path& folder) {
        const platform::Path start = folder + u"\\";
        std::vector<std::string> found;
        const auto add = [&](const platform::Path& path, bool isFolder) {
            if (path.starts_with(start)) {
                std::u16string below = path.substr(start.size());
                std::replace(below.begin(), below.end(), u'\\', u'/');
                found.push_back(CString(below).ToUtf8() + (isFolder ? "/" : ""));
            }
        };
        for (const auto& [path, bytes] : mem->files) {
            add(path, false);
        }
        for (const platform::Path& path : mem->folders) {
            add(path, true);
        }
        std::sort(found.begin(), found.end());
        return found;
    };
    made.removeAll = [mem = mem.get()](const platform::Path& path) {
        const auto below = [&path](const platform::Path& p) {
            return p == path || p.starts_with(path + u"\\");
        };
        std::erase_if(mem->files, [&](const auto& entry) { return below(entry.first); });
        std::erase_if(mem->folders, below);
    };
    return made;
}

}  // namespace

std::vector<InstallerEnvFactory> InstallerEnvs() {
    std::vector<InstallerEnvFactory> all = {{"memory", InMemory}};
    for (InstallerEnvFactory& system : SystemInstallerEnvs()) {
        all.push_back(std::move(system));
    }
    return all;
}

std::string InstallerEnvName(const ::testing::TestParamInfo<InstallerEnvFactory>& info) {
    return info.param.name;
}

InstallerEnv OnDisk(std::shared_ptr<platform::Env> env, platform::Path scope,
                    std::function<std::u16string(const platform::Path&)> native,
                    std::shared_ptr<void> keep) {
    namespace fs = std::filesystem;
    InstallerEnv made;
    made.env = std::move(env);
    made.scope = std::move(scope);
    made.native = native;
    made.tree = [native](const platform::Path& folder) {
        const fs::path root(native(folder));
        std::vector<std::string> found;
        std::error_code ec;
        for (auto it = fs::recursive_directory_iterator(root, ec);
             !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
            const bool isFolder = it->is_directory() && !it->is_symlink();
            found.push_back(
                CString(it->path().lexically_relative(root).generic_u16string()).ToUtf8() +
                (isFolder ? "/" : ""));
        }
        std::sort(found.begin(), found.end());
        return found;
    };
    made.removeAll = [native](const platform::Path& path) {
        std::error_code ec;
        fs::remove_all(fs::path(native(path)), ec);
    };
    made.keep = std::move(keep);
    return made;
}

platform::Path DocumentsOf(platform::Env& env) {
    for (auto attempt :
         {&platform::Env::ConfiguredDocumentsFolder, &platform::Env::DefaultDocumentsFolder,
          &platform::Env::AccountDocumentsFolder}) {
        if (auto found = (env.*attempt)(); found && !found->empty()) {
            while (found->size() > 1 && found->back() == u'\\') {
                found->pop_back();
            }
            return *found;
        }
    }
    ADD_FAILURE() << "the Env finds no documents folder";
    return u"C:";
}

InstallerFixture::InstallerFixture(const InstallerEnvFactory& factory)
    : system_(factory.make()), documents_(DocumentsOf(*system_.env)), env(*system_.env) {}

void InstallerFixture::RunInstaller(ui::Backend& front) {
    CLarkspanApp app;
    AfxServices services;
    services.env = &env;
    services.backend = &front;
    services.imageDecoder = imageDecoder;
    services.resources = &resources::LarkspanResources();
    app.Run(services, u"/opt/installers/larkspan");
}

platform::Path InstallerFixture::Qib(std::u16string_view below) const {
    platform::Path path = documents_ + u"\\QIB";
    if (!below.empty()) {
        path += u"\\";
        path += below;
    }
    return path;
}

std::filesystem::path InstallerFixture::Native(const platform::Path& path) const {
    return std::filesystem::path(system_.native(path));
}

bool InstallerFixture::Exists(const platform::Path& path) {
    return System().PathExists(path);
}

bool InstallerFixture::IsFolder(const platform::Path& path) {
    platform::FileStatus status;
    return System().GetFileStatus(path, &status) && status.isDirectory;
}

std::uint64_t InstallerFixture::SizeOf(const platform::Path& path) {
    platform::FileStatus status;
    EXPECT_TRUE(System().GetFileStatus(path, &status)) << CString(path).ToUtf8();
    return status.size;
}

std::vector<std::byte> InstallerFixture::Read(const platform::Path& path) {
    std::unique_ptr<platform::SequentialFile> file;
    std::vector<std::byte> out;
    if (System().OpenSequential(path, &file) != platform::FileError::none) {
        ADD_FAILURE() << "cannot open " << CString(path).ToUtf8();
        return out;
    }
    std::vector<std::byte> buffer(1 << 16);
    for (;;) {
        std::size_t got = 0;
        EXPECT_EQ(file->Read(buffer, &got), platform::FileError::none);
        out.insert(out.end(), buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(got));
        if (got < buffer.size()) {
            return out;
        }
    }
}

void InstallerFixture::Write(const platform::Path& path, const std::vector<std::byte>& bytes) {
    std::unique_ptr<platform::WritableFile> file;
    ASSERT_EQ(System().CreateTruncated(path, &file), platform::FileError::none)
        << CString(path).ToUtf8();
    ASSERT_EQ(file->Append(bytes), platform::FileError::none);
    ASSERT_EQ(file->Close(), platform::FileError::none);
}

void InstallerFixture::MakeFolders(const platform::Path& path) {
    for (std::size_t at = path.find(u'\\', 1); at != platform::Path::npos;
         at = path.find(u'\\', at + 1)) {
        System().CreateFolder(path.substr(0, at));
    }
    System().CreateFolder(path);
    ASSERT_TRUE(IsFolder(path)) << CString(path).ToUtf8();
}

std::vector<std::string> InstallerFixture::BesideQib() {
    std::u16string qib = Qib().substr(system_.scope.size() + 1);
    std::replace(qib.begin(), qib.end(), u'\\', u'/');
    const std::string below = CString(qib).ToUtf8() + "/";
    auto found = Tree(system_.scope);
    std::erase_if(found, [&below](const std::string& p) { return p.starts_with(below); });
    return found;
}

std::vector<std::string> InstallerFixture::Temporaries(const platform::Path& folder) {
    auto found = Tree(folder);
    std::erase_if(found, [](const std::string& p) {
        return !p.starts_with("~lks") || p.find('/') != std::string::npos;
    });
    return found;
}

const DialogState& InstallerFixture::Shown() const {
    static const DialogState none;
    return backend.shown.empty() ? none : backend.shown.front();
}

}  // namespace testing_support
