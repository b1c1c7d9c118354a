#include "package/package_archive.h"

#include "framework/memory.h"
#include "platform/coding.h"

DWORD ReadMagic(CArchive& ar) {
    DWORD magic = 0;
    ar >> magic;
    return magic;
}

void ReadHeaderFields(CArchive& ar, PackageHeader& h) {
    ar >> h.archiveTitle >> h.requiredVersion >> h.subfolder >> h.subfolderEditable >>
        h.reservedText >> h.packageName >> h.description >> h.imageName >> h.reservedWord;
}

TitleImageHead ReadTitleImageHead(CArchive& ar) {
    TitleImageHead head;
    ar >> head.tag >> head.name >> head.size;
    return head;
}

PackageHead ReadPackageHead(CArchive& ar) {
    PackageHead head;
    ReadHeaderFields(ar, head.header);
    head.title = ReadTitleImageHead(ar);
    return head;
}

SectionHead ReadSectionHead(CArchive& ar) {
    SectionHead head;
    ar >> head.tag >> head.count;
    return head;
}

FileEntryHead ReadFileEntryHead(CArchive& ar) {
    FileEntryHead head;
    ar >> head.name >> head.size;
    return head;
}

std::unique_ptr<BYTE[]> ReadEntryData(CArchive& ar, DWORD size) {
    if (size > ar.BytesRemaining()) {
        AfxThrowArchiveException(CArchiveException::endOfFile);
    }
    auto data = AfxAllocBuffer(size);
    if (size != 0) {
        ar.Read(data.get(), size);
    }
    return data;
}

void ReadReserved(CArchive& ar) {
    DWORD reserved = 0;
    ar >> reserved;
}

namespace {

std::vector<std::byte> ToVector(const std::unique_ptr<BYTE[]>& data, DWORD size) {
    const auto* p = reinterpret_cast<const std::byte*>(data.get());
    return std::vector<std::byte>(p, p + size);
}

}  // namespace

bool ReadPackage(CArchive& ar, Package& package, ReadProgress* progress) {
    ULONGLONG length = ar.GetFile()->GetLength();
    const auto at = [&](const char* field) {
        if (progress != nullptr) {
            progress->offset = length - ar.BytesRemaining();
            progress->field = field;
        }
    };
    PackageHeader& h = package.header;
    at("magic");
    h.magic = ReadMagic(ar);
    if (h.magic != kPackageMagic) {
        return false;
    }
    at("archiveTitle");
    ar >> h.archiveTitle;
    at("requiredVersion");
    ar >> h.requiredVersion;
    at("subfolder");
    ar >> h.subfolder;
    at("subfolderEditable");
    ar >> h.subfolderEditable;
    at("reservedText");
    ar >> h.reservedText;
    at("packageName");
    ar >> h.packageName;
    at("description");
    ar >> h.description;
    at("imageName");
    ar >> h.imageName;
    at("reservedWord");
    ar >> h.reservedWord;
    at("titleimage tag");
    ar >> package.titleTag;
    at("titleimage name");
    ar >> package.titleName;
    at("titleimage size");
    DWORD size = 0;
    ar >> size;
    at("titleimage data");
    package.titleImage = ToVector(ReadEntryData(ar, size), size);
    at("titleimage reserved");
    ReadReserved(ar);
    const auto place = [&](int section, int entry) {
        if (progress != nullptr) {
            progress->section = section;
            progress->entry = entry;
        }
    };
    for (int s = 0; s < kSectionCount; ++s) {
        PackageSection& section = package.sections[static_cast<std::size_t>(s)];
        place(s, -1);
        at("section tag");
        ar >> section.tag;
        at("section count");
        int count = 0;
        ar >> count;
        section.files.clear();
        for (int i = 0; i < count; ++i) {
            PackageFile file;
            place(s, i);
            at("entry name");
            ar >> file.name;
            at("entry size");
            ar >> size;
            at("entry data");
            file.data = ToVector(ReadEntryData(ar, size), size);
            at("entry reserved");
            ReadReserved(ar);
            section.files.push_back(std::move(file));
        }
    }
    place(-1, -1);
    at("endTag");
    ar >> package.endTag;
    at("end");
    return true;
}

void ArchiveWriter::Put(std::uint64_t value, int size) {
    std::byte bytes[8];
    platform::EncodeFixed64(bytes, value);  // the low `size` bytes come first
    out_.insert(out_.end(), bytes, bytes + size);
}

void ArchiveWriter::Word(DWORD value) {
    Put(value, 4);
}

void ArchiveWriter::String(std::u16string_view text) {
    Put(0xFF, 1);
    Put(0xFFFE, 2);  // the Unicode marker
    const std::uint64_t n = text.size();
    if (n < 0xFF) {
        Put(n, 1);
    } else if (n < 0xFFFE) {
        Put(0xFF, 1);
        Put(n, 2);
    } else if (n < 0xFFFFFFFF) {
        Put(0xFF, 1);
        Put(0xFFFF, 2);
        Put(n, 4);
    } else {
        Put(0xFF, 1);
        Put(0xFFFF, 2);
        Put(0xFFFFFFFF, 4);
        Put(n, 8);
    }
    for (char16_t c : text) {
        Put(c, 2);
    }
}

void ArchiveWriter::Bytes(std::span<const std::byte> bytes) {
    out_.insert(out_.end(), bytes.begin(), bytes.end());
}

std::vector<std::byte> WritePackage(const Package& p) {
    ArchiveWriter w;
    const PackageHeader& h = p.header;
    w.Word(kPackageMagic);
    w.String(h.archiveTitle);
    w.Word(h.requiredVersion);
    w.String(h.subfolder);
    w.Word(h.subfolderEditable);
    w.String(h.reservedText);
    w.String(h.packageName);
    w.String(h.description);
    w.String(h.imageName);
    w.Word(h.reservedWord);
    w.String(p.titleTag);
    w.String(p.titleName);
    w.Word(static_cast<DWORD>(p.titleImage.size()));
    w.Bytes(p.titleImage);
    w.Word(0);
    for (const PackageSection& s : p.sections) {
        w.String(s.tag);
        w.Word(static_cast<DWORD>(s.files.size()));
        for (const PackageFile& f : s.files) {
            w.String(f.name);
            w.Word(static_cast<DWORD>(f.data.size()));
            w.Bytes(f.data);
            w.Word(0);
        }
    }
    w.String(p.endTag);
    return w.Take();
}
