#include "cli/dry_run.h"

#include <cstdio>
#include <system_error>

#include "host/base/atomic_file.h"
#include "host/base/shown_text.h"
#include "host/files/stored_image.h"
#include "cli/usage_error.h"

namespace fs = std::filesystem;

namespace tavi::cli {

int printPlan(const std::vector<FrameTask> &tasks, std::size_t filters, const std::string &chunkSummary) {
    host::files::ReadRequest request;
    request.filters = filters;
    std::size_t failing = 0;
    for (const FrameTask &task : tasks) {
        std::error_code error;
        const bool replaces = fs::exists(fs::symlink_status(task.output, error));
        std::printf("%s -> %s%s\n", host::shownPath(task.input).c_str(), host::shownPath(task.output).c_str(),
                    replaces ? " (replaces the file there)" : "");
        // Read as it would be for this output (CMYK converted or kept, say).
        host::files::ReadRequest toOutput = request;
        if (auto format = host::files::outputFormatFor(task.output)) toOutput.output = format.value();
        std::optional<std::string> problem = host::files::readProblem(task.input, toOutput);
        if (!problem)
            if (const std::optional<std::string> refused = host::replacementRefused(task.output))
                problem = host::shownPath(task.output) + ": cannot write (" + *refused + ")";
        if (problem) {
            ++failing;
            std::printf("  would fail: %s\n", host::shownText(*problem, host::kShownWhole).c_str());
        }
    }
    if (!chunkSummary.empty()) std::printf("%s; ", chunkSummary.c_str());
    std::printf("dry run: %zu frame%s would be written", tasks.size() - failing,
                tasks.size() - failing == 1 ? "" : "s");
    if (failing) std::printf(", %zu would fail", failing);
    std::printf("; nothing was written\n");
    return failing ? kExitFailed : kExitOk;
}

}  // namespace tavi::cli
