// Checks made of every frame's header before any work: that its picture is
// one the output's format can hold, encoded as asked.
#pragma once

#include <vector>

#include "cli/output_plan.h"
#include "host/files/stored_image.h"

namespace tavi::cli {

// Throws UsageError naming the first output whose format cannot hold its
// input's picture (a channel count, a size, a compression it offers only
// for some pictures), and why.
void checkFramesFit(const std::vector<FrameTask> &tasks, const host::files::ReadRequest &request,
                    const host::files::Encoding &encoding);

}  // namespace tavi::cli
