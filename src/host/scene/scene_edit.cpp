#include "host/scene/scene_edit.h"

#include <utility>

#include "host/base/atomic_file.h"
#include "host/base/line_words.h"

namespace tavi::host {

std::string replaceFilterEntry(std::string_view text, const std::string &name, std::size_t index,
                               const SceneFilter &filter) {
    const std::size_t entries = parseScene(text, name).filters.size();
    if (index >= entries)
        throw SceneError(name + ": holds " + std::to_string(entries) + " image filter" + (entries == 1 ? "" : "s") +
                         ", not the one to save");
    std::string formatted;
    try {
        formatted = formatFilterEntry(filter);
    } catch (const SceneError &e) {
        throw SceneError(name + ": " + e.what());
    }

    // The same lines parseScene reads: after the header, every line that is
    // not blank and no comment is an entry.
    std::string result;
    if (text.starts_with(kByteOrderMark)) {
        result.append(kByteOrderMark);
        text.remove_prefix(kByteOrderMark.size());
    }
    bool header = false;
    std::size_t seen = 0;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        const std::string_view newline = end == std::string_view::npos ? "" : "\n";
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);

        const std::string_view content = trim(line);
        const bool entry = !content.empty() && content.front() != '#' && std::exchange(header, true);
        if (entry && seen++ == index) {
            const std::size_t indent = line.find_first_not_of(" \t");
            const bool carriageReturn = line.back() == '\r';
            result.append(line.substr(0, indent)).append(formatted).append(carriageReturn ? "\r" : "");
        } else {
            result.append(line);
        }
        result.append(newline);
    }
    return result;
}

void saveFilterEntry(const std::filesystem::path &file, std::size_t index, const SceneFilter &filter) {
    const std::string text = replaceFilterEntry(readSceneText(file), file.string(), index, filter);
    try {
        writeFileAtomically(file, text);
    } catch (const std::exception &e) {
        throw SceneError(e.what());
    }
}

}  // namespace tavi::host
