// What is checked of every output before any frame is read: that its
// folder is there or can be made, that its name says a format that can be
// written, and that where it is a link, the file it leads to is named for
// the same format.
#pragma once

#include <filesystem>
#include <vector>

#include "host/files/stored_image.h"
#include "cli/output_plan.h"

namespace tavi::cli {

// Whether `folder`, where `output` goes, is missing and so to be made.
// Throws UsageError naming `output` when the folder cannot be: something
// that is no folder is in the way, or this user may not make folders
// where it would go.
bool folderToMake(const std::filesystem::path &folder, const std::filesystem::path &output);

// Throws UsageError naming the first output whose folder cannot be made,
// whose extension names no format OpenImageIO writes, whose format cannot
// be encoded as `encoding` asks, or that is a symbolic link to a file
// whose name says another format (which would get bytes its name belies).
// The folders of `others`, files that options write, are looked at too.
// Returns the folders that are missing, to be made by makeFolders once
// the work starts.
std::vector<std::filesystem::path> checkOutputsWritable(const std::vector<FrameTask> &tasks,
                                                        const std::vector<std::filesystem::path> &others,
                                                        const host::files::Encoding &encoding);

// Makes `folders` and the folders above them that are missing. Throws
// UsageError naming the one that cannot be made.
void makeFolders(const std::vector<std::filesystem::path> &folders);

}  // namespace tavi::cli
