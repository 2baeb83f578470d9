// Frames spread over worker threads. Whatever goes wrong in one frame, a
// returned error or anything thrown, becomes that frame's error, named
// after its input; the other frames are still done.
#pragma once

#include <cstddef>
#include <exception>
#include <functional>
#include <string>
#include <vector>

#include "cli/output_plan.h"

namespace tavi::cli {

// Does frame `index` on worker `worker`; returns "" or the error, which
// names the file.
using FrameWork = std::function<std::string(unsigned worker, std::size_t index)>;
// Hears of each frame as it ends, with its error or ""; called from the
// workers.
using FrameEnd = std::function<void(std::size_t index, const std::string &error)>;

// Runs every task once on `workers` threads (the calling thread is one of
// them) and returns how many failed.
std::size_t runFrames(const std::vector<FrameTask> &tasks, unsigned workers, const FrameWork &work,
                      const FrameEnd &ended);

// What a frame's exception says, after the input's name.
std::string describeFailure(const FrameTask &task, std::exception_ptr failure);

}  // namespace tavi::cli
