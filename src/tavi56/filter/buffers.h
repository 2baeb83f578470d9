// Every buffer the module holds is obtained and released here, and only
// here, so that a test build can link its own version that fails on demand.
#pragma once

#include <cstddef>

// `count` elements of `size` bytes, zero-filled; null when the product
// overflows or the memory cannot be had.
void *obtainBuffer(std::size_t count, std::size_t size);
// Releases a buffer from obtainBuffer. Null is ignored.
void releaseBuffer(void *buffer);
