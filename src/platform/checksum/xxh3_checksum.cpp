#include <xxhash.h>

#include "platform/checksum.h"

namespace platform {

struct PayloadHasher::State {
    XXH3_state_t* s = XXH3_createState();
    ~State() { XXH3_freeState(s); }
};

std::uint64_t PayloadChecksum(std::span<const std::byte> bytes) {
    return XXH3_64bits(bytes.data(), bytes.size());
}

PayloadHasher::PayloadHasher() : state_(std::make_unique<State>()) {
    XXH3_64bits_reset(state_->s);
}

PayloadHasher::~PayloadHasher() = default;

void PayloadHasher::Update(std::span<const std::byte> bytes) {
    XXH3_64bits_update(state_->s, bytes.data(), bytes.size());
}

std::uint64_t PayloadHasher::Digest() const {
    return XXH3_64bits_digest(state_->s);
}

}  // namespace platform
