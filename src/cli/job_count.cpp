#include "cli/job_count.h"

#include <algorithm>

#include "host/files/stored_image.h"
#include "cli/machine_budget.h"
#include "host/base/process_limits.h"

namespace tavi::cli {

namespace {

std::string mebibytes(std::uint64_t bytes) { return std::to_string((bytes + (1u << 20) - 1) >> 20) + " MiB"; }

}  // namespace

JobCount chooseJobs(unsigned asked, const std::vector<FrameTask> &tasks, std::size_t filters) {
    const unsigned frames = unsigned(std::min<std::size_t>(tasks.size(), 1u << 16));
    JobCount count{std::max(1u, std::min(asked != 0 ? asked : usableCpus(), frames)), ""};
    if (count.jobs == 1) return count;

    host::files::ReadRequest request;
    request.filters = filters;
    // A sequence's frames are alike: the first says what each needs. Asked
    // for or not, more at once than the memory holds would have the kernel
    // kill the run, or fail frames that fit one at a time.
    const host::files::IoResult<std::uint64_t> perFrame = host::files::frameMemory(tasks.front().input, request);
    if (!perFrame || perFrame.value() == 0) return count;
    const std::uint64_t available = host::availableMemory();
    const unsigned fit =
        unsigned(std::max<std::uint64_t>(1, std::min<std::uint64_t>(available / perFrame.value(), count.jobs)));
    if (fit < count.jobs) {
        count.notice = std::to_string(fit) + " job" + (fit == 1 ? "" : "s") + " at once, not " +
                       std::to_string(count.jobs) + ": a frame takes " + mebibytes(perFrame.value()) + " and " +
                       mebibytes(available) + " of memory is available";
        count.jobs = fit;
    }
    return count;
}

}  // namespace tavi::cli
