#include "host/scene/scene_file.h"

#include <sstream>

#include "host/base/atomic_file.h"
#include "host/base/line_words.h"
#include "host/base/shown_text.h"
#include "host/base/text_file.h"

namespace tavi::host {

namespace {

constexpr std::string_view kHeader = "TaviScene";
constexpr std::string_view kFilterEntry = "ImageFilter";

// The next word of `rest`, which keeps what follows.
std::string_view nextWord(std::string_view &rest) { return firstWord(trim(rest), rest); }

bool hasControlCharacter(std::string_view s) {
    for (unsigned char c : s)
        if (c < 0x20 || c == 0x7F) return true;
    return false;
}

// Settings lines may hold tabs where people put spaces.
bool hasControlCharacterBesidesTab(std::string_view s) {
    for (unsigned char c : s)
        if ((c < 0x20 && c != '\t') || c == 0x7F) return true;
    return false;
}

class LineParser {
public:
    LineParser(const std::string &name, int number) : name_(name), number_(number) {}

    [[noreturn]] void fail(const std::string &problem) const {
        throw SceneError(name_ + ":" + std::to_string(number_) + ": " + problem);
    }

    SceneFilter filter(std::string_view rest) const {
        SceneFilter f;
        rest = trim(rest);
        if (rest.empty() || rest.front() != '"') fail("expected the server name in double quotes");
        const std::size_t close = rest.find('"', 1);
        if (close == std::string_view::npos) fail("the server name has no closing quote");
        f.server = std::string(rest.substr(1, close - 1));
        if (f.server.empty()) fail("the server name is empty");
        if (hasControlCharacter(f.server) || f.server.find('\\') != std::string::npos)
            fail("the server name holds a control character or a backslash");
        rest.remove_prefix(close + 1);
        if (!rest.empty() && !isBlank(rest.front())) fail("expected a space after the server name");

        const std::string_view state = nextWord(rest);
        if (state == "on")
            f.enabled = true;
        else if (state == "off")
            f.enabled = false;
        else
            fail("expected \"on\" or \"off\" after the server name, found \"" + shownText(state) + "\"");

        const std::string_view settings = trim(rest);
        if (settings.size() > kMaxSettingsLine)
            fail("the settings line is " + std::to_string(settings.size()) + " bytes long; at most " +
                 std::to_string(kMaxSettingsLine) + " fit");
        if (hasControlCharacterBesidesTab(settings)) fail("the settings line holds a control character");
        f.settings = std::string(settings);
        return f;
    }

private:
    const std::string &name_;
    int number_;
};

}  // namespace

Scene parseScene(std::string_view text, const std::string &name, const SettingsCheck &check) {
    if (text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());
    Scene scene;
    bool haveHeader = false;
    int number = 0;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        ++number;

        const std::string_view content = trim(line);
        if (content.empty() || content.front() == '#') continue;
        LineParser parser(name, number);
        std::string_view rest = content;
        const std::string_view keyword = nextWord(rest);

        if (!haveHeader) {
            if (keyword != kHeader) parser.fail("not a scene file: expected the header \"TaviScene 1\"");
            const std::string_view version = nextWord(rest);
            if (version != std::to_string(kSceneFormatVersion))
                parser.fail("scene format version \"" + shownText(version) + "\" is not supported (this host reads " +
                            std::to_string(kSceneFormatVersion) + ")");
            if (!trim(rest).empty()) parser.fail("unexpected text after the header");
            haveHeader = true;
        } else if (keyword == kFilterEntry) {
            if (scene.filters.size() == kMaxSceneFilters)
                parser.fail("more image filters than a scene may hold (" + std::to_string(kMaxSceneFilters) + ")");
            scene.filters.push_back(parser.filter(rest));
            if (check)
                if (std::optional<std::string> problem = check(scene.filters.back())) parser.fail(*problem);
        } else {
            parser.fail("unknown entry \"" + shownText(keyword) + "\" (expected ImageFilter)");
        }
    }
    if (!haveHeader) throw SceneError(name + ": not a scene file: it is empty");
    return scene;
}

std::string formatScene(const Scene &scene) {
    std::ostringstream out;
    out << "# Tavi scene: the image filters, in the order they run.\n";
    out << kHeader << ' ' << kSceneFormatVersion << '\n';
    for (const SceneFilter &f : scene.filters) out << formatFilterEntry(f) << '\n';
    return out.str();
}

std::string formatFilterEntry(const SceneFilter &f) {
    if (f.server.empty() || f.server.find_first_of("\"\\") != std::string::npos || hasControlCharacter(f.server))
        throw SceneError("cannot write the image filter \"" + shownText(f.server) + "\": its name cannot be stored");
    if (hasControlCharacterBesidesTab(f.settings) || f.settings.size() > kMaxSettingsLine)
        throw SceneError("cannot write the settings of \"" + shownText(f.server) + "\": the line cannot be stored");
    std::string line = std::string(kFilterEntry) + " \"" + f.server + "\" " + (f.enabled ? "on" : "off");
    if (!f.settings.empty()) line += ' ' + f.settings;
    return line;
}

Scene readScene(const std::filesystem::path &file, const SettingsCheck &check) {
    return parseScene(readSceneText(file), shownPath(file), check);
}

std::string readSceneText(const std::filesystem::path &file) {
    std::string text;
    if (auto problem = readTextFile(file, kMaxSceneFileBytes, "a scene file", text))
        throw SceneError(shownPath(file) + ": " + *problem);
    return text;
}

void writeScene(const std::filesystem::path &file, const Scene &scene) {
    std::string text;
    try {
        text = formatScene(scene);
    } catch (const SceneError &e) {
        throw SceneError(shownPath(file) + ": " + e.what());
    }
    writeSceneText(file, text);
}

void writeSceneText(const std::filesystem::path &file, std::string_view text) {
    try {
        writeFileAtomically(file, text);
    } catch (const std::exception &e) {
        throw SceneError(e.what());
    }
}

}  // namespace tavi::host
