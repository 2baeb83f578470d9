#include "cli/memory_gate.h"

namespace tavi::cli {

MemoryGate::MemoryGate(std::function<std::uint64_t()> available) : available_(std::move(available)) {}

void MemoryGate::enter(std::uint64_t bytes) {
    std::unique_lock<std::mutex> held(lock_);
    for (;;) {
        if (underWay_ == 0) {
            budget_ = available_();
            break;
        }
        if (bytes <= budget_ && reserved_ <= budget_ - bytes) break;
        left_.wait(held);
    }
    ++underWay_;
    reserved_ += bytes;
}

void MemoryGate::leave(std::uint64_t bytes) {
    {
        std::lock_guard<std::mutex> held(lock_);
        --underWay_;
        reserved_ -= bytes;
    }
    left_.notify_all();
}

}  // namespace tavi::cli
