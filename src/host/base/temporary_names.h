// The names of the atomic write's hidden temporary files:
// ".<stem>.tavi-<pid>-<serial><ext>" beside the file they will replace. The
// process id in the name tells a later run whether the process that made a
// temporary is still alive, so that what a killed run left can be removed
// without touching a run still going on.
#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

#include <sys/types.h>

namespace tavi::host {

// The temporary name for `target` with this process's id and `serial`. It
// fits the folder's limit on the length of a name: the stem is shortened
// (never inside a UTF-8 character) and the extension kept, so that any name
// the file system accepts for the target works.
std::filesystem::path temporaryNameFor(const std::filesystem::path &target, unsigned long serial);

// The process id a file name of that form carries; nothing for other names.
std::optional<pid_t> temporaryOwner(std::string_view fileName);

// Removes the temporaries in `folder` whose process is gone (regular files
// only), and returns how many it removed. Those of running processes, this
// one's included, stay.
std::size_t removeLeftoverTemporaries(const std::filesystem::path &folder);

}  // namespace tavi::host
