// Reading a small text file that a user names (a scene file, a panel
// script): only a regular file is opened, and only up to a limit, so that a
// FIFO cannot block the command, and a device such as /dev/zero or a huge
// file cannot take its memory.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>

namespace tavi::host {

// Reads `path` into `text`. Returns nothing on success, else the problem
// without the file name, for the caller to word: "no such file", "is a
// FIFO, not a regular file", "is larger than a scene file may be (1 MiB)"
// (`what` names the kind of file), "cannot be read (Permission denied)".
std::optional<std::string> readTextFile(const std::filesystem::path &path, std::size_t maxBytes,
                                        const std::string &what, std::string &text);

}  // namespace tavi::host
