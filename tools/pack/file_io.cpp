#include "pack/file_io.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <system_error>

#include "pack/pack_error.h"

namespace pack {

namespace fs = std::filesystem;

namespace {

// The folder a target lives in, for its temporary sibling.
fs::path FolderOf(const fs::path& target) {
    const fs::path parent = target.parent_path();
    return parent.empty() ? fs::path(".") : parent;
}

// A hidden sibling name that no other run picks at the same time.
fs::path SiblingName(const fs::path& target) {
    static std::mt19937_64 random{std::random_device{}()};
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string suffix;
    std::uint64_t bits = random();
    for (int i = 0; i < 12; ++i, bits >>= 4) {
        suffix += kDigits[bits & 0xF];
    }
    return FolderOf(target) / ("." + target.filename().string() + ".tmp-" + suffix);
}

}  // namespace

std::FILE* OpenFile(const fs::path& path, const char* mode) {
#ifdef _WIN32
    const std::string narrow(mode);
    const std::wstring wide(narrow.begin(), narrow.end());
    return ::_wfopen(path.c_str(), wide.c_str());
#else
    return std::fopen(path.c_str(), mode);
#endif
}

bool SeekFile(std::FILE* file, std::uint64_t offset) {
    if (offset > static_cast<std::uint64_t>(INT64_MAX)) {
        errno = EINVAL;
        return false;
    }
#ifdef _WIN32
    return ::_fseeki64(file, static_cast<__int64>(offset), SEEK_SET) == 0;
#else
    return ::fseeko(file, static_cast<off_t>(offset), SEEK_SET) == 0;
#endif
}

std::string ErrorText(int error) {
    return std::strerror(error);
}

UniqueFile OpenForReading(const fs::path& path) {
    errno = 0;
    UniqueFile file(OpenFile(path, "rb"));
    if (!file) {
        throw PackError(path.string() + ": cannot read: " + ErrorText(errno));
    }
    return file;
}

void RequireRegularFile(const fs::path& path) {
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (ec) {
        throw PackError(path.string() + ": cannot read: " + ec.message());
    }
    if (!fs::is_regular_file(status)) {
        throw PackError(path.string() + ": not a regular file");
    }
}

std::vector<std::byte> ReadWholeFile(const fs::path& path, std::uint64_t maxBytes) {
    RequireRegularFile(path);
    std::error_code ec;
    const auto tooLarge = [&] {
        throw PackError(path.string() + ": larger than " + std::to_string(maxBytes) +
                        " bytes, the most a package entry holds");
    };
    const std::uint64_t size = fs::file_size(path, ec);
    if (!ec && size > maxBytes) {
        tooLarge();
    }
    const UniqueFile file = OpenForReading(path);
    std::vector<std::byte> data;
    if (!ec) {
        data.reserve(static_cast<std::size_t>(size));
    }
    std::byte chunk[65536];
    for (;;) {
        const std::size_t got = std::fread(chunk, 1, sizeof chunk, file.get());
        if (got > maxBytes - data.size()) {
            tooLarge();  // it grew while being read
        }
        data.insert(data.end(), chunk, chunk + got);
        if (got < sizeof chunk) {
            break;
        }
    }
    if (std::ferror(file.get())) {
        throw PackError(path.string() + ": cannot read: " + ErrorText(errno));
    }
    return data;
}

StagedFile::StagedFile(fs::path target) : target_(std::move(target)) {
    int error = 0;
    for (int attempt = 0; attempt < 16 && !file_; ++attempt) {
        temporary_ = SiblingName(target_);
        errno = 0;
        file_.reset(OpenFile(temporary_, "wbx"));
        error = errno;
        if (!file_ && error != EEXIST) {
            break;
        }
    }
    if (!file_) {
        temporary_.clear();
        Fail(error);
    }
}

StagedFile::~StagedFile() {
    if (!committed_ && !temporary_.empty()) {
        file_.reset();
        std::error_code ec;
        fs::remove(temporary_, ec);
    }
}

void StagedFile::Fail(int error) const {
    throw PackError(target_.string() + ": cannot write: " + ErrorText(error));
}

void StagedFile::Write(std::span<const std::byte> bytes) {
    errno = 0;
    if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), file_.get()) != bytes.size()) {
        Fail(errno);
    }
}

void StagedFile::Commit() {
    errno = 0;
    if (std::fflush(file_.get()) != 0) {
        Fail(errno);
    }
    // Closing reports what a full disk or a network file system held back until now.
    const int closed = std::fclose(file_.release());
    if (closed != 0) {
        Fail(errno);
    }
    std::error_code ec;
    fs::rename(temporary_, target_, ec);
    if (ec) {
        throw PackError(target_.string() + ": cannot write: " + ec.message());
    }
    committed_ = true;
}

StagedFolder::StagedFolder(fs::path target) : target_(std::move(target)) {
    std::error_code ec;
    for (int attempt = 0; attempt < 16; ++attempt) {
        const fs::path candidate = SiblingName(target_);
        if (fs::create_directory(candidate, ec)) {
            temporary_ = candidate;
            return;
        }
        if (ec) {
            break;
        }
    }
    throw PackError(target_.string() + ": cannot write: " +
                    (ec ? ec.message() : std::string("no free temporary name")));
}

StagedFolder::~StagedFolder() {
    if (!committed_) {
        std::error_code ec;
        fs::remove_all(temporary_, ec);
    }
}

void StagedFolder::Commit() {
    std::error_code ec;
    fs::rename(temporary_, target_, ec);
    if (ec) {
        throw PackError(target_.string() + ": cannot write: " + ec.message());
    }
    committed_ = true;
}

void WriteNewFile(const fs::path& path, std::span<const std::byte> bytes,
                  const std::string& shownAs) {
    errno = 0;
    UniqueFile file(OpenFile(path, "wbx"));
    const auto fail = [&] { throw PackError(shownAs + ": cannot write: " + ErrorText(errno)); };
    if (!file) {
        fail();
    }
    if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), file.get()) != bytes.size()) {
        fail();
    }
    if (std::fclose(file.release()) != 0) {
        fail();
    }
}

}  // namespace pack
