#include "package/output_file.h"

#include <memory>
#include <span>

WriteOutcome WriteWholeFile(platform::Env& env, const CString& path, const BYTE* data, DWORD size) {
    std::unique_ptr<platform::WritableFile> file;
    if (env.CreateTruncated(path.str(), &file) != platform::FileError::none) {
        return WriteOutcome::cannotCreate;
    }
    const auto bytes = std::span(reinterpret_cast<const std::byte*>(data), size);
    const bool written = file->Append(bytes) == platform::FileError::none;
    const bool closed = file->Close() == platform::FileError::none;
    if (written && closed) {
        return WriteOutcome::written;
    }
    file.reset();
    env.RemoveFile(path.str());
    return WriteOutcome::writeFailed;
}
