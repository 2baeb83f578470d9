// tavi process --dry-run: the plan a run would follow, printed, with nothing
// written.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "cli/output_plan.h"

namespace tavi::cli {

// Prints each frame's input and output, and why a frame would fail where
// its input's header already tells or its output may not be replaced;
// then a summary. `filters` is how many
// filters each frame goes through. Returns the exit status the run would
// have as far as that tells: 1 when a frame would fail, else 0.
int printPlan(const std::vector<FrameTask> &tasks, std::size_t filters, const std::string &chunkSummary);

}  // namespace tavi::cli
