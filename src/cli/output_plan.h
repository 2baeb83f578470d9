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

// The frame number of an input: the last run of digits in its file name
// (render.0042.png is 42), or its position in the list counting from 1.
long frameNumber(const std::filesystem::path &input, std::size_t position);

// True when `output` holds a frame pattern ('#' run or a %d conversion).
bool isFramePattern(const std::string &output);

// The most digits a frame pattern may ask for.
constexpr std::size_t kMaxPatternWidth = 12;

// `output` with its pattern replaced by `number`. Throws UsageError when
// the pattern asks for a width outside 1 to kMaxPatternWidth.
std::string expandPattern(const std::string &output, long number);

// A file an option makes the command write besides the frames.
struct OptionOutput {
    std::string option;  // "--save-scene"
    std::filesystem::path path;
};

// Pairs every input with its output. Throws UsageError when several inputs
// would go to one file, when an output (or one of `others`) would overwrite
// an input or another output, when one names something that is not a
// regular file, when the frame pattern is out of bounds, or when several
// inputs have no folder or pattern to go to.
std::vector<FrameTask> planOutputs(const std::vector<std::filesystem::path> &inputs, const std::string &output,
                                   const std::vector<OptionOutput> &others = {});

}  // namespace tavi::cli
