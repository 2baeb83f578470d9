#include "host/base/shown_text.h"

namespace tavi::host {

std::string shownText(std::string_view text, std::size_t maxBytes) {
    std::string_view head = text;
    if (head.size() > maxBytes) {
        std::size_t cut = maxBytes;
        while (cut > 0 && (static_cast<unsigned char>(head[cut]) & 0xC0) == 0x80) --cut;
        head = head.substr(0, cut);
    }
    static const char digits[] = "0123456789abcdef";
    std::string result;
    result.reserve(head.size() + 3);
    for (char c : head) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (c == '\t')
            result += "\\t";
        else if (byte < 0x20 || byte == 0x7F)
            result += std::string("\\x") + digits[byte >> 4] + digits[byte & 15];
        else
            result += c;
    }
    if (head.size() < text.size()) result += "...";
    return result;
}

std::string shownPath(const std::filesystem::path &path) { return shownText(path.native(), kShownWhole); }

}  // namespace tavi::host
