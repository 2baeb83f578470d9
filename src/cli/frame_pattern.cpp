#include "cli/frame_pattern.h"

#include <optional>
#include <string_view>

#include "cli/usage_error.h"
#include "host/base/shown_text.h"

namespace tavi::cli {

namespace {

constexpr std::size_t kShownPatternBytes = 24;

std::string padded(const std::string &digits, std::size_t width) {
    return digits.size() < width ? std::string(width - digits.size(), '0') + digits : digits;
}

// A pattern that asks for no digits or for more than a frame number can
// use; `pattern` is the part that asks, such as "%0300d".
[[noreturn]] void refuseWidth(std::string_view pattern) {
    throw UsageError("the frame pattern " + host::shownText(pattern, kShownPatternBytes) +
                     " asks for a width outside 1 to " + std::to_string(kMaxPatternWidth) + " digits");
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Where the file name starts: a pattern is looked for there only.
std::size_t nameStart(const std::string &output) {
    const std::size_t slash = output.rfind('/');
    return slash == std::string::npos ? 0 : slash + 1;
}

[[noreturn]] void refuseTwo(const std::string &output) {
    throw UsageError("the name " + host::shownText(output, host::kShownWhole) +
                     " holds more than one frame pattern; one frame number goes into a name");
}

// A printf conversion "%[0][width]d" starting at `at`, which holds '%'.
struct Conversion {
    std::size_t end = 0;  // one past the 'd'
    bool zeroPadded = false;
    std::string_view width;  // the digits of the width, if any
};

std::optional<Conversion> conversionAt(const std::string &text, std::size_t at) {
    std::size_t i = at + 1;
    Conversion c;
    if (i < text.size() && text[i] == '0') {
        c.zeroPadded = true;
        ++i;
    }
    const std::size_t widthBegin = i;
    while (i < text.size() && isDigit(text[i])) ++i;
    if (i >= text.size() || text[i] != 'd') return std::nullopt;
    c.width = std::string_view(text).substr(widthBegin, i - widthBegin);
    c.end = i + 1;
    return c;
}

// The text of a printf pattern with "%%" made '%' and its one conversion
// replaced by `number`; nothing when it holds no conversion. With no
// number, only checks the pattern.
std::optional<std::string> printfExpanded(const std::string &output, const std::string *number) {
    std::string result;
    bool converted = false;
    for (std::size_t i = 0; i < output.size();) {
        if (output[i] != '%') {
            result += output[i++];
            continue;
        }
        if (i + 1 < output.size() && output[i + 1] == '%') {
            result += '%';
            i += 2;
            continue;
        }
        const std::optional<Conversion> c = conversionAt(output, i);
        if (!c) {
            result += output[i++];
            continue;
        }
        if (converted) refuseTwo(output);
        converted = true;
        // "%d" and "%0d" ask for no width; without the 0 there is no padding
        // either, as spaces have no place in a file name.
        std::size_t width = 0;
        if (!c->width.empty()) {
            if (c->width.size() > 2) refuseWidth(std::string_view(output).substr(i, c->end - i));
            width = std::size_t(std::stoul(std::string(c->width)));
            if (width < 1 || width > kMaxPatternWidth) refuseWidth(std::string_view(output).substr(i, c->end - i));
        }
        if (number) result += padded(*number, c->zeroPadded ? width : 0);
        i = c->end;
    }
    if (!converted) return std::nullopt;
    return result;
}

}  // namespace

bool isFramePattern(const std::string &output) {
    const std::size_t start = nameStart(output);
    if (output.find('#', start) != std::string::npos) return true;
    for (std::size_t i = output.find('%', start); i != std::string::npos; i = output.find('%', i)) {
        if (i + 1 < output.size() && output[i + 1] == '%') {
            i += 2;
            continue;
        }
        if (conversionAt(output, i)) return true;
        ++i;
    }
    return false;
}

std::string expandPattern(const std::string &output, const std::string &number) {
    const std::size_t start = nameStart(output);
    const std::string folder = output.substr(0, start), name = output.substr(start);
    const std::size_t hash = name.find('#');
    if (hash != std::string::npos) {
        std::size_t end = hash;
        while (end < name.size() && name[end] == '#') ++end;
        if (name.find('#', end) != std::string::npos || printfExpanded(name, nullptr)) refuseTwo(output);
        if (end - hash > kMaxPatternWidth) refuseWidth(std::string_view(name).substr(hash, end - hash));
        return folder + name.substr(0, hash) + padded(number, end - hash) + name.substr(end);
    }
    if (std::optional<std::string> expanded = printfExpanded(name, &number)) return folder + *expanded;
    return output;
}

}  // namespace tavi::cli
