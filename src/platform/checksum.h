// The checksum that guards an installer's payload: the XXH3 64-bit hash of its bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

namespace platform {

std::uint64_t PayloadChecksum(std::span<const std::byte> bytes);

// The same checksum over bytes given piece by piece.
class PayloadHasher {
public:
    PayloadHasher();
    ~PayloadHasher();
    PayloadHasher(const PayloadHasher&) = delete;
    PayloadHasher& operator=(const PayloadHasher&) = delete;
    void Update(std::span<const std::byte> bytes);
    std::uint64_t Digest() const;

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace platform
