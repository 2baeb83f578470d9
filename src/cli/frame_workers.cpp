#include "cli/frame_workers.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <new>
#include <thread>

namespace tavi::cli {

std::string describeFailure(const FrameTask &task, std::exception_ptr failure) {
    const std::string name = task.input.string();
    try {
        std::rethrow_exception(failure);
    } catch (const std::bad_alloc &) {
        return name + ": not enough memory";
    } catch (const std::exception &e) {
        return name + ": " + e.what();
    } catch (...) {
        return name + ": failed for a reason nobody gave";
    }
}

std::size_t runFrames(const std::vector<FrameTask> &tasks, unsigned workers, const FrameWork &work,
                      const FrameEnd &ended) {
    std::atomic<std::size_t> next{0};
    std::atomic<std::size_t> failures{0};
    auto worker = [&](unsigned id) {
        for (std::size_t i = next++; i < tasks.size(); i = next++) {
            std::string error;
            try {
                error = work(id, i);
            } catch (...) {
                error = describeFailure(tasks[i], std::current_exception());
            }
            if (!error.empty()) ++failures;
            // A report that fails itself must not end the worker either.
            try {
                ended(i, error);
            } catch (...) {
            }
        }
    };
    {
        std::vector<std::jthread> threads;
        for (unsigned id = 1; id < std::max(workers, 1u); ++id) threads.emplace_back(worker, id);
        worker(0);
    }
    return failures;
}

}  // namespace tavi::cli
