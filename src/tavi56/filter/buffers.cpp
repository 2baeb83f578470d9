#include "filter/buffers.h"

#include <cstdlib>

// calloc checks count * size for overflow itself.
void *obtainBuffer(std::size_t count, std::size_t size) { return std::calloc(count, size); }

void releaseBuffer(void *buffer) { std::free(buffer); }
