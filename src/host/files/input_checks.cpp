#include "host/files/input_checks.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>

#include "host/base/file_kind.h"
#include "host/base/process_limits.h"

namespace tavi::host::files {

std::optional<std::string> irregularInput(const std::filesystem::path &path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || S_ISREG(st.st_mode) || S_ISDIR(st.st_mode)) return std::nullopt;
    return std::string("is ") + fileKindName(st.st_mode) + ", not an image file; only regular files are read";
}

std::uint64_t frameBytesNeeded(long long width, long long height, std::uint64_t storedBytes, std::size_t filters) {
    const std::uint64_t pixels = std::uint64_t(std::max(width, 0LL)) * std::uint64_t(std::max(height, 0LL));
    const std::uint64_t rgba = 4 * pixels;
    const std::uint64_t planes = std::uint64_t(filters) * rgba;
    const std::uint64_t read = storedBytes + storedBytes + planes;
    const std::uint64_t filtered = storedBytes + 3 * rgba + planes;
    const std::uint64_t written = storedBytes + storedBytes + planes;
    return std::max({read, filtered, written});
}

std::string notEnoughMemory(long long width, long long height, std::uint64_t bytes) {
    const std::uint64_t mebibytes = (bytes + (1u << 20) - 1) >> 20;
    return "not enough memory for a " + std::to_string(width) + " x " + std::to_string(height) + " image (needs " +
           std::to_string(mebibytes) + " MiB)";
}

std::optional<std::string> memoryShortfall(long long width, long long height, std::uint64_t storedBytes,
                                           std::size_t filters) {
    const std::uint64_t bytes = frameBytesNeeded(width, height, storedBytes, filters);
    if (bytes > SIZE_MAX) return notEnoughMemory(width, height, bytes);
    // What the system and the cgroup limits along the way leave: under
    // overcommit an allocation succeeds even where the frame's pages could
    // never be had, and the kernel kills the whole run when they are touched.
    if (bytes > availableMemory()) return notEnoughMemory(width, height, bytes);
    // The address space (ulimit -v), which the limits above do not tell:
    // asked of the allocator the frame's buffers come from. The pages are
    // never touched, so the try costs no memory. Volatile, so that the
    // compiler keeps the request.
    void *volatile trial = std::malloc(std::size_t(bytes));
    if (trial == nullptr) return notEnoughMemory(width, height, bytes);
    std::free(trial);
    return std::nullopt;
}

}  // namespace tavi::host::files
