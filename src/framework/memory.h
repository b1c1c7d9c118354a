// Heap buffers as the framework hands them out: a failed allocation raises
// CMemoryException, never yields null, and a byte count that does not fit in 32 bits
// counts as a failed allocation.
#pragma once

#include <cstdint>
#include <memory>

#include "framework/exceptions.h"
#include "framework/types.h"

// The largest allocation in bytes: what a 32-bit byte count can name.
inline constexpr std::uint64_t kAfxMaxAllocationBytes = 0xFFFFFFFFull;

// True when `count` elements of `elementSize` bytes stay within that limit.
inline bool AfxFitsAllocation(std::uint64_t count, std::uint64_t elementSize) {
    return elementSize == 0 || count <= kAfxMaxAllocationBytes / elementSize;
}

std::unique_ptr<BYTE[]> AfxAllocBuffer(ULONGLONG bytes);
