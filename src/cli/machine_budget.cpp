#include "cli/machine_budget.h"

#include <sched.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>

#include "host/base/process_limits.h"

namespace fs = std::filesystem;

namespace tavi::cli {

namespace {

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

// The fewest CPUs a cgroup quota along the way allows.
std::optional<double> cpuQuota() {
    std::optional<double> least;
    const auto take = [&](double cpus) { least = least ? std::min(*least, cpus) : cpus; };
    for (const fs::path &folder : host::cgroupFolders("cpu")) {
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

}  // namespace tavi::cli
