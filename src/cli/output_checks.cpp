#include "cli/output_checks.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <unordered_set>

#include "host/base/atomic_file.h"
#include "host/base/file_kind.h"
#include "host/base/shown_text.h"
#include "host/files/stored_image.h"
#include "cli/usage_error.h"

namespace fs = std::filesystem;

namespace tavi::cli {

namespace {

fs::path folderOf(const fs::path &output) {
    return output.parent_path().empty() ? fs::path(".") : output.parent_path();
}

// The writer's name for the format a file of that name is written in, or
// "" where the name says none.
std::string formatNamed(const fs::path &file) {
    const auto format = host::files::outputFormatFor(file);
    return format ? format.value().name : std::string();
}

// A link named out.png that leads to data.tif would get PNG bytes in a
// file every reader takes for TIFF.
void checkLinkLeadsToItsFormat(const fs::path &output, const std::string &format) {
    const std::optional<fs::path> file = host::writtenFile(output);
    if (!file || *file == output) return;
    const std::string reached = formatNamed(*file);
    if (reached.empty() || reached == format) return;
    throw UsageError(host::shownPath(output) + " is a link to " + host::shownPath(*file) +
                     ", whose name says another format (" + reached + ", not " + format +
                     "); name the output for its format, or name the file itself");
}

}  // namespace

bool folderToMake(const fs::path &folder, const fs::path &output) {
    struct stat st {};
    if (::stat(folder.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) return false;
        throw UsageError(host::shownPath(output) + ": " + host::shownPath(folder) + " is " +
                         host::fileKindName(st.st_mode) + ", not a folder");
    }
    if (errno != ENOENT && errno != ENOTDIR)
        throw UsageError(host::shownPath(output) + ": cannot reach the folder " + host::shownPath(folder) + " (" +
                         std::strerror(errno) + ")");
    // The nearest folder above that is there: the missing ones are made in it.
    for (fs::path above = folder.parent_path();; above = above.parent_path()) {
        const fs::path there = above.empty() ? fs::path(".") : above;
        if (::stat(there.c_str(), &st) == 0) {
            if (!S_ISDIR(st.st_mode))
                throw UsageError(host::shownPath(output) + ": cannot make the folder " + host::shownPath(folder) +
                                 ": " + host::shownPath(there) + " is " + host::fileKindName(st.st_mode) +
                                 ", not a folder");
            if (::faccessat(AT_FDCWD, there.c_str(), W_OK | X_OK, AT_EACCESS) != 0)
                throw UsageError(host::shownPath(output) + ": cannot make the folder " + host::shownPath(folder) +
                                 " in " + host::shownPath(there) + " (" + std::strerror(errno) + ")");
            return true;
        }
        if ((errno != ENOENT && errno != ENOTDIR) || above.empty() || above == above.parent_path())
            throw UsageError(host::shownPath(output) + ": cannot make the folder " + host::shownPath(folder) + " (" +
                             std::strerror(errno) + ")");
    }
}

std::vector<fs::path> checkOutputsWritable(const std::vector<FrameTask> &tasks, const std::vector<fs::path> &others,
                                           const host::files::Encoding &encoding) {
    std::vector<fs::path> missing;
    // A sequence has one folder and one extension: each is looked at once.
    std::unordered_set<std::string> folders, extensions;
    const auto lookAtFolder = [&](const fs::path &output) {
        const fs::path folder = folderOf(output);
        if (folders.insert(folder.string()).second && folderToMake(folder, output)) missing.push_back(folder);
    };
    for (const FrameTask &task : tasks) {
        lookAtFolder(task.output);
        if (extensions.insert(task.output.extension().string()).second) {
            auto format = host::files::outputFormatFor(task.output);
            if (!format)
                throw UsageError(host::shownPath(task.output) + ": " +
                                 host::shownText(format.error(), host::kShownWhole));
            if (auto problem = host::files::encodingProblem(format.value(), encoding))
                throw UsageError(host::shownPath(task.output) + ": " + *problem);
        }
        checkLinkLeadsToItsFormat(task.output, formatNamed(task.output));
    }
    for (const fs::path &other : others) lookAtFolder(other);
    return missing;
}

void makeFolders(const std::vector<fs::path> &folders) {
    for (const fs::path &folder : folders) {
        std::error_code error;
        fs::create_directories(folder, error);
        if (error) throw UsageError(host::shownPath(folder) + ": cannot make the folder (" + error.message() + ")");
    }
}

}  // namespace tavi::cli
