#include "lib/python/strided_pixels.h"

#include <climits>

namespace tavi::python {

std::optional<host::frame::PixelView> stridedPixels(pybind11::array &array, host::frame::SampleType samples) {
    const pybind11::ssize_t channelStride = array.strides(2);
    const pybind11::ssize_t lastChannel = channelStride * (array.shape(2) - 1);
    if (lastChannel > INT_MAX || lastChannel < INT_MIN) return std::nullopt;
    host::frame::PixelView view;
    view.data = array.mutable_data();
    view.setType(samples);
    view.height = int(array.shape(0));
    view.width = int(array.shape(1));
    view.rowStride = array.strides(0);
    view.pixelStride = array.strides(1);
    for (int c = 0; c < 3; ++c) view.channel[c] = int(channelStride * c);
    view.channel[3] = array.shape(2) == 4 ? int(channelStride * 3) : -1;
    return view;
}

}  // namespace tavi::python
