#include "cli/decimal_option.h"

#include <charconv>

namespace tavi::cli {

CLI::Validator decimalInRange(long long min, long long max) {
    const std::string range = std::to_string(min) + " to " + std::to_string(max);
    return CLI::Validator(
        [min, max, range](std::string &input) -> std::string {
            std::string_view digits = input;
            if (digits.starts_with('-')) digits.remove_prefix(1);
            const bool decimal = !digits.empty() && digits.find_first_not_of("0123456789") == std::string_view::npos;
            if (!decimal) return "Value " + input + " is not a whole decimal number (" + range + ")";
            long long value = 0;
            const auto [end, fault] = std::from_chars(input.data(), input.data() + input.size(), value);
            if (fault != std::errc() || end != input.data() + input.size() || value < min || value > max)
                return "Value " + input + " not in range " + range;
            input = std::to_string(value);
            return {};
        },
        "INT in " + range);
}

}  // namespace tavi::cli
