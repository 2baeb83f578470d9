#include "host/loader/settings_block.h"

#include <algorithm>
#include <cstring>

namespace tavi::host {

const SettingsWriter *SettingsBlock::writer() {
    writer_ = {this, &SettingsBlock::write};
    return &writer_;
}

const SettingsReader *SettingsBlock::reader() {
    reader_ = {this, &SettingsBlock::read};
    return &reader_;
}

std::string SettingsBlock::line() const { return bytes_.substr(0, bytes_.find('\0')); }

int SettingsBlock::write(void *context, const char *buffer, int length) {
    auto *self = static_cast<SettingsBlock *>(context);
    self->bytes_.assign(buffer, static_cast<std::size_t>(std::max(length, 0)));
    return length;
}

int SettingsBlock::read(void *context, char *buffer, int maximum) {
    const auto *self = static_cast<SettingsBlock *>(context);
    if (maximum <= 0) return 0;
    // A stored line shorter than the block is handed back NUL-terminated.
    const std::size_t room = static_cast<std::size_t>(maximum);
    const std::size_t n = std::min(self->bytes_.size(), room);
    std::memcpy(buffer, self->bytes_.data(), n);
    if (n < room) buffer[n] = '\0';
    return static_cast<int>(n);
}

}  // namespace tavi::host
