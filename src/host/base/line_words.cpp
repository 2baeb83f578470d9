#include "host/base/line_words.h"

#include <charconv>

namespace tavi::host {

std::string_view trim(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

std::string_view firstWord(std::string_view text, std::string_view &rest) {
    const auto space = text.find_first_of(" \t");
    if (space == std::string_view::npos) {
        rest = {};
        return text;
    }
    rest = trim(text.substr(space));
    return text.substr(0, space);
}

std::vector<std::string_view> words(std::string_view text) {
    std::vector<std::string_view> found;
    while (!text.empty()) {
        std::string_view rest;
        found.push_back(firstWord(text, rest));
        text = rest;
    }
    return found;
}

std::optional<int> wholeNumber(std::string_view text) {
    int value = 0;
    const char *end = text.data() + text.size();
    const auto [stop, fault] = std::from_chars(text.data(), end, value);
    if (fault != std::errc() || stop != end || text.empty()) return std::nullopt;
    return value;
}

}  // namespace tavi::host
