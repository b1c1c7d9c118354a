#include "package/output_file.h"

#include <memory>
#include <span>
#include <utility>

#include "framework/exceptions.h"

namespace {

// A temporary file beside a destination; removed on destruction unless it has replaced
// the destination.
class PendingFile {
public:
    PendingFile(platform::Env& env, const CString& destination)
        : env_(env), destination_(destination.str()) {}
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;
    ~PendingFile() {
        if (file_ != nullptr) {
            file_->Close();
            file_.reset();
        }
        if (!temporary_.empty()) {
            env_.RemoveFile(temporary_);
        }
    }

    // False when no temporary file can be made in the destination's folder.
    bool Create() {
        const auto separator = destination_.find_last_of(u'\\');
        if (separator == platform::Path::npos) {
            return false;
        }
        platform::Path made;
        if (env_.CreateTemporaryFile(destination_.substr(0, separator), &made, &file_) !=
            platform::FileError::none) {
            return false;
        }
        temporary_ = std::move(made);
        return true;
    }

    platform::WritableFile& file() { return *file_; }

    // Closes the temporary file and moves it over the destination when everything was
    // written; what the caller reports otherwise.
    WriteOutcome Finish(bool written) {
        const bool closed = file_->Close() == platform::FileError::none;
        file_.reset();
        if (!written || !closed) {
            return WriteOutcome::writeFailed;
        }
        if (env_.ReplaceFile(temporary_, destination_) != platform::FileError::none) {
            return WriteOutcome::cannotCreate;  // a folder or a read-only file in its place
        }
        temporary_.clear();
        return WriteOutcome::written;
    }

private:
    platform::Env& env_;
    platform::Path destination_;
    platform::Path temporary_;
    std::unique_ptr<platform::WritableFile> file_;
};

}  // namespace

WriteOutcome CopyEntryToFile(platform::Env& env, CArchive& ar, const CString& path, DWORD size) {
    if (size > ar.BytesRemaining()) {
        AfxThrowArchiveException(CArchiveException::endOfFile);
    }
    PendingFile pending(env, path);
    if (!pending.Create()) {
        return WriteOutcome::cannotCreate;
    }
    ULONGLONG moved = 0;
    const bool written =
        ar.TransferTo(pending.file(), size, &moved) == platform::FileError::none && moved == size;
    return pending.Finish(written);
}

WriteOutcome WriteWholeFile(platform::Env& env, const CString& path, const BYTE* data, DWORD size) {
    PendingFile pending(env, path);
    if (!pending.Create()) {
        return WriteOutcome::cannotCreate;
    }
    const auto bytes = std::span(reinterpret_cast<const std::byte*>(data), size);
    return pending.Finish(pending.file().Append(bytes) == platform::FileError::none);
}
