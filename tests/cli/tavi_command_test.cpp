// The tavi command, run as a user runs it, on image files on disk.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/command_run.h"
#include "host/scene/filter_chain.h"
#include "host/files/image_io.h"
#include "host/scene/scene_file.h"

using namespace tavi::host;
namespace fs = std::filesystem;
using tavi::test::CommandRun;
using tavi::test::runIn;
using tavi::test::slurp;

namespace {

class TaviCommand : public tavi::test::CommandFolder {
protected:
    CommandRun tavi(const std::string &args) { return runIn(dir, TAVI_EXE, args); }

    fs::path write(const std::string &name, const RgbaImage &img, bool alpha = true) {
        const fs::path file = dir / name;
        auto written = files::writeImage(file, img, files::WriteOptions{alpha});
        EXPECT_TRUE(written.ok()) << written.error();
        return file;
    }
};

// A frame with hard diagonal and curved edges in colour and alpha.
RgbaImage aliased(int w, int h, int seed = 0) {
    RgbaImage img(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            std::uint8_t *p = img.at(x, y);
            const bool disc = (x - w / 2) * (x - w / 2) + (y - h / 2) * (y - h / 2) < (w * w) / 9;
            const bool band = 3 * y < x + seed;
            p[0] = disc ? 250 : (band ? 20 : 120);
            p[1] = disc ? 210 : (band ? 90 : 30);
            p[2] = disc ? 10 : 200;
            p[3] = disc || band ? 255 : 0;
        }
    return img;
}

// What the module makes of a straight-alpha picture, by the arithmetic a
// user can check by hand: premultiply, filter the 8-bit frame in memory,
// divide back where the filter changed a pixel.
RgbaImage reference(const RgbaImage &input, const std::string &settings) {
    RgbaImage handed = input;
    for (std::size_t i = 0; i < handed.rgba.size(); i += 4)
        for (std::size_t c = 0; c < 3; ++c) handed.rgba[i + c] = (input.rgba[i + c] * input.rgba[i + 3] + 127) / 255;
    FilterModule module(TAVI56_MODULE_PATH);
    FilterChain chain(module, {{"Tavi", true, settings}});
    const RgbaImage filtered = chain.apply(handed);
    RgbaImage result = input;
    for (std::size_t i = 0; i < result.rgba.size(); i += 4) {
        const std::uint8_t *out = &filtered.rgba[i];
        if (std::equal(out, out + 4, &handed.rgba[i])) continue;
        const unsigned a = out[3];
        for (std::size_t c = 0; c < 3; ++c)
            if (a > 0) result.rgba[i + c] = std::uint8_t(std::min(255u, (out[c] * 255u + a / 2) / a));
        result.rgba[i + 3] = std::uint8_t(a);
    }
    return result;
}

RgbaImage readBack(const fs::path &file) {
    auto loaded = files::readImage(file);
    EXPECT_TRUE(loaded.ok()) << loaded.error();
    return loaded.ok() ? loaded->image : RgbaImage{};
}

}  // namespace

TEST_F(TaviCommand, OutputEqualsWhatTheModuleMakesInMemory) {
    const RgbaImage input = aliased(97, 61);
    write("in.png", input);
    CommandRun run = tavi("process in.png -o out.png");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("1 frame in"), std::string::npos) << run.out;
    const RgbaImage expected = reference(input, "2 100 224");
    EXPECT_NE(expected, input) << "the sample must have edges to smooth";
    EXPECT_EQ(readBack(dir / "out.png"), expected);

    run = tavi("process in.png -o out2.png --target alpha --strength 60 --threshold 250");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(readBack(dir / "out2.png"), reference(input, "1 60 250"));

    run = tavi("process in.png -o out3.png --disable");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(readBack(dir / "out3.png"), input);
}

TEST_F(TaviCommand, RgbStaysRgb) {
    RgbaImage opaque = aliased(40, 30);
    for (std::size_t i = 3; i < opaque.rgba.size(); i += 4) opaque.rgba[i] = 255;
    write("rgb.png", opaque, false);
    CommandRun run = tavi("process rgb.png -o rgb-out.png");
    ASSERT_EQ(run.status, 0) << run.err;
    auto loaded = files::readImage(dir / "rgb-out.png");
    ASSERT_TRUE(loaded.ok());
    EXPECT_EQ(loaded->info.channels, 3);
    EXPECT_EQ(loaded->image, reference(opaque, "2 100 224"));
}

TEST_F(TaviCommand, TiffAndExrRoundTrip) {
    const RgbaImage input = aliased(33, 21);
    for (const char *ext : {"tif", "exr"}) {
        const std::string in = std::string("in.") + ext;
        write(in, input);
        CommandRun run = tavi("process " + in + " -o out." + ext + " --disable");
        ASSERT_EQ(run.status, 0) << ext << ": " << run.err;
        EXPECT_EQ(readBack(dir / ("out." + std::string(ext))), input) << ext;
    }
}

TEST_F(TaviCommand, SequencesInParallelGiveTheSameBytes) {
    std::string inputs;
    for (int i = 1; i <= 5; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "render.%04d.png", i);
        write(name, aliased(50 + i, 40, i * 5));
        inputs += std::string(" ") + name;
    }
    CommandRun one = tavi("process" + inputs + " -o one.####.png --jobs 1");
    ASSERT_EQ(one.status, 0) << one.err;
    CommandRun two = tavi("process" + inputs + " -o two.%04d.png --jobs 2");
    ASSERT_EQ(two.status, 0) << two.err;
    EXPECT_NE(two.out.find("5 frames in"), std::string::npos) << two.out;
    EXPECT_EQ(two.err.find('['), std::string::npos) << "no progress bar on a pipe";
    for (int i = 1; i <= 5; ++i) {
        char a[32], b[32];
        std::snprintf(a, sizeof a, "one.%04d.png", i);
        std::snprintf(b, sizeof b, "two.%04d.png", i);
        EXPECT_EQ(slurp(dir / a), slurp(dir / b)) << i;
        EXPECT_FALSE(slurp(dir / a).empty());
    }
    fs::create_directories(dir / "outdir");
    CommandRun folder = tavi("process" + inputs + " -o outdir");
    ASSERT_EQ(folder.status, 0) << folder.err;
    EXPECT_EQ(slurp(dir / "outdir" / "render.0003.png"), slurp(dir / "one.0003.png"));
}

TEST_F(TaviCommand, BadFramesAreNamedAndTheRestAreDone) {
    write("a.0001.png", aliased(20, 20));
    std::ofstream(dir / "a.0002.png") << "this is not a PNG";
    write("a.0003.png", aliased(20, 20));
    std::ofstream(dir / "b.0002.png") << "an earlier result";
    CommandRun run = tavi("process a.0001.png a.0002.png a.0003.png -o b.####.png");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("a.0002.png"), std::string::npos) << run.err;
    EXPECT_NE(run.out.find("2 frames in"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("1 failed"), std::string::npos) << run.out;
    EXPECT_TRUE(fs::exists(dir / "b.0001.png"));
    EXPECT_TRUE(fs::exists(dir / "b.0003.png"));
    EXPECT_EQ(slurp(dir / "b.0002.png"), "an earlier result") << "a failed frame leaves the old file alone";
    for (const auto &entry : fs::directory_iterator(dir))
        EXPECT_EQ(entry.path().string().find(".tmp"), std::string::npos) << entry.path();
}

TEST_F(TaviCommand, UsageErrorsExitWithTwo) {
    write("in.png", aliased(10, 10));
    CommandRun run = tavi("process in.png -o out.png --strength 150");
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("tavi: --strength: 150 is not in the range 0 to 100"), std::string::npos) << run.err;
    run = tavi("process in.png -o out.png --threshold 257");
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("tavi: --threshold: 257 is not in the range 0 to 256"), std::string::npos) << run.err;
    run = tavi("process in.png -o out.png --target rgbx");
    EXPECT_EQ(run.status, 2);
    run = tavi("process in.png -o ./in.png");
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("overwrite"), std::string::npos) << run.err;
    run = tavi("process in.png in.png -o out.png");
    EXPECT_EQ(run.status, 2);
    run = tavi("frobnicate");
    EXPECT_EQ(run.status, 2);
    EXPECT_FALSE(fs::exists(dir / "out.png"));
}

TEST_F(TaviCommand, ChunksTogetherGiveWhatOneRunGives) {
    // Seven frames given in glob order (10 before 2), numbered 1 2 3 5 8 10 11.
    const std::vector<int> numbers = {1, 10, 11, 2, 3, 5, 8};
    std::string inputs;
    for (int n : numbers) {
        const std::string name = "render." + std::to_string(n) + ".png";
        write(name, aliased(30 + n, 24, n * 3));
        inputs += " " + name;
    }
    CommandRun whole = tavi("process" + inputs + " -o whole/");
    ASSERT_EQ(whole.status, 0) << whole.err;
    EXPECT_EQ(whole.out.find("chunk"), std::string::npos) << whole.out;

    // Slices of 3, 2 and 2 frames in frame order.
    const char *summaries[] = {"chunk 1/3: frames 1-3; 3 frames in", "chunk 2/3: frames 5-8; 2 frames in",
                               "chunk 3/3: frames 10-11; 2 frames in"};
    const std::vector<std::vector<int>> held = {{1, 2, 3}, {5, 8}, {10, 11}};
    for (int i = 1; i <= 3; ++i) {
        const fs::path folder = dir / ("chunk" + std::to_string(i));
        CommandRun run =
            tavi("process" + inputs + " -o chunk" + std::to_string(i) + "/ --chunk " + std::to_string(i) + "/3");
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_NE(run.out.find(summaries[i - 1]), std::string::npos) << run.out;
        std::vector<int> written;
        for (int n : numbers)
            if (fs::exists(folder / ("render." + std::to_string(n) + ".png"))) written.push_back(n);
        EXPECT_EQ(written, held[i - 1]) << "chunk " << i;
    }
    for (int n : numbers) {
        const std::string name = "render." + std::to_string(n) + ".png";
        const std::string expected = slurp(dir / "whole" / name);
        ASSERT_FALSE(expected.empty()) << name;
        int copies = 0;
        for (int i = 1; i <= 3; ++i) {
            const fs::path chunkFile = dir / ("chunk" + std::to_string(i)) / name;
            if (!fs::exists(chunkFile)) continue;
            ++copies;
            EXPECT_EQ(slurp(chunkFile), expected) << name;
        }
        EXPECT_EQ(copies, 1) << name;
    }
}

TEST_F(TaviCommand, ChunkTakesTheSchedulersVariables) {
    for (int n = 1; n <= 4; ++n) write("f." + std::to_string(n) + ".png", aliased(20, 20, n));
    setenv("SLURM_ARRAY_TASK_ID", "2", 1);
    setenv("SLURM_ARRAY_TASK_COUNT", "3", 1);
    CommandRun run = tavi("process f.*.png -o out.#.png --chunk $SLURM_ARRAY_TASK_ID/$SLURM_ARRAY_TASK_COUNT");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("chunk 2/3: frame 3; 1 frame in"), std::string::npos) << run.out;
    EXPECT_TRUE(fs::exists(dir / "out.3.png"));
    EXPECT_FALSE(fs::exists(dir / "out.2.png"));

    // A 0-based index, as some schedulers give, moved up by the shell.
    setenv("TAVI_TEST_INDEX", "0", 1);
    run = tavi("process f.*.png -o out.#.png --chunk $((TAVI_TEST_INDEX+1))/3");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("chunk 1/3: frames 1-2;"), std::string::npos) << run.out;
    unsetenv("TAVI_TEST_INDEX");

    // Outside a job the variables are unset, and the shell gives "/".
    unsetenv("SLURM_ARRAY_TASK_ID");
    unsetenv("SLURM_ARRAY_TASK_COUNT");
    fs::remove(dir / "out.3.png");
    run = tavi("process f.*.png -o out.#.png --chunk $SLURM_ARRAY_TASK_ID/$SLURM_ARRAY_TASK_COUNT");
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("--chunk \"/\""), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("not set"), std::string::npos) << run.err;
    run = tavi("process f.*.png -o out.#.png --chunk '$SLURM_ARRAY_TASK_ID/$SLURM_ARRAY_TASK_COUNT'");
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("unexpanded variable"), std::string::npos) << run.err;
    EXPECT_FALSE(fs::exists(dir / "out.3.png"));
}

TEST_F(TaviCommand, AnEmptyChunkDoesNothingAndSaysSo) {
    write("a.1.png", aliased(20, 20));
    write("a.2.png", aliased(20, 20, 4));
    CommandRun run = tavi("process a.1.png a.2.png -o out/ --chunk 3/3");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("chunk 3/3: no frames of 2 inputs, nothing to do"), std::string::npos) << run.out;
    EXPECT_TRUE(run.err.empty()) << run.err;
    EXPECT_FALSE(fs::exists(dir / "out" / "a.1.png"));
    EXPECT_FALSE(fs::exists(dir / "out" / "a.2.png"));
    run = tavi("process a.1.png a.2.png -o out/ --chunk 3/3 --quiet");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(run.out.empty()) << run.out;
}

TEST_F(TaviCommand, BadChunksAreUsageErrorsThatNameThem) {
    write("a.1.png", aliased(20, 20));
    write("a.2.png", aliased(20, 20, 4));
    for (const char *chunk : {"0/3", "4/3", "1/0", "0/0", "two/3", "1/three", "+1/3", "-1/3", "1/-3", "1.5/3", "0x1/3",
                              "1/3/3", "13", "/3", "1/", "/", "99999999999999999999/99999999999999999999"}) {
        CommandRun run = tavi(std::string("process a.1.png a.2.png -o out/ '--chunk=") + chunk + "'");
        EXPECT_EQ(run.status, 2) << chunk << ": " << run.err;
        EXPECT_NE(run.err.find(std::string("--chunk \"") + chunk + "\""), std::string::npos) << run.err;
        EXPECT_FALSE(fs::exists(dir / "out")) << chunk << ": nothing is made";
    }
    // "$ID/$COUNT" quoted in a job script where neither is set.
    CommandRun run = tavi("process a.1.png a.2.png -o out/ --chunk ''");
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("--chunk \"\": is empty"), std::string::npos) << run.err;
    run = tavi("process a.1.png a.2.png -o out/ --chunk");
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("--chunk"), std::string::npos) << run.err;
    EXPECT_FALSE(fs::exists(dir / "out"));
}

TEST_F(TaviCommand, UnwritableOutputFolderFailsAndNamesIt) {
    if (geteuid() == 0) GTEST_SKIP() << "root writes anywhere";
    write("in.png", aliased(10, 10));
    fs::create_directories(dir / "locked");
    fs::permissions(dir / "locked", fs::perms::owner_read | fs::perms::owner_exec);
    CommandRun run = tavi("process in.png -o locked/out.png");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("locked/out.png"), std::string::npos) << run.err;
}

TEST_F(TaviCommand, ScenesCarryTheSettings) {
    const RgbaImage input = aliased(45, 35);
    write("in.png", input);
    CommandRun run = tavi("process in.png -o a.png --target rgb --strength 40 --threshold 200 --save-scene shot.tvs");
    ASSERT_EQ(run.status, 0) << run.err;
    const Scene saved = readScene(dir / "shot.tvs");
    ASSERT_EQ(saved.filters.size(), 1u);
    EXPECT_EQ(saved.filters[0], (SceneFilter{"Tavi", true, "0 40 200"}));

    // The scene alone, then the scene with one setting overridden.
    run = tavi("process in.png -o b.png --scene shot.tvs");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(slurp(dir / "a.png"), slurp(dir / "b.png"));
    run = tavi("process in.png -o c.png --scene shot.tvs --strength 90");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(readBack(dir / "c.png"), reference(input, "0 90 200"));

    std::ofstream(dir / "bad.tvs") << "TaviScene 1\n# fine so far\nImageFilter \"Tavi\" on 1 2 3\nOops\n";
    run = tavi("process in.png -o d.png --scene bad.tvs");
    EXPECT_EQ(run.status, 2) << "the command line names a scene that cannot be used";
    EXPECT_NE(run.err.find("bad.tvs:4: unknown entry \"Oops\""), std::string::npos) << run.err;
    EXPECT_FALSE(fs::exists(dir / "d.png"));
}

TEST_F(TaviCommand, HelpAndVersionTellTheTruth) {
    CommandRun run = tavi("--help");
    EXPECT_EQ(run.status, 0);
    for (const char *word : {"process", "demo", "--module", "--version"})
        EXPECT_NE(run.out.find(word), std::string::npos) << word;
    run = tavi("process --help");
    EXPECT_EQ(run.status, 0);
    for (const char *word : {"--output", "--target", "--strength", "--threshold", "--disable", "--scene",
                             "--save-scene", "--jobs", "--chunk", "--quiet"})
        EXPECT_NE(run.out.find(word), std::string::npos) << word;
    run = tavi("--version");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out.substr(0, run.out.find('\n')), "tavi " TAVI_PROJECT_VERSION);
    EXPECT_NE(run.out.find("\"Tavi\""), std::string::npos) << run.out;
    // A module that cannot load does not keep the version from being told.
    run = tavi("--version --module missing.p");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out.substr(0, run.out.find('\n')), "tavi " TAVI_PROJECT_VERSION);
    EXPECT_NE(run.out.find("module: none loaded: "), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("missing.p"), std::string::npos) << run.out;
}

TEST_F(TaviCommand, NumbersAreDecimalOrAUsageError) {
    const RgbaImage input = aliased(30, 20);
    write("in.png", input);
    // Leading zeros do not make a number octal.
    CommandRun run = tavi("process in.png -o a.png --strength 050 --threshold 0200 --jobs 01");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(readBack(dir / "a.png"), reference(input, "2 50 200"));
    run = tavi("process in.png -o b.png --strength 09");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(readBack(dir / "b.png"), reference(input, "2 9 224"));

    for (const char *option : {"--strength 50.5", "--strength 0x32", "--threshold 1e2", "--strength ' 5'",
                               "--threshold +7", "--jobs 0x2", "--strength ''"}) {
        run = tavi(std::string("process in.png -o c.png ") + option);
        EXPECT_EQ(run.status, 2) << option;
        EXPECT_NE(run.err.find("is not a whole decimal number"), std::string::npos) << option << ": " << run.err;
    }
    run = tavi("process in.png -o c.png --threshold 0300");
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("tavi: --threshold: 0300 is not in the range 0 to 256"), std::string::npos) << run.err;
    run = tavi("demo -o d --width 010");
    EXPECT_EQ(run.status, 2) << "ten, below the smallest width";
    EXPECT_FALSE(fs::exists(dir / "c.png"));
}

TEST_F(TaviCommand, SceneSettingsMustBeWhatThePanelCanSet) {
    const RgbaImage input = aliased(30, 20);
    write("in.png", input);
    std::ofstream(dir / "cancel.txt") << "cancel\n";
    for (const char *settings :
         {"junk", "abc def ghi", "2.5 60.7 224e0", "2147483647 1 1", "-1 100 224", "7 500 999", "2 100", ""}) {
        std::ofstream(dir / "bad.tvs") << "TaviScene 1\n# hand-edited\nImageFilter \"Tavi\" on " << settings << "\n";
        CommandRun run = tavi("process in.png -o out.png --scene bad.tvs --save-scene copy.tvs");
        EXPECT_EQ(run.status, 2) << settings;
        EXPECT_NE(run.err.find("bad.tvs:3: "), std::string::npos) << settings << ": " << run.err;
        run = tavi("panel in.png --scene bad.tvs --script cancel.txt");
        EXPECT_EQ(run.status, 2) << settings;
        EXPECT_NE(run.err.find("bad.tvs:3: "), std::string::npos) << settings << ": " << run.err;
    }
    EXPECT_FALSE(fs::exists(dir / "out.png"));
    EXPECT_FALSE(fs::exists(dir / "copy.tvs"));

    // A byte order mark in front and tabs between the numbers are read.
    std::ofstream(dir / "edited.tvs") << "\xEF\xBB\xBFTaviScene 1\nImageFilter \"Tavi\" on\t0\t60\t200\n";
    CommandRun run = tavi("process in.png -o good.png --scene edited.tvs");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(readBack(dir / "good.png"), reference(input, "0 60 200"));
}

TEST_F(TaviCommand, DemoLooksAtItsFolderBeforeRendering) {
    std::ofstream(dir / "existing-file.png") << "kept";
    CommandRun run = tavi("demo -o existing-file.png");
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err,
              "tavi: existing-file.png is a regular file, not a folder: demo writes its 4 pictures into a folder "
              "(-o FOLDER)\n");
    EXPECT_EQ(run.out.find("Rendering"), std::string::npos) << "refused before the render: " << run.out;
    EXPECT_EQ(slurp(dir / "existing-file.png"), "kept");

    fs::create_directories(dir / "d" / "comparison.png");
    run = tavi("demo -o d --width 16 --height 16");
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("d/comparison.png: exists and is a folder, not a regular file"), std::string::npos)
        << run.err;
    EXPECT_EQ(run.out.find("Rendering"), std::string::npos) << run.out;
    EXPECT_FALSE(fs::exists(dir / "d" / "input.png"));

    run = tavi("demo -o new/sub --width 32 --height 24");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_FALSE(readBack(dir / "new" / "sub" / "comparison.png").rgba.empty());
}
