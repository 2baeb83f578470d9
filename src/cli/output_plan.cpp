#include "cli/output_plan.h"

#include <cctype>
#include <map>
#include <regex>

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

fs::path normalised(const fs::path &p) {
    std::error_code ec;
    return fs::weakly_canonical(fs::absolute(p, ec), ec);
}

// Two paths naming the same file, whether or not it exists yet.
bool sameFile(const fs::path &a, const fs::path &b) {
    std::error_code ec;
    if (fs::exists(a, ec) && fs::exists(b, ec)) return fs::equivalent(a, b, ec);
    return normalised(a) == normalised(b);
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
        return output.substr(0, hash) + padded(number, end - hash) + output.substr(end);
    }
    std::smatch m;
    if (!std::regex_search(output, m, kPrintfPattern)) return output;
    const std::size_t width = m[2].length() ? std::stoul(m[2]) : 0;
    return m.prefix().str() + padded(number, m[1].length() ? width : 0) + m.suffix().str();
}

std::vector<FrameTask> planOutputs(const std::vector<fs::path> &inputs, const std::string &output) {
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

    std::map<fs::path, fs::path> claimed;
    for (const FrameTask &t : tasks) {
        auto [it, fresh] = claimed.emplace(normalised(t.output), t.input);
        if (!fresh)
            throw UsageError(t.input.string() + " and " + it->second.string() + " would both be written to " +
                             t.output.string());
    }
    for (const FrameTask &t : tasks)
        for (const fs::path &in : inputs)
            if (sameFile(t.output, in))
                throw UsageError(t.output.string() + ": the output would overwrite an input; choose another name");
    return tasks;
}

}  // namespace tavi::cli
