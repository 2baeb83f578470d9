#include "cli/output_plan.h"

#include <cctype>
#include <regex>

#include "cli/path_claims.h"
#include "cli/usage_error.h"

namespace fs = std::filesystem;

namespace tavi::cli {

namespace {

const std::regex kPrintfPattern(R"(%(0?)(\d*)d)");

std::string padded(long number, std::size_t width) {
    std::string digits = std::to_string(number < 0 ? -number : number);
    if (digits.size() < width) digits.insert(0, width - digits.size(), '0');
    return number < 0 ? "-" + digits : digits;
}

// A pattern that asks for no digits or for more than a frame number can
// use; `pattern` is the part that asks, such as "%0300d".
[[noreturn]] void refuseWidth(std::string_view pattern) {
    const std::string shown = pattern.size() > 24 ? std::string(pattern.substr(0, 20)) + "..." : std::string(pattern);
    throw UsageError("the frame pattern " + shown + " asks for a width outside 1 to " +
                     std::to_string(kMaxPatternWidth) + " digits");
}

}  // namespace

long frameNumber(const fs::path &input, std::size_t position) {
    const std::string stem = input.stem().string();
    std::size_t end = stem.size();
    while (end > 0 && !std::isdigit(static_cast<unsigned char>(stem[end - 1]))) --end;
    std::size_t begin = end;
    while (begin > 0 && std::isdigit(static_cast<unsigned char>(stem[begin - 1]))) --begin;
    if (begin == end || end - begin > 9) return static_cast<long>(position) + 1;
    return std::stol(stem.substr(begin, end - begin));
}

bool isFramePattern(const std::string &output) {
    return output.find('#') != std::string::npos || std::regex_search(output, kPrintfPattern);
}

std::string expandPattern(const std::string &output, long number) {
    const std::size_t hash = output.find('#');
    if (hash != std::string::npos) {
        std::size_t end = hash;
        while (end < output.size() && output[end] == '#') ++end;
        if (end - hash > kMaxPatternWidth) refuseWidth(std::string_view(output).substr(hash, end - hash));
        return output.substr(0, hash) + padded(number, end - hash) + output.substr(end);
    }
    std::smatch m;
    if (!std::regex_search(output, m, kPrintfPattern)) return output;
    // "%d" and "%0d" ask for no width.
    std::size_t width = 0;
    if (m[2].length() > 0) {
        if (m[2].length() > 2) refuseWidth(m.str(0));
        width = std::stoul(m[2]);
        if (width < 1 || width > kMaxPatternWidth) refuseWidth(m.str(0));
    }
    return m.prefix().str() + padded(number, m[1].length() ? width : 0) + m.suffix().str();
}

std::vector<FrameTask> planOutputs(const std::vector<fs::path> &inputs, const std::string &output,
                                   const std::vector<OptionOutput> &others) {
    std::vector<FrameTask> tasks;
    std::error_code ec;
    const bool folder = !output.empty() && (output.back() == '/' || fs::is_directory(output, ec));
    const bool pattern = !folder && isFramePattern(output);
    if (!folder && !pattern && inputs.size() > 1)
        throw UsageError(std::to_string(inputs.size()) + " inputs need an output folder or a frame pattern " +
                         "(such as shot.####.png), not the single file " + output);

    for (std::size_t i = 0; i < inputs.size(); ++i) {
        fs::path out;
        if (folder)
            out = fs::path(output) / inputs[i].filename();
        else if (pattern)
            out = expandPattern(output, frameNumber(inputs[i], i));
        else
            out = output;
        tasks.push_back({inputs[i], out});
    }

    PathClaims claims;
    for (const fs::path &in : inputs) claims.addInput(in);
    for (const FrameTask &t : tasks) claims.addFrameOutput(t.output, t.input);
    for (const OptionOutput &other : others) claims.addOptionOutput(other.path, other.option);
    return tasks;
}

}  // namespace tavi::cli
