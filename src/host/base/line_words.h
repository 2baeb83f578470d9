// Reading the line-based text files of the host (scene files, panel
// scripts, synthetic input): blanks are spaces and tabs, and a carriage
// return at a line's end is ignored.
#pragma once

#include <optional>
#include <string_view>
#include <vector>

namespace tavi::host {

// Whether `c` separates words.
inline bool isBlank(char c) { return c == ' ' || c == '\t'; }

// `text` without leading and trailing blanks and carriage returns.
std::string_view trim(std::string_view text);

// Splits off the first word of `text`; `rest` keeps what follows, trimmed.
std::string_view firstWord(std::string_view text, std::string_view &rest);

// The words of `text`, which must be trimmed.
std::vector<std::string_view> words(std::string_view text);

// A whole decimal number with an optional minus sign, filling all of
// `text`; nothing when it is not one or does not fit an int.
std::optional<int> wholeNumber(std::string_view text);

}  // namespace tavi::host
