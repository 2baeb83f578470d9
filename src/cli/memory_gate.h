// Frames at once within the memory the process can have. A frame starts
// when what it needs fits beside what the frames under way need, within
// what was available when none was under way; else it waits for them. The
// reader's own check (host/files/input_checks.h) sees only what is free
// now, not what a frame that has just started is still to take.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>

namespace tavi::cli {

class MemoryGate {
public:
    // `available` says what the process can have now.
    explicit MemoryGate(std::function<std::uint64_t()> available);

    // Waits until `bytes` fit beside the frames under way. A frame that
    // does not fit even alone goes in when none is under way, for its
    // reader to refuse with its size named.
    void enter(std::uint64_t bytes);
    void leave(std::uint64_t bytes);

    // enter() and leave() for one frame's lifetime.
    class Pass {
    public:
        Pass(MemoryGate &gate, std::uint64_t bytes) : gate_(gate), bytes_(bytes) { gate_.enter(bytes_); }
        ~Pass() { gate_.leave(bytes_); }
        Pass(const Pass &) = delete;
        Pass &operator=(const Pass &) = delete;

    private:
        MemoryGate &gate_;
        std::uint64_t bytes_;
    };

private:
    std::function<std::uint64_t()> available_;
    std::mutex lock_;
    std::condition_variable left_;
    unsigned underWay_ = 0;
    std::uint64_t reserved_ = 0;  // what the frames under way need
    std::uint64_t budget_ = 0;    // what was available when none was under way
};

}  // namespace tavi::cli
