// The host's side of an instance's settings: the block a filter writes with
// its save callback and reads back with its load callback, held in memory.
#pragma once

#include <string>
#include <string_view>

#include "tavi56/host/host_records.h"

namespace tavi::host {

class SettingsBlock {
public:
    SettingsBlock() = default;
    explicit SettingsBlock(std::string_view bytes) : bytes_(bytes) {}

    // Records for the filter's save and load callbacks; they point at this
    // block and are valid while it lives.
    const SettingsWriter *writer();
    const SettingsReader *reader();

    // Everything the filter wrote, as written.
    const std::string &bytes() const { return bytes_; }
    // The text up to the first NUL: the settings line itself.
    std::string line() const;

private:
    static int write(void *context, const char *buffer, int length);
    static int read(void *context, char *buffer, int maximum);

    std::string bytes_;
    SettingsWriter writer_{};
    SettingsReader reader_{};
};

}  // namespace tavi::host
