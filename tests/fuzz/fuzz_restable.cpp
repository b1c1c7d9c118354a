// The resource table appended to a Linux installer, over arbitrary bytes taken as the
// program's own file: the locator parses it from the file's end, and the Linux Env loads the
// payload it points at (mapped, read front to back with the staging step's hints, hashed).
// Checked besides:
// - the locator over the bytes in memory and the Env over the same bytes as a file agree:
//   a payload exactly when the locator finds one, and then its bytes and checksum;
// - what the locator finds lies inside the file, behind the stub and before the table;
// - a table written by the serializer for the entries found reads back the same.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <span>
#include <vector>

#include "platform/checksum.h"
#include "platform/payload_locator.h"
#include "platform/posix/posix_env.h"
#include "platform/resource_table.h"
#include "support/temp_dir.h"

namespace {

namespace restable = platform::restable;

[[noreturn]] void Fail(const char* what) {
    std::fprintf(stderr, "fuzz_restable: %s\n", what);
    std::abort();
}

struct Process {
    testing_support::TempDir folder;
    std::filesystem::path program = folder.path() / "larkspan-installer";
    std::unique_ptr<platform::Env> env = [this] {
        platform::posix::Environment e;
        e.executablePath = program.string();
        return platform::posix::NewPosixEnv(e);
    }();
};

Process& TheProcess() {
    static Process process;
    return process;
}

// The payload read as staging reads it: in pieces, each prefetched, hashed and released.
std::uint64_t ReadLikeStaging(const platform::ResourceData& payload) {
    constexpr std::size_t kPiece = 4096;
    const std::span<const std::byte> bytes = payload.Bytes();
    platform::PayloadHasher hasher;
    for (std::size_t at = 0; at < bytes.size(); at += kPiece) {
        const auto piece = bytes.subspan(at, std::min(kPiece, bytes.size() - at));
        payload.Prefetch(piece);
        hasher.Update(piece);
        payload.Release(piece);
    }
    return hasher.Digest();
}

void CheckTableRoundTrip(std::span<const std::byte> file) {
    if (file.size() < restable::kTrailerSize) {
        return;
    }
    const auto trailer = restable::ParseTrailer(file.last(restable::kTrailerSize), file.size());
    if (!trailer) {
        return;
    }
    const std::uint64_t tableAt = restable::TableOffset(*trailer, file.size());
    if (tableAt > file.size()) {
        Fail("a trailer accepted for a table that starts outside the file");
    }
    const auto table = file.subspan(tableAt, file.size() - restable::kTrailerSize - tableAt);
    const auto entries = restable::ParseEntries(table, *trailer, file.size());
    if (!entries) {
        return;
    }
    for (const restable::Entry& e : *entries) {
        if (e.offset < trailer->stubSize || e.offset > tableAt || e.size > tableAt - e.offset) {
            Fail("an entry accepted that lies outside the resource data");
        }
    }
    const std::vector<std::byte> again = restable::Serialize(*entries, trailer->stubSize);
    const auto reread = restable::ParseEntries(
        std::span(again).first(again.size() - restable::kTrailerSize), *trailer, file.size());
    if (!reread || reread->size() != entries->size()) {
        Fail("serialized entries do not read back");
    }
    for (std::size_t i = 0; i < entries->size(); ++i) {
        const restable::Entry& a = (*entries)[i];
        const restable::Entry& b = (*reread)[i];
        if (a.id != b.id || a.language != b.language || a.type != b.type || a.offset != b.offset ||
            a.size != b.size ||
            (a.flags & restable::kHasChecksum) != (b.flags & restable::kHasChecksum) ||
            ((a.flags & restable::kHasChecksum) != 0 && a.checksum != b.checksum)) {
            Fail("an entry changes on its way through the serializer");
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::byte> file(reinterpret_cast<const std::byte*>(data), size);
    const platform::LocateResult found = platform::AppendedTableLocator().Locate(
        platform::ReadFromMemory(file), size, restable::kSetupType, restable::kSetupId);
    if (found.status == platform::LocateResult::Status::readError) {
        Fail("bytes in memory could not be read");
    }
    const bool located = found.status == platform::LocateResult::Status::found;
    if (located &&
        (found.location.offset > size || found.location.size > size - found.location.offset)) {
        Fail("the payload found lies outside the file");
    }
    CheckTableRoundTrip(file);

    Process& p = TheProcess();
    {
        std::FILE* out = std::fopen(p.program.c_str(), "wb");
        if (out == nullptr || (size != 0 && std::fwrite(data, 1, size, out) != size) ||
            std::fclose(out) != 0) {
            Fail("cannot write the program file");
        }
    }
    const auto payload = p.env->LoadExecutableResource(restable::kSetupType, restable::kSetupId);
    if ((payload != nullptr) != located) {
        Fail("the Env and the locator disagree whether there is a payload");
    }
    if (payload == nullptr) {
        return 0;
    }
    const std::span<const std::byte> bytes = payload->Bytes();
    const auto expected = file.subspan(found.location.offset, found.location.size);
    if (bytes.size() != expected.size() ||
        (!bytes.empty() && std::memcmp(bytes.data(), expected.data(), bytes.size()) != 0)) {
        Fail("the loaded payload is not the bytes the table points at");
    }
    if (payload->StoredChecksum() != found.location.checksum) {
        Fail("the loaded payload carries another checksum than the table");
    }
    if (ReadLikeStaging(*payload) != platform::PayloadChecksum(expected)) {
        Fail("hashing the payload piece by piece differs from hashing it whole");
    }
    return 0;
}
