#include "framework/memory.h"

#include <new>

std::unique_ptr<BYTE[]> AfxAllocBuffer(ULONGLONG bytes) {
    if (!AfxFitsAllocation(bytes, 1)) {
        AfxThrowMemoryException();
    }
    // operator new[] of 0 elements still gives a distinct pointer.
    BYTE* p = new (std::nothrow) BYTE[static_cast<std::size_t>(bytes)];
    if (p == nullptr) {
        AfxThrowMemoryException();
    }
    return std::unique_ptr<BYTE[]>(p);
}
