#include "host/base/temporary_names.h"

#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <climits>
#include <string>

namespace fs = std::filesystem;

namespace tavi::host {

namespace {

constexpr std::string_view kMark = ".tavi-";

// The longest name the folder takes; 255 where the system does not say.
std::size_t nameLimit(const fs::path &folder) {
    const long limit = ::pathconf(folder.empty() ? "." : folder.c_str(), _PC_NAME_MAX);
    return limit > 0 ? std::size_t(limit) : 255;
}

// At most `bytes` bytes of `text`, not ending inside a UTF-8 character.
std::string_view utf8Prefix(std::string_view text, std::size_t bytes) {
    if (text.size() <= bytes) return text;
    while (bytes > 0 && (static_cast<unsigned char>(text[bytes]) & 0xC0) == 0x80) --bytes;
    return text.substr(0, bytes);
}

bool allDigits(std::string_view text) {
    if (text.empty()) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    return true;
}

bool processIsGone(pid_t pid) { return ::kill(pid, 0) != 0 && errno == ESRCH; }

}  // namespace

fs::path temporaryNameFor(const fs::path &target, unsigned long serial) {
    const fs::path folder = target.parent_path();
    const std::string stem = target.stem().string();
    std::string extension = target.extension().string();
    const std::string mark = std::string(kMark) + std::to_string(::getpid()) + "-" + std::to_string(serial);
    const std::size_t limit = nameLimit(folder);
    // The dot in front, the mark and the extension must fit; the stem takes
    // what is left. An extension too long even for that is dropped.
    if (1 + mark.size() + extension.size() > limit) extension.clear();
    const std::size_t fixed = 1 + mark.size() + extension.size();
    const std::size_t room = limit > fixed ? limit - fixed : 0;
    return folder / ("." + std::string(utf8Prefix(stem, room)) + mark + extension);
}

std::optional<pid_t> temporaryOwner(std::string_view name) {
    if (name.empty() || name.front() != '.') return std::nullopt;
    // The extension, if any, is the part after the last dot; the serial and
    // the process id come before it, behind the last mark.
    const std::size_t mark = name.rfind(kMark);
    if (mark == std::string_view::npos || mark == 0) return std::nullopt;
    std::string_view rest = name.substr(mark + kMark.size());
    const std::size_t dot = rest.find('.');
    if (dot != std::string_view::npos) {
        if (rest.find('.', dot + 1) != std::string_view::npos) return std::nullopt;
        rest = rest.substr(0, dot);
    }
    const std::size_t dash = rest.find('-');
    if (dash == std::string_view::npos) return std::nullopt;
    const std::string_view pid = rest.substr(0, dash);
    if (!allDigits(pid) || !allDigits(rest.substr(dash + 1))) return std::nullopt;
    long value = 0;
    const auto [end, fault] = std::from_chars(pid.data(), pid.data() + pid.size(), value);
    if (fault != std::errc() || end != pid.data() + pid.size() || value <= 0 || value > INT_MAX) return std::nullopt;
    return pid_t(value);
}

std::size_t removeLeftoverTemporaries(const fs::path &folder) {
    std::size_t removed = 0;
    std::error_code error;
    for (fs::directory_iterator entry(folder.empty() ? fs::path(".") : folder, error), end; !error && entry != end;
         entry.increment(error)) {
        const std::string name = entry->path().filename().string();
        const std::optional<pid_t> owner = temporaryOwner(name);
        if (!owner || *owner == ::getpid() || !processIsGone(*owner)) continue;
        std::error_code ignored;
        if (!entry->is_regular_file(ignored) || entry->is_symlink(ignored)) continue;
        if (fs::remove(entry->path(), ignored)) ++removed;
    }
    return removed;
}

}  // namespace tavi::host
