#include "atomic_file.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <unistd.h>

namespace tavi::host {

std::filesystem::path temporaryPathFor(const std::filesystem::path &target) {
    static std::atomic<unsigned> counter{0};
    std::filesystem::path tmp = target;
    tmp += ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
    return tmp;
}

void writeFileAtomically(const std::filesystem::path &target, std::string_view bytes) {
    const std::filesystem::path tmp = temporaryPathFor(target);
    std::FILE *out = std::fopen(tmp.c_str(), "wb");
    if (out == nullptr) throw std::runtime_error(target.string() + ": cannot write (" + std::strerror(errno) + ")");
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    const int writeErr = errno;
    const bool closed = std::fclose(out) == 0;
    if (!written || !closed) {
        std::remove(tmp.c_str());
        throw std::runtime_error(target.string() + ": cannot write (" + std::strerror(written ? errno : writeErr) + ")");
    }
    std::error_code ec;
    std::filesystem::rename(tmp, target, ec);
    if (ec) {
        std::remove(tmp.c_str());
        throw std::runtime_error(target.string() + ": cannot write (" + ec.message() + ")");
    }
}

}  // namespace tavi::host
