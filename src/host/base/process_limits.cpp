#include "host/base/process_limits.h"

#ifdef __GLIBC__
#include <malloc.h>
#endif

#include <algorithm>
#include <fstream>
#include <initializer_list>
#include <limits>
#include <optional>
#include <sstream>
#include <string_view>

namespace fs = std::filesystem;

namespace tavi::host {

namespace {

constexpr std::uint64_t kUnlimited = std::numeric_limits<std::uint64_t>::max();

std::optional<std::string> firstLine(const fs::path &file) {
    std::ifstream in(file);
    std::string line;
    if (!in || !std::getline(in, line)) return std::nullopt;
    return line;
}

// A whole number alone on the first line; "max" and "-1" read as none.
std::optional<std::uint64_t> number(const fs::path &file) {
    const std::optional<std::string> line = firstLine(file);
    if (!line || line->empty() || line->size() > 19 || line->find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    return std::stoull(*line);
}

// The sum of the named lines of a memory.stat file.
std::uint64_t statSum(const fs::path &file, std::initializer_list<std::string_view> keys) {
    std::ifstream in(file);
    std::string key;
    std::uint64_t value = 0, sum = 0;
    while (in >> key >> value)
        if (std::find(keys.begin(), keys.end(), key) != keys.end()) sum += value;
    return sum;
}

std::uint64_t meminfoAvailable() {
    std::ifstream in("/proc/meminfo");
    std::string key;
    std::uint64_t kibibytes = 0;
    std::string unit;
    while (in >> key >> kibibytes >> unit)
        if (key == "MemAvailable:") return kibibytes * 1024;
    return kUnlimited;
}

// What the memory limits along the way leave. A group's charge holds the
// page cache of the files its processes read and wrote, which the kernel
// reclaims before it kills anyone: that part is counted as free.
std::uint64_t cgroupAvailable() {
    std::uint64_t least = kUnlimited;
    for (const fs::path &folder : cgroupFolders("memory")) {
        // cgroup v2's names, else v1's (whose totals count the groups below).
        std::optional<std::uint64_t> limit = number(folder / "memory.max");
        std::optional<std::uint64_t> used = number(folder / "memory.current");
        std::uint64_t cache = 0;
        if (limit && used) {
            cache = statSum(folder / "memory.stat", {"active_file", "inactive_file"});
        } else {
            limit = number(folder / "memory.limit_in_bytes");
            used = number(folder / "memory.usage_in_bytes");
            if (limit && used) cache = statSum(folder / "memory.stat", {"total_active_file", "total_inactive_file"});
        }
        if (!limit || !used) continue;
        const std::uint64_t held = *used - std::min(*used, cache);
        least = std::min(least, *limit > held ? *limit - held : 0);
    }
    return least;
}

}  // namespace

std::vector<fs::path> cgroupFolders(const std::string &controller) {
    std::vector<fs::path> folders;
    std::ifstream in("/proc/self/cgroup");
    std::string line;
    while (std::getline(in, line)) {
        const std::size_t first = line.find(':'), second = line.find(':', first + 1);
        if (first == std::string::npos || second == std::string::npos) continue;
        const std::string controllers = line.substr(first + 1, second - first - 1);
        fs::path mount;
        if (controllers.empty()) {
            mount = "/sys/fs/cgroup";
        } else {
            std::stringstream names(controllers);
            std::string name;
            bool found = false;
            while (std::getline(names, name, ',')) found = found || name == controller;
            if (!found) continue;
            mount = fs::path("/sys/fs/cgroup") / controllers;
        }
        for (fs::path folder = mount / fs::path(line.substr(second + 1)).relative_path();;
             folder = folder.parent_path()) {
            folders.push_back(folder);
            if (folder == mount || !folder.has_parent_path()) break;
        }
    }
    return folders;
}

std::uint64_t availableMemory() {
#ifdef __GLIBC__
    // What the allocator keeps of memory freed (the buffers of a frame
    // done) is charged to the process all the same: given back first, it
    // counts as what it is, memory to be had.
    ::malloc_trim(0);
#endif
    return std::min(meminfoAvailable(), cgroupAvailable());
}

}  // namespace tavi::host
