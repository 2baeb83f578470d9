#include "host/base/live_temporaries.h"

#include "host/base/file_kind.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <vector>

namespace fs = std::filesystem;

namespace tavi::host::live_temporaries {

namespace {

struct Entry {
    fs::path path;
    bool lent = false;  // another writer may create it at any moment
};

struct Registry {
    std::mutex lock;
    std::condition_variable settled;
    std::vector<Entry> entries;
    bool stopping = false;
    std::size_t placed = 0;

    std::vector<Entry>::iterator find(const fs::path &path) {
        return std::find_if(entries.begin(), entries.end(), [&](const Entry &e) { return e.path == path; });
    }
    void unlist(const fs::path &path) {
        if (auto it = find(path); it != entries.end()) entries.erase(it);
        settled.notify_all();
    }
};

// Never destroyed: the stop may still hold its lock while the process ends.
Registry &registry() {
    static Registry *instance = new Registry;
    return *instance;
}

std::string systemError() { return std::strerror(errno); }

}  // namespace

int create(const fs::path &path, mode_t mode) {
    Registry &r = registry();
    std::lock_guard guard(r.lock);
    if (r.stopping) {
        errno = EINTR;
        return -1;
    }
    const int descriptor = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (descriptor >= 0) r.entries.push_back({path, false});
    return descriptor;
}

bool lend(const fs::path &path) {
    Registry &r = registry();
    std::lock_guard guard(r.lock);
    if (r.stopping) return false;
    r.entries.push_back({path, true});
    return true;
}

void settle(const fs::path &path) {
    Registry &r = registry();
    std::lock_guard guard(r.lock);
    if (auto it = r.find(path); it != r.entries.end())
        it->lent = false;
    else
        r.entries.push_back({path, false});
    r.settled.notify_all();
}

std::optional<std::string> place(const fs::path &path, const fs::path &target) {
    Registry &r = registry();
    std::lock_guard guard(r.lock);
    if (r.stopping) return "interrupted";
    struct stat existing {};
    if (::lstat(target.c_str(), &existing) == 0) {
        if (!S_ISREG(existing.st_mode) && !S_ISLNK(existing.st_mode))
            return std::string("it is ") + fileKindName(existing.st_mode) + ", not a regular file";
        // A link's own mode means nothing; the file it names gives the mode.
        struct stat named {};
        if (::stat(target.c_str(), &named) == 0 && S_ISREG(named.st_mode))
            (void)::chmod(path.c_str(), named.st_mode & 07777);
    }
    if (::rename(path.c_str(), target.c_str()) != 0) return systemError();
    r.unlist(path);
    ++r.placed;
    return std::nullopt;
}

void discard(const fs::path &path) {
    Registry &r = registry();
    std::lock_guard guard(r.lock);
    (void)::unlink(path.c_str());
    r.unlist(path);
}

std::size_t placed() {
    Registry &r = registry();
    std::lock_guard guard(r.lock);
    return r.placed;
}

std::size_t removeAllAndHold(const std::function<bool()> &stopWaiting) {
    Registry &r = registry();
    std::unique_lock guard(r.lock);
    r.stopping = true;
    const auto anyLent = [&] {
        return std::any_of(r.entries.begin(), r.entries.end(), [](const Entry &e) { return e.lent; });
    };
    while (anyLent() && !stopWaiting()) r.settled.wait_for(guard, std::chrono::milliseconds(100));
    for (const Entry &e : r.entries) (void)::unlink(e.path.c_str());
    r.entries.clear();
    const std::size_t count = r.placed;
    guard.release();
    return count;
}

}  // namespace tavi::host::live_temporaries
