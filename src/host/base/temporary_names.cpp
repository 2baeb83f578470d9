#include "host/base/temporary_names.h"

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdint>
#include <fstream>

namespace fs = std::filesystem;

namespace tavi::host {

namespace {

constexpr std::string_view kMark = ".tavi-";
constexpr std::size_t kMachineDigits = 16;
constexpr std::size_t kMostHostLetters = 20;

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

bool allHexDigits(std::string_view text) {
    for (char c : text)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
    return true;
}

bool processIsGone(pid_t pid) { return ::kill(pid, 0) != 0 && errno == ESRCH; }

std::string firstLine(const char *file) {
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    return line;
}

struct Machine {
    std::string name;    // "<host>-<16 hex digits>"
    bool known = false;  // boot and namespace both read
};

// FNV-1a: the same text gives the same digits in every process.
std::uint64_t hashed(std::string_view text) {
    std::uint64_t hash = 14695981039346656037ull;
    for (unsigned char c : text) hash = (hash ^ c) * 1099511628211ull;
    return hash;
}

Machine findMachine() {
    char host[256] = {};
    if (::gethostname(host, sizeof host - 1) != 0) host[0] = '\0';
    // The boot's random id, and the process-id namespace's inode: a
    // container has its own, often under the same host name.
    const std::string boot = firstLine("/proc/sys/kernel/random/boot_id");
    struct stat ns {};
    const bool haveNamespace = ::stat("/proc/self/ns/pid", &ns) == 0;
    const std::string identity = std::string(host) + '\n' + boot + '\n' +
                                 (haveNamespace ? std::to_string(ns.st_dev) + ":" + std::to_string(ns.st_ino) : "");
    std::string label;
    for (const char *c = host; *c && label.size() < kMostHostLetters; ++c)
        if ((*c >= 'a' && *c <= 'z') || (*c >= 'A' && *c <= 'Z') || (*c >= '0' && *c <= '9') || *c == '-') label += *c;
    if (label.empty()) label = "host";
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    std::uint64_t hash = hashed(identity);
    for (std::size_t i = 0; i < kMachineDigits; ++i, hash >>= 4) hex.insert(hex.begin(), digits[hash & 15]);
    return {label + "-" + hex, boot.size() >= 32 && haveNamespace};
}

const Machine &machine() {
    static const Machine found = findMachine();
    return found;
}

}  // namespace

const std::string &thisMachine() { return machine().name; }

fs::path temporaryNameFor(const fs::path &target, unsigned long serial) {
    const fs::path folder = target.parent_path();
    const std::string stem = target.stem().string();
    std::string extension = target.extension().string();
    const std::string mark =
        std::string(kMark) + thisMachine() + "-" + std::to_string(::getpid()) + "-" + std::to_string(serial);
    const std::size_t limit = nameLimit(folder);
    // The dot in front, the mark and the extension must fit; the stem takes
    // what is left. An extension too long even for that is dropped.
    if (1 + mark.size() + extension.size() > limit) extension.clear();
    const std::size_t fixed = 1 + mark.size() + extension.size();
    const std::size_t room = limit > fixed ? limit - fixed : 0;
    return folder / ("." + std::string(utf8Prefix(stem, room)) + mark + extension);
}

std::optional<TemporaryOwner> temporaryOwner(std::string_view name) {
    if (name.empty() || name.front() != '.') return std::nullopt;
    // The extension, if any, is the part after the last dot; the fields
    // come before it, behind the last mark, read from the right: serial,
    // process id, and in today's names the machine's digits and host.
    const std::size_t mark = name.rfind(kMark);
    if (mark == std::string_view::npos || mark == 0) return std::nullopt;
    std::string_view rest = name.substr(mark + kMark.size());
    const std::size_t dot = rest.find('.');
    if (dot != std::string_view::npos) {
        if (rest.find('.', dot + 1) != std::string_view::npos) return std::nullopt;
        rest = rest.substr(0, dot);
    }
    const std::size_t serialDash = rest.rfind('-');
    if (serialDash == std::string_view::npos || !allDigits(rest.substr(serialDash + 1))) return std::nullopt;
    rest = rest.substr(0, serialDash);
    const std::size_t pidDash = rest.rfind('-');
    const std::string_view pid = pidDash == std::string_view::npos ? rest : rest.substr(pidDash + 1);
    if (!allDigits(pid)) return std::nullopt;
    long value = 0;
    const auto [end, fault] = std::from_chars(pid.data(), pid.data() + pid.size(), value);
    if (fault != std::errc() || end != pid.data() + pid.size() || value <= 0 || value > INT_MAX) return std::nullopt;

    TemporaryOwner owner;
    owner.pid = pid_t(value);
    if (pidDash == std::string_view::npos) return owner;  // an older version's name
    const std::string_view machineName = rest.substr(0, pidDash);
    const std::size_t hexDash = machineName.rfind('-');
    if (hexDash == std::string_view::npos || hexDash == 0 || machineName.size() - hexDash - 1 != kMachineDigits ||
        !allHexDigits(machineName.substr(hexDash + 1)))
        return std::nullopt;
    owner.machine = std::string(machineName);
    return owner;
}

LeftoverSweep sweepLeftoverTemporaries(const fs::path &folder) {
    LeftoverSweep sweep;
    std::error_code error;
    for (fs::directory_iterator entry(folder.empty() ? fs::path(".") : folder, error), end; !error && entry != end;
         entry.increment(error)) {
        const std::string name = entry->path().filename().string();
        const std::optional<TemporaryOwner> owner = temporaryOwner(name);
        if (!owner) continue;
        std::error_code ignored;
        if (!entry->is_regular_file(ignored) || entry->is_symlink(ignored)) continue;
        if (!machine().known || owner->machine != thisMachine()) {
            ++sweep.foreign;
            continue;
        }
        if (owner->pid == ::getpid() || !processIsGone(owner->pid)) continue;
        if (fs::remove(entry->path(), ignored)) ++sweep.removed;
    }
    return sweep;
}

}  // namespace tavi::host
