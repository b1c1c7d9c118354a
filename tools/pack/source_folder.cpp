#include "pack/source_folder.h"

#include <algorithm>
#include <set>
#include <system_error>
#include <vector>

#include "pack/file_io.h"
#include "pack/manifest.h"
#include "pack/pack_error.h"
#include "pack/text_quote.h"
#include "package/stored_names.h"
#include "platform/text.h"
#include "platform/tool_system.h"

namespace pack {

namespace fs = std::filesystem;

namespace {

constexpr std::uint64_t kMaxStoredSize = UINT32_MAX;  // an entry's size is one word

// A file name from the disk as a stored name: valid UTF-8 and free of "\".
std::u16string StoredName(const std::string& name, const fs::path& shownAs) {
    std::u16string stored = platform::Utf8ToUtf16(name);
    if (platform::Utf16ToUtf8(stored) != name) {
        throw PackError(TextOf(shownAs) + ": the file name is not valid UTF-8");
    }
    if (stored.find(u'\\') != std::u16string::npos) {
        throw PackError(TextOf(shownAs) +
                        ": the file name holds \"\\\", which the installer takes for a folder "
                        "separator");
    }
    return stored;
}

std::vector<std::byte> StoredData(const fs::path& path) {
    return ReadWholeFile(path, kMaxStoredSize);
}

std::vector<PackageFile> ReadSection(const fs::path& folder) {
    std::error_code ec;
    const fs::file_status status = fs::status(Sys(folder), ec);
    if (fs::status_known(status) && !fs::exists(status)) {
        return {};  // an absent section folder is an empty section
    }
    if (ec) {
        throw PackError(TextOf(folder) + ": cannot read: " + ec.message());
    }
    if (!fs::is_directory(status)) {
        throw PackError(TextOf(folder) + ": not a folder");
    }
    std::vector<fs::path> entries;
    if (ec = ListFolder(folder, &entries); ec) {
        throw PackError(TextOf(folder) + ": cannot read: " + ec.message());
    }
    std::vector<std::string> names;
    for (const fs::path& entry : entries) {
        const fs::path path = folder / entry;
        std::error_code statusError;
        if (!fs::is_regular_file(fs::status(Sys(path), statusError))) {
            throw PackError(TextOf(path) + ": not a regular file; a section holds files only");
        }
        if (PathFromText(TextOf(entry)) != entry) {  // a lone surrogate in a Windows name
            throw PackError(TextOf(path) + ": the file name is not valid UTF-16");
        }
        names.push_back(TextOf(entry));
    }
    std::sort(names.begin(), names.end());  // byte order: std::string compares as unsigned
    if (names.size() > INT32_MAX) {
        throw PackError(TextOf(folder) + ": more files than a section can count");
    }
    std::vector<PackageFile> files;
    for (const std::string& name : names) {
        const fs::path path = folder / PathFromText(name);
        PackageFile file;
        file.name = StoredName(name, path);
        file.data = StoredData(path);
        files.push_back(std::move(file));
    }
    return files;
}

std::u16string Utf16(const std::string& utf8) {
    return platform::Utf8ToUtf16(utf8);
}

}  // namespace

std::string SectionFolderName(int section) {
    return platform::Utf16ToUtf8(kSectionTags[static_cast<std::size_t>(section)]);
}

std::string StoredNameProblem(std::u16string_view name) {
    // The installer's own rule decides; the text only says why.
    if (IsSafeStoredName(CString(name))) {
        return {};
    }
    if (name.empty()) {
        return "is empty";
    }
    if (name == u"." || name == u"..") {
        return "names a folder";
    }
    if (name.find_first_of(u"\\/") != std::u16string_view::npos) {
        return "holds a folder separator";
    }
    if (name.find(u'\0') != std::u16string_view::npos) {
        return "holds a NUL character";
    }
    return "is unsafe";
}

Package BuildPackage(const fs::path& source) {
    std::error_code ec;
    const fs::file_status status = fs::status(Sys(source), ec);
    if (status.type() == fs::file_type::not_found) {
        throw PackError(TextOf(source) + ": no such folder");
    }
    if (ec) {
        throw PackError(TextOf(source) + ": cannot read: " + ec.message());
    }
    if (!fs::is_directory(status)) {
        throw PackError(TextOf(source) + ": not a folder");
    }
    const fs::path manifestPath = source / kManifestName;
    const std::vector<std::byte> text = ReadWholeFile(manifestPath);
    const Manifest m =
        ParseManifest(std::string_view(reinterpret_cast<const char*>(text.data()), text.size()),
                      TextOf(manifestPath));

    Package p;
    PackageHeader& h = p.header;
    h.magic = kPackageMagic;
    h.archiveTitle = kArchiveTitle;
    h.requiredVersion = m.requiredVersion;
    h.subfolder = Utf16(m.subfolder);
    if (const std::string problem = SubfolderProblem(h.subfolder.str()); !problem.empty()) {
        throw PackError(TextOf(manifestPath) + ": field \"subfolder\" " + problem +
                        "; it must stay inside the objectpacks folder");
    }
    h.subfolderEditable = m.subfolderEditable ? 1 : 0;
    h.reservedText = u"";
    h.packageName = Utf16(m.name);
    h.description = StoredDescription(Utf16(m.description));
    h.reservedWord = 0;

    p.titleTag = u"titleimage";
    if (!m.titleImage.empty()) {
        const fs::path image = source / PathFromText(m.titleImage);
        const std::string field = TextOf(manifestPath) + ": field \"titleImage\" names ";
        const fs::file_status imageStatus = fs::status(Sys(image), ec);
        if (!fs::exists(imageStatus)) {
            throw PackError(field + "a missing file, " + TextOf(image));
        }
        if (!fs::is_regular_file(imageStatus)) {
            throw PackError(field + "something other than a file, " + TextOf(image));
        }
        p.titleName = StoredName(TextOf(image.filename()), image);
        p.titleImage = StoredData(image);
        h.imageName = p.titleName;
    }

    for (int s = 0; s < kSectionCount; ++s) {
        PackageSection& section = p.sections[static_cast<std::size_t>(s)];
        section.tag = kSectionTags[static_cast<std::size_t>(s)];
        section.files = ReadSection(source / SectionFolderName(s));
    }
    p.endTag = u"end";
    return p;
}

void CheckExtractable(const Package& p, const std::string& shownAs) {
    const auto refuse = [&](const std::string& which, const CString& name,
                            const std::string& problem) {
        throw PackError(shownAs + ": " + which + " name " + Quote(name.str()) + " " + problem +
                        "; it cannot be extracted safely");
    };
    // The installer's own rule, then what the folders of this system hold.
    const auto problemOf = [](const CString& name) {
        const std::string problem = StoredNameProblem(name.str());
        return problem.empty() ? platform::tool::FileNameProblem(name.str()) : problem;
    };
    if (!p.titleImage.empty()) {
        if (const std::string problem = problemOf(p.titleName); !problem.empty()) {
            refuse("the title image", p.titleName, problem);
        }
        const std::string name = p.titleName.ToUtf8();
        bool taken = name == kManifestName;
        for (int s = 0; s < kSectionCount; ++s) {
            taken = taken || name == SectionFolderName(s);
        }
        if (taken) {
            refuse("the title image", p.titleName, "is taken by the source folder's own layout");
        }
    }
    for (int s = 0; s < kSectionCount; ++s) {
        std::set<std::string> seen;
        const auto& files = p.sections[static_cast<std::size_t>(s)].files;
        for (std::size_t i = 0; i < files.size(); ++i) {
            const std::string which =
                SectionFolderName(s) + " entry " + std::to_string(i + 1) + "'s";
            if (const std::string problem = problemOf(files[i].name); !problem.empty()) {
                refuse(which, files[i].name, problem);
            }
            // Names that differ only in unpaired surrogates meet on disk as U+FFFD, and on
            // Windows those that differ only in case meet too.
            const std::u16string key = platform::tool::FolderKey(files[i].name.str());
            if (!seen.insert(platform::Utf16ToUtf8(key)).second) {
                refuse(which, files[i].name, "is used by an earlier entry of the section");
            }
        }
    }
}

void WriteSourceFolder(const Package& p, const fs::path& folder, const std::string& shownAs) {
    const auto shown = [&](const std::string& relative) { return shownAs + "/" + relative; };
    Manifest m;
    m.name = p.header.packageName.ToUtf8();
    m.description = platform::Utf16ToUtf8(ManifestDescription(p.header.description.str()));
    m.requiredVersion = p.header.requiredVersion;
    m.subfolder = p.header.subfolder.ToUtf8();
    m.subfolderEditable = p.header.subfolderEditable != 0;
    if (!p.titleImage.empty()) {
        m.titleImage = p.titleName.ToUtf8();
        WriteNewFile(folder / PathFromText(m.titleImage), p.titleImage, shown(m.titleImage));
    }
    const std::string manifest = FormatManifest(m);
    WriteNewFile(folder / kManifestName, std::as_bytes(std::span(manifest.data(), manifest.size())),
                 shown(std::string(kManifestName)));
    for (int s = 0; s < kSectionCount; ++s) {
        const std::string name = SectionFolderName(s);
        std::error_code ec;
        if (!fs::create_directory(Sys(folder / PathFromText(name)), ec) || ec) {
            throw PackError(shown(name) + ": cannot write: " + ec.message());
        }
        for (const PackageFile& file : p.sections[static_cast<std::size_t>(s)].files) {
            const std::string fileName = file.name.ToUtf8();
            WriteNewFile(folder / PathFromText(name) / PathFromText(fileName), file.data,
                         shown(name + "/" + fileName));
        }
    }
}

}  // namespace pack
