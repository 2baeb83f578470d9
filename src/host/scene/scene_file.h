// The host's scene file: which image filters a scene runs, in order, each
// with its server name, whether it is on, and its settings line.
//
//     # Comments and blank lines are ignored.
//     TaviScene 1
//     ImageFilter "Tavi" on 2 100 224
//
// The first other line is the header, "TaviScene" and the format version.
// Each "ImageFilter" line names the server in double quotes (no quote or
// backslash inside), then "on" or "off", then the settings line exactly as
// the filter wrote it, up to the end of the line (at most 119 bytes, no
// control characters but tabs). A scene holds at most kMaxSceneFilters
// filters, each an instance with planes of its own, and a scene file is a
// regular file of at most kMaxSceneFileBytes.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace tavi::host {

// A scene file that cannot be read or written; what() names the file, and
// the line where the problem is.
class SceneError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct SceneFilter {
    std::string server;
    bool enabled = true;
    std::string settings;  // the filter's settings line, without its NUL
    bool operator==(const SceneFilter &) const = default;
};

struct Scene {
    std::vector<SceneFilter> filters;
    bool operator==(const Scene &) const = default;
};

constexpr int kSceneFormatVersion = 1;
// Some editors put it in front of a UTF-8 file; it is skipped and kept.
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::size_t kMaxSettingsLine = 119;
constexpr std::size_t kMaxSceneFilters = 64;
constexpr std::size_t kMaxSceneFileBytes = 1 << 20;

// What a filter's own settings line must hold, checked as the scene is
// read: nothing when the line is fine, else what is wrong with it.
using SettingsCheck = std::function<std::optional<std::string>(const SceneFilter &filter)>;

// Parses scene text; `name` is used in error messages as it is, so it is
// the file's name as shown (shownPath). A UTF-8 byte order mark in front is
// skipped. Throws SceneError, also when `check` finds fault with a filter's
// settings; words of the text are shown escaped and cut (shownText).
Scene parseScene(std::string_view text, const std::string &name, const SettingsCheck &check = {});
// The text of a scene. Throws SceneError for a filter that cannot be
// written (a quote in its name, a control character in its settings).
std::string formatScene(const Scene &scene);
// One filter's line, without its newline; throws as formatScene does.
std::string formatFilterEntry(const SceneFilter &filter);

// Reads a scene file. Throws SceneError naming the file.
Scene readScene(const std::filesystem::path &file, const SettingsCheck &check = {});
// The bytes of a scene file. Throws SceneError naming the file when it is
// missing, unreadable, not a regular file or larger than kMaxSceneFileBytes.
std::string readSceneText(const std::filesystem::path &file);
// Writes a scene file through a temporary file renamed into place, so a
// failure leaves any earlier file as it was. Throws SceneError.
void writeScene(const std::filesystem::path &file, const Scene &scene);
// The same for a scene's text as it is.
void writeSceneText(const std::filesystem::path &file, std::string_view text);

}  // namespace tavi::host
