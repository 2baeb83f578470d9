#include "lib/python/strided_pixels.h"

#include <climits>

namespace tavi::python {

std::optional<host::frame::PixelView> stridedPixels(pybind11::array &array, host::frame::SampleType samples) {
    const pybind11::ssize_t channels = array.shape(2);
    const pybind11::ssize_t channelStride = array.strides(2);
    const pybind11::ssize_t lastChannel = channelStride * (channels - 1);
    if (lastChannel > INT_MAX || lastChannel < INT_MIN) return std::nullopt;
    // The view's channel offsets count from the pixel's lowest address: an
    // offset below 0 would read as "no alpha". Channels in reverse order
    // (image[..., ::-1]) are reached from their last, which lies lowest.
    const pybind11::ssize_t lowest = channelStride < 0 ? lastChannel : 0;
    host::frame::PixelView view;
    view.data = static_cast<unsigned char *>(array.mutable_data()) + lowest;
    view.setType(samples);
    view.height = int(array.shape(0));
    view.width = int(array.shape(1));
    view.rowStride = array.strides(0);
    view.pixelStride = array.strides(1);
    for (int c = 0; c < 3; ++c) view.channel[c] = int(channelStride * c - lowest);
    view.channel[3] = channels == 4 ? int(channelStride * 3 - lowest) : -1;
    return view;
}

}  // namespace tavi::python
