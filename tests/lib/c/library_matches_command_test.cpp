// libtavi against the tavi command, byte for byte: the same pixels written
// to files and run through `tavi process` with the same settings, at every
// depth and alpha form the library takes.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "host/frame/render_frame.h"
#include "stored_samples.h"
#include "support/command_run.h"
#include "tavi/tavi.h"
#include "tavi56/engine/generated_images.h"

namespace fs = std::filesystem;
using tavi::test::SampleKind;
using tavi::test::StoredSamples;

namespace {

struct Setting {
    std::string arguments;  // for tavi process
    tavi_settings settings;
};

const Setting kSettings[] = {
    {"", {TAVI_TARGET_RGBA, 100, 224, 1}},
    {"--strength 60", {TAVI_TARGET_RGBA, 60, 224, 1}},
    {"--target rgb --threshold 200", {TAVI_TARGET_RGB, 100, 200, 1}},
    {"--target alpha --strength 30 --threshold 256", {TAVI_TARGET_ALPHA, 30, 256, 1}},
    {"--strength 0 --threshold 0", {TAVI_TARGET_RGBA, 0, 0, 1}},
    {"--disable", {TAVI_TARGET_RGBA, 100, 224, 0}},
};

std::vector<tavi::test::NamedImage> pictures() {
    using namespace tavi::test;
    return {
        {"noise2", noiseImage(48, 40, 2, 7)},
        {"noise256", noiseImage(37, 29, 256, 3)},
        {"blocks", blockImage(80, 60, 11)},
        {"discs", discImage(90, 70, 5)},
        {"stripes", stripeImage(70, 50, 0.3, 9, false)},
        {"steep", stripeImage(50, 70, -0.2, 7, true)},
        {"sample", sampleImage(160, 90)},
    };
}

tavi_status runLibrary(StoredSamples &s, tavi_alpha alpha, const tavi_settings &settings) {
    void *p = s.bytes.data();
    switch (s.kind) {
    case SampleKind::u8:
        return tavi_antialias_u8(static_cast<unsigned char *>(p), s.width, s.height, 0, s.channels, alpha, &settings);
    case SampleKind::u16:
        return tavi_antialias_u16(static_cast<unsigned short *>(p), s.width, s.height, 0, s.channels, alpha, &settings);
    case SampleKind::half:
        return tavi_antialias_f16(static_cast<unsigned short *>(p), s.width, s.height, 0, s.channels, alpha, &settings);
    case SampleKind::f32:
        return tavi_antialias_f32(static_cast<float *>(p), s.width, s.height, 0, s.channels, alpha, &settings);
    }
    return TAVI_ERROR_INTERNAL;
}

class LibraryAgainstCommand : public tavi::test::CommandFolder {
protected:
    // Writes every input as <name>.<ext>, runs one `tavi process` over all
    // of them for each setting, and compares each output with what the
    // library makes of the same samples.
    void compare(const std::vector<std::pair<std::string, StoredSamples>> &inputs, const std::string &ext,
                 tavi_alpha alpha, const std::string &alphaOption = "") {
        std::string names;
        for (const auto &[name, samples] : inputs) {
            tavi::test::writeSamples(dir / (name + "." + ext), samples);
            names += " " + name + "." + ext;
        }
        int changed = 0;
        for (const Setting &setting : kSettings) {
            fs::remove_all(dir / "out");
            const auto run = tavi::test::runIn(
                dir, TAVI_EXE, "process -q" + names + " -o out/ " + alphaOption + " " + setting.arguments);
            ASSERT_EQ(run.status, 0) << run.err;
            for (const auto &[name, samples] : inputs) {
                StoredSamples mine = samples;
                ASSERT_EQ(runLibrary(mine, alpha, setting.settings), TAVI_OK) << tavi_last_error();
                const StoredSamples theirs = tavi::test::readSamples(dir / "out" / (name + "." + ext));
                ASSERT_EQ(theirs.channels, samples.channels) << name;
                EXPECT_TRUE(mine == theirs) << name << " with \"" << setting.arguments << "\"";
                if (!(mine == samples)) ++changed;
                if (setting.settings.enabled == 0) {
                    EXPECT_TRUE(mine == samples) << name << " disabled";
                }
            }
        }
        EXPECT_GT(changed, int(inputs.size())) << "the pictures must have edges to smooth";
    }
};

StoredSamples opaque(StoredSamples s) {
    for (std::size_t i = 3; i < s.bytes.size(); i += 4) s.bytes[i] = 255;
    return s;
}

// 8-bit samples spread over 16 bits, with low bits of their own that only
// a deep path keeps.
StoredSamples deep16(const tavi::host::RgbaImage &image) {
    StoredSamples s(image.width, image.height, 4, SampleKind::u16);
    for (std::size_t i = 0; i < image.rgba.size(); ++i) {
        const unsigned v = image.rgba[i] * 257u;
        const unsigned low = (i * 37u) % 200u;
        s.set<std::uint16_t>(i, std::uint16_t(v > 65535u - low ? v - low : v + low));
    }
    return s;
}

// Premultiplied floats as a renderer writes them, some above 1.
StoredSamples associatedFloats(const tavi::host::RgbaImage &image, SampleKind kind) {
    StoredSamples s(image.width, image.height, 4, kind);
    for (std::size_t p = 0; p < std::size_t(image.width) * image.height; ++p) {
        const float alpha = image.rgba[p * 4 + 3] / 255.0f;
        for (int c = 0; c < 4; ++c) {
            float v = c == 3 ? alpha : image.rgba[p * 4 + c] / 255.0f * alpha * (p % 7 == 0 ? 1.5f : 1.0f);
            v += float((p * 13 + c) % 11) / 4096.0f;
            const std::size_t i = p * 4 + c;
            if (kind == SampleKind::half)
                s.set<std::uint16_t>(i, tavi::host::frame::floatToHalf(v));
            else
                s.set<float>(i, v);
        }
    }
    return s;
}

}  // namespace

TEST_F(LibraryAgainstCommand, OpaqueRgbaPngs) {
    std::vector<std::pair<std::string, StoredSamples>> inputs;
    for (const auto &p : pictures()) inputs.push_back({p.name, opaque(tavi::test::fromRgba(p.image, 4))});
    compare(inputs, "png", TAVI_ALPHA_STRAIGHT);
}

TEST_F(LibraryAgainstCommand, RgbPngs) {
    std::vector<std::pair<std::string, StoredSamples>> inputs;
    for (const auto &p : pictures()) inputs.push_back({p.name, tavi::test::fromRgba(p.image, 3)});
    compare(inputs, "png", TAVI_ALPHA_STRAIGHT);
}

TEST_F(LibraryAgainstCommand, StraightAlphaPngs) {
    std::vector<std::pair<std::string, StoredSamples>> inputs;
    for (const auto &p : pictures()) inputs.push_back({p.name, tavi::test::fromRgba(p.image, 4)});
    compare(inputs, "png", TAVI_ALPHA_STRAIGHT);
}

TEST_F(LibraryAgainstCommand, PremultipliedBytesInPngsTakenAsSuch) {
    std::vector<std::pair<std::string, StoredSamples>> inputs;
    for (const auto &p : pictures()) {
        StoredSamples s = tavi::test::fromRgba(p.image, 4);
        for (std::size_t i = 0; i < s.bytes.size(); i += 4)
            for (int c = 0; c < 3; ++c) s.bytes[i + c] = std::uint8_t(s.bytes[i + c] * s.bytes[i + 3] / 255);
        inputs.push_back({p.name, s});
    }
    compare(inputs, "png", TAVI_ALPHA_PREMULTIPLIED, "--alpha premultiplied");
}

TEST_F(LibraryAgainstCommand, SixteenBitStraightPngs) {
    std::vector<std::pair<std::string, StoredSamples>> inputs;
    for (const auto &p : pictures()) inputs.push_back({p.name, deep16(p.image)});
    compare(inputs, "png", TAVI_ALPHA_STRAIGHT);
}

TEST_F(LibraryAgainstCommand, PremultipliedFloatExrs) {
    std::vector<std::pair<std::string, StoredSamples>> inputs;
    for (const auto &p : pictures()) inputs.push_back({p.name, associatedFloats(p.image, SampleKind::f32)});
    compare(inputs, "exr", TAVI_ALPHA_PREMULTIPLIED);
}

TEST_F(LibraryAgainstCommand, PremultipliedHalfExrs) {
    std::vector<std::pair<std::string, StoredSamples>> inputs;
    for (const auto &p : pictures()) inputs.push_back({p.name, associatedFloats(p.image, SampleKind::half)});
    compare(inputs, "exr", TAVI_ALPHA_PREMULTIPLIED);
}
