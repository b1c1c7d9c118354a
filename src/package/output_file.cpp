#include "package/output_file.h"

#include <memory>
#include <span>

#include "framework/exceptions.h"

namespace {

// A new file in the destination's folder, which takes the destination's name once complete;
// null when none can be made there. Destroyed without its name, it leaves nothing.
std::unique_ptr<platform::UnnamedFile> NewFileBeside(platform::Env& env, const CString& path) {
    const platform::Path& destination = path.str();
    const auto separator = destination.find_last_of(u'\\');
    std::unique_ptr<platform::UnnamedFile> file;
    if (separator == platform::Path::npos ||
        env.CreateUnnamedFile(destination.substr(0, separator), &file) !=
            platform::FileError::none) {
        return nullptr;
    }
    return file;
}

// What the caller reports once the bytes went (or did not go) into the new file.
WriteOutcome Finish(platform::UnnamedFile& file, const CString& path, bool written) {
    if (!written) {
        return WriteOutcome::writeFailed;
    }
    // A folder or a read-only file in its place, or a failed close.
    return file.CloseAndName(path.str()) == platform::FileError::none ? WriteOutcome::written
                                                                      : WriteOutcome::cannotCreate;
}

}  // namespace

WriteOutcome CopyEntryToFile(platform::Env& env, CArchive& ar, const CString& path, DWORD size) {
    if (size > ar.BytesRemaining()) {
        AfxThrowArchiveException(CArchiveException::endOfFile);
    }
    const auto file = NewFileBeside(env, path);
    if (file == nullptr) {
        return WriteOutcome::cannotCreate;
    }
    ULONGLONG moved = 0;
    const bool written =
        ar.TransferTo(file->Contents(), size, &moved) == platform::FileError::none && moved == size;
    return Finish(*file, path, written);
}

WriteOutcome WriteWholeFile(platform::Env& env, const CString& path, const BYTE* data, DWORD size) {
    const auto file = NewFileBeside(env, path);
    if (file == nullptr) {
        return WriteOutcome::cannotCreate;
    }
    const auto bytes = std::span(reinterpret_cast<const std::byte*>(data), size);
    return Finish(*file, path, file->Contents().Append(bytes) == platform::FileError::none);
}
