// tavi on render files as a renderer writes them: transparency, alpha
// labels, deep samples and extra channels.
#include <algorithm>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "host/files/image_io.h"
#include "host/files/stored_image.h"
#include "host/loader/filter_module.h"
#include "host/scene/filter_chain.h"
#include "support/command_run.h"

using namespace tavi::host;
namespace fs = std::filesystem;
using tavi::test::CommandRun;
using tavi::test::runIn;

namespace {

class RenderFiles : public tavi::test::CommandFolder {
protected:
    CommandRun tavi(const std::string &args) { return runIn(dir, TAVI_EXE, args); }
    CommandRun shell(const std::string &command) { return runIn(dir, "sh", "-c '" + command + "'"); }

    void write(const std::string &name, const RgbaImage &img) {
        auto written = files::writeImage(dir / name, img, files::WriteOptions{true});
        ASSERT_TRUE(written.ok()) << written.error();
    }
    RgbaImage picture(const std::string &name) {
        auto loaded = files::readImage(dir / name);
        EXPECT_TRUE(loaded.ok()) << loaded.error();
        return loaded.ok() ? loaded->image : RgbaImage{};
    }
    files::LoadedStored stored(const std::string &name) {
        auto loaded = files::readStored(dir / name);
        EXPECT_TRUE(loaded.ok()) << loaded.error();
        return std::move(loaded.value());
    }
};

// A stair-stepped white line one pixel wide over transparent black.
RgbaImage whiteLine() {
    RgbaImage img(48, 24);
    for (int x = 0; x < img.width; ++x) {
        std::uint8_t *p = img.at(x, 4 + x / 4);
        p[0] = p[1] = p[2] = p[3] = 255;
    }
    return img;
}

// Opaque colour blocks with stair-stepped edges.
RgbaImage blocks() {
    RgbaImage img(40, 32);
    for (int y = 0; y < img.height; ++y)
        for (int x = 0; x < img.width; ++x) {
            std::uint8_t *p = img.at(x, y);
            const bool upper = 2 * y < x;
            p[0] = upper ? 255 : 10;
            p[1] = upper ? 200 : 40;
            p[2] = upper ? 30 : 90;
            p[3] = 255;
        }
    return img;
}

RgbaImage filteredInMemory(const RgbaImage &frame) {
    FilterModule module(TAVI56_MODULE_PATH);
    FilterChain chain(module, {{"Tavi", true, "2 100 224"}});
    return chain.apply(frame);
}

// The filter's premultiplied result as it is put back: where the handed
// pixel had no colour above its alpha, none above the new alpha either.
RgbaImage alphaWins(const RgbaImage &handed, RgbaImage filtered) {
    for (std::size_t i = 0; i < filtered.rgba.size(); i += 4) {
        const std::uint8_t *in = &handed.rgba[i];
        if (in[0] > in[3] || in[1] > in[3] || in[2] > in[3]) continue;
        for (int c = 0; c < 3; ++c) filtered.rgba[i + c] = std::min(filtered.rgba[i + c], filtered.rgba[i + 3]);
    }
    return filtered;
}

// Samples of a stored image's filtered channels, as doubles, pixel by pixel.
std::vector<double> levels(const files::StoredImage &image) {
    const frame::PixelView v = image.pixels();
    std::vector<double> out;
    for (int y = 0; y < v.height; ++y)
        for (int x = 0; x < v.width; ++x)
            for (int c = 0; c < 4; ++c) {
                if (v.channel[c] < 0) continue;
                const unsigned char *s =
                    static_cast<unsigned char *>(v.data) + y * v.rowStride + x * v.pixelStride + v.channel[c];
                if (v.type[c] == frame::SampleType::uint16) {
                    std::uint16_t value;
                    std::memcpy(&value, s, 2);
                    out.push_back(value);
                } else if (v.type[c] == frame::SampleType::half) {
                    std::uint16_t value;
                    std::memcpy(&value, s, 2);
                    out.push_back(frame::halfToFloat(value));
                } else {
                    ADD_FAILURE() << "unexpected sample type";
                    return out;
                }
            }
    return out;
}

// Every sample that differs lies next to an edge of the input: within two
// pixels of a pixel whose neighbour differs from it.
void expectChangesOnlyNearEdges(const std::vector<double> &in, const std::vector<double> &out, int width, int height,
                                int channels) {
    auto at = [&](int x, int y, int c) { return in[(std::size_t(y) * width + x) * channels + c]; };
    auto edgeNear = [&](int x0, int y0) {
        for (int y = std::max(0, y0 - 2); y <= std::min(height - 2, y0 + 2); ++y)
            for (int x = std::max(0, x0 - 2); x <= std::min(width - 2, x0 + 2); ++x)
                for (int c = 0; c < channels; ++c)
                    if (at(x, y, c) != at(x + 1, y, c) || at(x, y, c) != at(x, y + 1, c)) return true;
        return false;
    };
    int changed = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < channels; ++c) {
                const std::size_t i = (std::size_t(y) * width + x) * channels + c;
                if (in[i] == out[i]) continue;
                ++changed;
                EXPECT_TRUE(edgeNear(x, y)) << "changed away from an edge at " << x << "," << y;
            }
    EXPECT_GT(changed, 0) << "the filter blended nothing";
}

}  // namespace

TEST_F(RenderFiles, AWhiteLineOverTransparencyStaysWhite) {
    // Alpha is what the filter makes of the premultiplied frame, which for
    // white over transparent black is the picture itself.
    const RgbaImage filtered = filteredInMemory(whiteLine());
    for (const std::string ext : {"png", "tga", "tif"}) {
        write("line." + ext, whiteLine());
        CommandRun run = tavi("process line." + ext + " -o out." + ext);
        ASSERT_EQ(run.status, 0) << run.err;
        const RgbaImage out = picture("out." + ext);
        int faded = 0;
        for (std::size_t i = 0; i < out.rgba.size(); i += 4) {
            ASSERT_EQ(out.rgba[i + 3], filtered.rgba[i + 3]) << ext << " pixel " << i / 4;
            if (out.rgba[i + 3] == 0) continue;
            if (out.rgba[i + 3] < 255) ++faded;
            for (int c = 0; c < 3; ++c)
                ASSERT_GE(out.rgba[i + c], 254) << ext << " pixel " << i / 4 << " alpha " << int(out.rgba[i + 3]);
        }
        EXPECT_GT(faded, 10) << ext << ": the line's steps should fade out in alpha";
    }
}

TEST_F(RenderFiles, AlphaOptionOverridesTheFilesLabel) {
    // Premultiplied colour in a PNG file, which says straight.
    RgbaImage premultiplied = whiteLine();
    for (std::size_t i = 0; i < premultiplied.rgba.size(); i += 4)
        if (i / 4 % 7 == 0) premultiplied.rgba[i + 3] = 255;  // some opaque black dots too
    write("mislabelled.png", premultiplied);
    CommandRun run = tavi("process mislabelled.png -o as-is.png --alpha premultiplied");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(picture("as-is.png"), alphaWins(premultiplied, filteredInMemory(premultiplied)));
    run = tavi("process mislabelled.png -o auto.png");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(picture("auto.png"), picture("as-is.png"));
    run = tavi("process mislabelled.png -o x.png --alpha linear");
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("--alpha"), std::string::npos) << run.err;
}

TEST_F(RenderFiles, HalfFloatExrKeepsItsRangeAndItsUntouchedPixels) {
    write("blocks.png", blocks());
    ASSERT_EQ(shell("oiiotool blocks.png -d half --mulc 4,4,4,1 -o hdr.exr").status, 0);
    CommandRun run = tavi("process hdr.exr -o out.exr");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err.find("8 bits"), std::string::npos) << run.err;
    const files::LoadedStored in = stored("hdr.exr"), out = stored("out.exr");
    ASSERT_EQ(out.image.pixels().type[0], frame::SampleType::half);
    const std::vector<double> before = levels(in.image), after = levels(out.image);
    ASSERT_EQ(before.size(), after.size());
    EXPECT_EQ(*std::max_element(after.begin(), after.end()), 4.0);
    expectChangesOnlyNearEdges(before, after, 40, 32, 4);
}

TEST_F(RenderFiles, SixteenBitPngStaysSixteenBit) {
    write("blocks.png", blocks());
    ASSERT_EQ(shell("oiiotool blocks.png -d uint16 -o deep.png").status, 0);
    CommandRun run = tavi("process deep.png -o out.png");
    ASSERT_EQ(run.status, 0) << run.err;
    const files::LoadedStored in = stored("deep.png"), out = stored("out.png");
    ASSERT_EQ(out.image.pixels().type[0], frame::SampleType::uint16);
    const std::vector<double> before = levels(in.image), after = levels(out.image);
    EXPECT_EQ(*std::max_element(after.begin(), after.end()), 65535);
    expectChangesOnlyNearEdges(before, after, 40, 32, 4);
    // The blend is the 8-bit filter's, scaled: a pixel it blended sits
    // between the two sides, on a step of 257.
    const RgbaImage eight = filteredInMemory(blocks());
    for (std::size_t i = 0; i < after.size(); ++i)
        if (after[i] != before[i]) {
            ASSERT_EQ(after[i], eight.rgba[i] * 257.0) << i;
        }
}

TEST_F(RenderFiles, EveryChannelComesBack) {
    write("blocks.png", blocks());
    ASSERT_EQ(shell("oiiotool blocks.png -d half --ch R,G,B,A,Z=0.25 -o rgbaz.exr").status, 0);
    CommandRun run = tavi("process rgbaz.exr -o out.exr");
    ASSERT_EQ(run.status, 0) << run.err;
    const CommandRun info = shell("oiiotool --info -v out.exr");
    EXPECT_NE(info.out.find("channel list: R, G, B, A, Z"), std::string::npos) << info.out;
    EXPECT_EQ(shell("oiiotool rgbaz.exr --ch Z -o z-in.exr && oiiotool out.exr --ch Z -o z-out.exr && "
                    "oiiotool --diff z-in.exr z-out.exr")
                  .status,
              0);
    EXPECT_NE(shell("oiiotool --diff rgbaz.exr out.exr").status, 0) << "colour was filtered";

    // A named layer is filtered when asked for; the main one then passes.
    ASSERT_EQ(shell("oiiotool rgbaz.exr --ch R,G,B,A,Z,diffuse.R=R,diffuse.G=G,diffuse.B=B -o layers.exr").status, 0);
    run = tavi("process layers.exr -o layered.exr --layer diffuse");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(shell("oiiotool layers.exr --ch R,G,B,A,Z -o main-in.exr && oiiotool layered.exr --ch R,G,B,A,Z -o "
                    "main-out.exr && oiiotool --diff main-in.exr main-out.exr")
                  .status,
              0);
    EXPECT_NE(shell("oiiotool --diff layers.exr layered.exr").status, 0);
    // Several parts: the first is filtered, the others pass through.
    ASSERT_EQ(shell("oiiotool rgbaz.exr --attrib oiio:subimagename beauty rgbaz.exr --ch Z --attrib "
                    "oiio:subimagename depth --siappend -o parts.exr")
                  .status,
              0);
    run = tavi("process parts.exr -o parts-out.exr");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(shell("oiiotool --info parts-out.exr").out.find("2 subimages"), std::string::npos);
    EXPECT_EQ(shell("oiiotool -a parts.exr --subimage 1 -o p1.exr && oiiotool -a parts-out.exr --subimage 1 -o "
                    "q1.exr && oiiotool --diff p1.exr q1.exr")
                  .status,
              0);
    // A format that holds less says what it left out.
    run = tavi("process parts.exr -o flat.png");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("only beauty is written"), std::string::npos) << run.err;

    run = tavi("process layers.exr -o none.exr --layer specular");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("no layer specular"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("diffuse"), std::string::npos) << run.err;
}

TEST_F(RenderFiles, TheDemoGainsAtTheEdges) {
    CommandRun run = tavi("demo -o demo");
    ASSERT_EQ(run.status, 0) << run.err;
    double before = 0, after = 0;
    const std::size_t b = run.out.find("before (1 sample/pixel)"), a = run.out.find("after Tavi");
    ASSERT_NE(b, std::string::npos);
    ASSERT_NE(a, std::string::npos);
    ASSERT_EQ(std::sscanf(run.out.c_str() + run.out.find("overall", b) + 7, " %lf", &before), 1);
    ASSERT_EQ(std::sscanf(run.out.c_str() + run.out.find("overall", a) + 7, " %lf", &after), 1);
    EXPECT_GE(after - before, 0.8) << run.out;
}
