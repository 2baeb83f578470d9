// Text a user gave (a word of a file, a file name, an option's value) as a
// message shows it: control characters and NUL escaped, so that a name
// cannot move the cursor, clear the terminal or end a C string early; and,
// for words, cut when it runs long, so that a message stays one short line.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace tavi::host {

// How many bytes of a word a message shows before "...".
constexpr std::size_t kShownWordBytes = 40;
// For text shown whole, such as a file name.
constexpr std::size_t kShownWhole = std::string_view::npos;

// `text` with tabs as \t, other bytes below 0x20, NUL and 0x7F as \xNN, and
// everything past `maxBytes` (never inside a UTF-8 character) replaced by
// "...". Text without control characters comes back as it was, so showing
// shown text again changes nothing.
std::string shownText(std::string_view text, std::size_t maxBytes = kShownWordBytes);

// A file name as messages show it: whole, control characters escaped.
std::string shownPath(const std::filesystem::path &path);

}  // namespace tavi::host
