// Arbitrary bytes as a Windows stub: the PE reader and writer of `larkspan-pack wrap` must
// refuse them cleanly (a damaged image, a stub that cannot take the payload) or wrap them
// into a program whose resource directory gives back exactly the payload and its checksum,
// and which wraps again the same way or is refused as cleanly. The locator and the marker
// search read the raw bytes too. Seeds: a 4 KB stub built with mingw-w64 without its C
// runtime (a marker, one resource), and that stub wrapped with an empty package.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>
#include <string>
#include <vector>

#include "pack/pe/pe_image.h"
#include "pack/pe/pe_locator.h"
#include "pack/pe/pe_wrap.h"
#include "platform/payload_locator.h"
#include "platform/resource_table.h"

namespace {

namespace rt = platform::restable;

const std::vector<std::byte>& Payload() {
    static const std::vector<std::byte> payload = [] {
        std::vector<std::byte> bytes(300);
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            bytes[i] = static_cast<std::byte>(i * 7 + 3);
        }
        return bytes;
    }();
    return payload;
}

constexpr std::uint64_t kChecksum = 0x0123456789ABCDEF;

// The wrapped program must give back the payload and its checksum.
void ExpectPayload(const std::vector<std::byte>& program) {
    const auto found = pack::pe::ResourceDirectoryLocator().Locate(
        platform::ReadFromMemory(program), program.size(), rt::kSetupType, rt::kSetupId);
    if (found.status != platform::LocateResult::Status::found ||
        found.location.size != Payload().size() || found.location.checksum != kChecksum ||
        found.location.offset > program.size() - Payload().size() ||
        std::memcmp(program.data() + found.location.offset, Payload().data(), Payload().size()) !=
            0) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span stub(reinterpret_cast<const std::byte*>(data), size);
    // Reading the raw bytes: any status, never a crash.
    (void)pack::pe::ResourceDirectoryLocator().Locate(platform::ReadFromMemory(stub), size,
                                                      rt::kSetupType, rt::kSetupId);
    try {
        (void)pack::pe::CarriesMarker(stub, rt::StubMarker());
    } catch (const pack::pe::DamagedImage&) {
    }

    std::vector<std::byte> wrapped;
    std::string warning;
    try {
        wrapped = pack::pe::WrapPe(stub, Payload(), kChecksum, &warning);
    } catch (const pack::pe::DamagedImage&) {
        return 0;
    } catch (const pack::pe::CannotWrap&) {
        return 0;
    }
    ExpectPayload(wrapped);
    // What wrap made, wrapped again (an installer's payload replaced), reads back the same,
    // or is refused as cleanly as any stub.
    try {
        ExpectPayload(pack::pe::WrapPe(wrapped, Payload(), kChecksum, &warning));
    } catch (const pack::pe::DamagedImage&) {
    } catch (const pack::pe::CannotWrap&) {
    }
    return 0;
}
