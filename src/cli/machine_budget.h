// What this process may use of the machine, as a farm task is given it:
// the CPUs of its affinity mask, cut to its cgroup's CPU quota, and the
// memory available, cut to its cgroup's memory limit.
#pragma once

#include <cstdint>

namespace tavi::cli {

// At least 1.
unsigned usableCpus();

// The bytes that can be had now without swapping: the system's available
// memory, less than that where a cgroup limit leaves less.
std::uint64_t availableMemory();

}  // namespace tavi::cli
