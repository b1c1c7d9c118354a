#include "package/staging.h"

#include <algorithm>

#include "framework/app.h"
#include "package/messages.h"
#include "platform/checksum.h"
#include "platform/resource_table.h"
#include "userdata/user_diff_data.h"

namespace {

// Pieces small enough to stay in the processor's cache between hashing and writing.
constexpr std::size_t kVerifyChunk = 1 << 20;

enum class Copy { written, writeFailed, damaged };

// Writes the payload straight from the mapped executable: in one request when it carries no
// checksum, else piece by piece, each hashed just before it is written.
Copy WritePayload(platform::WritableFile& file, const platform::ResourceData& payload) {
    const std::span<const std::byte> bytes = payload.Bytes();
    const auto expected = payload.StoredChecksum();
    if (!expected) {
        return file.Append(bytes) == platform::FileError::none ? Copy::written : Copy::writeFailed;
    }
    platform::PayloadHasher hasher;
    for (std::size_t at = 0; at < bytes.size(); at += kVerifyChunk) {
        const auto piece = bytes.subspan(at, std::min(kVerifyChunk, bytes.size() - at));
        payload.Prefetch(piece);
        hasher.Update(piece);
        const bool written = file.Append(piece) == platform::FileError::none;
        payload.Release(piece);
        if (!written) {
            return Copy::writeFailed;
        }
    }
    return hasher.Digest() == *expected ? Copy::written : Copy::damaged;
}

}  // namespace

void StagePayload(platform::Env& env, CString& dataFile,
                  std::unique_ptr<platform::FileLock>& lock) {
    CUserDiffData userData(u"QIB", u"temp", env);
    dataFile = userData.GetFilePath(u"data.vqm");

    const auto payload =
        env.LoadExecutableResource(platform::restable::kSetupType, platform::restable::kSetupId);
    if (payload == nullptr || payload->Bytes().empty()) {
        AfxMessageBox(CString(messages::kExtractFailed));
        return;
    }
    // Where the system cannot lock at all, staging goes on unguarded, as it would alone.
    if (env.LockFile(dataFile.str(), &lock) == platform::FileError::locked) {
        AfxMessageBox(CString(messages::kCreateTempFailed));
        return;
    }
    std::unique_ptr<platform::WritableFile> file;
    if (env.CreateTruncated(dataFile.str(), &file) != platform::FileError::none) {
        AfxMessageBox(CString(messages::kCreateTempFailed));
        return;
    }
    const Copy copy = WritePayload(*file, *payload);
    const bool closed = file->Close() == platform::FileError::none;
    if (copy == Copy::written && closed) {
        return;
    }
    // No incomplete or damaged package is left to be read as if it were whole. Every handle
    // goes first, the lock's too: Windows keeps a file removed under an open handle visible
    // until the last one closes, and the installer would go on with it.
    file.reset();
    lock.reset();
    env.RemoveFile(dataFile.str());
    AfxMessageBox(
        CString(copy == Copy::damaged ? messages::kExtractFailed : messages::kCreateTempFailed));
}
