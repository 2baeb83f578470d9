#include "host/scene/tavi_settings.h"

#include <charconv>

namespace tavi::host {

std::optional<TaviSettings> TaviSettings::parse(std::string_view line) {
    int values[3];
    const char *p = line.data();
    const char *end = line.data() + line.size();
    for (int &v : values) {
        while (p != end && (*p == ' ' || *p == '\t')) ++p;
        if (p != end && *p == '+') ++p;
        const auto [next, ec] = std::from_chars(p, end, v);
        if (ec != std::errc()) return std::nullopt;
        p = next;
    }
    return TaviSettings{values[0], values[1], values[2]};
}

std::string TaviSettings::line() const {
    return std::to_string(target) + ' ' + std::to_string(strength) + ' ' + std::to_string(threshold);
}

}  // namespace tavi::host
