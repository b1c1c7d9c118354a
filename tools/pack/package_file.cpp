#include "pack/package_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <span>
#include <vector>

#include "framework/exceptions.h"
#include "framework/file.h"
#include "pack/file_io.h"
#include "pack/pack_error.h"
#include "pack/pe/pe_locator.h"
#include "pack/source_folder.h"
#include "platform/env.h"
#include "platform/payload_locator.h"
#include "platform/resource_table.h"

namespace pack {

namespace fs = std::filesystem;
namespace restable = platform::restable;

namespace {

void SeekTo(std::FILE* file, std::uint64_t offset, const fs::path& path) {
    if (!SeekFile(file, offset)) {
        throw PackError(TextOf(path) + ": cannot read: " + ErrorText(errno));
    }
}

// The package's range of the file as the only file there is, for CFile.
class RangeFile final : public platform::SequentialFile {
public:
    RangeFile(UniqueFile file, std::uint64_t size)
        : file_(std::move(file)), left_(size), size_(size) {}

    platform::FileError Read(std::span<std::byte> buffer, std::size_t* delivered) override {
        const std::size_t want =
            static_cast<std::size_t>(std::min<std::uint64_t>(buffer.size(), left_));
        const std::size_t got = want == 0 ? 0 : std::fread(buffer.data(), 1, want, file_.get());
        left_ -= got;
        *delivered = got;
        return got < want && std::ferror(file_.get()) ? platform::FileError::hardIO
                                                      : platform::FileError::none;
    }
    std::uint64_t Length() const override { return size_; }

private:
    UniqueFile file_;
    std::uint64_t left_;
    std::uint64_t size_;
};

// An Env that opens one prepared file whatever the name, once; it offers nothing else.
class OneFileEnv final : public platform::Env {
public:
    explicit OneFileEnv(std::unique_ptr<platform::SequentialFile> file) : file_(std::move(file)) {}

    platform::FileError OpenSequential(const platform::Path&,
                                       std::unique_ptr<platform::SequentialFile>* file) override {
        if (!file_) {
            return platform::FileError::notFound;
        }
        *file = std::move(file_);
        return platform::FileError::none;
    }
    platform::FileError CreateTruncated(const platform::Path&,
                                        std::unique_ptr<platform::WritableFile>*) override {
        return platform::FileError::accessDenied;
    }
    bool PathExists(const platform::Path&) override { return false; }
    bool GetFileStatus(const platform::Path&, platform::FileStatus*) override { return false; }
    bool CreateFolder(const platform::Path&) override { return false; }
    platform::FileError RemoveFile(const platform::Path&) override {
        return platform::FileError::accessDenied;
    }
    platform::FileError CreateTemporaryFile(const platform::Path&, platform::Path*,
                                            std::unique_ptr<platform::WritableFile>*) override {
        return platform::FileError::accessDenied;
    }
    platform::FileError ReplaceFile(const platform::Path&, const platform::Path&) override {
        return platform::FileError::accessDenied;
    }
    platform::FileError CreateUnnamedFile(const platform::Path&,
                                          std::unique_ptr<platform::UnnamedFile>*) override {
        return platform::FileError::accessDenied;
    }
    std::size_t RemoveTemporaryFiles(const platform::Path&) override { return 0; }
    platform::FileError LockFile(const platform::Path&,
                                 std::unique_ptr<platform::FileLock>*) override {
        return platform::FileError::accessDenied;
    }
    std::u16string DisplayPath(const platform::Path& path) override { return path; }
    std::optional<platform::Path> ConfiguredDocumentsFolder() override { return std::nullopt; }
    std::optional<platform::Path> DefaultDocumentsFolder() override { return std::nullopt; }
    std::optional<platform::Path> AccountDocumentsFolder() override { return std::nullopt; }
    std::unique_ptr<platform::ResourceData> LoadExecutableResource(std::u16string_view,
                                                                   std::uint32_t) override {
        return nullptr;
    }

private:
    std::unique_ptr<platform::SequentialFile> file_;
};

std::string Hex(std::uint32_t value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%08X", value);
    return buffer;
}

std::string Where(const PackageRange& range, std::uint64_t offset) {
    std::string where = "offset " + std::to_string(range.offset + offset);
    if (range.installer) {
        where += " (package offset " + std::to_string(offset) + ")";
    }
    return where;
}

}  // namespace

std::unique_ptr<platform::Env> OpenPackageEnv(const fs::path& path, const PackageRange& range) {
    UniqueFile stream = OpenForReading(path);
    SeekTo(stream.get(), range.offset, path);
    return std::make_unique<OneFileEnv>(std::make_unique<RangeFile>(std::move(stream), range.size));
}

std::unique_ptr<platform::Env> EnvWithoutFiles() {
    return std::make_unique<OneFileEnv>(nullptr);
}

std::span<const platform::ResourceLocator* const> InstallerLocators() {
    static const platform::ResourceLocator* const kLocators[] = {&platform::AppendedTableLocator(),
                                                                 &pe::ResourceDirectoryLocator()};
    return kLocators;
}

PackageRange LocatePackage(const fs::path& path, int damagedStatus) {
    RequireRegularFile(path);
    std::error_code ec;
    const UniqueFile file = OpenForReading(path);
    PackageRange range;
    range.fileSize = fs::file_size(Sys(path), ec);
    if (ec) {
        throw PackError(TextOf(path) + ": cannot read: " + ec.message());
    }
    range.size = range.fileSize;
    const platform::ReadAt read = [&](std::uint64_t offset, std::span<std::byte> out) {
        return SeekFile(file.get(), offset) &&
               std::fread(out.data(), 1, out.size(), file.get()) == out.size();
    };
    using Status = platform::LocateResult::Status;
    for (const platform::ResourceLocator* locator : InstallerLocators()) {
        const platform::LocateResult found =
            locator->Locate(read, range.fileSize, restable::kSetupType, restable::kSetupId);
        switch (found.status) {
            case Status::notThisFormat:
                continue;
            case Status::found:
                range.offset = found.location.offset;
                range.size = found.location.size;
                range.checksum = found.location.checksum;
                range.installer = true;
                return range;
            case Status::noResource:
                throw PackError(
                    TextOf(path) + ": an installer without a package (no SETUP 129 resource)",
                    damagedStatus);
            case Status::damaged:
                throw PackError(TextOf(path) + ": damaged installer: " + found.what, damagedStatus);
            case Status::readError:
                throw PackError(TextOf(path) + ": cannot read: " +
                                (std::ferror(file.get()) ? ErrorText(errno)
                                                         : std::string("the file is short")));
        }
    }
    return range;  // no installer: a package as a whole
}

LoadedPackage LoadPackage(const fs::path& path, int damagedStatus) {
    LoadedPackage loaded;
    loaded.range = LocatePackage(path, damagedStatus);
    const PackageRange& range = loaded.range;
    const std::unique_ptr<platform::Env> env = OpenPackageEnv(path, range);
    CFile file(*env);
    file.Open(u"package", CFile::modeRead);
    CArchive ar(&file, CArchive::load);

    ReadProgress progress;
    const auto damaged = [&](const std::string& why) {
        return PackError(TextOf(path) + ": damaged at " + Where(range, progress.offset) + ", " +
                             DescribeField(progress) + ": " + why,
                         damagedStatus);
    };
    bool isPackage = false;
    try {
        isPackage = ReadPackage(ar, loaded.package, &progress);
    } catch (const CArchiveException& e) {
        if (e.m_cause == CArchiveException::endOfFile) {
            throw damaged("the data ends inside this field");
        }
        throw damaged("a string length above 2147483647");
    } catch (const COleException&) {
        throw damaged("a string length whose byte count does not fit in 32 bits");
    } catch (const CFileException&) {
        throw PackError(TextOf(path) + ": cannot read: input/output error at " +
                        Where(range, progress.offset));
    } catch (const CMemoryException&) {
        throw PackError(TextOf(path) + ": out of memory reading " + DescribeField(progress) +
                        " at " + Where(range, progress.offset));
    }
    if (!isPackage) {
        throw PackError(TextOf(path) + ": " +
                            (range.installer ? "the installer's payload is" : "the file is") +
                            " not a package: magic " + Hex(loaded.package.header.magic) + " at " +
                            Where(range, 0) + ", expected " + Hex(kPackageMagic),
                        damagedStatus);
    }
    ar.Close();
    file.Close();
    loaded.endOffset = progress.offset;
    return loaded;
}

std::vector<std::byte> ReadPackageBytes(const fs::path& path, const PackageRange& range) {
    const UniqueFile file = OpenForReading(path);
    SeekTo(file.get(), range.offset, path);
    std::vector<std::byte> bytes(static_cast<std::size_t>(range.size));
    if (std::fread(bytes.data(), 1, bytes.size(), file.get()) != bytes.size()) {
        throw PackError(
            TextOf(path) + ": cannot read: " +
            (std::ferror(file.get()) ? ErrorText(errno) : std::string("the file is short")));
    }
    return bytes;
}

std::string DescribeField(const ReadProgress& progress) {
    const std::string field = progress.field;
    if (progress.section < 0) {
        if (field.rfind("titleimage ", 0) == 0) {
            return "title image " + field.substr(11);
        }
        if (field == "magic" || field == "endTag" || field == "end") {
            return field;
        }
        return "header field " + field;
    }
    const std::string section = SectionFolderName(progress.section);
    if (progress.entry < 0) {
        return section + " section " + field.substr(8);  // "section tag" -> "... section tag"
    }
    return section + " entry " + std::to_string(progress.entry + 1) + " " + field.substr(6);
}

}  // namespace pack
