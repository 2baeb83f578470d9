// Saving a filter's entry back into a scene file that a person may have
// written by hand: only that entry's line changes. Comments, blank lines,
// spacing, line ends and every other line stay as they were, and the
// file's permissions too (the atomic write keeps them).
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "host/scene/scene_file.h"

namespace tavi::host {

// `text` with the lines of its ImageFilter entries numbered by the pairs'
// first (from 0) replaced by their filters' lines. Throws SceneError naming
// `name` (a file name as shown) when the text is no scene or holds no such
// entry.
std::string replaceFilterEntries(std::string_view text, const std::string &name,
                                 const std::vector<std::pair<std::size_t, SceneFilter>> &entries);
// The same for one entry.
std::string replaceFilterEntry(std::string_view text, const std::string &name, std::size_t index,
                               const SceneFilter &filter);

// Reads `file`, replaces the entry as above, and writes it back through the
// atomic write. Throws SceneError naming the file.
void saveFilterEntry(const std::filesystem::path &file, std::size_t index, const SceneFilter &filter);

}  // namespace tavi::host
