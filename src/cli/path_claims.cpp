#include "cli/path_claims.h"

#include <sys/stat.h>

#include <functional>

#include "cli/usage_error.h"
#include "host/base/atomic_file.h"
#include "host/base/file_kind.h"
#include "host/base/shown_text.h"

namespace fs = std::filesystem;

namespace tavi::cli {

std::size_t PathClaims::KeyHash::operator()(const Key &key) const {
    if (!key.existing) return std::hash<std::string>{}(key.path);
    return std::hash<unsigned long long>{}((static_cast<unsigned long long>(key.dev) << 32) ^
                                           static_cast<unsigned long long>(key.ino));
}

std::string PathClaims::normalisedFolder(const fs::path &folder) {
    auto [it, fresh] = folders_.try_emplace(folder.string());
    if (fresh) {
        std::error_code error;
        const fs::path absolute = fs::absolute(folder.empty() ? fs::path(".") : folder, error);
        fs::path normal = fs::weakly_canonical(absolute, error);
        if (error) normal = absolute.lexically_normal();
        it->second = normal.string();
    }
    return it->second;
}

PathClaims::Seen PathClaims::look(const fs::path &path) {
    Seen seen;
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) {
        seen.key = Key{true, st.st_dev, st.st_ino, {}};
        if (!S_ISREG(st.st_mode))
            seen.refusal = host::shownPath(path) + ": exists and is " + host::fileKindName(st.st_mode) +
                           ", not a regular file; it is not replaced";
        return seen;
    }
    // A link that leads to nothing yet is written through: what it names
    // is the file.
    const fs::path file = host::writtenFile(path).value_or(path);
    const fs::path name = file.filename();
    if (name.empty() || name == "." || name == "..") {
        seen.key.path = normalisedFolder(file);
    } else {
        seen.key.path = (fs::path(normalisedFolder(file.parent_path())) / name).string();
    }
    return seen;
}

void PathClaims::addInput(const fs::path &path) { inputs_.insert(look(path).key); }

void PathClaims::addOutput(const fs::path &path, const std::string &writer, const std::string &what) {
    Seen seen = look(path);
    if (!seen.refusal.empty()) throw UsageError(seen.refusal);
    if (inputs_.contains(seen.key))
        throw UsageError(host::shownPath(path) + ": " + what + " would overwrite an input; choose another name");
    auto [it, fresh] = outputs_.emplace(std::move(seen.key), writer);
    if (!fresh)
        throw UsageError(host::shownText(writer, host::kShownWhole) + " and " +
                         host::shownText(it->second, host::kShownWhole) + " would both be written to " +
                         host::shownPath(path));
}

void PathClaims::addFrameOutput(const fs::path &path, const fs::path &input) {
    addOutput(path, input.string(), "the output");
}

void PathClaims::addOptionOutput(const fs::path &path, const std::string &option) {
    addOutput(path, option, "the " + option + " file");
}

}  // namespace tavi::cli
