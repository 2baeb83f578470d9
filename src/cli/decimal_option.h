// Option values read as people write them, each refused in our words after
// the option's name ("--strength: 150 is not in the range 0 to 100").
// CLI11 on its own reads "050" as octal (40) and "0x32" as hex, and calls
// "09" or "50.5" out of range; here a whole number is decimal digits, with
// a minus sign at most, or it is refused as not a whole decimal number.
#pragma once

#include <CLI/CLI.hpp>

#include <initializer_list>
#include <string>

namespace tavi::cli {

// For Option::transform: refuses what is not a whole decimal number in
// min..max, and hands on the number without leading zeros.
CLI::Validator decimalInRange(long long min, long long max);

// For Option::check: refuses a word that is not one of `words`.
CLI::Validator oneOf(std::initializer_list<std::string> words);

// For Option::check: seconds as a decimal number, 0 (none) or from `least`
// to `most`; refuses "nan", "inf", hex and what lies between 0 and `least`.
CLI::Validator zeroOrSeconds(double least, double most);

}  // namespace tavi::cli
