// The package archive: a header, a title image entry, three sections of stored files and a
// closing string, read strictly front to back through a CArchive. Words are 32-bit
// little-endian; strings are the framework's length-prefixed strings.
#pragma once

#include <array>
#include <cstddef>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

#include "framework/archive.h"
#include "framework/cstring.h"
#include "framework/types.h"

inline constexpr DWORD kPackageMagic = 856206;  // bytes 8E 10 0D 00
inline constexpr int kSectionCount = 3;

// Fields 1 to 10, in file order.
struct PackageHeader {
    DWORD magic = 0;
    CString archiveTitle;  // "QIB Multiarchive file"; ignored
    DWORD requiredVersion = 0;
    CString subfolder;
    DWORD subfolderEditable = 0;  // 0: the user may not change the subfolder
    CString reservedText;
    CString packageName;
    CString description;
    CString imageName;  // ignored
    DWORD reservedWord = 0;
};

// The leading fields of the title image entry and of a file entry; the data follows.
struct TitleImageHead {
    CString tag;  // "titleimage"; never compared
    CString name;
    DWORD size = 0;
};

struct SectionHead {
    CString tag;    // never compared
    int count = 0;  // signed: 0 or negative means no entries
};

struct FileEntryHead {
    CString name;
    DWORD size = 0;
};

// Reads `magic` only; the caller tests it against kPackageMagic.
DWORD ReadMagic(CArchive& ar);
// Reads fields 2 to 10 into `header` (its magic stays as it was).
void ReadHeaderFields(CArchive& ar, PackageHeader& header);
TitleImageHead ReadTitleImageHead(CArchive& ar);
// After the magic: fields 2 to 10, then the title image entry's leading fields, as both
// readers of a staged package begin.
struct PackageHead {
    PackageHeader header;
    TitleImageHead title;
};
PackageHead ReadPackageHead(CArchive& ar);
SectionHead ReadSectionHead(CArchive& ar);
FileEntryHead ReadFileEntryHead(CArchive& ar);
// The data of an entry of `size` bytes, with one block read into a buffer of that size.
// A size beyond the bytes that remain is refused with the end-of-file error before the
// buffer is allocated.
std::unique_ptr<BYTE[]> ReadEntryData(CArchive& ar, DWORD size);
// The `reserved` word that ends an entry.
void ReadReserved(CArchive& ar);

// A whole package in memory, for the authoring tool and tests.
struct PackageFile {
    CString name;
    std::vector<std::byte> data;
};

struct PackageSection {
    CString tag;
    std::vector<PackageFile> files;
};

struct Package {
    PackageHeader header;
    CString titleTag = u"titleimage";
    CString titleName;
    std::vector<std::byte> titleImage;  // empty: no title image
    std::array<PackageSection, kSectionCount> sections;
    CString endTag = u"end";
};

inline constexpr std::array<std::u16string_view, kSectionCount> kSectionTags = {
    u"objectpacks", u"preview", u"tessel"};

// Where a structural read stopped, for messages of the authoring tool.
struct ReadProgress {
    ULONGLONG offset = 0;    // bytes consumed before the field
    const char* field = "";  // the field being read
    int section = -1;        // 0 to 2 while a section is read, else -1
    int entry = -1;          // index of the file entry in that section, else -1
};

// Reads a whole package; CArchiveException (and the other framework errors) when it is
// damaged, with `progress` telling which field at which offset. Returns false when the
// magic is wrong.
bool ReadPackage(CArchive& ar, Package& package, ReadProgress* progress = nullptr);

// Writes the framework's serialised form: every string in the UTF-16 form with the
// shortest length prefix.
class ArchiveWriter {
public:
    void Word(DWORD value);
    void String(std::u16string_view text);
    void Bytes(std::span<const std::byte> bytes);
    const std::vector<std::byte>& bytes() const { return out_; }
    std::vector<std::byte> Take() { return std::move(out_); }

private:
    void Put(std::uint64_t value, int size);
    std::vector<std::byte> out_;
};

std::vector<std::byte> WritePackage(const Package& package);
