#include "host/scene/scene_edit.h"

#include <map>
#include <utility>

#include "host/base/line_words.h"
#include "host/base/shown_text.h"

namespace tavi::host {

std::string replaceFilterEntries(std::string_view text, const std::string &name,
                                 const std::vector<std::pair<std::size_t, SceneFilter>> &entries) {
    const std::size_t count = parseScene(text, name).filters.size();
    std::map<std::size_t, std::string> formatted;
    for (const auto &[index, filter] : entries) {
        if (index >= count)
            throw SceneError(name + ": holds " + std::to_string(count) + " image filter" + (count == 1 ? "" : "s") +
                             ", not the one to save");
        try {
            formatted[index] = formatFilterEntry(filter);
        } catch (const SceneError &e) {
            throw SceneError(name + ": " + e.what());
        }
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
        const auto replacement = entry ? formatted.find(seen++) : formatted.end();
        if (replacement != formatted.end()) {
            const std::size_t indent = line.find_first_not_of(" \t");
            const bool carriageReturn = line.back() == '\r';
            result.append(line.substr(0, indent)).append(replacement->second).append(carriageReturn ? "\r" : "");
        } else {
            result.append(line);
        }
        result.append(newline);
    }
    return result;
}

std::string replaceFilterEntry(std::string_view text, const std::string &name, std::size_t index,
                               const SceneFilter &filter) {
    return replaceFilterEntries(text, name, {{index, filter}});
}

void saveFilterEntry(const std::filesystem::path &file, std::size_t index, const SceneFilter &filter) {
    writeSceneText(file, replaceFilterEntry(readSceneText(file), shownPath(file), index, filter));
}

}  // namespace tavi::host
