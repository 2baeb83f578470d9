// Sequences shared among the tasks of a farm job, run through the tavi
// command: every task finds the same order of the inputs and the same frame
// numbers from the names alone, whatever order its list is in.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "host/files/image_io.h"
#include "support/command_run.h"

namespace fs = std::filesystem;
using tavi::test::CommandRun;
using tavi::test::runIn;
using tavi::test::slurp;

namespace {

class TaviSequences : public tavi::test::CommandFolder {
protected:
    CommandRun tavi(const std::string &args) { return runIn(dir, TAVI_EXE, args); }

    void frame(const std::string &name, int seed) {
        tavi::host::RgbaImage image(24 + seed % 7, 18);
        for (int y = 0; y < image.height; ++y)
            for (int x = 0; x < image.width; ++x) {
                std::uint8_t *p = image.at(x, y);
                const bool inside = 3 * y > x + seed % 5;
                p[0] = inside ? 230 : 10;
                p[1] = std::uint8_t(seed * 37);
                p[2] = inside ? 20 : 220;
                p[3] = 255;
            }
        ASSERT_TRUE(tavi::host::files::writeImage(dir / name, image).ok()) << name;
    }

    static std::string joined(const std::vector<std::string> &names) {
        std::string text;
        for (const std::string &name : names) text += " '" + name + "'";
        return text;
    }
};

}  // namespace

TEST_F(TaviSequences, TwoTasksGivenTheInputsInDifferentOrdersDoEveryFrameOnce) {
    // Names without digits, time stamps longer than nine digits, a number
    // longer than any integer, and the glob order that puts 10 before 9.
    const std::vector<std::string> names = {
        "beauty.png",  "cam_1700000004.png", "cam_1700000010.png",         "matte.png",
        "shot.10.png", "shot.9.png",         "f.99999999999999999999.png", "f.1.png",
        "zz.png"};
    for (std::size_t i = 0; i < names.size(); ++i) frame(names[i], int(i));
    ASSERT_EQ(tavi("process -q" + joined(names) + " -o whole/").status, 0);

    std::vector<std::string> reversed = names;
    std::reverse(reversed.begin(), reversed.end());
    std::vector<std::string> rotated = names;
    std::rotate(rotated.begin(), rotated.begin() + 4, rotated.end());
    for (const auto &[first, second] : {std::pair{names, reversed}, std::pair{reversed, rotated}}) {
        fs::remove_all(dir / "farm");
        CommandRun one = tavi("process" + joined(first) + " -o farm/ --chunk 1/2");
        ASSERT_EQ(one.status, 0) << one.err;
        CommandRun two = tavi("process" + joined(second) + " -o farm/ --chunk 2/2");
        ASSERT_EQ(two.status, 0) << two.err;
        // Numbered frames first, in number order; then the others by name.
        EXPECT_NE(one.out.find("chunk 1/2: frames 1-1700000010; 5 frames in"), std::string::npos) << one.out;
        EXPECT_NE(two.out.find("chunk 2/2: frames 99999999999999999999 to zz.png; 4 frames in"), std::string::npos)
            << two.out;
        std::size_t written = 0;
        for (const std::string &name : names) {
            ASSERT_TRUE(fs::exists(dir / "farm" / name)) << name << " was never done";
            EXPECT_EQ(slurp(dir / "farm" / name), slurp(dir / "whole" / name)) << name;
        }
        for (const auto &entry : fs::directory_iterator(dir / "farm")) written += entry.is_regular_file();
        EXPECT_EQ(written, names.size());
    }
}

TEST_F(TaviSequences, AFramePatternNumbersEachFrameByItsName) {
    const std::vector<std::string> names = {"cam_1700000010.png", "cam_1700000004.png", "shot.0007.png"};
    for (std::size_t i = 0; i < names.size(); ++i) frame(names[i], int(i));
    CommandRun run = tavi("process" + joined(names) + " -o out.####.png");
    ASSERT_EQ(run.status, 0) << run.err;
    for (const char *written : {"out.1700000004.png", "out.1700000010.png", "out.0007.png"})
        EXPECT_TRUE(fs::exists(dir / written)) << written;
    EXPECT_FALSE(fs::exists(dir / "out.0001.png")) << "never numbered by its place in the list";

    // In two tasks, the same frames go to the same names.
    CommandRun one = tavi("process" + joined(names) + " -o task.%d.png --chunk 1/2");
    std::vector<std::string> reversed(names.rbegin(), names.rend());
    CommandRun two = tavi("process" + joined(reversed) + " -o task.%d.png --chunk 2/2");
    ASSERT_EQ(one.status, 0) << one.err;
    ASSERT_EQ(two.status, 0) << two.err;
    EXPECT_NE(one.out.find("chunk 1/2: frames 7-1700000004;"), std::string::npos) << one.out;
    EXPECT_NE(two.out.find("chunk 2/2: frame 1700000010;"), std::string::npos) << two.out;
    EXPECT_EQ(slurp(dir / "task.1700000004.png"), slurp(dir / "out.1700000004.png"));
    EXPECT_EQ(slurp(dir / "task.1700000010.png"), slurp(dir / "out.1700000010.png"));
    EXPECT_EQ(slurp(dir / "task.7.png"), slurp(dir / "out.0007.png"));
}

TEST_F(TaviSequences, AnInputWithoutANumberCannotGoToAFramePattern) {
    frame("shot.0001.png", 1);
    frame("beauty.png", 2);
    frame("matte.png", 3);
    CommandRun run = tavi("process shot.0001.png matte.png beauty.png -o out.####.png");
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("tavi: matte.png (and 1 more input) has no frame number in its name for the frame "
                           "pattern out.####.png"),
              std::string::npos)
        << run.err;
    run = tavi("process beauty.png -o out.%04d.png");
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("tavi: beauty.png has no frame number in its name"), std::string::npos) << run.err;
    EXPECT_FALSE(fs::exists(dir / "out.0001.png"));
    EXPECT_FALSE(fs::exists(dir / "out.0002.png"));
}

TEST_F(TaviSequences, TwoPercentSignsInAFramePatternAreOne) {
    frame("a.0001.png", 1);
    frame("a.0002.png", 2);
    CommandRun run = tavi("process a.0001.png a.0002.png -o '100%%.%04d.png'");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(fs::exists(dir / "100%.0001.png"));
    EXPECT_TRUE(fs::exists(dir / "100%.0002.png"));
    EXPECT_FALSE(fs::exists(dir / "100%%.0001.png"));

    // "%%d" is a percent sign and a d, no frame number.
    run = tavi("process a.0001.png a.0002.png -o 'take%%d.png'");
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("need an output folder or a frame pattern"), std::string::npos) << run.err;
}
