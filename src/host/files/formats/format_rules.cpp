#include "host/files/formats/format_rules.h"

#include <algorithm>
#include <charconv>
#include <cctype>
#include <memory>
#include <mutex>
#include <unordered_map>

#include "host/files/formats/format_list.h"

namespace tavi::host::files {

CompressionAsked CompressionAsked::of(std::string_view text) {
    CompressionAsked asked;
    const std::size_t colon = text.find(':');
    asked.name = std::string(text.substr(0, colon));
    if (colon != std::string_view::npos) {
        const std::string_view digits = text.substr(colon + 1);
        int level = 0;
        const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), level);
        // A level that is no whole number is kept as none, which no
        // compression's range holds: compressionProblem says so.
        asked.level = error == std::errc() && end == digits.data() + digits.size() && !digits.empty()
                          ? std::optional<int>(level)
                          : std::optional<int>(-1);
    }
    return asked;
}

namespace {

std::string listed(const std::vector<CompressionEntry> &entries) {
    std::string text;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        text += std::string(i == 0 ? "" : i + 1 == entries.size() ? " or " : ", ") + std::string(entries[i].name);
        if (entries[i].lowest <= entries[i].highest)
            text += "[:" + std::to_string(entries[i].lowest) + "-" + std::to_string(entries[i].highest) + "]";
    }
    return text;
}

}  // namespace

std::optional<std::string> FormatRules::compressionProblem(const CompressionAsked &asked) const {
    const std::vector<CompressionEntry> known = compressions();
    const auto entry =
        std::find_if(known.begin(), known.end(), [&](const CompressionEntry &e) { return e.name == asked.name; });
    if (entry == known.end()) {
        if (known.empty()) return title_ + " files are written one way only: --compression names nothing for them";
        return title_ + " files have no compression " + asked.name + " that OpenImageIO writes (" + listed(known) + ")";
    }
    if (!asked.level) return std::nullopt;
    if (entry->lowest > entry->highest) return asked.name + " compression takes no level";
    if (*asked.level < entry->lowest || *asked.level > entry->highest)
        return "the level of " + asked.name + " compression is a whole number from " + std::to_string(entry->lowest) +
               " to " + std::to_string(entry->highest);
    return std::nullopt;
}

namespace {

const std::vector<std::unique_ptr<FormatRules>> &known() {
    static const std::vector<std::unique_ptr<FormatRules>> every = everyFormatsRules();
    return every;
}

}  // namespace

const FormatRules &rulesFor(std::string_view format) {
    for (const auto &rules : known())
        if (rules->name() == format) return *rules;
    // Formats without rules of their own: titled by their name, in capitals.
    static std::unordered_map<std::string, std::unique_ptr<FormatRules>> others;
    static std::mutex othersLock;
    const std::lock_guard<std::mutex> lock(othersLock);
    auto &plain = others[std::string(format)];
    if (!plain) {
        std::string title(format);
        for (char &c : title) c = char(std::toupper(static_cast<unsigned char>(c)));
        plain = std::make_unique<FormatRules>(std::string(format), title);
    }
    return *plain;
}

bool anotherFormatsAttribute(std::string_view attribute, std::string_view format) {
    static const std::pair<std::string_view, std::string_view> prefixes[] = {
        {"png:", "png"},     {"tiff:", "tiff"}, {"targa:", "targa"}, {"openexr:", "openexr"},
        {"exr:", "openexr"}, {"jpeg:", "jpeg"}, {"bmp:", "bmp"},     {"gif:", "gif"}};
    for (const auto &[prefix, owner] : prefixes)
        if (attribute.starts_with(prefix)) return owner != format;
    return false;
}

}  // namespace tavi::host::files
