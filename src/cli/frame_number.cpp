#include "cli/frame_number.h"

#include <algorithm>

namespace fs = std::filesystem;

namespace tavi::cli {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::optional<std::string> frameNumber(const fs::path &input) {
    const std::string stem = input.stem().string();
    std::size_t end = stem.size();
    while (end > 0 && !isDigit(stem[end - 1])) --end;
    std::size_t begin = end;
    while (begin > 0 && isDigit(stem[begin - 1])) --begin;
    if (begin == end) return std::nullopt;
    while (begin + 1 < end && stem[begin] == '0') ++begin;
    return stem.substr(begin, end - begin);
}

bool frameNumberLess(const std::string &a, const std::string &b) {
    // Without leading zeros, the shorter number is the smaller.
    if (a.size() != b.size()) return a.size() < b.size();
    return a < b;
}

std::vector<std::size_t> frameOrder(const std::vector<fs::path> &inputs) {
    std::vector<std::size_t> order(inputs.size());
    std::vector<std::optional<std::string>> numbers(inputs.size());
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        order[i] = i;
        numbers[i] = frameNumber(inputs[i]);
    }
    // The shell's glob order puts shot.10 before shot.9; frame order does
    // not, and every task must see the same order whatever it was given.
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        const std::optional<std::string> &x = numbers[a], &y = numbers[b];
        if (x.has_value() != y.has_value()) return x.has_value();
        if (x && *x != *y) return frameNumberLess(*x, *y);
        if (inputs[a].native() != inputs[b].native()) return inputs[a].native() < inputs[b].native();
        return a < b;  // the same path twice, which the output plan refuses
    });
    return order;
}

}  // namespace tavi::cli
