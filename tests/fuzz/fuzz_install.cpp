// The whole installer over arbitrary payload bytes: the real application object stages the
// payload, previews its header and, with every question answered Yes, runs one installation
// when Install is pressed, against a temporary HOME. Only the framework's exceptions may
// escape a handler (they are reported in a box, anything else ends the process), and none
// may be an exhausted memory. Checked besides:
// - every file and folder the installer makes lies inside <Documents>\QIB, with no ".."
//   component and no NUL (checked at the platform seam, before anything is made);
// - a package that reads whole opens the dialog with its header's fields;
// - after a reported success the files under <Documents> are exactly those the package
//   reader finds in the same bytes, and the staging file is gone;
// - a package that reads whole, with a plain subfolder and plain names that fit the file
//   system, installs successfully.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "app/larkspan_app.h"
#include "framework/exceptions.h"
#include "framework/file.h"
#include "package/messages.h"
#include "package/package_archive.h"
#include "package/stored_names.h"
#include "platform/posix/posix_env.h"
#include "resources/resource.h"
#include "resources/resource_module.h"
#include "support/mem_env.h"
#include "support/scripted_backend.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using Files = std::map<std::string, std::vector<std::byte>>;

[[noreturn]] void Fail(const char* what, const platform::Path& path = {}) {
    std::fprintf(stderr, "fuzz_install: %s %s\n", what, CString(path).ToUtf8().c_str());
    std::abort();
}

class PayloadData final : public platform::ResourceData {
public:
    explicit PayloadData(std::span<const std::byte> bytes) : bytes_(bytes) {}
    std::span<const std::byte> Bytes() const override { return bytes_; }

private:
    std::span<const std::byte> bytes_;
};

// The Linux Env with the input as the executable's payload, refusing (fatally) to make
// anything outside the product folder.
class GuardedEnv final : public platform::EnvWrapper {
    // Checks the name a new file takes, as ReplaceFile's are checked.
    class GuardedName final : public platform::UnnamedFileWrapper {
    public:
        GuardedName(const GuardedEnv& env, std::unique_ptr<platform::UnnamedFile> target)
            : UnnamedFileWrapper(std::move(target)), env_(env) {}
        platform::FileError CloseAndName(const platform::Path& to) override {
            env_.Check(to);
            return UnnamedFileWrapper::CloseAndName(to);
        }

    private:
        const GuardedEnv& env_;
    };

public:
    GuardedEnv(platform::Env& target, platform::Path productFolder)
        : EnvWrapper(target), product_(std::move(productFolder)) {}

    std::span<const std::byte> payload;

    platform::FileError CreateTruncated(const platform::Path& path,
                                        std::unique_ptr<platform::WritableFile>* file) override {
        Check(path);
        return EnvWrapper::CreateTruncated(path, file);
    }
    platform::FileError CreateTemporaryFile(
        const platform::Path& folder, platform::Path* path,
        std::unique_ptr<platform::WritableFile>* file) override {
        Check(folder);
        return EnvWrapper::CreateTemporaryFile(folder, path, file);
    }
    platform::FileError ReplaceFile(const platform::Path& from, const platform::Path& to) override {
        Check(from);
        Check(to);
        return EnvWrapper::ReplaceFile(from, to);
    }
    platform::FileError CreateUnnamedFile(const platform::Path& folder,
                                          std::unique_ptr<platform::UnnamedFile>* file) override {
        Check(folder);
        const auto error = EnvWrapper::CreateUnnamedFile(folder, file);
        if (error == platform::FileError::none) {
            *file = std::make_unique<GuardedName>(*this, std::move(*file));
        }
        return error;
    }
    std::size_t RemoveTemporaryFiles(const platform::Path& folder) override {
        Check(folder);
        return EnvWrapper::RemoveTemporaryFiles(folder);
    }
    platform::FileError LockFile(const platform::Path& path,
                                 std::unique_ptr<platform::FileLock>* lock) override {
        Check(path);
        return EnvWrapper::LockFile(path, lock);
    }
    bool CreateFolder(const platform::Path& path) override {
        Check(path);
        return EnvWrapper::CreateFolder(path);
    }
    platform::FileError RemoveFile(const platform::Path& path) override {
        Check(path);
        return EnvWrapper::RemoveFile(path);
    }
    std::unique_ptr<platform::ResourceData> LoadExecutableResource(std::u16string_view,
                                                                   std::uint32_t) override {
        return std::make_unique<PayloadData>(payload);
    }

private:
    void Check(const platform::Path& path) const {
        if (path.find(u'\0') != platform::Path::npos) {
            Fail("a path with a NUL reached the file system:", path);
        }
        if (path.compare(0, product_.size(), product_) != 0 ||
            (path.size() > product_.size() && path[product_.size()] != u'\\')) {
            Fail("a path outside the product folder reached the file system:", path);
        }
        std::size_t start = product_.size();
        while (start < path.size()) {
            const std::size_t end = std::min(path.find_first_of(u"\\/", start + 1), path.size());
            if (path.substr(start + 1, end - start - 1) == u"..") {
                Fail("a path with a parent reference reached the file system:", path);
            }
            start = end;
        }
    }

    platform::Path product_;
};

class NoDecoder final : public platform::ImageDecoder {
public:
    platform::DecodedImage Decode(std::span<const std::uint8_t>) override { return {}; }
};

platform::posix::Environment HomeAt(const fs::path& home) {
    platform::posix::Environment e;
    e.variables["HOME"] = home.string();
    e.variables["XDG_CONFIG_HOME"] = (home / ".config").string();
    e.passwordHome = [] { return std::nullopt; };
    return e;
}

struct Process {
    Process()
        : posix(platform::posix::NewPosixEnv(HomeAt(home.path()))),
          documents(platform::posix::CarriedPath((home.path() / "Documents").string())),
          env(*posix, documents + u"\\QIB") {}

    testing_support::TempDir home;
    std::unique_ptr<platform::Env> posix;
    platform::Path documents;  // carried form
    GuardedEnv env;
    NoDecoder decoder;
};

Process& TheProcess() {
    static Process process;
    return process;
}

// The package as the reader sees it, or nothing when it does not read whole.
std::optional<Package> ReadWhole(std::span<const std::byte> bytes) {
    testing_support::MemEnv mem;
    mem.AddFile(u"\\p", std::vector<std::byte>(bytes.begin(), bytes.end()));
    CFile file(mem);
    file.Open(u"\\p", CFile::modeRead);
    CArchive ar(&file, CArchive::load);
    Package package;
    try {
        if (ReadPackage(ar, package)) {
            return package;
        }
    } catch (const CException&) {
    }
    return std::nullopt;
}

std::string Native(const platform::Path& carried) {
    const auto native = platform::posix::NativePath(carried);
    return native ? fs::path(*native).lexically_normal().string() : std::string();
}

// Where the installer puts each stored file, the later of two equal paths winning; nothing
// when a path cannot be formed.
std::optional<Files> ExpectedFiles(const Process& p, const Package& package) {
    const platform::Path qib = p.documents + u"\\QIB\\";
    const platform::Path& sub = package.header.subfolder.str();
    const platform::Path folders[kSectionCount] = {
        qib + u"objectpacks\\" + (sub.empty() ? sub : sub + u"\\"),
        qib + u"Preview\\" + (sub.empty() ? sub : sub + u"_"), qib + u"Tessel\\"};
    Files files;
    if (!package.titleImage.empty()) {
        files[Native(qib + u"temp\\install.jpg")] = package.titleImage;
    }
    for (int s = 0; s < kSectionCount; ++s) {
        for (const PackageFile& f : package.sections[static_cast<std::size_t>(s)].files) {
            const std::string path = Native(folders[s] + f.name.str());
            if (path.empty()) {
                return std::nullopt;
            }
            files[path] = f.data;
        }
    }
    return files;
}

Files FilesOnDisk(const fs::path& root) {
    Files files;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(root, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        if (it->is_regular_file()) {
            files[it->path().lexically_normal().string()] =
                testing_support::ReadFileBytes(it->path());
        }
    }
    return files;
}

// A package the installer has no reason to refuse: a subfolder of one plain level, names
// the file system takes, paths below the installer's length limit.
bool Installable(const Process& p, const Package& package) {
    const CString& sub = package.header.subfolder;
    if (!IsSafeSubfolder(sub) || sub.str().find_first_of(u"\\/") != std::u16string::npos ||
        sub.str() == u"." || sub.str() == u"..") {
        return false;
    }
    const std::size_t base = p.documents.size() + 20;  // "\QIB\objectpacks\" and the like
    if (sub.ToUtf8().size() + 1 > 255 || base + 2 * sub.str().size() + 2 >= 260) {
        return false;
    }
    for (const PackageSection& section : package.sections) {
        for (const PackageFile& f : section.files) {
            if (!IsSafeStoredName(f.name) || (sub + u"_" + f.name).ToUtf8().size() > 255 ||
                base + 2 * sub.str().size() + f.name.str().size() + 2 >= 260) {
                return false;
            }
        }
    }
    return true;
}

// The dialog opened with the header's fields.
void CheckDialog(const testing_support::ScriptedBackend& backend, const PackageHeader& h) {
    if (!backend.dialogShown || backend.shown.empty()) {
        Fail("a package that reads whole did not open the dialog");
    }
    const testing_support::DialogState& s = backend.shown.front();
    if (s.texts.at(IDC_PACKAGE_NAME) != h.packageName.str() ||
        s.texts.at(IDC_DESCRIPTION) != h.description.str() ||
        s.texts.at(IDC_SUBFOLDER) != h.subfolder.str() ||
        s.texts.at(IDC_REQUIRED_VERSION) != CString::FromUtf8(std::to_string(h.requiredVersion)) ||
        s.readOnly.at(IDC_SUBFOLDER) != (h.subfolderEditable == 0)) {
        Fail("the dialog does not show the package's header");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Process& p = TheProcess();
    const fs::path documents = p.home.path() / "Documents";
    std::error_code ec;
    fs::remove_all(documents, ec);
    p.env.payload = std::span(reinterpret_cast<const std::byte*>(data), size);

    testing_support::ScriptedBackend backend;
    backend.answers = {ui::BoxAnswer::yes, ui::BoxAnswer::yes};
    backend.script = {testing_support::Press{IDOK}};
    {
        CLarkspanApp app;
        AfxServices services;
        services.env = &p.env;
        services.backend = &backend;
        services.imageDecoder = &p.decoder;
        services.resources = &resources::LarkspanResources();
        app.Run(services, u"/opt/installers/larkspan");
    }

    bool installed = false;
    for (const auto& box : backend.boxes) {
        installed = installed || box.text == messages::kInstalled;
        if (box.text == CMemoryException().GetErrorMessage().str()) {
            Fail("a payload of a few kilobytes exhausted memory");
        }
    }
    const std::optional<Package> package = ReadWhole(p.env.payload);
    if (package) {
        CheckDialog(backend, package->header);
    }
    if (installed) {
        if (!package) {
            Fail("a package the reader refuses was installed");
        }
        const std::optional<Files> expected = ExpectedFiles(p, *package);
        if (!expected || *expected != FilesOnDisk(documents)) {
            Fail("the installed files differ from the package's");
        }
    } else if (package && Installable(p, *package)) {
        Fail("a sound package was not installed");
    }
    return 0;
}
