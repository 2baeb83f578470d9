#include "host/base/text_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

#include "host/base/file_kind.h"

namespace tavi::host {

namespace {

std::string sizeText(std::size_t bytes) {
    if (bytes >= (1u << 20) && bytes % (1u << 20) == 0) return std::to_string(bytes >> 20) + " MiB";
    if (bytes >= (1u << 10) && bytes % (1u << 10) == 0) return std::to_string(bytes >> 10) + " KiB";
    return std::to_string(bytes) + " bytes";
}

std::string cannotRead(int error) { return std::string("cannot be read (") + std::strerror(error) + ")"; }

std::string notRegular(mode_t mode) { return std::string("is ") + fileKindName(mode) + ", not a regular file"; }

}  // namespace

std::optional<std::string> readTextFile(const std::filesystem::path &path, std::size_t maxBytes,
                                        const std::string &what, std::string &text) {
    // Looked at before it is opened: opening a device may do something.
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return errno == ENOENT ? std::string("no such file") : cannotRead(errno);
    if (!S_ISREG(st.st_mode)) return notRegular(st.st_mode);
    const std::string tooLarge = "is larger than " + what + " may be (" + sizeText(maxBytes) + ")";
    if (std::uintmax_t(st.st_size) > maxBytes) return tooLarge;

    // Not blocking, in case it was swapped for a FIFO since.
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (descriptor < 0) return cannotRead(errno);
    std::optional<std::string> problem;
    if (::fstat(descriptor, &st) != 0) {
        problem = cannotRead(errno);
    } else if (!S_ISREG(st.st_mode)) {
        problem = notRegular(st.st_mode);
    } else {
        // One byte more than the limit tells a file that grew past it.
        std::string read(maxBytes + 1, '\0');
        std::size_t have = 0;
        while (have < read.size()) {
            const ssize_t got = ::read(descriptor, read.data() + have, read.size() - have);
            if (got < 0 && errno == EINTR) continue;
            if (got < 0) {
                problem = cannotRead(errno);
                break;
            }
            if (got == 0) break;
            have += std::size_t(got);
        }
        if (!problem && have > maxBytes) problem = tooLarge;
        if (!problem) {
            read.resize(have);
            text = std::move(read);
        }
    }
    ::close(descriptor);
    return problem;
}

}  // namespace tavi::host
