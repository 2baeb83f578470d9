// The command as users of oiiotool, render managers and farms use it: frame
// ranges, a dry run, a hint where the command is missing, jobs fitted to
// the CPUs and memory a task was given, a line a frame, and progress in a
// log that is no terminal.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "host/files/image_io.h"
#include "support/command_run.h"
#include "support/png_maker.h"

namespace fs = std::filesystem;
using tavi::test::CommandRun;
using tavi::test::runIn;

namespace {

class TaviHabits : public tavi::test::CommandFolder {
protected:
    CommandRun tavi(const std::string &args, const std::string &environment = "") {
        return runIn(dir, TAVI_EXE, args, environment);
    }
    CommandRun shell(const std::string &script) { return runIn(dir, "/bin/sh", "-c '" + script + "'"); }

    // A frame with a stair-stepped edge, `size` pixels square.
    void frame(const std::string &name, int size = 24) {
        tavi::host::RgbaImage image(size, size);
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) {
                std::uint8_t *p = image.at(x, y);
                const bool inside = 2 * y > x;
                p[0] = inside ? 240 : 10;
                p[1] = 90;
                p[2] = inside ? 10 : 230;
                p[3] = 255;
            }
        ASSERT_TRUE(tavi::host::files::writeImage(dir / name, image).ok()) << name;
    }
    bool made(const std::string &name) const { return fs::exists(dir / name); }
};

// A memory cgroup of its own with a limit, as a farm task is given one
// (cgroup v1's memory controller, else v2's), for a shell to enter; removed
// afterwards. Unusable where this test may not make one.
class MemoryGroup {
public:
    explicit MemoryGroup(std::uint64_t limit) {
        const std::string name = "tavi-test-" + std::to_string(::getpid()) + "-" + std::to_string(count_++);
        std::error_code error;
        const fs::path v1 = fs::path("/sys/fs/cgroup/memory") / name;
        if (fs::create_directory(v1, error) && (std::ofstream(v1 / "memory.limit_in_bytes") << limit).good()) {
            path_ = v1;
            return;
        }
        fs::remove(v1, error);
        const fs::path v2 = fs::path("/sys/fs/cgroup") / name;
        if (fs::create_directory(v2, error) && (std::ofstream(v2 / "memory.max") << limit).good()) {
            path_ = v2;
            return;
        }
        fs::remove(v2, error);
    }
    ~MemoryGroup() {
        std::error_code error;
        if (!path_.empty()) fs::remove(path_, error);
    }
    MemoryGroup(const MemoryGroup &) = delete;
    MemoryGroup &operator=(const MemoryGroup &) = delete;

    bool usable() const { return !path_.empty(); }
    // A shell command that moves the shell into the group first.
    std::string entered(const std::string &command) const {
        return "echo $$ > " + (path_ / "cgroup.procs").string() + " && exec " + command;
    }

private:
    fs::path path_;
    static inline int count_ = 0;
};

}  // namespace

TEST_F(TaviHabits, FramePatternsWithARangeList) {
    for (int n : {1001, 1002, 1003, 1060, 1100, 1110, 1120}) frame("shot." + std::to_string(n) + ".png");
    CommandRun run = tavi("process 'shot.####.png' --frames 1001-1003,1060,1100-1120x10 -o out/");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("7 frames in"), std::string::npos) << run.out;
    for (int n : {1001, 1002, 1003, 1060, 1100, 1110, 1120})
        EXPECT_TRUE(made("out/shot." + std::to_string(n) + ".png"));

    run = tavi("process 'shot.%04d.png' --frames 1002 -o 'one.%d.png'");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(made("one.1002.png"));
}

TEST_F(TaviHabits, OiiotoolsRangeInTheName) {
    for (int n = 1; n <= 3; ++n) frame("plate.000" + std::to_string(n) + ".png");
    frame("plate.5.png");
    ASSERT_EQ(tavi("process plate.1-3#.png -o a/").status, 0);  // each # four digits
    for (int n = 1; n <= 3; ++n) EXPECT_TRUE(made("a/plate.000" + std::to_string(n) + ".png"));
    ASSERT_EQ(tavi("process plate.5-5@.png -o b/").status, 0);  // each @ one
    EXPECT_TRUE(made("b/plate.5.png"));
}

TEST_F(TaviHabits, MissingFramesAreNamedInOneErrorBeforeAnyWork) {
    frame("shot.0001.png");
    frame("shot.0003.png");
    const CommandRun run = tavi("process 'shot.####.png' --frames 1-4 -o out/");
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("tavi: 2 inputs are missing: shot.0002.png, shot.0004.png; nothing was done"),
              std::string::npos)
        << run.err;
    EXPECT_FALSE(made("out"));
    EXPECT_EQ(tavi("process 'shot.####.png' -o out/").status, 2) << "a pattern without --frames";
    EXPECT_EQ(tavi("process shot.0001.png --frames 1-3 -o out/").status, 2) << "--frames without a pattern";
    EXPECT_EQ(tavi("process 'shot.####.png' --frames 3-1 -o out/").status, 2) << "a range that runs backwards";
}

TEST_F(TaviHabits, ChunksSplitTheFramesOfARangeLikeAList) {
    for (int n = 1; n <= 5; ++n) frame("s." + std::to_string(n) + ".png");
    const CommandRun first = tavi("process 's.#.png' --frames 1-5 --chunk 1/2 -o out/");
    const CommandRun second = tavi("process 's.#.png' --frames 1-5 --chunk 2/2 -o out/");
    ASSERT_EQ(first.status, 0) << first.err;
    ASSERT_EQ(second.status, 0) << second.err;
    EXPECT_NE(first.out.find("chunk 1/2: frames 1-3"), std::string::npos) << first.out;
    EXPECT_NE(second.out.find("chunk 2/2: frames 4-5"), std::string::npos) << second.out;
    for (int n = 1; n <= 5; ++n) EXPECT_TRUE(made("out/s." + std::to_string(n) + ".png"));
}

TEST_F(TaviHabits, ADryRunPrintsThePlanAndWritesNothing) {
    frame("a.0001.png");
    frame("a.0002.png");
    std::ofstream(dir / "a.0003.png") << "no picture";
    frame("old.png");
    const CommandRun run = tavi("process -n a.0001.png a.0002.png a.0003.png -o out/ --save-scene s.tvs");
    EXPECT_EQ(run.status, 1) << "a frame would fail";
    EXPECT_NE(run.out.find("a.0001.png -> out/a.0001.png\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("  would fail: a.0003.png: "), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("dry run: 2 frames would be written, 1 would fail; nothing was written"), std::string::npos)
        << run.out;
    EXPECT_FALSE(made("out"));
    EXPECT_FALSE(made("s.tvs"));
    const CommandRun replacing = tavi("process --dry-run a.0001.png -o old.png");
    EXPECT_EQ(replacing.status, 0) << replacing.err;
    EXPECT_NE(replacing.out.find("a.0001.png -> old.png (replaces the file there)"), std::string::npos);
}

TEST_F(TaviHabits, FilesWithoutACommandGetAHint) {
    frame("in.png");
    const CommandRun run = tavi("in.png -o out.png");
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("tavi process IN... -o OUT"), std::string::npos) << run.err;
    EXPECT_FALSE(made("out.png"));
}

TEST_F(TaviHabits, JobsAreTheCpusTheTaskMayUse) {
    if (::sysconf(_SC_NPROCESSORS_ONLN) < 2) GTEST_SKIP() << "this machine has one CPU: nothing to limit";
    for (int n = 1; n <= 4; ++n) frame("f." + std::to_string(n) + ".png");
    const CommandRun all = tavi("process -v f.1.png f.2.png f.3.png f.4.png -o a/");
    ASSERT_EQ(all.status, 0) << all.err;
    EXPECT_EQ(all.out.find("1 at once"), std::string::npos) << all.out;
    const CommandRun one =
        runIn(dir, "taskset", "-c 0 '" + std::string(TAVI_EXE) + "' process -v f.1.png f.2.png f.3.png f.4.png -o b/");
    ASSERT_EQ(one.status, 0) << one.err;
    EXPECT_NE(one.out.find("4 frames, 1 at once"), std::string::npos) << one.out;
}

TEST_F(TaviHabits, JobsFitTheMemoryOfTheTasksCgroup) {
    if (tavi::test::builtWithAddressSanitizer())
        GTEST_SKIP() << "AddressSanitizer's own memory would not fit the small memory limit this test sets";
    if (::sysconf(_SC_NPROCESSORS_ONLN) < 2) GTEST_SKIP() << "this machine has one CPU: one job anyway";
    const MemoryGroup group(160 << 20);
    if (!group.usable()) GTEST_SKIP() << "no memory cgroup can be made here";
    // Each frame needs about 80 MiB on its way through: two do not fit.
    frame("big.1.png", 2000);
    frame("big.2.png", 2000);
    const CommandRun run =
        shell(group.entered("\"" + std::string(TAVI_EXE) + "\" process big.1.png big.2.png -o out/"));
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("1 job at once, not 2: a frame takes"), std::string::npos) << run.err;
    EXPECT_TRUE(made("out/big.1.png") && made("out/big.2.png"));
}

TEST_F(TaviHabits, AFrameThatDoesNotFitTheCgroupIsRefusedAndTheOthersAreDone) {
    if (tavi::test::builtWithAddressSanitizer())
        GTEST_SKIP() << "AddressSanitizer's own memory would not fit the small memory limit this test sets";
    const MemoryGroup group(160 << 20);
    if (!group.usable()) GTEST_SKIP() << "no memory cgroup can be made here";
    // 4000 x 4000: about 300 MiB on its way, which the machine has and the
    // group does not. An allocation succeeds all the same, and touching
    // its pages would have the kernel kill the run.
    frame("f.0001.png");
    tavi::test::writeBytes(dir / "f.0002.png", tavi::test::pngHeaderOnly(4000, 4000));
    frame("f.0003.png");
    const std::string command = "\"" + std::string(TAVI_EXE) + "\" process f.0001.png f.0002.png f.0003.png";
    for (const std::string jobs : {"1", "2"}) {
        SCOPED_TRACE("--jobs " + jobs);
        fs::remove_all(dir / "out");
        const CommandRun run = shell(group.entered(command + " -o out/ --jobs " + jobs));
        EXPECT_EQ(run.status, 1) << run.err;
        EXPECT_NE(run.err.find("tavi: f.0002.png: not enough memory for a 4000 x 4000 image (needs "),
                  std::string::npos)
            << run.err;
        EXPECT_NE(run.out.find("2 frames in"), std::string::npos) << run.out;
        EXPECT_TRUE(made("out/f.0001.png") && made("out/f.0003.png"));
        EXPECT_FALSE(made("out/f.0002.png"));
    }
    const CommandRun plan = shell(group.entered(command + " -o out/ -n"));
    EXPECT_EQ(plan.status, 1) << plan.err;
    EXPECT_NE(plan.out.find("  would fail: f.0002.png: not enough memory for a 4000 x 4000 image"), std::string::npos)
        << plan.out;
}

TEST_F(TaviHabits, FramesAtOnceWaitForTheMemoryTheyNeed) {
    if (tavi::test::builtWithAddressSanitizer())
        GTEST_SKIP() << "AddressSanitizer's own memory would not fit the memory limit this test sets";
    const MemoryGroup group(480 << 20);
    if (!group.usable()) GTEST_SKIP() << "no memory cgroup can be made here";
    // A small frame first, which says two jobs fit; then two of 4500 x 4500,
    // which take about 390 MiB each on their way: one at a time fits in the
    // group, two at once do not.
    frame("s.0001.png");
    frame("s.0002.png", 4500);
    fs::copy_file(dir / "s.0002.png", dir / "s.0003.png");
    const CommandRun run = shell(
        group.entered("\"" + std::string(TAVI_EXE) + "\" process s.0001.png s.0002.png s.0003.png -o out/ --jobs 2"));
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("3 frames in"), std::string::npos) << run.out;
    for (const char *name : {"out/s.0001.png", "out/s.0002.png", "out/s.0003.png"}) EXPECT_TRUE(made(name)) << name;
}

TEST_F(TaviHabits, MissingInputsAreOneFaultNamedOrOfARange) {
    frame("shot.0001.png");
    frame("shot.0003.png");
    std::ofstream(dir / "cancel.txt") << "cancel\n";
    const std::pair<const char *, const char *> cases[] = {
        {"process shot.0001.png nope.png -o out/", "tavi: 1 input is missing: nope.png; nothing was done\n"},
        {"process nope.png shot.0001.png gone.png -o out/", "tavi: 2 inputs are missing: nope.png, gone.png;"},
        {"process 'shot.####.png' --frames 1-2 -o out/", "tavi: 1 input is missing: shot.0002.png; nothing was done"},
        {"process shot.1-3#.png -o out/", "tavi: 1 input is missing: shot.0002.png; nothing was done"},
        {"process -n shot.0001.png nope.png -o out/", "tavi: 1 input is missing: nope.png"},
        {"panel nope.png --script cancel.txt", "tavi: 1 input is missing: nope.png; nothing was done\n"},
    };
    for (const auto &[args, message] : cases) {
        const CommandRun run = tavi(args);
        EXPECT_EQ(run.status, 2) << args;
        EXPECT_NE(run.err.find(message), std::string::npos) << args << ": " << run.err;
        EXPECT_EQ(run.out, "") << args;
    }
    EXPECT_FALSE(made("out")) << "nothing was done";
}

TEST_F(TaviHabits, FramesAreNamedOneWayOnly) {
    for (int n = 1; n <= 6; ++n) frame("plate.000" + std::to_string(n) + ".png");
    // The range in the name and --frames: which is meant cannot be told.
    const CommandRun run = tavi("process plate.1-3#.png --frames 5-6 -o out/");
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("tavi: plate.1-3#.png names its frames (1-3), and --frames 5-6 names others; give the "
                           "frames one way"),
              std::string::npos)
        << run.err;
    EXPECT_FALSE(made("out"));
}

TEST_F(TaviHabits, VerboseGivesALineAFrame) {
    frame("a.png");
    const CommandRun run = tavi("process -v a.png -o b.png");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("a.png -> b.png: 24 x 24, "), std::string::npos) << run.out;
    EXPECT_NE(run.out.find(" pixels changed"), std::string::npos) << run.out;
}

TEST_F(TaviHabits, ALogThatIsNoTerminalHearsOfProgress) {
    frame("big.png", 3000);
    // The output is a file here: every tenth of a second, the least, a
    // plain line, and no bar.
    const CommandRun run = tavi("process big.png -o out.png --log-interval 0.1");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("tavi: 0 of 1 frame done in "), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find('\r'), std::string::npos) << "no bar drawn in a log";
    EXPECT_EQ(tavi("process big.png -o quiet.png -q --log-interval 0.1").err, "");
}
