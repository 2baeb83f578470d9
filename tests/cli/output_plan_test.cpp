#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/scratch_folder.h"
#include "cli/frame_number.h"
#include "cli/frame_pattern.h"
#include "cli/output_plan.h"
#include "cli/progress_bar.h"
#include "cli/usage_error.h"

using namespace tavi::cli;
namespace fs = std::filesystem;

TEST(OutputPlan, FrameNumbersComeFromTheNameAlone) {
    EXPECT_EQ(frameNumber("render.0042.png"), "42");
    EXPECT_EQ(frameNumber("dir7/shot12_v2.exr"), "2");
    EXPECT_EQ(frameNumber("shot.0000.png"), "0");
    // Any number of digits: a Unix time, and more than any integer holds.
    EXPECT_EQ(frameNumber("cam_1700000004.png"), "1700000004");
    EXPECT_EQ(frameNumber("f.000123456789012345678901234567890.exr"), "123456789012345678901234567890");
    EXPECT_EQ(frameNumber("beauty.png"), std::nullopt);
    EXPECT_EQ(frameNumber("7/beauty.png"), std::nullopt) << "the folder's digits are not the frame's";
    EXPECT_TRUE(frameNumberLess("9", "10"));
    EXPECT_TRUE(frameNumberLess("1700000004", "1700000010"));
    EXPECT_FALSE(frameNumberLess("10", "10"));
}

TEST(OutputPlan, PatternsExpand) {
    EXPECT_EQ(expandPattern("shot.####.png", "42"), "shot.0042.png");
    EXPECT_EQ(expandPattern("shot.#.png", "123"), "shot.123.png");
    EXPECT_EQ(expandPattern("out/f_%04d.tif", "7"), "out/f_0007.tif");
    EXPECT_EQ(expandPattern("f%d.png", "7"), "f7.png");
    // The width is the least: a longer number is written whole.
    EXPECT_EQ(expandPattern("cam.####.png", "1700000004"), "cam.1700000004.png");
    EXPECT_EQ(expandPattern("cam.%04d.png", "1700000004"), "cam.1700000004.png");
    EXPECT_TRUE(isFramePattern("a.%03d.png"));
    EXPECT_FALSE(isFramePattern("a.png"));
}

TEST(OutputPlan, TwoPercentSignsAreOne) {
    EXPECT_EQ(expandPattern("50%%.%04d.png", "7"), "50%.0007.png");
    EXPECT_EQ(expandPattern("a%%%d.png", "7"), "a%7.png");
    EXPECT_EQ(expandPattern("a%%%%b.%d.png", "7"), "a%%b.7.png");
    EXPECT_FALSE(isFramePattern("100%%d.png")) << "%% then d: no conversion";
    EXPECT_FALSE(isFramePattern("100%.png"));
    EXPECT_EQ(expandPattern("5%x.%d.png", "7"), "5%x.7.png") << "a lone % stays as it was";
    EXPECT_THROW(expandPattern("f.%d.%04d.png", "7"), UsageError) << "one number, two places";
}

TEST(OutputPlan, FoldersPatternsAndSingleFiles) {
    const tavi::test::ScratchFolder scratch;
    const fs::path dir = scratch.path();
    fs::create_directories(dir / "out");
    const auto tasks = planOutputs({"in/a.0001.png", "in/a.0002.png"}, (dir / "out").string());
    ASSERT_EQ(tasks.size(), 2u);
    EXPECT_EQ(tasks[1].output, dir / "out" / "a.0002.png");

    const auto patterned = planOutputs({"in/a.0001.png", "in/a.0002.png"}, "res.####.png");
    EXPECT_EQ(patterned[0].output, "res.0001.png");

    EXPECT_EQ(planOutputs({"in.png"}, "out.png")[0].output, "out.png");
    EXPECT_THROW(planOutputs({"a.png", "b.png"}, "out.png"), UsageError);
}

TEST(OutputPlan, RefusesToOverwriteInputsOrWriteTwice) {
    EXPECT_THROW(planOutputs({"shot.png"}, "./shot.png"), UsageError);
    EXPECT_THROW(planOutputs({"x/1.png", "y/1.png"}, "out/"), UsageError) << "both go to out/1.png";
    EXPECT_THROW(planOutputs({"x/a7.png", "y/b7.png"}, "same.#.png"), UsageError) << "both are frame 7";
    EXPECT_THROW(planOutputs({"a.1.png", "a.01.png"}, "same.#.png"), UsageError) << "both are frame 1";
}

TEST(OutputPlan, AFramePatternNeedsAFrameNumberInEveryName) {
    try {
        planOutputs({"a.0001.png", "sky.png", "b.png", "a.0002.png"}, "out.####.png");
        ADD_FAILURE() << "numbered by position";
    } catch (const UsageError &e) {
        EXPECT_EQ(std::string(e.what()),
                  "sky.png (and 1 more input) has no frame number in its name for the frame "
                  "pattern out.####.png; give an output folder, or name the frame with its "
                  "number");
    }
    EXPECT_THROW(planOutputs({"beauty.png"}, "out.%04d.png"), UsageError);
    EXPECT_NO_THROW(planOutputs({"a.0001.png", "sky.png"}, "out/"));
}

TEST(OutputPlan, SameFileByIdentityWhereItExistsAndByPathWhereNot) {
    const tavi::test::ScratchFolder scratch;
    const fs::path dir = scratch.path();
    fs::create_directories(dir / "frames");
    std::ofstream(dir / "frames" / "a.png") << "x";
    fs::create_hard_link(dir / "frames" / "a.png", dir / "linked.png");
    fs::create_directory_symlink("frames", dir / "shots");
    const fs::path input = dir / "frames" / "a.png";
    EXPECT_THROW(planOutputs({input}, (dir / "linked.png").string()), UsageError) << "a hard link to the input";
    EXPECT_THROW(planOutputs({input}, (dir / "shots" / "a.png").string()), UsageError) << "through a folder link";
    EXPECT_THROW(planOutputs({input}, (dir / "frames" / ".." / "frames" / "a.png").string()), UsageError);
    // Not there yet: the same path spelled two ways, through a link too.
    EXPECT_THROW(planOutputs({dir / "x.0001.png", dir / "y.0001.png"}, (dir / "shots" / "o.#.png").string(),
                             {{"--save-scene", dir / "frames" / "o.1.png"}}),
                 UsageError);
    EXPECT_NO_THROW(planOutputs({input}, (dir / "shots" / "b.png").string(), {{"--save-scene", dir / "b.tvs"}}));
}

TEST(OutputPlan, PatternWidthsAreOneToTwelve) {
    EXPECT_EQ(expandPattern("f.############.png", "5"), "f.000000000005.png");
    EXPECT_EQ(expandPattern("f.%012d.png", "5"), "f.000000000005.png");
    EXPECT_EQ(expandPattern("f.%0d.png", "5"), "f.5.png");
    for (const char *pattern :
         {"f.#############.png", "f.%013d.png", "f.%0300d.png", "f.%00d.png", "f.%099999999999999999999d.png"})
        EXPECT_THROW(expandPattern(pattern, "5"), UsageError) << pattern;
}

TEST(ProgressBar, RendersCountsAndRate) {
    EXPECT_EQ(ProgressBar::render(0, 4, 0.0, 30), "[" + std::string(17, ' ') + "] 0/4 frames");
    const std::string half = ProgressBar::render(2, 4, 1.0, 40);
    EXPECT_EQ(half.substr(0, 1), "[");
    EXPECT_NE(half.find("] 2/4 frames  2.0 frames/s"), std::string::npos);
    EXPECT_EQ(std::count(half.begin(), half.end(), '#'), 7) << "half of a 13-column bar";
}
