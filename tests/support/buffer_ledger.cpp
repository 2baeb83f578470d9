#include "support/buffer_ledger.h"

#include <cstdint>
#include <cstdlib>

#include "filter/buffers.h"

namespace tavi::test {

BufferLedger &BufferLedger::get() {
    static BufferLedger ledger = [] {
        BufferLedger fresh;
        if (const char *limit = std::getenv("TAVI_TEST_BUFFER_LIMIT")) fresh.limit = std::strtoull(limit, nullptr, 10);
        return fresh;
    }();
    return ledger;
}

void BufferLedger::reset(std::set<long> failRequests) {
    BufferLedger &l = get();
    l = BufferLedger{};
    l.failing = std::move(failRequests);
}

}  // namespace tavi::test

using tavi::test::BufferLedger;

void *obtainBuffer(std::size_t count, std::size_t size) {
    BufferLedger &l = BufferLedger::get();
    ++l.requests;
    const unsigned __int128 bytes = (unsigned __int128)count * size;
    if (bytes > l.largestRequest) l.largestRequest = bytes > SIZE_MAX ? SIZE_MAX : std::size_t(bytes);
    if (l.failing.count(l.requests) != 0) return nullptr;
    if (l.limit != 0 && bytes > l.limit) return nullptr;
    void *p = std::calloc(count, size);
    if (p != nullptr) {
        ++l.obtained;
        l.live.insert(p);
    }
    return p;
}

void releaseBuffer(void *buffer) {
    if (buffer == nullptr) return;
    BufferLedger &l = BufferLedger::get();
    // Buffers from before the last reset are released without counting.
    if (l.live.erase(buffer) != 0) ++l.released;
    std::free(buffer);
}
