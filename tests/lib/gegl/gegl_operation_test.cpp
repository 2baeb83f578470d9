// The GEGL operation run by the real gegl program, as a user runs it:
//     gegl in.png -o out.png -- tavi:antialias strength=60
// held to `tavi process` sample for sample wherever the file written holds
// the input's own form. gegl writes 16-bit PNG files, so its 8-bit results
// come back as value x 257, exactly. Premultiplied input written as PNG is
// divided back by each program's writer its own way, within the bounds
// docs/gegl.md states.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>

#include "host/frame/render_frame.h"
#include "lib/c/stored_samples.h"
#include "support/command_run.h"
#include "tavi56/engine/generated_images.h"

namespace fs = std::filesystem;
using tavi::test::SampleKind;
using tavi::test::StoredSamples;

namespace {

class GeglOperation : public tavi::test::CommandFolder {
protected:
    // A home and caches of the test's own, no display, and the operation
    // found beside GEGL's own (or, with `geglPath` empty, only where a user
    // installs it).
    std::string environment(const std::string &geglPath = TAVI_GEGL_OP_DIR ":" GEGL_SYSTEM_OPS) const {
        std::string env = "-u DISPLAY -u WAYLAND_DISPLAY -u GEGL_PATH HOME='" + dir.string() + "' XDG_CACHE_HOME='" +
                          (dir / "cache").string() + "' XDG_DATA_HOME='" + (dir / "data").string() + "'";
        if (!geglPath.empty()) env += " GEGL_PATH='" + geglPath + "'";
        // Under the sanitizers gegl must load their runtimes before our
        // operation; GEGL's own leaks at exit are not ours to report.
        if (const char *preload = std::getenv("TAVI_SANITIZER_PRELOAD"); preload && *preload)
            env += std::string(" LD_PRELOAD='") + preload + "' ASAN_OPTIONS='" +
                   std::getenv("TAVI_FOREIGN_ASAN_OPTIONS") + "'";
        return env;
    }

    tavi::test::CommandRun gegl(const std::string &args, const std::string &env) {
        return tavi::test::runIn(dir, GEGL_PROGRAM, args, env);
    }
    tavi::test::CommandRun gegl(const std::string &args) { return gegl(args, environment()); }

    StoredSamples taviProcess(const std::string &input, const std::string &options) {
        const auto run = tavi::test::runIn(dir, TAVI_EXE, "process -q " + input + " -o tavi-" + input + " " + options);
        EXPECT_EQ(run.status, 0) << run.err;
        return tavi::test::readSamples(dir / ("tavi-" + input));
    }

    // gegl's output against tavi's, sample for sample; gegl always adds
    // alpha, full where the input had none.
    void expectSame(const StoredSamples &geglOut, const StoredSamples &taviOut) {
        ASSERT_EQ(geglOut.width, taviOut.width);
        ASSERT_EQ(geglOut.height, taviOut.height);
        ASSERT_EQ(geglOut.channels, 4);
        ASSERT_EQ(geglOut.kind, SampleKind::u16);
        const unsigned scale = taviOut.kind == SampleKind::u8 ? 257u : 1u;
        long differing = 0;
        for (std::size_t p = 0; p < std::size_t(taviOut.width) * taviOut.height; ++p)
            for (int c = 0; c < 4; ++c) {
                const unsigned theirs = geglOut.get<std::uint16_t>(p * 4 + c);
                unsigned ours = 65535u;
                if (c < taviOut.channels)
                    ours = taviOut.kind == SampleKind::u8 ? taviOut.bytes[p * taviOut.channels + c] * scale
                                                          : taviOut.get<std::uint16_t>(p * taviOut.channels + c);
                if (theirs != ours) ++differing;
            }
        EXPECT_EQ(differing, 0);
    }
};

// The keys `gegl --info` prints before the properties, a key a line.
std::map<std::string, std::string> infoKeys(const std::string &info) {
    std::map<std::string, std::string> keys;
    std::istringstream lines(info);
    for (std::string line; std::getline(lines, line) && line != "Properties:";) {
        if (line.empty() || line[0] == ' ') continue;  // a long value's next line
        const std::size_t gap = line.find(' ');
        const std::size_t value = line.find_first_not_of(' ', gap);
        keys[line.substr(0, gap)] = value == std::string::npos ? "" : line.substr(value);
    }
    return keys;
}

std::string keyOf(const std::map<std::string, std::string> &keys, const std::string &name) {
    const auto found = keys.find(name);
    return found == keys.end() ? "(none)" : found->second;
}

bool hasLine(const std::string &text, const std::string &wanted) {
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);)
        if (line == wanted) return true;
    return false;
}

tavi::host::RgbaImage picture() {
    tavi::host::RgbaImage image = tavi::test::sampleImage(200, 120);
    // Alpha with edges of its own, at many levels.
    const tavi::host::RgbaImage discs = tavi::test::discImage(200, 120, 3);
    for (std::size_t i = 3; i < image.rgba.size(); i += 4) image.rgba[i] = discs.rgba[i];
    return image;
}

}  // namespace

TEST_F(GeglOperation, OpaqueImagesGiveTheBytesOfTaviProcess) {
    tavi::test::writeSamples(dir / "rgb.png", tavi::test::fromRgba(picture(), 3));
    for (const std::string settings : {"strength=60", "target=rgb threshold=200", ""}) {
        const auto run = gegl("rgb.png -o gegl.png -- tavi:antialias " + settings);
        ASSERT_EQ(run.status, 0) << run.err;
        std::string options = settings == "strength=60" ? "--strength 60"
                              : settings.empty()        ? ""
                                                        : "--target rgb --threshold 200";
        expectSame(tavi::test::readSamples(dir / "gegl.png"), taviProcess("rgb.png", options));
    }
}

TEST_F(GeglOperation, StraightAlphaImagesGiveTheBytesOfTaviProcess) {
    const StoredSamples input = tavi::test::fromRgba(picture(), 4);
    tavi::test::writeSamples(dir / "rgba.png", input);
    for (const auto &[settings, options] : {std::pair<std::string, std::string>{"strength=60", "--strength 60"},
                                            {"target=alpha", "--target alpha"},
                                            {"target=rgba threshold=256 strength=100", "--threshold 256"}}) {
        const auto run = gegl("rgba.png -o gegl.png -- tavi:antialias " + settings);
        ASSERT_EQ(run.status, 0) << run.err;
        const StoredSamples theirs = taviProcess("rgba.png", options);
        EXPECT_FALSE(theirs == input) << settings << " must change the picture";
        expectSame(tavi::test::readSamples(dir / "gegl.png"), theirs);
    }
}

// Colour premultiplied by alpha, 8 bits, as a TIFF marked associated
// holds it: every level of alpha, colour at most alpha.
StoredSamples premultipliedPicture() {
    const tavi::host::RgbaImage image = picture();
    StoredSamples input = tavi::test::fromRgba(image, 4);
    for (std::size_t p = 0; p < std::size_t(image.width) * image.height; ++p) {
        const unsigned alpha = (p * 7) % 256;
        input.bytes[p * 4 + 3] = std::uint8_t(alpha);
        for (int c = 0; c < 3; ++c) input.bytes[p * 4 + c] = std::uint8_t((image.rgba[p * 4 + c] * alpha + 127) / 255);
    }
    return input;
}

TEST_F(GeglOperation, PremultipliedImagesGiveTheSamplesOfTaviProcessInTheirOwnForm) {
    const StoredSamples input = premultipliedPicture();
    tavi::test::writeSamples(dir / "pre.tif", input, true);
    auto run = gegl("pre.tif -o gegl.tif -- tavi:antialias strength=60");
    ASSERT_EQ(run.status, 0) << run.err;
    const StoredSamples ours = taviProcess("pre.tif", "--strength 60");
    EXPECT_FALSE(ours == input) << "the filter must change the picture";
    EXPECT_TRUE(tavi::test::readSamples(dir / "gegl.tif") == ours) << "gegl's TIFF holds tavi's samples";
}

// Written as PNG, which holds straight colour, the premultiplied result is
// divided by alpha by each program's own writer: gegl's at the file's 16
// bits (or babl's rounding at 8), tavi's to 8 bits as OpenImageIO does.
TEST_F(GeglOperation, PremultipliedImagesAsPngDifferOnlyWhereGeglDividesBackItsOwnWay) {
    const StoredSamples input = premultipliedPicture();
    tavi::test::writeSamples(dir / "pre.tif", input, true);
    const StoredSamples filtered = taviProcess("pre.tif", "--strength 60");
    auto run = tavi::test::runIn(dir, TAVI_EXE, "process -q pre.tif -o tavi.png --strength 60");
    ASSERT_EQ(run.status, 0) << run.err;
    const StoredSamples ours = tavi::test::readSamples(dir / "tavi.png");
    ASSERT_EQ(ours.kind, SampleKind::u8);
    for (const int depth : {16, 8}) {
        SCOPED_TRACE("bitdepth=" + std::to_string(depth));
        run =
            gegl("pre.tif -- tavi:antialias strength=60 gegl:png-save path=gegl.png bitdepth=" + std::to_string(depth));
        ASSERT_EQ(run.status, 0) << run.err;
        const StoredSamples theirs = tavi::test::readSamples(dir / "gegl.png");
        ASSERT_EQ(theirs.kind, depth == 16 ? SampleKind::u16 : SampleKind::u8);
        const int scale = depth == 16 ? 257 : 1;
        long opaque = 0, semi = 0, semiDiffering = 0;
        for (std::size_t p = 0; p < std::size_t(ours.width) * ours.height; ++p) {
            const int alpha = ours.bytes[p * 4 + 3];
            bool changed = false;
            for (int c = 0; c < 4; ++c) changed |= filtered.bytes[p * 4 + c] != input.bytes[p * 4 + c];
            for (int c = 0; c < 4; ++c) {
                const int mine = ours.bytes[p * 4 + c] * scale;
                const int gegls = depth == 16 ? theirs.get<std::uint16_t>(p * 4 + c) : theirs.bytes[p * 4 + c];
                if (c == 3 || alpha == 255 || (alpha == 0 && !changed)) {
                    // Alpha, opaque pixels, and clear ones the filter left
                    // alone: the same.
                    EXPECT_EQ(gegls, mine) << "pixel " << p << " channel " << c << " alpha " << alpha;
                } else if (alpha > 0) {
                    // Divided back each its own way: within one 8-bit level.
                    EXPECT_LT(std::abs(gegls - mine), scale == 257 ? 257 : 2) << "pixel " << p << " channel " << c;
                    semiDiffering += gegls != mine;
                }
            }
            opaque += alpha == 255;
            semi += alpha > 0 && alpha < 255;
        }
        EXPECT_GT(opaque, 0);
        EXPECT_GT(semi, 0);
        EXPECT_GT(semiDiffering, 0) << "the two writers do divide differently, or the statement is too weak";
    }
}

TEST_F(GeglOperation, SixteenBitPremultipliedImagesAsPngDifferByAtMostOneStep) {
    const StoredSamples eight = premultipliedPicture();
    StoredSamples input(eight.width, eight.height, 4, SampleKind::u16);
    for (std::size_t p = 0; p < eight.count() / 4; ++p) {
        const unsigned alpha = eight.bytes[p * 4 + 3] * 257u;
        input.set<std::uint16_t>(p * 4 + 3, std::uint16_t(alpha));
        for (int c = 0; c < 3; ++c)  // colour at most alpha, off the 8-bit steps
            input.set<std::uint16_t>(p * 4 + c,
                                     std::uint16_t(std::min(alpha, eight.bytes[p * 4 + c] * 257u + unsigned(p % 89))));
    }
    tavi::test::writeSamples(dir / "deep.tif", input, true);
    auto run = gegl("deep.tif -o gegl.tif -- tavi:antialias strength=60");
    ASSERT_EQ(run.status, 0) << run.err;
    const StoredSamples filtered = taviProcess("deep.tif", "--strength 60");
    EXPECT_FALSE(filtered == input);
    EXPECT_TRUE(tavi::test::readSamples(dir / "gegl.tif") == filtered) << "gegl's TIFF holds tavi's samples";

    run = tavi::test::runIn(dir, TAVI_EXE, "process -q deep.tif -o tavi.png --strength 60");
    ASSERT_EQ(run.status, 0) << run.err;
    run = gegl("deep.tif -o gegl.png -- tavi:antialias strength=60");
    ASSERT_EQ(run.status, 0) << run.err;
    const StoredSamples ours = tavi::test::readSamples(dir / "tavi.png");
    const StoredSamples theirs = tavi::test::readSamples(dir / "gegl.png");
    ASSERT_EQ(ours.kind, SampleKind::u16);
    ASSERT_EQ(theirs.kind, SampleKind::u16);
    for (std::size_t p = 0; p < ours.count() / 4; ++p) {
        const int alpha = ours.get<std::uint16_t>(p * 4 + 3);
        bool changed = false;
        for (int c = 0; c < 4; ++c)
            changed |= filtered.get<std::uint16_t>(p * 4 + c) != input.get<std::uint16_t>(p * 4 + c);
        for (int c = 0; c < 4; ++c) {
            const int mine = ours.get<std::uint16_t>(p * 4 + c), gegls = theirs.get<std::uint16_t>(p * 4 + c);
            if (c == 3 || alpha == 65535 || (alpha == 0 && !changed)) {
                EXPECT_EQ(gegls, mine) << "pixel " << p << " channel " << c << " alpha " << alpha;
            } else if (alpha > 0) {
                EXPECT_LE(std::abs(gegls - mine), 1) << "pixel " << p << " channel " << c;
            }
        }
    }
}

TEST_F(GeglOperation, OpenExrImagesGiveTheValuesOfTaviProcess) {
    const StoredSamples eight = premultipliedPicture();
    for (const SampleKind kind : {SampleKind::half, SampleKind::f32}) {
        SCOPED_TRACE(kind == SampleKind::half ? "half" : "float");
        StoredSamples input(eight.width, eight.height, 4, kind);
        for (std::size_t i = 0; i < eight.count(); ++i) {
            const float level = eight.bytes[i] / 255.0f;
            if (kind == SampleKind::half)
                input.set<std::uint16_t>(i, tavi::host::frame::floatToHalf(level));
            else
                input.set<float>(i, level);
        }
        tavi::test::writeSamples(dir / "render.exr", input);
        const auto run = gegl("render.exr -o gegl.exr -- tavi:antialias strength=60");
        ASSERT_EQ(run.status, 0) << run.err;
        const StoredSamples ours = taviProcess("render.exr", "--strength 60");
        const StoredSamples theirs = tavi::test::readSamples(dir / "gegl.exr");
        ASSERT_EQ(ours.kind, kind);
        ASSERT_EQ(theirs.count(), ours.count());
        EXPECT_FALSE(ours == input);
        // gegl writes float whatever it read: the values, not the bits.
        const auto value = [](const StoredSamples &s, std::size_t i) {
            return s.kind == SampleKind::half ? tavi::host::frame::halfToFloat(s.get<std::uint16_t>(i))
                                              : s.get<float>(i);
        };
        long differing = 0;
        for (std::size_t i = 0; i < ours.count(); ++i) differing += value(theirs, i) != value(ours, i);
        EXPECT_EQ(differing, 0);
    }
}

TEST_F(GeglOperation, SixteenBitImagesKeepTheirDepth) {
    const tavi::host::RgbaImage image = picture();
    StoredSamples input(image.width, image.height, 4, SampleKind::u16);
    for (std::size_t i = 0; i < image.rgba.size(); ++i)
        input.set<std::uint16_t>(i, std::uint16_t(image.rgba[i] * 257u ^ (i % 97u)));
    tavi::test::writeSamples(dir / "deep.png", input);
    const auto run = gegl("deep.png -o gegl.png -- tavi:antialias strength=60");
    ASSERT_EQ(run.status, 0) << run.err;
    expectSame(tavi::test::readSamples(dir / "gegl.png"), taviProcess("deep.png", "--strength 60"));
}

TEST_F(GeglOperation, FoundInTheUsersPlugInsFolderAsGimpLooksThere) {
    tavi::test::writeSamples(dir / "rgba.png", tavi::test::fromRgba(picture(), 4));
    const fs::path plugIns = dir / "data" / "gegl-0.4" / "plug-ins";
    fs::create_directories(plugIns);
    fs::copy_file(TAVI_GEGL_OP_FILE, plugIns / fs::path(TAVI_GEGL_OP_FILE).filename());
    const auto run = gegl("rgba.png -o gegl.png -- tavi:antialias strength=60", environment(""));
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err.find("tavi:antialias"), std::string::npos) << run.err;
    expectSame(tavi::test::readSamples(dir / "gegl.png"), taviProcess("rgba.png", "--strength 60"));
}

TEST_F(GeglOperation, GeglListsItWithWhereGimpShowsIt) {
    auto run = gegl("--list-all");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(hasLine(run.out, "tavi:antialias")) << run.out;
    // gegl accepts GPL3 operations, GEGL's own anti-aliasing among them;
    // Tavi's carries no licence key, so no application's choice hides it.
    EXPECT_TRUE(hasLine(run.out, "gegl:antialias")) << run.out;

    run = gegl("--info tavi:antialias");
    ASSERT_EQ(run.status, 0) << run.err;
    const auto keys = infoKeys(run.out);
    EXPECT_EQ(keyOf(keys, "name"), "tavi:antialias");
    EXPECT_EQ(keyOf(keys, "title"), "Tavi Anti-aliasing");
    EXPECT_EQ(keyOf(keys, "categories"), "enhance:antialias");
    EXPECT_EQ(keyOf(keys, "gimp:menu-path"), "<Image>/Filters/Enhance");
    EXPECT_EQ(keyOf(keys, "gimp:menu-label"), "Tavi Anti-aliasing...");
    EXPECT_EQ(keyOf(keys, "license"), "(none)");
    EXPECT_NE(run.out.find("threshold            [gint]"), std::string::npos) << run.out;
}

TEST_F(GeglOperation, BadPropertiesAreNamedAndNothingCrashes) {
    tavi::test::writeSamples(dir / "rgba.png", tavi::test::fromRgba(tavi::test::discImage(40, 30, 2), 4));
    const std::pair<std::string, std::string> cases[] = {
        {"strength=200", "out of range for property 'strength'"},
        {"threshold=-5", "out of range for property 'threshold'"},
        {"target=blue", "accepted values: rgb alpha rgba"},
        {"colour=3", "has no colour property, properties: 'target', 'strength', 'threshold'"},
    };
    for (const auto &[setting, message] : cases) {
        const auto run = gegl("rgba.png -o gegl.png -- tavi:antialias " + setting);
        // gegl reports the property and goes on with its default; it
        // exits 0 all the same.
        EXPECT_EQ(run.status, 0) << setting << ": " << run.err;
        EXPECT_NE((run.out + run.err).find(message), std::string::npos) << setting << ": " << run.out << run.err;
        EXPECT_TRUE(fs::exists(dir / "gegl.png")) << setting;
        fs::remove(dir / "gegl.png");
    }
}

TEST_F(GeglOperation, AnEndlessInputIsFilteredOverTheRegionAskedForAsTaviProcessWould) {
    // An endless plane of tilted squares, made 8-bit straight RGBA, as a
    // file of those pixels holds them; the crop asks for a region of it.
    const std::string plane =
        "-- gegl:checkerboard x=23 y=17 'color1=rgb(1,0.8,0)' 'color2=rgba(0,0,1,0.5)' "
        "gegl:rotate degrees=13 gegl:convert-format \"format=R'G'B'A u8\" ";
    const std::string region = "gegl:crop x=3 y=4 width=300 height=200 ";
    auto run = gegl(plane + region + "gegl:png-save path=plane.png bitdepth=8");
    ASSERT_EQ(run.status, 0) << run.err;
    run = gegl(plane + "tavi:antialias strength=70 " + region + "gegl:png-save path=gegl.png bitdepth=8");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err.find("tavi:antialias"), std::string::npos) << run.err;

    const StoredSamples unfiltered = tavi::test::readSamples(dir / "plane.png");
    const StoredSamples theirs = tavi::test::readSamples(dir / "gegl.png");
    const StoredSamples ours = taviProcess("plane.png", "--strength 70");
    ASSERT_EQ(theirs.kind, SampleKind::u8);
    EXPECT_FALSE(ours == unfiltered) << "the region has edges to smooth";
    EXPECT_TRUE(theirs == ours) << "gegl's region differs from tavi process on the same pixels";
}

TEST_F(GeglOperation, AFailureIsSaidAndNeverPassedOffAsAResult) {
    const StoredSamples input = tavi::test::fromRgba(picture(), 4);
    tavi::test::writeSamples(dir / "rgba.png", input);
    // The operation over the module with the tests' allocator: as built, it
    // filters as the shipped one does.
    const std::string underTest = environment(TAVI_GEGL_UNDER_TEST_DIR ":" GEGL_SYSTEM_OPS);
    auto run = gegl("rgba.png -o gegl.png -- tavi:antialias strength=60", underTest);
    ASSERT_EQ(run.status, 0) << run.err;
    expectSame(tavi::test::readSamples(dir / "gegl.png"), taviProcess("rgba.png", "--strength 60"));

    // Told to refuse the frame's buffers, as when memory runs out.
    fs::remove(dir / "gegl.png");
    run = gegl("rgba.png -o gegl.png -- tavi:antialias strength=60", underTest + " TAVI_TEST_BUFFER_LIMIT=1000");
    EXPECT_NE(run.err.find("tavi:antialias: the 200 x 120 image is not filtered: the filter wrote no output for this "
                           "200x120 frame (not enough memory?); the output is left empty (transparent)"),
              std::string::npos)
        << run.err;
    // gegl itself exits 0 after any operation's failure; the picture tells.
    const StoredSamples left = tavi::test::readSamples(dir / "gegl.png");
    ASSERT_EQ(left.width, input.width);
    long nonZero = 0;
    for (std::size_t i = 0; i < std::size_t(left.width) * left.height * 4; ++i)
        nonZero += left.get<std::uint16_t>(i) != 0;
    EXPECT_EQ(nonZero, 0) << "not a copy of the input: empty";
}
