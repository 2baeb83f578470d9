#include "host/base/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "host/base/live_temporaries.h"
#include "host/base/shown_text.h"
#include "host/base/temporary_names.h"

namespace fs = std::filesystem;

namespace tavi::host {

namespace {

std::atomic<unsigned long> temporaryCounter{0};

// As the system counts links in a path before it gives up (SYMLOOP_MAX).
constexpr int kMostLinks = 40;

std::string systemError() { return std::strerror(errno); }

// Beside `replaced`, with the extension of the name the caller gave.
fs::path unusedTemporaryBeside(const fs::path &replaced, const fs::path &target) {
    const fs::path named = fs::path(replaced).replace_extension(target.extension());
    for (;;) {
        fs::path candidate = temporaryNameFor(named, temporaryCounter++);
        std::error_code error;
        if (!fs::exists(fs::symlink_status(candidate, error))) return candidate;
    }
}

// The mode of the file being replaced, so that a private file is never
// readable by others while its replacement is written; 0666 less the umask
// for a new one.
mode_t creationMode(const fs::path &target) {
    struct stat existing {};
    if (::stat(target.c_str(), &existing) == 0 && S_ISREG(existing.st_mode)) return existing.st_mode & 0777;
    return 0666;
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

std::optional<fs::path> writtenFile(const fs::path &path, std::string *problem) {
    fs::path file = path;
    for (int links = 0; links <= kMostLinks; ++links) {
        struct stat st {};
        if (::lstat(file.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return file;
        std::error_code error;
        const fs::path next = fs::read_symlink(file, error);
        if (error) {
            if (problem) *problem = "cannot read the symbolic link " + file.string() + " (" + error.message() + ")";
            return std::nullopt;
        }
        file = next.is_absolute() ? next : file.parent_path() / next;
    }
    if (problem) *problem = std::strerror(ELOOP);
    return std::nullopt;
}

std::optional<std::string> replacementRefused(const fs::path &target) {
    const fs::path file = writtenFile(target).value_or(target);
    struct stat st {};
    if (::stat(file.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    // The effective ids, as open() goes by.
    if (::faccessat(AT_FDCWD, file.c_str(), W_OK, AT_EACCESS) == 0) return std::nullopt;
    return systemError();
}

AtomicFile::AtomicFile(fs::path target) : target_(std::move(target)) {
    std::string problem;
    if (std::optional<fs::path> file = writtenFile(target_, &problem)) {
        replaced_ = std::move(*file);
    } else {
        unresolved_ = problem;
        replaced_ = target_;
    }
    temporary_ = unusedTemporaryBeside(replaced_, target_);
}

AtomicFile::~AtomicFile() {
    if (!committed_) live_temporaries::discard(temporary_);
}

std::optional<std::string> AtomicFile::write(std::span<const unsigned char> bytes) {
    if (unresolved_) return unresolved_;
    if (auto refused = replacementRefused(replaced_)) return refused;
    const int descriptor = live_temporaries::create(temporary_, creationMode(replaced_));
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

std::optional<std::string> AtomicFile::lend() {
    if (unresolved_) return unresolved_;
    if (auto refused = replacementRefused(replaced_)) return refused;
    if (!live_temporaries::lend(temporary_)) return "interrupted";
    return std::nullopt;
}

std::optional<std::string> AtomicFile::flush() {
    live_temporaries::settle(temporary_);
    const int descriptor = ::open(temporary_.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0) return systemError();
    return syncAndClose(descriptor);
}

std::optional<std::string> AtomicFile::commit() {
    if (unresolved_) return unresolved_;
    if (auto failure = live_temporaries::place(temporary_, replaced_)) return failure;
    committed_ = true;
    return std::nullopt;
}

void writeFileAtomically(const fs::path &target, std::string_view bytes) {
    AtomicFile file(target);
    auto failure = file.write({reinterpret_cast<const unsigned char *>(bytes.data()), bytes.size()});
    if (!failure) failure = file.commit();
    if (failure) throw std::runtime_error(shownPath(target) + ": cannot write (" + *failure + ")");
}

}  // namespace tavi::host
