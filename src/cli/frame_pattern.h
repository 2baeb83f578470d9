// Output names that number frames: a run of '#' (shot.####.png) or one
// printf conversion for a whole number (shot.%04d.png, shot.%d.png). The
// width is the least number of digits: a longer frame number is written
// whole. In a printf pattern "%%" is a literal '%', as printf has it; a '%'
// before anything else stays as it is.
#pragma once

#include <cstddef>
#include <string>

namespace tavi::cli {

// The most digits a frame pattern may ask for.
constexpr std::size_t kMaxPatternWidth = 12;

// True when `output` holds a frame pattern.
bool isFramePattern(const std::string &output);

// `output` with its pattern replaced by `number` (decimal digits, as
// frameNumber gives them). Throws UsageError when the pattern asks for a
// width outside 1 to kMaxPatternWidth, or holds more than one conversion.
std::string expandPattern(const std::string &output, const std::string &number);

}  // namespace tavi::cli
