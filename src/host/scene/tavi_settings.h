// The settings line of the Tavi filter as the host builds it: three
// integers, "target strength threshold". The host writes such a line and
// hands it to the filter's load callback; it never touches the instance.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tavi::host {

struct TaviSettings {
    enum Target { RgbOnly = 0, AlphaOnly = 1, Rgba = 2 };

    int target = Rgba;
    int strength = 100;  // percent
    int threshold = 224;

    // The three numbers of a line, or nothing when it does not hold three.
    static std::optional<TaviSettings> parse(std::string_view line);
    std::string line() const;
    bool operator==(const TaviSettings &) const = default;
};

}  // namespace tavi::host
