// The module's allocator as the tests link it: it records every buffer
// obtained and released, and fails the requests it is told to. Linked into
// something another program loads (the GEGL operation that the gegl
// program runs in a test), it starts with the limit the environment
// variable TAVI_TEST_BUFFER_LIMIT gives, in bytes.
#pragma once

#include <cstddef>
#include <set>

namespace tavi::test {

struct BufferLedger {
    long obtained = 0;
    long released = 0;
    std::set<long> failing;       // request numbers (from 1) that fail
    std::set<const void *> live;  // buffers obtained and not yet released
    long requests = 0;
    std::size_t largestRequest = 0;  // bytes, as count * size without wrapping
    std::size_t limit = 0;           // requests above this many bytes fail; 0: no limit

    // Starts counting afresh with the given requests failing.
    static void reset(std::set<long> failRequests = {});
    static BufferLedger &get();
};

// Resets the ledger on construction and on destruction, so one test's
// planned failures never leak into the next.
struct LedgerScope {
    explicit LedgerScope(std::set<long> failRequests = {}) { BufferLedger::reset(std::move(failRequests)); }
    ~LedgerScope() { BufferLedger::reset(); }
    BufferLedger &operator*() const { return BufferLedger::get(); }
    BufferLedger *operator->() const { return &BufferLedger::get(); }
};

}  // namespace tavi::test
