// How far each picture is from a reference, by the host's error figures
// (host/pictures/image_metrics.h): PSNR over all pixels and over the
// reference's edge pixels. For the Blender benchmark, which renders with
// Blender's anti-aliasing choices and Tavi and compares each with the
// 32-sample render.
//
//     image_error REFERENCE PICTURE...
//
// One line a picture: its name, PSNR overall, PSNR on edges, the number of
// edge pixels (dB; "identical" where nothing differs).
#include <cstdio>

#include "host/files/image_io.h"
#include "host/pictures/image_metrics.h"

namespace {

bool load(const char *path, tavi::host::RgbaImage &image) {
    auto loaded = tavi::host::files::readImage(path);
    if (!loaded) {
        std::fprintf(stderr, "image_error: %s\n", loaded.error().c_str());
        return false;
    }
    image = std::move(loaded->image);
    return true;
}

}  // namespace

int main(int argc, char **argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: image_error REFERENCE PICTURE...\n");
        return 2;
    }
    tavi::host::RgbaImage reference;
    if (!load(argv[1], reference)) return 1;
    for (int i = 2; i < argc; ++i) {
        tavi::host::RgbaImage picture;
        if (!load(argv[i], picture)) return 1;
        try {
            const tavi::host::pictures::PsnrReport report = tavi::host::pictures::measureAgainst(picture, reference);
            std::printf("%s\t%s\t%s\t%zu\n", argv[i], tavi::host::pictures::formatDecibels(report.overall).c_str(),
                        tavi::host::pictures::formatDecibels(report.edges).c_str(), report.edgePixelCount);
        } catch (const std::exception &e) {
            std::fprintf(stderr, "image_error: %s: %s\n", argv[i], e.what());
            return 1;
        }
    }
    return 0;
}
