#include "platform/tool_system.h"

#include <cerrno>
#include <cstdint>
#include <system_error>

#include <sys/types.h>

#include "platform/codecs/picture_codecs.h"

namespace platform::tool {

std::optional<std::filesystem::path> RunningProgramFile() {
    std::error_code ec;
    std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) {
        return std::nullopt;
    }
    return self;
}

std::filesystem::path SystemPath(const std::filesystem::path& path) {
    return path;
}

std::error_code ListFolder(const std::filesystem::path& folder,
                           std::vector<std::filesystem::path>* names) {
    std::error_code ec;
    names->clear();
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end;
         it.increment(ec)) {
        names->push_back(it->path().filename());
    }
    return ec;
}

std::string FileNameProblem(std::u16string_view) {
    return {};
}

std::u16string FolderKey(std::u16string_view name) {
    return std::u16string(name);
}

std::FILE* OpenFile(const std::filesystem::path& path, const char* mode) {
    return std::fopen(path.c_str(), mode);
}

bool SeekFile(std::FILE* file, std::uint64_t offset) {
    if (offset > static_cast<std::uint64_t>(INT64_MAX)) {
        errno = EINVAL;
        return false;
    }
    return ::fseeko(file, static_cast<off_t>(offset), SEEK_SET) == 0;
}

std::unique_ptr<ImageDecoder> NewInstallerDecoder() {
    return codecs::NewImageDecoder();
}

std::vector<std::uint8_t> EncodePng(int width, int height, const std::uint8_t* rgba) {
    return codecs::EncodePng(width, height, rgba);
}

}  // namespace platform::tool
