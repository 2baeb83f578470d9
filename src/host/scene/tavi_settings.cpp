#include "host/scene/tavi_settings.h"

#include <vector>

#include "host/base/line_words.h"
#include "host/base/shown_text.h"

namespace tavi::host {

namespace {

bool decimal(std::string_view word) {
    if (word.starts_with('-')) word.remove_prefix(1);
    if (word.empty()) return false;
    for (char c : word)
        if (c < '0' || c > '9') return false;
    return true;
}

}  // namespace

std::optional<TaviSettings> TaviSettings::parse(std::string_view line) {
    const std::vector<std::string_view> numbers = words(trim(line));
    if (numbers.size() != 3) return std::nullopt;
    int values[3];
    for (int i = 0; i < 3; ++i) {
        const std::optional<int> value = decimal(numbers[i]) ? wholeNumber(numbers[i]) : std::nullopt;
        if (!value) return std::nullopt;
        values[i] = *value;
    }
    return TaviSettings{values[0], values[1], values[2]};
}

std::optional<std::string> TaviSettings::problemWith(std::string_view line) {
    const std::vector<std::string_view> numbers = words(trim(line));
    const std::string expected = "the Tavi settings are three whole numbers, target (0 to " +
                                 std::to_string(kMaxTarget) + "), strength (0 to " + std::to_string(kMaxStrength) +
                                 ") and threshold (0 to " + std::to_string(kMaxThreshold) + ")";
    if (numbers.size() != 3) return expected + ", not \"" + shownText(trim(line)) + "\"";
    const char *names[3] = {"target", "strength", "threshold"};
    const int limits[3] = {kMaxTarget, kMaxStrength, kMaxThreshold};
    for (int i = 0; i < 3; ++i) {
        const std::string_view word = numbers[i];
        if (!decimal(word)) return expected + "; \"" + shownText(word) + "\" is not a decimal integer";
        const std::optional<int> value = wholeNumber(word);
        if (!value || *value < 0 || *value > limits[i])
            return std::string(names[i]) + " " + shownText(word) + " is outside 0 to " + std::to_string(limits[i]);
    }
    return std::nullopt;
}

std::string TaviSettings::line() const {
    return std::to_string(target) + ' ' + std::to_string(strength) + ' ' + std::to_string(threshold);
}

}  // namespace tavi::host
