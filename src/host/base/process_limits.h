// What the system and the cgroups a process is in let it have, as a farm
// task or a container is given it: the cgroup folders along the way, and
// the memory it can have now.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace tavi::host {

// The cgroup folders of this process for a controller ("memory", "cpu"),
// from its own up to the root: the unified hierarchy's ("0::/path") and
// the controller's own (v1, "N:cpu,cpuacct:/path").
std::vector<std::filesystem::path> cgroupFolders(const std::string &controller);

// The bytes this process can have now without swapping or the kernel
// killing it: the system's available memory, less where a memory cgroup
// along the way leaves less (its limit less what is charged to it, the
// file cache the kernel takes back first not counted). What a trial
// allocation cannot tell: under overcommit it succeeds either way. Gives
// the allocator's free memory back to the system first, so that it is
// not counted as held.
std::uint64_t availableMemory();

}  // namespace tavi::host
