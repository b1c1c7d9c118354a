// The package reader over arbitrary bytes: ReadPackage through a CArchive over an in-memory
// file. Only the framework's archive errors (and the overflow error of a UTF-16 length) may
// leave the reader: no allocation may fail, since none may exceed the bytes that remain.
// Two more checks ride along:
// a small archive buffer must read exactly what the 4096-byte one reads (same package, or
// the same error at the same field), and a package that reads whole must come back
// unchanged after writing it out and reading it again.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "framework/archive.h"
#include "framework/exceptions.h"
#include "framework/file.h"
#include "package/package_archive.h"
#include "support/mem_env.h"

namespace {

const platform::Path kPath = u"\\fuzz\\data.vqm";

enum class Ending { package, notAnArchive, archiveError, memoryError, overflow, fileError };

struct Outcome {
    Ending ending = Ending::package;
    int cause = 0;
    Package package;
    ReadProgress progress;
};

[[noreturn]] void Fail(const char* what) {
    std::fprintf(stderr, "fuzz_archive: %s\n", what);
    std::abort();
}

Outcome Read(const std::vector<std::byte>& bytes, int bufferSize) {
    testing_support::MemEnv env;
    env.AddFile(kPath, bytes);
    CFile file(env);
    if (!file.Open(kPath, CFile::modeRead)) {
        Fail("the in-memory file does not open");
    }
    Outcome out;
    CArchive ar(&file, CArchive::load, bufferSize);
    try {
        out.ending =
            ReadPackage(ar, out.package, &out.progress) ? Ending::package : Ending::notAnArchive;
    } catch (const CArchiveException& e) {
        out.ending = Ending::archiveError;
        out.cause = e.m_cause;
    } catch (const CMemoryException&) {
        out.ending = Ending::memoryError;
    } catch (const COleException& e) {
        out.ending = Ending::overflow;
        out.cause = static_cast<int>(e.m_sc);
    } catch (const CFileException& e) {
        out.ending = Ending::fileError;
        out.cause = e.m_cause;
    }
    ar.Close();
    file.Close();
    return out;
}

bool SameHeader(const PackageHeader& a, const PackageHeader& b) {
    return a.magic == b.magic && a.archiveTitle == b.archiveTitle &&
           a.requiredVersion == b.requiredVersion && a.subfolder == b.subfolder &&
           a.subfolderEditable == b.subfolderEditable && a.reservedText == b.reservedText &&
           a.packageName == b.packageName && a.description == b.description &&
           a.imageName == b.imageName && a.reservedWord == b.reservedWord;
}

bool SamePackage(const Package& a, const Package& b) {
    if (!SameHeader(a.header, b.header) || a.titleTag != b.titleTag || a.titleName != b.titleName ||
        a.titleImage != b.titleImage || a.endTag != b.endTag) {
        return false;
    }
    for (std::size_t s = 0; s < a.sections.size(); ++s) {
        const PackageSection& x = a.sections[s];
        const PackageSection& y = b.sections[s];
        if (x.tag != y.tag || x.files.size() != y.files.size()) {
            return false;
        }
        for (std::size_t i = 0; i < x.files.size(); ++i) {
            if (x.files[i].name != y.files[i].name || x.files[i].data != y.files[i].data) {
                return false;
            }
        }
    }
    return true;
}

bool SameOutcome(const Outcome& a, const Outcome& b) {
    if (a.ending != b.ending || a.cause != b.cause) {
        return false;
    }
    if (a.ending == Ending::package) {
        return SamePackage(a.package, b.package);
    }
    // An error must be met at the same field, whatever the buffer's size.
    return a.progress.offset == b.progress.offset &&
           std::string_view(a.progress.field) == std::string_view(b.progress.field) &&
           a.progress.section == b.progress.section && a.progress.entry == b.progress.entry;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto* first = reinterpret_cast<const std::byte*>(data);
    const std::vector<std::byte> bytes(first, first + size);

    const Outcome full = Read(bytes, 4096);
    // Every allocation is bounded by the bytes that remain, and the file cannot fail.
    if (full.ending == Ending::memoryError || full.ending == Ending::fileError) {
        Fail("a small in-memory file exhausted memory or failed to read");
    }
    // The smallest buffer and one that shifts with the input, so that refills fall at every
    // kind of boundary.
    if (!SameOutcome(full, Read(bytes, 16)) ||
        !SameOutcome(full, Read(bytes, 17 + static_cast<int>(size % 89)))) {
        Fail("the archive's buffer size changes what is read");
    }
    if (full.ending != Ending::package) {
        return 0;
    }
    const std::vector<std::byte> written = WritePackage(full.package);
    const Outcome again = Read(written, 4096);
    if (again.ending != Ending::package) {
        Fail("a written package does not read back");
    }
    if (!SamePackage(full.package, again.package)) {
        Fail("a package changes on its way through the writer");
    }
    if (WritePackage(again.package) != written) {
        Fail("writing the same package twice gives different bytes");
    }
    return 0;
}
