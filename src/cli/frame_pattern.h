// Output names that number frames: a run of '#' (shot.####.png) or one
// printf conversion for a whole number (shot.%04d.png, shot.%d.png) in the
// file name, after the last '/'; in the folders' names a '#' or a '%' is
// as it is written (take#2/shot.####.png). The width is the least number
// of digits: a longer frame number is written whole. In a printf pattern
// "%%" is a literal '%', as printf has it; a '%' before anything else
// stays as it is.
#pragma once

#include <cstddef>
#include <string>

namespace tavi::cli {

// The most digits a frame pattern may ask for.
constexpr std::size_t kMaxPatternWidth = 12;

// True when the file name of `output` holds a frame pattern.
bool isFramePattern(const std::string &output);

// `output` with its pattern replaced by `number` (decimal digits, as
// frameNumber gives them). Throws UsageError when the pattern asks for a
// width outside 1 to kMaxPatternWidth, or when the file name holds more
// than one pattern (a##b##.png, f.%d.%04d.png), where one number cannot
// say which.
std::string expandPattern(const std::string &output, const std::string &number);

}  // namespace tavi::cli
