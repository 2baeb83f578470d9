// The frame number an input's name carries: the last run of digits in its
// file name without the extension, of any length ("render.0042.png" is 42,
// "cam_1700000004.png" is 1700000004). Every task of a farm job finds the
// same number from the same name, whatever order it was given the inputs.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tavi::cli {

// The number as decimal digits without leading zeros ("0" for zeros only);
// nothing for a name without digits.
std::optional<std::string> frameNumber(const std::filesystem::path &input);

// Whether frame number `a` is smaller than `b`, both as frameNumber gives them.
bool frameNumberLess(const std::string &a, const std::string &b);

// Positions in `inputs`: those with a frame number by number, then by
// their whole path; after them those without, by path. The order depends
// on the names alone, never on the order of the list.
std::vector<std::size_t> frameOrder(const std::vector<std::filesystem::path> &inputs);

}  // namespace tavi::cli
