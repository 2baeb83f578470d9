// Inputs named by frame range, as oiiotool and render managers name them:
// a frame pattern (shot.####.png, shot.%04d.png) with --frames
// 1001-1050,1060,1100-1200x10, or oiiotool's own form with the range in the
// name (shot.1-100#.png, where each # stands for four digits and each @
// for one).
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tavi::cli {

// The frames of a range list: numbers, A-B ranges and A-BxS ranges with a
// step, comma-separated; in increasing order, each once. Throws UsageError
// naming what is wrong.
std::vector<long long> parseFrames(const std::string &frames);

// Throws the UsageError that names `missing` inputs (the first few, and
// how many more).
[[noreturn]] void refuseMissingInputs(const std::vector<std::filesystem::path> &missing);

// The input files the command line names: patterns filled with every frame
// of --frames (or of the range in their name), plain names as they are.
// Throws UsageError for a pattern without frames, a malformed range,
// --frames beside a range in a name, or inputs that are missing, named or
// of a range: all of them named in one message.
std::vector<std::filesystem::path> expandInputs(const std::vector<std::filesystem::path> &arguments,
                                                const std::optional<std::string> &frames);

}  // namespace tavi::cli
