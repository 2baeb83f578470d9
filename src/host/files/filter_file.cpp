#include "host/files/filter_file.h"

#include <new>

#include "host/files/input_checks.h"

namespace tavi::host::files {

IoResult<FilteredFile> filterFile(const std::filesystem::path &input, const std::filesystem::path &output,
                                  ReadRequest request, const FilterStoredPixels &filter, const NoticeSink &notice,
                                  const Encoding &encoding) {
    using Result = IoResult<FilteredFile>;
    IoResult<OutputFormat> format = outputFormatFor(output);
    if (!format)
        return Result::failure(input.string() + ": cannot write " + output.string() + " (" + format.error() + ")");
    request.output = format.value();

    IoResult<LoadedStored> loaded = readStored(input, request);
    if (!loaded) return Result::failure(loaded.error());
    for (const std::string &line : loaded->notices) notice(line);

    const StoredImage &image = loaded->image;
    std::size_t changed = 0;
    try {
        changed = filter(image.pixels(), image.form());
    } catch (const std::bad_alloc &) {
        const frame::PixelView pixels = image.pixels();
        const std::uint64_t needed =
            frameBytesNeeded(pixels.width, pixels.height, image.storedBytes(), request.filters);
        return Result::failure(input.string() + ": " + notEnoughMemory(pixels.width, pixels.height, needed));
    }

    IoResult<std::vector<std::string>> written = writeStored(output, image, changed, encoding);
    if (!written) return Result::failure(written.error());
    for (const std::string &line : written.value()) notice(line);
    const frame::PixelView pixels = image.pixels();
    return FilteredFile{pixels.width, pixels.height, changed};
}

}  // namespace tavi::host::files
