#include "package/output_file.h"

#include <memory>
#include <span>

#include "framework/exceptions.h"

namespace {

// Closes a written file; removes it when anything went wrong, so that no damaged file stays.
WriteOutcome Finish(platform::Env& env, const CString& path,
                    std::unique_ptr<platform::WritableFile> file, bool written) {
    const bool closed = file->Close() == platform::FileError::none;
    file.reset();
    if (written && closed) {
        return WriteOutcome::written;
    }
    env.RemoveFile(path.str());
    return WriteOutcome::writeFailed;
}

}  // namespace

WriteOutcome CopyEntryToFile(platform::Env& env, CArchive& ar, const CString& path, DWORD size) {
    if (size > ar.BytesRemaining()) {
        AfxThrowArchiveException(CArchiveException::endOfFile);
    }
    std::unique_ptr<platform::WritableFile> file;
    if (env.CreateTruncated(path.str(), &file) != platform::FileError::none) {
        return WriteOutcome::cannotCreate;
    }
    ULONGLONG moved = 0;
    const bool written =
        ar.TransferTo(*file, size, &moved) == platform::FileError::none && moved == size;
    return Finish(env, path, std::move(file), written);
}

WriteOutcome WriteWholeFile(platform::Env& env, const CString& path, const BYTE* data, DWORD size) {
    std::unique_ptr<platform::WritableFile> file;
    if (env.CreateTruncated(path.str(), &file) != platform::FileError::none) {
        return WriteOutcome::cannotCreate;
    }
    const auto bytes = std::span(reinterpret_cast<const std::byte*>(data), size);
    const bool written = file->Append(bytes) == platform::FileError::none;
    return Finish(env, path, std::move(file), written);
}
