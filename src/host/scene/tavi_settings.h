// The settings line of the Tavi filter as the host builds it: three
// integers, "target strength threshold". The host writes such a line and
// hands it to the filter's load callback; it never touches the instance.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tavi::host {

struct TaviSettings {
    enum Target {
        RgbOnly = 0,
        AlphaOnly = 1,
        Rgba = 2
    };

    // What the settings panel offers.
    static constexpr int kMaxTarget = Rgba;
    static constexpr int kMaxStrength = 100;
    static constexpr int kMaxThreshold = 256;

    int target = Rgba;
    int strength = 100;  // percent
    int threshold = 224;

    // The numbers of a line that is three decimal integers apart by blanks
    // and nothing else, as the filter writes it; nothing for any other line.
    static std::optional<TaviSettings> parse(std::string_view line);
    // What is wrong with a line a scene holds for the filter: not three
    // decimal integers, or one outside the panel's ranges. Nothing when the
    // line is fine.
    static std::optional<std::string> problemWith(std::string_view line);
    std::string line() const;
    bool operator==(const TaviSettings &) const = default;
};

}  // namespace tavi::host
