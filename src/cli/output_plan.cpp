#include "cli/output_plan.h"

#include "cli/frame_number.h"
#include "cli/frame_pattern.h"
#include "cli/path_claims.h"
#include "cli/usage_error.h"
#include "host/base/shown_text.h"

namespace fs = std::filesystem;

namespace tavi::cli {

std::vector<FrameTask> planOutputs(const std::vector<fs::path> &inputs, const std::string &output,
                                   const std::vector<OptionOutput> &others) {
    std::vector<FrameTask> tasks;
    std::error_code ec;
    const bool folder = !output.empty() && (output.back() == '/' || fs::is_directory(output, ec));
    const bool pattern = !folder && isFramePattern(output);
    if (!folder && !pattern && inputs.size() > 1)
        throw UsageError(std::to_string(inputs.size()) + " inputs need an output folder or a frame pattern " +
                         "(such as shot.####.png), not the single file " + host::shownPath(output));

    std::vector<std::size_t> unnumbered;
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        fs::path out;
        if (folder) {
            out = fs::path(output) / inputs[i].filename();
        } else if (pattern) {
            const std::optional<std::string> number = frameNumber(inputs[i]);
            if (!number) {
                unnumbered.push_back(i);
                continue;
            }
            out = expandPattern(output, *number);
        } else {
            out = output;
        }
        tasks.push_back({inputs[i], out});
    }
    // Numbering such a frame by its place in the list would give it another
    // number in a task given the list in another order.
    if (!unnumbered.empty()) {
        const std::size_t others = unnumbered.size() - 1;
        throw UsageError(host::shownPath(inputs[unnumbered.front()]) +
                         (others ? " (and " + std::to_string(others) + " more input" + (others == 1 ? "" : "s") + ")"
                                 : std::string()) +
                         " has no frame number in its name for the frame pattern " + host::shownPath(output) +
                         "; give an output folder, or name the frame with its number");
    }

    PathClaims claims;
    for (const fs::path &in : inputs) claims.addInput(in);
    for (const FrameTask &t : tasks) claims.addFrameOutput(t.output, t.input);
    for (const OptionOutput &other : others) claims.addOptionOutput(other.path, other.option);
    return tasks;
}

}  // namespace tavi::cli
