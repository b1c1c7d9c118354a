// Heap buffers as the framework hands them out: a failed allocation raises
// CMemoryException, never yields null, and a byte count that does not fit in 32 bits
// counts as a failed allocation.
#pragma once

#include <memory>

#include "framework/exceptions.h"
#include "framework/types.h"

std::unique_ptr<BYTE[]> AfxAllocBuffer(ULONGLONG bytes);
