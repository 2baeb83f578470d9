// What is checked of every output before any frame is read: that its
// folder is there and that its name says a format that can be written.
#pragma once

#include <vector>

#include "host/files/stored_image.h"
#include "cli/output_plan.h"

namespace tavi::cli {

// Throws UsageError naming the first output whose folder does not exist
// (or is no folder), whose extension names no format OpenImageIO writes,
// or whose format cannot be encoded as `encoding` asks. `folderToMake` is
// a folder the command makes itself when it is missing (-o out/); empty
// for none.
void checkOutputsWritable(const std::vector<FrameTask> &tasks, const std::filesystem::path &folderToMake,
                          const host::files::Encoding &encoding);

}  // namespace tavi::cli
