#include "host/base/atomic_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace fs = std::filesystem;

namespace tavi::host {

namespace {

std::atomic<unsigned> temporaryCounter{0};

std::string systemError() { return std::strerror(errno); }

fs::path hiddenTemporaryBeside(const fs::path &target) {
    const fs::path folder = target.parent_path();
    for (;;) {
        const std::string leaf = "." + target.stem().string() + ".tavi-" + std::to_string(::getpid()) + "-" +
                                 std::to_string(temporaryCounter++) + target.extension().string();
        fs::path candidate = folder / leaf;
        std::error_code error;
        if (!fs::exists(fs::symlink_status(candidate, error))) return candidate;
    }
}

// Data on the disk before the rename, so that a crash cannot leave the
// new name pointing at an empty file.
std::optional<std::string> syncAndClose(int descriptor) {
    std::optional<std::string> failure;
    if (::fsync(descriptor) != 0) failure = systemError();
    if (::close(descriptor) != 0 && !failure) failure = systemError();
    return failure;
}

}  // namespace

AtomicFile::AtomicFile(fs::path target) : target_(std::move(target)), temporary_(hiddenTemporaryBeside(target_)) {}

AtomicFile::~AtomicFile() {
    if (!committed_) {
        std::error_code ignored;
        fs::remove(temporary_, ignored);
    }
}

std::optional<std::string> AtomicFile::write(std::span<const unsigned char> bytes) {
    const int descriptor = ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (descriptor < 0) return systemError();
    while (!bytes.empty()) {
        const ssize_t written = ::write(descriptor, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) {
            std::string failure = written < 0 ? systemError() : "nothing written";
            ::close(descriptor);
            return failure;
        }
        bytes = bytes.subspan(std::size_t(written));
    }
    return syncAndClose(descriptor);
}

std::optional<std::string> AtomicFile::flush() {
    const int descriptor = ::open(temporary_.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0) return systemError();
    return syncAndClose(descriptor);
}

std::optional<std::string> AtomicFile::commit() {
    std::error_code error;
    const fs::file_status existing = fs::status(target_, error);
    if (fs::exists(existing)) fs::permissions(temporary_, existing.permissions(), error);
    fs::rename(temporary_, target_, error);
    if (error) return error.message();
    committed_ = true;
    return std::nullopt;
}

void writeFileAtomically(const fs::path &target, std::string_view bytes) {
    AtomicFile file(target);
    auto failure = file.write({reinterpret_cast<const unsigned char *>(bytes.data()), bytes.size()});
    if (!failure) failure = file.commit();
    if (failure) throw std::runtime_error(target.string() + ": cannot write (" + *failure + ")");
}

}  // namespace tavi::host
