// Opening image files for reading, and what a reader's description says:
// the checks before a reader is handed a file, its samples' types, its
// alpha's meaning, pictures that cannot be taken.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/files/image_io.h"
#include "host/files/oiio.h"
#include "host/frame/render_frame.h"

namespace tavi::host::files {

bool tooLarge(long long width, long long height);

// Attributes that describe how a reader stored pixels, not the picture.
bool describesStorage(std::string_view name);

// The frame's sample type for a type OpenImageIO reads, if there is one.
std::optional<frame::SampleType> sampleTypeOf(OIIO::TypeDesc type);

// How a file is opened for reading.
struct ReaderSettings {
    // Colour as stored, never premultiplied on the way in.
    bool keepStraight = true;
    // CMYK and CIELAB as stored, not converted to RGB.
    bool rawColour = false;
};

// Opens an image file for reading after refusing what is not a regular
// file, cannot be read, or would take the reader down. Returns the reader
// or the message, which names the file and, where a reader takes the
// file, says it is damaged.
IoResult<std::unique_ptr<OIIO::ImageInput>> openStored(const std::filesystem::path &path,
                                                       const ReaderSettings &settings = {});

// The whole of a file's bytes; empty where it cannot be read.
std::vector<unsigned char> fileBytes(const std::filesystem::path &path);

// Why the pictures of a subimage cannot be taken: deep or volume data, no
// pixels, too many pixels.
std::optional<std::string> pictureProblem(const OIIO::ImageSpec &spec);

// Readers asked to keep alpha unassociated say so when the file's is.
bool alphaAssociated(const OIIO::ImageSpec &spec);

}  // namespace tavi::host::files
