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

// `output` with its pattern replaced by `number`.
std::string expandPattern(const std::string &output, long number);

// Pairs every input with its output. Throws UsageError when several inputs
// would go to one file, when an output would overwrite an input, or when
// several inputs have no folder or pattern to go to.
std::vector<FrameTask> planOutputs(const std::vector<std::filesystem::path> &inputs, const std::string &output);

}  // namespace tavi::cli
