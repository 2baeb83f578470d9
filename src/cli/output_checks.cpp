#include "cli/output_checks.h"

#include <unordered_set>

#include "host/base/shown_text.h"
#include "host/files/stored_image.h"
#include "cli/usage_error.h"

namespace fs = std::filesystem;

namespace tavi::cli {

namespace {

// A folder's path compared without a trailing slash or dots.
fs::path folderKey(const fs::path &folder) {
    fs::path normal = folder.lexically_normal();
    return normal.has_filename() || normal.empty() ? normal : normal.parent_path();
}

}  // namespace

void checkOutputsWritable(const std::vector<FrameTask> &tasks, const fs::path &folderToMake,
                          const host::files::Encoding &encoding) {
    // A sequence has one folder and one extension: each is looked at once.
    std::unordered_set<std::string> folders, extensions;
    for (const FrameTask &task : tasks) {
        const fs::path folder = task.output.parent_path().empty() ? fs::path(".") : task.output.parent_path();
        const bool made = !folderToMake.empty() && folderKey(folder) == folderKey(folderToMake);
        if (folders.insert(folder.string()).second && !made) {
            std::error_code error;
            const fs::file_status status = fs::status(folder, error);
            if (status.type() == fs::file_type::not_found)
                throw UsageError(host::shownPath(task.output) + ": no such folder " + host::shownPath(folder));
            if (!fs::is_directory(status))
                throw UsageError(host::shownPath(task.output) + ": " + host::shownPath(folder) + " is not a folder");
        }
        if (extensions.insert(task.output.extension().string()).second) {
            auto format = host::files::outputFormatFor(task.output);
            if (!format)
                throw UsageError(host::shownPath(task.output) + ": " +
                                 host::shownText(format.error(), host::kShownWhole));
            if (auto problem = host::files::encodingProblem(format.value(), encoding))
                throw UsageError(host::shownPath(task.output) + ": " + *problem);
        }
    }
}

}  // namespace tavi::cli
