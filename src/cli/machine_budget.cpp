#include "cli/machine_budget.h"

#include <sched.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace tavi::cli {

namespace {

constexpr std::uint64_t kUnlimited = std::numeric_limits<std::uint64_t>::max();

std::optional<std::string> firstLine(const fs::path &file) {
    std::ifstream in(file);
    std::string line;
    if (!in || !std::getline(in, line)) return std::nullopt;
    return line;
}

std::optional<std::uint64_t> number(const fs::path &file) {
    const std::optional<std::string> line = firstLine(file);
    if (!line || line->empty() || line->find_first_not_of("0123456789") != std::string::npos) return std::nullopt;
    return std::stoull(*line);
}

// The cgroup folders of this process for a controller, from its own up to
// the root: the unified hierarchy ("0::/path") and the controller's own
// (v1, "N:cpu,cpuacct:/path").
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

// The fewest CPUs a cgroup quota along the way allows.
std::optional<double> cpuQuota() {
    std::optional<double> least;
    const auto take = [&](double cpus) { least = least ? std::min(*least, cpus) : cpus; };
    for (const fs::path &folder : cgroupFolders("cpu")) {
        if (const std::optional<std::string> max = firstLine(folder / "cpu.max")) {  // "quota period" or "max period"
            std::istringstream words(*max);
            std::string quota;
            double period = 0;
            if (words >> quota >> period && quota != "max" && period > 0) take(std::stod(quota) / period);
        }
        const std::optional<std::uint64_t> quota = number(folder / "cpu.cfs_quota_us");  // -1 reads as none
        const std::optional<std::uint64_t> period = number(folder / "cpu.cfs_period_us");
        if (quota && period && *period > 0) take(double(*quota) / double(*period));
    }
    return least;
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

// What the memory limits along the way leave.
std::uint64_t cgroupAvailable() {
    std::uint64_t least = kUnlimited;
    for (const fs::path &folder : cgroupFolders("memory")) {
        // cgroup v2's names, else v1's.
        std::optional<std::uint64_t> limit = number(folder / "memory.max");
        if (!limit) limit = number(folder / "memory.limit_in_bytes");
        std::optional<std::uint64_t> used = number(folder / "memory.current");
        if (!used) used = number(folder / "memory.usage_in_bytes");
        if (limit && used && *limit > *used) least = std::min(least, *limit - *used);
        if (limit && used && *limit <= *used) least = 0;
    }
    return least;
}

}  // namespace

unsigned usableCpus() {
    unsigned cpus = std::max(1u, std::thread::hardware_concurrency());
    cpu_set_t mask;
    CPU_ZERO(&mask);
    if (sched_getaffinity(0, sizeof mask, &mask) == 0) cpus = std::max(1, CPU_COUNT(&mask));
    if (const std::optional<double> quota = cpuQuota())
        cpus = std::min(cpus, std::max(1u, unsigned(std::ceil(*quota - 1e-9))));
    return cpus;
}

std::uint64_t availableMemory() { return std::min(meminfoAvailable(), cgroupAvailable()); }

}  // namespace tavi::cli
