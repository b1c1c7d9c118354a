#include "pack/pe/pe_locator.h"

#include "pack/pe/pe_image.h"
#include "pack/pe/pe_resources.h"
#include "pack/pe/pe_wrap.h"
#include "platform/resource_table.h"

namespace pack::pe {

namespace {

class Locator final : public platform::ResourceLocator {
public:
    platform::LocateResult Locate(const platform::ReadAt& read, std::uint64_t fileSize,
                                  std::u16string_view type, std::uint32_t id) const override {
        using Status = platform::LocateResult::Status;
        platform::LocateResult result;
        try {
            const Source file(read, fileSize);
            const auto image = ReadImage(file);
            if (!image) {
                return result;  // notThisFormat
            }
            const std::vector<Resource> resources = ReadResources(file, *image);
            const std::uint32_t language = platform::restable::kSetupLanguage;
            const Resource* payload = FindResource(resources, type, id, language);
            if (payload == nullptr) {
                result.status = Status::noResource;
                return result;
            }
            result.location.offset = payload->offset;
            result.location.size = payload->size;
            if (const Resource* sum = FindResource(resources, kChecksumType, id, language)) {
                const std::string what = "the checksum resource " + sum->Text() + " at offset " +
                                         std::to_string(sum->offset);
                if (sum->size != 8) {
                    throw DamagedImage(what + " is " + std::to_string(sum->size) +
                                       " bytes long, not 8");
                }
                const auto bytes = file.Read(sum->offset, 8, what);
                result.location.checksum = platform::DecodeFixed64(bytes);
            }
            result.status = Status::found;
        } catch (const DamagedImage& e) {
            result = {};
            result.status = Status::damaged;
            result.what = e.what();
        } catch (const ReadFailure&) {
            result = {};
            result.status = Status::readError;
        }
        return result;
    }
};

}  // namespace

const platform::ResourceLocator& ResourceDirectoryLocator() {
    static const Locator locator;
    return locator;
}

}  // namespace pack::pe
