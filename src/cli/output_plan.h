// Where each input frame's result goes: one file, a folder, or a frame
// pattern such as shot.####.png or shot.%04d.png.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace tavi::cli {

struct FrameTask {
    std::filesystem::path input;
    std::filesystem::path output;
};

// A file an option makes the command write besides the frames.
struct OptionOutput {
    std::string option;  // "--save-scene"
    std::filesystem::path path;
};

// Pairs every input with its output; a frame pattern is filled with the
// input's frame number (cli/frame_number.h). Throws UsageError when several
// inputs would go to one file, when an output (or one of `others`) would
// overwrite an input or another output, when one names something that is
// not a regular file, when the frame pattern is out of bounds, when an
// input's name has no frame number for the pattern, or when several inputs
// have no folder or pattern to go to.
std::vector<FrameTask> planOutputs(const std::vector<std::filesystem::path> &inputs, const std::string &output,
                                   const std::vector<OptionOutput> &others = {});

}  // namespace tavi::cli
