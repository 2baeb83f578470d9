#include "cli/frame_range.h"

#include <algorithm>
#include <regex>
#include <system_error>

#include "cli/frame_pattern.h"
#include "cli/usage_error.h"
#include "host/base/shown_text.h"

namespace fs = std::filesystem;

namespace tavi::cli {

namespace {

// More frames than any sequence has: a range that asks for more is a typo.
constexpr long long kMostFrames = 1000000;
// How many missing files one message names before it counts the rest.
constexpr std::size_t kMissingNamed = 8;

long long number(const std::string &digits, const std::string &frames) {
    if (digits.empty()) throw UsageError("--frames " + host::shownText(frames) + ": a frame number is missing");
    if (digits.size() > 12 || digits.find_first_not_of("0123456789") != std::string::npos)
        throw UsageError("--frames " + host::shownText(frames) + ": " + host::shownText(digits) +
                         " is not a frame number (digits only)");
    return std::stoll(digits);
}

// oiiotool's range in a name: "shot.1-100#.png" holds the range and the
// wildcards that say the width.
const std::regex kRangeInName(R"(^(.*?)([0-9][0-9,x\-]*)([#@]+)([^#@]*)$)");

std::string padded(long long frame, std::size_t width) {
    std::string digits = std::to_string(frame);
    return digits.size() < width ? std::string(width - digits.size(), '0') + digits : digits;
}

}  // namespace

std::vector<long long> parseFrames(const std::string &frames) {
    std::vector<long long> all;
    std::size_t start = 0;
    while (start <= frames.size()) {
        std::size_t end = frames.find(',', start);
        if (end == std::string::npos) end = frames.size();
        const std::string item = frames.substr(start, end - start);
        const std::size_t dash = item.find('-');
        if (dash == std::string::npos) {
            all.push_back(number(item, frames));
        } else {
            const std::size_t by = item.find('x', dash);
            const long long first = number(item.substr(0, dash), frames);
            const long long last =
                number(item.substr(dash + 1, by == std::string::npos ? std::string::npos : by - dash - 1), frames);
            const long long step = by == std::string::npos ? 1 : number(item.substr(by + 1), frames);
            if (last < first || step < 1)
                throw UsageError("--frames " + host::shownText(frames) + ": " + host::shownText(item) +
                                 " runs backwards or has no step");
            if ((last - first) / step >= kMostFrames)
                throw UsageError("--frames " + host::shownText(frames) + ": " + host::shownText(item) +
                                 " holds more than " + std::to_string(kMostFrames) + " frames");
            for (long long frame = first; frame <= last; frame += step) all.push_back(frame);
        }
        if (all.size() > std::size_t(kMostFrames))
            throw UsageError("--frames " + host::shownText(frames) + " holds more than " + std::to_string(kMostFrames) +
                             " frames");
        start = end + 1;
    }
    std::sort(all.begin(), all.end());
    all.erase(std::unique(all.begin(), all.end()), all.end());
    return all;
}

void refuseMissingInputs(const std::vector<fs::path> &missing) {
    std::string names;
    for (std::size_t i = 0; i < missing.size() && i < kMissingNamed; ++i)
        names += (i ? ", " : "") + host::shownPath(missing[i]);
    if (missing.size() > kMissingNamed) names += " and " + std::to_string(missing.size() - kMissingNamed) + " more";
    throw UsageError(std::to_string(missing.size()) + " input" + (missing.size() == 1 ? " is" : "s are") +
                     " missing: " + names + "; nothing was done");
}

std::vector<fs::path> expandInputs(const std::vector<fs::path> &arguments, const std::optional<std::string> &frames) {
    const std::optional<std::vector<long long>> given = frames ? std::optional(parseFrames(*frames)) : std::nullopt;
    std::vector<fs::path> inputs;
    // Named or of a range, a missing input is one fault: the command line
    // names files that are not there.
    std::vector<fs::path> missing;
    const auto take = [&](const fs::path &file) {
        std::error_code error;
        (fs::exists(file, error) ? inputs : missing).push_back(file);
    };
    std::size_t expanded = 0;
    for (const fs::path &argument : arguments) {
        const std::string folder = argument.parent_path().string();
        const std::string name = argument.filename().string();
        std::smatch range;
        if (std::regex_match(name, range, kRangeInName) &&
            (range[2].str().find('-') != std::string::npos || range[2].str().find(',') != std::string::npos)) {
            // Two lists of frames: which one is meant cannot be told.
            if (frames)
                throw UsageError(host::shownPath(argument) + " names its frames (" + host::shownText(range[2].str()) +
                                 "), and --frames " + host::shownText(*frames) +
                                 " names others; give the frames one way, in the name or with --frames");
            // oiiotool's own form: each # four digits, each @ one.
            const std::string wildcards = range[3].str();
            const std::size_t width = 4 * std::size_t(std::count(wildcards.begin(), wildcards.end(), '#')) +
                                      std::size_t(std::count(wildcards.begin(), wildcards.end(), '@'));
            for (long long frame : parseFrames(range[2].str()))
                take(fs::path(folder) / (range[1].str() + padded(frame, width) + range[4].str()));
            ++expanded;
            continue;
        }
        std::error_code error;
        if (!isFramePattern(argument.string()) || fs::exists(argument, error)) {
            take(argument);
            continue;
        }
        if (!given)
            throw UsageError(host::shownPath(argument) +
                             " is a frame pattern: say which frames with --frames (such as --frames 1001-1050)");
        for (long long frame : *given) take(expandPattern(argument.string(), std::to_string(frame)));
        ++expanded;
    }
    if (frames && expanded == 0)
        throw UsageError("--frames " + host::shownText(*frames) +
                         " applies to inputs named by a frame pattern (shot.####.png), and none is");
    if (!missing.empty()) refuseMissingInputs(missing);
    return inputs;
}

}  // namespace tavi::cli
