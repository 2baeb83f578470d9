// Image files on disk: what comes in, what goes out, and what happens when
// either fails.
#include "host/files/image_io.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <limits>

#include "support/png_maker.h"
#include "support/scratch_folder.h"

namespace tavi::host {
namespace {

using test::PngColour;
using test::PngPicture;
using test::ScratchFolder;

// Every value in every channel, alpha 0 under coloured pixels included:
// any multiplying or dividing by alpha on the way would show.
RgbaImage patterned(int width, int height) {
    RgbaImage image(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            std::uint8_t *p = image.at(x, y);
            p[0] = std::uint8_t(x * 37 + y * 11);
            p[1] = std::uint8_t(x * 5 + y * 91);
            p[2] = std::uint8_t((x ^ y) * 7);
            p[3] = std::uint8_t(x * 13 + y * 29);
        }
    }
    return image;
}

PngPicture pngOf(const RgbaImage &image) {
    PngPicture png{image.width, image.height, PngColour::Rgba, 8, {}, {}};
    png.samples.assign(image.rgba.begin(), image.rgba.end());
    return png;
}

bool startsWith(const std::string &text, const std::string &prefix) { return text.rfind(prefix, 0) == 0; }

bool contains(const std::vector<std::string> &lines, const std::string &part) {
    for (const auto &line : lines) {
        if (line.find(part) != std::string::npos) return true;
    }
    return false;
}

class ImageIoRead : public ::testing::Test {
protected:
    ScratchFolder folder;
};

TEST_F(ImageIoRead, EightBitRgbaPngRoundTripsBitExact) {
    const RgbaImage original = patterned(61, 23);
    test::writeBytes(folder / "in.png", test::encodePng(pngOf(original)));

    auto loaded = files::readImage(folder / "in.png");
    ASSERT_TRUE(loaded) << loaded.error();
    EXPECT_EQ(loaded->image, original);
    EXPECT_EQ(loaded->info.fileFormat, "png");
    EXPECT_EQ(loaded->info.channels, 4);
    EXPECT_TRUE(loaded->info.hasAlpha);
    EXPECT_EQ(loaded->info.sampleType, "uint8");
    EXPECT_TRUE(loaded->notices.empty());

    auto written = files::writeImage(folder / "out.png", loaded->image, {loaded->info.hasAlpha});
    ASSERT_TRUE(written) << written.error();
    EXPECT_TRUE(written->empty());
    const auto header = test::readPngHeader(folder / "out.png");
    EXPECT_EQ(header.colour, PngColour::Rgba);
    EXPECT_EQ(header.bitDepth, 8);

    auto again = files::readImage(folder / "out.png");
    ASSERT_TRUE(again) << again.error();
    EXPECT_EQ(again->image, original);
}

TEST_F(ImageIoRead, RgbPngGetsOpaqueAlphaAndIsWrittenBackAsRgb) {
    PngPicture png{3, 2, PngColour::Rgb, 8, {10, 20, 30, 40, 50, 60, 70, 80, 90, 0, 128, 255, 1, 2, 3, 250, 251, 252},
                   {}};
    test::writeBytes(folder / "rgb.png", test::encodePng(png));

    auto loaded = files::readImage(folder / "rgb.png");
    ASSERT_TRUE(loaded) << loaded.error();
    EXPECT_FALSE(loaded->info.hasAlpha);
    EXPECT_EQ(loaded->info.channels, 3);
    const std::vector<std::uint8_t> expected{10, 20,  30,  255, 40, 50, 60, 255, 70,  80,  90,  255,
                                             0,  128, 255, 255, 1,  2,  3,  255, 250, 251, 252, 255};
    EXPECT_EQ(loaded->image.rgba, expected);

    ASSERT_TRUE(files::writeImage(folder / "out.png", loaded->image, {loaded->info.hasAlpha}));
    const auto header = test::readPngHeader(folder / "out.png");
    EXPECT_EQ(header.colour, PngColour::Rgb);
    auto again = files::readImage(folder / "out.png");
    ASSERT_TRUE(again) << again.error();
    EXPECT_EQ(again->image.rgba, expected);
}

TEST_F(ImageIoRead, SixteenBitPngIsRoundedToNearestWithNotice) {
    // v / 65535 * 255 = v / 257: 128 gives 0.498, 129 gives 0.502, and so on.
    const std::vector<std::uint16_t> in{0, 128, 129, 257, 32767, 32768, 65406, 65407, 65535};
    const std::vector<std::uint8_t> out{0, 0, 1, 1, 127, 128, 254, 255, 255};
    PngPicture png{3, 1, PngColour::Rgb, 16, in, {}};
    test::writeBytes(folder / "deep.png", test::encodePng(png));

    auto loaded = files::readImage(folder / "deep.png");
    ASSERT_TRUE(loaded) << loaded.error();
    EXPECT_EQ(loaded->info.sampleType, "uint16");
    EXPECT_EQ(loaded->info.bitsPerSample, 16);
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(loaded->image.rgba[std::size_t(i / 3 * 4 + i % 3)], out[i]) << "sample " << in[i];
    ASSERT_EQ(loaded->notices.size(), 1u);
    EXPECT_EQ(loaded->notices[0],
              (folder / "deep.png").string() + ": converted from 16 bits per channel to 8 bits per channel");

    ASSERT_TRUE(files::writeImage(folder / "out.png", loaded->image, {loaded->info.hasAlpha}));
    EXPECT_EQ(test::readPngHeader(folder / "out.png").bitDepth, 8);
}

// A portable float map: three 32-bit floats a pixel, little-endian, rows
// bottom to top.
std::string floatMap(int width, int height, const std::vector<float> &rgb) {
    std::string file = "PF\n" + std::to_string(width) + " " + std::to_string(height) + "\n-1.0\n";
    for (int y = height - 1; y >= 0; --y) {
        const char *row = reinterpret_cast<const char *>(&rgb[std::size_t(y) * std::size_t(width) * 3]);
        file.append(row, std::size_t(width) * 3 * sizeof(float));
    }
    return file;
}

TEST_F(ImageIoRead, FloatsAreScaledRoundedAndClamped) {
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    test::writeBytes(folder / "light.pfm", floatMap(3, 1, {0.5f, 0.2f, 1.0f, -0.5f, 1.5f, nan, inf, -inf, 0.001f}));

    auto loaded = files::readImage(folder / "light.pfm");
    ASSERT_TRUE(loaded) << loaded.error();
    EXPECT_EQ(loaded->image.rgba, (std::vector<std::uint8_t>{128, 51, 255, 255, 0, 255, 0, 255, 255, 0, 0, 255}));
    EXPECT_FALSE(loaded->info.hasAlpha);
    ASSERT_EQ(loaded->notices.size(), 1u);
    EXPECT_EQ(loaded->notices[0],
              (folder / "light.pfm").string() + ": converted from 32-bit float to 8 bits per channel");
}

TEST_F(ImageIoRead, GreyscaleIsExpandedToRgb) {
    test::writeBytes(folder / "grey.png", test::encodePng({2, 1, PngColour::Grey, 8, {7, 200}, {}}));
    test::writeBytes(folder / "greyalpha.png", test::encodePng({2, 1, PngColour::GreyAlpha, 8, {7, 0, 200, 99}, {}}));

    auto grey = files::readImage(folder / "grey.png");
    ASSERT_TRUE(grey) << grey.error();
    EXPECT_EQ(grey->image.rgba, (std::vector<std::uint8_t>{7, 7, 7, 255, 200, 200, 200, 255}));
    EXPECT_EQ(grey->info.channels, 1);
    EXPECT_FALSE(grey->info.hasAlpha);
    EXPECT_TRUE(contains(grey->notices, "greyscale"));

    auto greyAlpha = files::readImage(folder / "greyalpha.png");
    ASSERT_TRUE(greyAlpha) << greyAlpha.error();
    EXPECT_EQ(greyAlpha->image.rgba, (std::vector<std::uint8_t>{7, 7, 7, 0, 200, 200, 200, 99}));
    EXPECT_EQ(greyAlpha->info.channels, 2);
    EXPECT_TRUE(greyAlpha->info.hasAlpha);

    ASSERT_TRUE(files::writeImage(folder / "out.png", greyAlpha->image, {greyAlpha->info.hasAlpha}));
    EXPECT_EQ(test::readPngHeader(folder / "out.png").colour, PngColour::Rgba);
}

class ImageIoFormats : public ::testing::Test {
protected:
    ScratchFolder folder;
    const RgbaImage original = patterned(37, 19);

    files::LoadedImage roundTrip(const std::string &name, const files::WriteOptions &options = {}) {
        auto written = files::writeImage(folder / name, original, options);
        EXPECT_TRUE(written) << written.error();
        auto loaded = files::readImage(folder / name);
        EXPECT_TRUE(loaded) << loaded.error();
        return loaded ? loaded.value() : files::LoadedImage{};
    }
};

TEST_F(ImageIoFormats, TiffTargaAndSgiRoundTripBitExact) {
    for (const std::string name : {"frame.tif", "frame.tga", "frame.sgi"}) {
        const files::LoadedImage loaded = roundTrip(name);
        EXPECT_EQ(loaded.image, original) << name;
        EXPECT_TRUE(loaded.info.hasAlpha) << name;
        EXPECT_EQ(loaded.info.sampleType, "uint8") << name;
        EXPECT_TRUE(loaded.notices.empty()) << name;
    }
}

TEST_F(ImageIoFormats, ExrIsWrittenAsHalfFloatAndReadsBackExactly) {
    const files::LoadedImage loaded = roundTrip("frame.exr");
    EXPECT_EQ(loaded.info.fileFormat, "openexr");
    EXPECT_EQ(loaded.info.sampleType, "half");
    EXPECT_EQ(loaded.image, original);
    ASSERT_EQ(loaded.notices.size(), 1u);
    EXPECT_EQ(loaded.notices[0], (folder / "frame.exr").string() + ": converted from half float to 8 bits per channel");
}

TEST_F(ImageIoFormats, WithoutAlphaWritesThreeChannels) {
    const files::LoadedImage loaded = roundTrip("frame.tif", files::WriteOptions{.withAlpha = false});
    EXPECT_EQ(loaded.info.channels, 3);
    EXPECT_FALSE(loaded.info.hasAlpha);
    for (std::size_t i = 0; i < original.rgba.size(); ++i) {
        const std::uint8_t expected = i % 4 == 3 ? 255 : original.rgba[i];
        ASSERT_EQ(loaded.image.rgba[i], expected) << "byte " << i;
    }
}

TEST_F(ImageIoFormats, JpegDropsAlphaAndSaysItIsLossy) {
    auto written = files::writeImage(folder / "frame.jpg", original);
    ASSERT_TRUE(written) << written.error();
    ASSERT_EQ(written->size(), 2u);
    for (const std::string &notice : written.value())
        EXPECT_TRUE(startsWith(notice, (folder / "frame.jpg").string() + ": "));
    EXPECT_NE(written->at(0).find("alpha"), std::string::npos);
    EXPECT_NE(written->at(1).find("JPEG is lossy: every pixel is encoded again at quality 95"), std::string::npos);
    auto loaded = files::readImage(folder / "frame.jpg");
    ASSERT_TRUE(loaded) << loaded.error();
    EXPECT_FALSE(loaded->info.hasAlpha);
    EXPECT_EQ(loaded->info.channels, 3);
}

class ImageIoErrors : public ::testing::Test {
protected:
    ScratchFolder folder;
};

TEST_F(ImageIoErrors, UnreadableInputsAreNamed) {
    const auto missing = folder / "missing.png";
    auto result = files::readImage(missing);
    ASSERT_FALSE(result);
    EXPECT_EQ(result.error(), missing.string() + ": no such file");

    auto folderResult = files::readImage(folder.path());
    ASSERT_FALSE(folderResult);
    EXPECT_EQ(folderResult.error(), folder.path().string() + ": is a folder, not an image file");

    test::writeBytes(folder / "bad.png", "this is not a picture at all, just some text");
    auto bad = files::readImage(folder / "bad.png");
    ASSERT_FALSE(bad);
    EXPECT_TRUE(startsWith(bad.error(), (folder / "bad.png").string() + ": not an image file OpenImageIO can read ("))
        << bad.error();

    test::writeBytes(folder / "empty.png", "");
    auto empty = files::readImage(folder / "empty.png");
    ASSERT_FALSE(empty);
    EXPECT_EQ(empty.error(), (folder / "empty.png").string() + ": is empty, not an image file");
}

TEST_F(ImageIoErrors, TruncatedFileIsRefused) {
    const std::string whole = test::encodePng(pngOf(patterned(64, 64)));
    test::writeBytes(folder / "cut.png", whole.substr(0, whole.size() / 2));
    auto result = files::readImage(folder / "cut.png");
    ASSERT_FALSE(result);
    EXPECT_TRUE(startsWith(result.error(), (folder / "cut.png").string() + ": ")) << result.error();
}

TEST_F(ImageIoErrors, ImageTooLargeIsRefusedBeforeAllocating) {
    test::writeBytes(folder / "huge.png", test::pngHeaderOnly(100000, 100000));
    auto result = files::readImage(folder / "huge.png");
    ASSERT_FALSE(result);
    EXPECT_TRUE(
        startsWith(result.error(), (folder / "huge.png").string() + ": image too large (100000 x 100000 pixels"))
        << result.error();
}

TEST_F(ImageIoErrors, UnwritableDestinationsAreNamed) {
    const RgbaImage image = patterned(4, 4);
    const auto noFolder = folder / "nowhere" / "out.png";
    auto result = files::writeImage(noFolder, image);
    ASSERT_FALSE(result);
    EXPECT_EQ(result.error(),
              noFolder.string() + ": cannot write (no such folder " + (folder / "nowhere").string() + ")");

    test::writeBytes(folder / "plain", "a file, not a folder");
    const auto underFile = folder / "plain" / "out.png";
    auto underFileResult = files::writeImage(underFile, image);
    ASSERT_FALSE(underFileResult);
    EXPECT_TRUE(startsWith(underFileResult.error(), underFile.string() + ": cannot write ("))
        << underFileResult.error();

    auto unknown = files::writeImage(folder / "out.notaformat", image);
    ASSERT_FALSE(unknown);
    EXPECT_EQ(unknown.error(),
              (folder / "out.notaformat").string() + ": cannot write (no image format has the extension .notaformat)");

    auto onFolder = files::writeImage(folder.path(), image);
    ASSERT_FALSE(onFolder);
    EXPECT_EQ(onFolder.error(), folder.path().string() + ": cannot write (is a folder)");

    auto empty = files::writeImage(folder / "empty.png", RgbaImage{});
    ASSERT_FALSE(empty);
    EXPECT_TRUE(startsWith(empty.error(), (folder / "empty.png").string() + ": ")) << empty.error();

    // Permissions hold only for an ordinary user; root writes anywhere.
    if (::geteuid() != 0) {
        std::filesystem::create_directory(folder / "locked");
        std::filesystem::permissions(folder / "locked",
                                     std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
        auto locked = files::writeImage(folder / "locked" / "out.png", image);
        std::filesystem::permissions(folder / "locked", std::filesystem::perms::owner_all);
        ASSERT_FALSE(locked);
        EXPECT_TRUE(startsWith(locked.error(), (folder / "locked" / "out.png").string() + ": cannot write ("))
            << locked.error();
    }
    EXPECT_EQ(folder.entries(), std::vector<std::string>{"plain"});
}

// Lets files grow to only a few bytes while alive, as a full disk would.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);  // fail the write instead of ending the program
        const rlimit limit{bytes, saved_.rlim_max};
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previousHandler_);
    }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

private:
    rlimit saved_{};
    void (*previousHandler_)(int) = nullptr;
};

TEST_F(ImageIoErrors, FailedWriteLeavesExistingFileAndNoTemporaryFile) {
    // Noise does not compress, so every format needs far more than the limit.
    RgbaImage noise(128, 128);
    unsigned state = 1;
    for (auto &byte : noise.rgba) byte = std::uint8_t((state = state * 1103515245u + 12345u) >> 16);

    // sgi is written by its library straight to the file; the others are
    // encoded in memory first.
    for (const std::string name : {"frame.png", "frame.tif", "frame.exr", "frame.jpg", "frame.tga", "frame.sgi"}) {
        const auto target = folder / name;
        test::writeBytes(target, "the previous contents");
        files::IoResult<std::vector<std::string>> result = std::vector<std::string>{};
        {
            FileSizeLimit full(4096);
            result = files::writeImage(target, noise);
        }
        ASSERT_FALSE(result) << name;
        EXPECT_TRUE(startsWith(result.error(), target.string() + ": cannot write (")) << result.error();
        EXPECT_EQ(result.error().find(".tavi-"), std::string::npos) << "the temporary name leaked: " << result.error();
        EXPECT_EQ(test::readBytes(target), "the previous contents") << name;
        EXPECT_EQ(folder.entries(), std::vector<std::string>{name}) << name;
        std::filesystem::remove(target);
    }
}

TEST_F(ImageIoErrors, PictureBeyondTheFormatsLimitIsRefused) {
    // The JPEG library would end the program rather than report this.
    const auto target = folder / "wide.jpg";
    auto result = files::writeImage(target, RgbaImage(70000, 1));
    ASSERT_FALSE(result);
    EXPECT_EQ(result.error(), target.string() + ": cannot write (JPEG files are at most 65500 pixels wide and high)");
    auto targa = files::writeImage(folder / "wide.tga", RgbaImage(70000, 1));
    ASSERT_FALSE(targa);
    EXPECT_TRUE(startsWith(targa.error(), (folder / "wide.tga").string() + ": cannot write (")) << targa.error();
    EXPECT_TRUE(folder.entries().empty());
}

TEST_F(ImageIoErrors, SuccessfulWriteReplacesExistingFileWhole) {
    const auto target = folder / "frame.png";
    test::writeBytes(target, "the previous contents");
    const RgbaImage image = patterned(8, 8);
    ASSERT_TRUE(files::writeImage(target, image));
    auto loaded = files::readImage(target);
    ASSERT_TRUE(loaded) << loaded.error();
    EXPECT_EQ(loaded->image, image);
    EXPECT_EQ(folder.entries(), std::vector<std::string>{"frame.png"});
}

}  // namespace
}  // namespace tavi::host
