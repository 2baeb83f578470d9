// Whole-number options read as people write them. CLI11 on its own reads
// "050" as octal (40) and "0x32" as hex, and calls "09" or "50.5" out of
// range; here a value is decimal digits, with a minus sign at most, or it
// is refused as not a whole decimal number.
#pragma once

#include <CLI/CLI.hpp>

namespace tavi::cli {

// For Option::transform: refuses what is not a whole decimal number in
// min..max, and hands on the number without leading zeros.
CLI::Validator decimalInRange(long long min, long long max);

}  // namespace tavi::cli
