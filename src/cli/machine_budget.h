// The CPUs this process may use, as a farm task is given them: those of
// its affinity mask, cut to its cgroup's CPU quota. (The memory it may
// have is host/base/process_limits.h's.)
#pragma once

namespace tavi::cli {

// At least 1.
unsigned usableCpus();

}  // namespace tavi::cli
