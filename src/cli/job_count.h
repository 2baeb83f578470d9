// How many frames `tavi process` works on at once.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "cli/output_plan.h"

namespace tavi::cli {

struct JobCount {
    unsigned jobs = 1;
    std::string notice;  // why fewer than asked for or than the CPUs, or empty
};

// `asked` jobs (0: one per CPU this process may use), never more than
// there are frames, nor more than the memory available holds frames like
// the first (each through `filters` filters); at least one.
JobCount chooseJobs(unsigned asked, const std::vector<FrameTask> &tasks, std::size_t filters);

}  // namespace tavi::cli
