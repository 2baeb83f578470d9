#include "cli/decimal_option.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <vector>

namespace tavi::cli {

namespace {

// "0.1", "86400": a number as the user would write it.
std::string written(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

}  // namespace

CLI::Validator decimalInRange(long long min, long long max) {
    const std::string range = std::to_string(min) + " to " + std::to_string(max);
    return CLI::Validator(
        [min, max, range](std::string &input) -> std::string {
            std::string_view digits = input;
            if (digits.starts_with('-')) digits.remove_prefix(1);
            const bool decimal = !digits.empty() && digits.find_first_not_of("0123456789") == std::string_view::npos;
            if (!decimal) return "\"" + input + "\" is not a whole decimal number (" + range + ")";
            long long value = 0;
            const auto [end, fault] = std::from_chars(input.data(), input.data() + input.size(), value);
            if (fault != std::errc() || end != input.data() + input.size() || value < min || value > max)
                return input + " is not in the range " + range;
            input = std::to_string(value);
            return {};
        },
        "INT in " + range);
}

CLI::Validator oneOf(std::initializer_list<std::string> words) {
    std::vector<std::string> known(words);
    std::string listed, shown;
    for (std::size_t i = 0; i < known.size(); ++i) {
        listed += (i == 0 ? "" : i + 1 == known.size() ? " or " : ", ") + known[i];
        shown += (i == 0 ? "" : "|") + known[i];
    }
    return CLI::Validator(
        [known, listed](std::string &input) -> std::string {
            for (const std::string &word : known)
                if (input == word) return {};
            return "\"" + input + "\" is none of " + listed;
        },
        shown);
}

CLI::Validator zeroOrSeconds(double least, double most) {
    const std::string range = "0 for none, or " + written(least) + " to " + written(most) + " seconds";
    return CLI::Validator(
        [least, most, range](std::string &input) -> std::string {
            const bool decimal = !input.empty() && input.find_first_not_of("0123456789.eE+-") == std::string::npos;
            double value = 0;
            const auto [end, fault] = std::from_chars(input.data(), input.data() + input.size(), value);
            if (!decimal || fault == std::errc::invalid_argument || end != input.data() + input.size() ||
                !std::isfinite(value))
                return "\"" + input + "\" is not a number of seconds (" + range + ")";
            if (value == 0 && fault == std::errc()) return {};
            // Anything near 0 but 0 would ask for more lines than a log
            // can take.
            if (fault != std::errc() || value < least || value > most)
                return input + " is out of range (" + range + ")";
            return {};
        },
        "");
}

}  // namespace tavi::cli
