// Temporary arrays from the allocation operators with the framework's failure contract: a
// failed allocation raises CMemoryException, never yields null, and a byte count that does
// not fit in 32 bits counts as a failed allocation.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>

#include "framework/exceptions.h"
#include "framework/memory.h"

namespace imaging {

// Value-initialised elements (zeros for arithmetic types).
template <class T>
std::unique_ptr<T[]> AllocArray(std::uint64_t count) {
    if (!AfxFitsAllocation(count, sizeof(T))) {
        AfxThrowMemoryException();
    }
    T* p = new (std::nothrow) T[static_cast<std::size_t>(count)]();
    if (p == nullptr) {
        AfxThrowMemoryException();
    }
    return std::unique_ptr<T[]>(p);
}

// Elements left uninitialised, for buffers that are written in full before they are read.
template <class T>
std::unique_ptr<T[]> AllocUninitializedArray(std::uint64_t count) {
    if (!AfxFitsAllocation(count, sizeof(T))) {
        AfxThrowMemoryException();
    }
    T* p = new (std::nothrow) T[static_cast<std::size_t>(count)];
    if (p == nullptr) {
        AfxThrowMemoryException();
    }
    return std::unique_ptr<T[]>(p);
}

}  // namespace imaging
