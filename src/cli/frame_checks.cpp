#include "cli/frame_checks.h"

#include "cli/usage_error.h"
#include "host/base/shown_text.h"

namespace tavi::cli {

void checkFramesFit(const std::vector<FrameTask> &tasks, const host::files::ReadRequest &request,
                    const host::files::Encoding &encoding) {
    for (const FrameTask &task : tasks)
        if (auto problem = host::files::writeProblem(task.input, task.output, request, encoding))
            throw UsageError(host::shownPath(task.input) + ": cannot write " + host::shownPath(task.output) + " (" +
                             host::shownText(*problem, host::kShownWhole) + ")");
}

}  // namespace tavi::cli
