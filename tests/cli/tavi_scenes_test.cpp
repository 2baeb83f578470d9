// Scene files through the tavi command: what --scene reads, what
// --save-scene writes, and which filters the settings on the command line
// reach.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "host/files/image_io.h"
#include "support/png_maker.h"
#include "host/scene/filter_chain.h"
#include "host/scene/scene_file.h"
#include "support/command_run.h"

using namespace tavi::host;
namespace fs = std::filesystem;
using tavi::test::CommandRun;
using tavi::test::runIn;
using tavi::test::slurp;

namespace {

class TaviScenes : public tavi::test::CommandFolder {
protected:
    void SetUp() override {
        CommandFolder::SetUp();
        RgbaImage frame(40, 30);
        for (int y = 0; y < frame.height; ++y)
            for (int x = 0; x < frame.width; ++x) {
                std::uint8_t *p = frame.at(x, y);
                const bool inside = 3 * y > 2 * x - 5;
                p[0] = inside ? 240 : 10;
                p[1] = inside ? 200 : 60;
                p[2] = inside ? 20 : 190;
                p[3] = 255;
            }
        ASSERT_TRUE(files::writeImage(dir / "in.png", frame).ok());
    }

    CommandRun tavi(const std::string &args) { return runIn(dir, TAVI_EXE, args); }

    void file(const std::string &name, const std::string &text) { std::ofstream(dir / name, std::ios::binary) << text; }

    // The output of a chain with these filters, run in memory.
    RgbaImage through(const std::vector<SceneFilter> &filters) {
        auto loaded = files::readImage(dir / "in.png");
        EXPECT_TRUE(loaded.ok());
        FilterModule module(TAVI56_MODULE_PATH);
        FilterChain chain(module, filters);
        return chain.apply(loaded->image);
    }

    RgbaImage picture(const std::string &name) {
        auto loaded = files::readImage(dir / name);
        EXPECT_TRUE(loaded.ok()) << loaded.error();
        return loaded.ok() ? loaded->image : RgbaImage{};
    }
};

mode_t modeOf(const fs::path &file) {
    struct stat st {};
    EXPECT_EQ(::stat(file.c_str(), &st), 0) << file;
    return st.st_mode & 07777;
}

const std::string kScene =
    "# The shot's filters.\r\n"
    "TaviScene 1\r\n"
    "\r\n"
    "  ImageFilter \"Tavi\"   on   2 100 224   \r\n"
    "# A softer pass, kept for later.\r\n"
    "ImageFilter \"Tavi\" off 0  10 100\r\n"
    "ImageFilter \"Tavi\" on 1 80 200\r\n";

}  // namespace

TEST_F(TaviScenes, SettingsOnTheCommandLineReachOnlyTheFiltersThatRun) {
    file("shot.tvs", kScene);
    CommandRun run = tavi("process in.png -o out.png --scene shot.tvs --strength 60 --save-scene saved.tvs");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(picture("out.png"), through({{"Tavi", true, "2 60 224"}, {"Tavi", true, "1 60 200"}}));
    const Scene saved = readScene(dir / "saved.tvs");
    ASSERT_EQ(saved.filters.size(), 3u);
    EXPECT_EQ(saved.filters[1], (SceneFilter{"Tavi", false, "0  10 100"})) << "the line marked off keeps its own";
    EXPECT_EQ(saved.filters[2], (SceneFilter{"Tavi", true, "1 60 200"}));

    // Every Tavi filter off: the settings go nowhere, and the run says so.
    file("off.tvs", "TaviScene 1\nImageFilter \"Tavi\" off 0 10 100\n");
    run = tavi("process in.png -o off.png --scene off.tvs --threshold 3");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("tavi: the settings given apply to no filter: every \"Tavi\" filter of off.tvs is off"),
              std::string::npos)
        << run.err;
    EXPECT_EQ(picture("off.png"), picture("in.png"));
}

TEST_F(TaviScenes, SaveSceneEditsTheSceneInPlaceAsThePanelsOkDoes) {
    file("shot.tvs", kScene);
    ::chmod((dir / "shot.tvs").c_str(), 0640);
    CommandRun run = tavi("process in.png -o out.png --scene shot.tvs --save-scene shot.tvs --strength 60");
    ASSERT_EQ(run.status, 0) << run.err;
    // Only the lines of the filters that changed; comments, spacing, the
    // off line, line ends and permissions stay.
    EXPECT_EQ(slurp(dir / "shot.tvs"),
              "# The shot's filters.\r\n"
              "TaviScene 1\r\n"
              "\r\n"
              "  ImageFilter \"Tavi\" on 2 60 224\r\n"
              "# A softer pass, kept for later.\r\n"
              "ImageFilter \"Tavi\" off 0  10 100\r\n"
              "ImageFilter \"Tavi\" on 1 60 200\r\n");
    EXPECT_EQ(modeOf(dir / "shot.tvs"), 0640u);

    // Into another file: the scene's text with the same edits.
    run = tavi("process in.png -o out2.png --scene shot.tvs --save-scene copy.tvs --disable");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(slurp(dir / "copy.tvs"),
              "# The shot's filters.\r\n"
              "TaviScene 1\r\n"
              "\r\n"
              "  ImageFilter \"Tavi\" off 2 60 224\r\n"
              "# A softer pass, kept for later.\r\n"
              "ImageFilter \"Tavi\" off 0  10 100\r\n"
              "ImageFilter \"Tavi\" off 1 60 200\r\n");
    EXPECT_EQ(slurp(dir / "shot.tvs").find("off 2 60 224"), std::string::npos) << "the scene read is left alone";

    // Nothing to change: the file stays byte for byte.
    const std::string before = slurp(dir / "shot.tvs");
    run = tavi("process in.png -o out3.png --scene shot.tvs --save-scene shot.tvs");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(slurp(dir / "shot.tvs"), before);
}

TEST_F(TaviScenes, OnlyARegularSceneFileOfBoundedSizeIsRead) {
    ASSERT_EQ(::mkfifo((dir / "pipe.tvs").c_str(), 0600), 0);
    fs::create_directories(dir / "folder.tvs");
    file("huge.tvs", "TaviScene 1\n# " + std::string(2 << 20, 'x') + "\n");
    const std::pair<std::string, std::string> cases[] = {
        {"pipe.tvs", "tavi: pipe.tvs: is a FIFO, not a regular file"},
        {"/dev/zero", "tavi: /dev/zero: is a character device, not a regular file"},
        {"folder.tvs", "tavi: folder.tvs: is a folder, not a regular file"},
        {"huge.tvs", "tavi: huge.tvs: is larger than a scene file may be (1 MiB)"},
        {"missing.tvs", "tavi: missing.tvs: no such file"},
    };
    for (const auto &[scene, message] : cases) {
        // An old tavi waits on the FIFO, or reads /dev/zero until memory runs out.
        const CommandRun run =
            runIn(dir, "timeout", "60 '" + std::string(TAVI_EXE) + "' process in.png -o out.png --scene " + scene);
        EXPECT_EQ(run.status, 2) << scene << ": " << run.err;
        EXPECT_NE(run.err.find(message), std::string::npos) << scene << ": " << run.err;
    }
    EXPECT_FALSE(fs::exists(dir / "out.png"));
    EXPECT_TRUE(fs::is_fifo(dir / "pipe.tvs"));
}

TEST_F(TaviScenes, ASceneHoldsAtMostSixtyFourFilters) {
    std::string scene = "TaviScene 1\n";
    for (int i = 0; i < 64; ++i) scene += "ImageFilter \"Tavi\" " + std::string(i % 2 ? "on" : "off") + " 2 100 224\n";
    file("full.tvs", scene);
    CommandRun run = tavi("process in.png -o full.png --scene full.tvs");
    ASSERT_EQ(run.status, 0) << run.err;

    file("over.tvs", scene + "# one more\nImageFilter \"Tavi\" on 2 100 224\n");
    run = tavi("process in.png -o over.png --scene over.tvs");
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("tavi: over.tvs:67: more image filters than a scene may hold (64)"), std::string::npos)
        << run.err;
    EXPECT_FALSE(fs::exists(dir / "over.png"));
}

TEST_F(TaviScenes, TheMemoryCheckCountsEveryFilterOfTheChain) {
    if (tavi::test::builtWithAddressSanitizer())
        GTEST_SKIP() << "the address sanitizer needs more address space than the limit";
    // 4096 x 4096: one filter's run fits in 2 GB of address space; 64
    // filters keep 64 planes of 64 MiB each and do not.
    tavi::test::writeBytes(dir / "big.png", tavi::test::pngHeaderOnly(4096, 4096));
    std::string scene = "TaviScene 1\n";
    for (int i = 0; i < 64; ++i) scene += "ImageFilter \"Tavi\" on 2 100 224\n";
    file("chain.tvs", scene);
    const auto limited = [&](const std::string &args) {
        return runIn(dir, "sh", "-c 'ulimit -v 2000000 && exec \"" + std::string(TAVI_EXE) + "\" " + args + "'");
    };
    CommandRun run = limited("process big.png in.png -o out/ --jobs 1 --scene chain.tvs");
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_NE(run.err.find("big.png: not enough memory for a 4096 x 4096 image (needs 4352 MiB)"), std::string::npos)
        << run.err;
    EXPECT_NE(run.out.find("1 frame in"), std::string::npos) << "the other frame is done: " << run.out;

    // One filter: the memory is there, and the frame fails only for what
    // the file lacks.
    run = limited("process big.png -o one/ --jobs 1");
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_EQ(run.err.find("not enough memory"), std::string::npos) << run.err;
}
