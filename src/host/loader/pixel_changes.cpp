#include "host/loader/pixel_changes.h"

#include <algorithm>
#include <cstring>

namespace tavi::host {

bool PixelChanges::writtenBefore(std::size_t index) {
    if (written_.empty()) {
        written_.assign(pixels_, false);
        for (const Write &write : writes_) written_[write.index] = true;
    }
    return written_[index];
}

void PixelChanges::startWrite(std::size_t index) {
    if (writes_.empty() || index > highest_) highest_ = index;
    if (!written_.empty()) written_[index] = true;
    writes_.push_back(Write{index, {}, 0});
}

std::vector<frame::ChangedPixel> PixelChanges::collect() {
    // A filter writes pixel after pixel: the writes are mostly in order
    // already. Stable, so a pixel's writes keep the order they came in.
    const auto byIndex = [](const Write &a, const Write &b) { return a.index < b.index; };
    if (!std::is_sorted(writes_.begin(), writes_.end(), byIndex))
        std::stable_sort(writes_.begin(), writes_.end(), byIndex);

    std::vector<frame::ChangedPixel> changes;
    changes.reserve(writes_.size());
    for (auto write = writes_.begin(); write != writes_.end();) {
        frame::ChangedPixel pixel{write->index, {}};
        std::uint8_t input[4];
        for (int c = 0; c < 4; ++c) input[c] = pixel.rgba[c] = input_[c][pixel.index];
        for (; write != writes_.end() && write->index == pixel.index; ++write)
            for (int c = 0; c < 4; ++c)
                if (write->mask & (1u << c)) pixel.rgba[c] = write->rgba[c];
        if (std::memcmp(pixel.rgba, input, 4) != 0) changes.push_back(pixel);
    }
    writes_.clear();
    writes_.shrink_to_fit();
    return changes;
}

}  // namespace tavi::host
