// The tavi command and the files around it: what it must never replace,
// what an interrupted run leaves, and inputs that must not hang it or
// exhaust the machine.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "host/base/temporary_names.h"
#include "host/files/image_io.h"
#include "support/png_maker.h"
#include "support/command_run.h"

using namespace tavi::host;
namespace fs = std::filesystem;
using tavi::test::BackgroundRun;
using tavi::test::CommandRun;
using tavi::test::runIn;
using tavi::test::slurp;

namespace {

class TaviFiles : public tavi::test::CommandFolder {
protected:
    CommandRun tavi(const std::string &args) { return runIn(dir, TAVI_EXE, args); }

    void picture(const std::string &name, int width = 24, int height = 16) {
        RgbaImage image(width, height);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                std::uint8_t *p = image.at(x, y);
                p[0] = std::uint8_t(2 * y > x ? 240 : 10);
                p[1] = std::uint8_t(x * 7);
                p[2] = std::uint8_t(y * 5);
                p[3] = 255;
            }
        auto written = files::writeImage(dir / name, image);
        ASSERT_TRUE(written.ok()) << written.error();
    }

    // 40 TIFF frames of 800x600 in "in/", a run long enough to signal
    // while it writes. Returns them as arguments.
    std::string longTiffSequence() {
        fs::create_directories(dir / "in");
        std::string inputs;
        for (int i = 1; i <= 40; ++i) {
            const std::string name = "in/f." + std::to_string(1000 + i) + ".tif";
            picture(name, 800, 600);
            inputs += " " + name;
        }
        return inputs;
    }

    void fifo(const std::string &name) { ASSERT_EQ(::mkfifo((dir / name).c_str(), 0600), 0) << name; }

    // Hidden temporaries of the atomic write in `folder` (runIn's own
    // output files aside).
    std::vector<std::string> temporaries(const fs::path &folder) {
        std::vector<std::string> found;
        for (const auto &entry : fs::directory_iterator(folder)) {
            const std::string name = entry.path().filename().string();
            if (name.starts_with(".") && !name.starts_with(".tavi-std") && name.find(".tavi-") != std::string::npos)
                found.push_back(name);
        }
        return found;
    }
};

// The id of a process that has ended.
pid_t endedProcess() {
    const pid_t child = ::fork();
    if (child == 0) ::_exit(0);
    ::waitpid(child, nullptr, 0);
    return child;
}

}  // namespace

TEST_F(TaviFiles, TheSceneToSaveMayNotBeAnInputAnOutputOrADevice) {
    picture("victim.png");
    const std::string victim = slurp(dir / "victim.png");
    fs::create_hard_link(dir / "victim.png", dir / "alias.tvs");
    fifo("pipe.tvs");
    const std::pair<const char *, const char *> cases[] = {
        {"process victim.png -o o.png --save-scene victim.png", "would overwrite an input"},
        {"process victim.png -o o.png --save-scene ./alias.tvs", "would overwrite an input"},
        {"process victim.png -o o.png --save-scene o.png", "would both be written to o.png"},
        {"process victim.png -o out/ --save-scene out/victim.png", "would both be written to out/victim.png"},
        {"process victim.png -o o.png --save-scene pipe.tvs", "a FIFO, not a regular file"},
    };
    for (const auto &[args, message] : cases) {
        CommandRun run = tavi(args);
        EXPECT_EQ(run.status, 2) << args;
        EXPECT_NE(run.err.find(message), std::string::npos) << args << ": " << run.err;
    }
    EXPECT_EQ(slurp(dir / "victim.png"), victim);
    EXPECT_TRUE(fs::is_fifo(dir / "pipe.tvs"));
    EXPECT_FALSE(fs::exists(dir / "o.png")) << "refused before any work";
    EXPECT_FALSE(fs::exists(dir / "out"));

    CommandRun run = tavi("process victim.png -o o.png --save-scene shot.tvs");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(slurp(dir / "shot.tvs").find("ImageFilter \"Tavi\" on 2 100 224"), std::string::npos);
}

TEST_F(TaviFiles, OutputsThatAreNotRegularFilesAreRefusedAndKept) {
    picture("a.0001.png");
    picture("a.0002.png");
    fifo("pipe.png");
    fs::create_directories(dir / "out");
    fifo("out/a.0002.png");
    fs::create_symlink("/dev/null", dir / "null.png");
    fs::create_directories(dir / "folder.0001.png");
    const std::pair<const char *, const char *> cases[] = {
        {"process a.0001.png -o pipe.png", "pipe.png: exists and is a FIFO"},
        {"process a.0001.png a.0002.png -o out/", "out/a.0002.png: exists and is a FIFO"},
        {"process a.0001.png -o null.png", "null.png: exists and is a character device"},
        {"process a.0001.png a.0002.png -o folder.####.png", "folder.0001.png: exists and is a folder"},
    };
    for (const auto &[args, message] : cases) {
        CommandRun run = tavi(args);
        EXPECT_EQ(run.status, 2) << args;
        EXPECT_NE(run.err.find(message), std::string::npos) << args << ": " << run.err;
    }
    EXPECT_TRUE(fs::is_fifo(dir / "pipe.png"));
    EXPECT_TRUE(fs::is_fifo(dir / "out/a.0002.png"));
    EXPECT_FALSE(fs::exists(dir / "out/a.0001.png")) << "refused before any frame is done";
    EXPECT_TRUE(fs::is_symlink(dir / "null.png"));
}

TEST_F(TaviFiles, AnOutputNameAsLongAsTheFileSystemTakesWorks) {
    picture("in.png");
    const std::string name = std::string(251, 'n') + ".png";
    CommandRun run = tavi("process in.png -o " + name);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(files::readImage(dir / name).ok());
    EXPECT_TRUE(temporaries(dir).empty());
}

TEST_F(TaviFiles, AFramePatternAsksForOneToTwelveDigits) {
    picture("a.0001.png");
    picture("a.0002.png");
    for (const char *pattern :
         {"b.%0300d.png", "b.%0999999999d.png", "b.%099999999999999999999d.png", "b.#############.png", "b.%00d.png"}) {
        CommandRun run = tavi(std::string("process a.0001.png a.0002.png -o ") + pattern);
        EXPECT_EQ(run.status, 2) << pattern;
        EXPECT_NE(run.err.find("asks for a width outside 1 to 12 digits"), std::string::npos)
            << pattern << ": " << run.err;
        EXPECT_EQ(run.err.find("std::"), std::string::npos) << run.err;
    }
    CommandRun run = tavi("process a.0001.png a.0002.png -o b.%012d.png");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(fs::exists(dir / "b.000000000002.png"));
}

TEST_F(TaviFiles, ASignalRemovesTheTemporariesAndSaysHowManyFramesWereDone) {
    // TIFF frames, which the image library writes by name: the run waits for
    // such a write before it removes its file.
    const std::string inputs = longTiffSequence();
    for (const auto &[signal, status, word] :
         {std::tuple{SIGINT, 130, "interrupted"}, std::tuple{SIGTERM, 143, "terminated"}}) {
        SCOPED_TRACE(word);
        fs::remove_all(dir / "out");
        BackgroundRun run(dir, TAVI_EXE, "process" + inputs + " -o out/ --jobs 2");
        // Signalled while a temporary is there, unless the run ends first.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (!run.ended() && std::chrono::steady_clock::now() < deadline &&
               !(fs::exists(dir / "out") && !temporaries(dir / "out").empty()))
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        ASSERT_FALSE(run.ended()) << "the run ended before it could be signalled";
        ::kill(run.pid(), signal);
        const CommandRun result = run.finish();
        EXPECT_EQ(result.status, status) << result.err;
        EXPECT_TRUE(temporaries(dir / "out").empty());
        std::size_t written = 0;
        for (const auto &entry : fs::directory_iterator(dir / "out")) {
            EXPECT_TRUE(files::readImage(entry.path()).ok()) << entry.path() << " is whole";
            ++written;
        }
        EXPECT_NE(result.err.find("tavi: " + std::string(word) + "; " + std::to_string(written) + " of 40 frames done"),
                  std::string::npos)
            << result.err;
    }
}

TEST_F(TaviFiles, ALaterRunRemovesOnlyTheTemporariesItKnowsAreAbandoned) {
    picture("a.0001.png");
    fs::create_directories(dir / "out");
    // The tavi run shares this test's host, boot and process namespace.
    const std::string here = ".tavi-" + thisMachine() + "-";
    std::string otherMachine = thisMachine();
    otherMachine.back() = otherMachine.back() == '0' ? '1' : '0';
    const std::string dead = std::to_string(endedProcess());
    const std::string killedHere = ".a.0001" + here + dead + "-3.png";
    const std::string aliveHere = ".b" + here + std::to_string(::getpid()) + "-0.png";
    // A process id given out on another node or in a container: here it is
    // no one's, there its writer may be busy.
    const std::string elsewhere = ".c.tavi-" + otherMachine + "-" + dead + "-0.png";
    const std::string older = ".d.tavi-" + dead + "-0.png";
    for (const std::string &name : {killedHere, aliveHere, elsewhere, older}) std::ofstream(dir / "out" / name) << name;

    CommandRun run = tavi("process a.0001.png -o out/");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("removed 1 temporary file that an interrupted run left in out"), std::string::npos)
        << run.err;
    const std::string left =
        "left 2 temporary files in out that a run on another machine, in another container or "
        "before a restart made";
    EXPECT_NE(run.err.find(left), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find(left), run.err.rfind(left)) << "said once: " << run.err;
    EXPECT_FALSE(fs::exists(dir / "out" / killedHere));
    EXPECT_TRUE(fs::exists(dir / "out" / aliveHere)) << "its process is still running";
    EXPECT_TRUE(fs::exists(dir / "out" / elsewhere));
    EXPECT_TRUE(fs::exists(dir / "out" / older)) << "an older version's name does not say where it was made";
    EXPECT_TRUE(fs::exists(dir / "out" / "a.0001.png"));
}

TEST_F(TaviFiles, ARunInAnotherProcessNamespaceLeavesThisOnesTemporaries) {
    // A container of its own: a new process-id namespace, where a process
    // id of this one's means nothing.
    if (runIn(dir, "unshare", "--pid --fork --mount-proc true").status != 0)
        GTEST_SKIP() << "unshare cannot make a process-id namespace here (it needs root)";
    picture("a.0001.png");
    fs::create_directories(dir / "out");
    const std::string killedHere = ".x.tavi-" + thisMachine() + "-" + std::to_string(endedProcess()) + "-0.png";
    std::ofstream(dir / "out" / killedHere) << "half a frame";
    CommandRun run =
        runIn(dir, "unshare", "--pid --fork --mount-proc '" + std::string(TAVI_EXE) + "' process a.0001.png -o out/");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("left 1 temporary file in out"), std::string::npos) << run.err;
    EXPECT_TRUE(fs::exists(dir / "out" / killedHere));
    // A run back in this namespace knows it for abandoned.
    run = tavi("process a.0001.png -o out/");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("removed 1 temporary file"), std::string::npos) << run.err;
    EXPECT_FALSE(fs::exists(dir / "out" / killedHere));
}

TEST_F(TaviFiles, InputsThatAreNotRegularFilesAreRefusedUnopened) {
    picture("a.0001.png");
    fifo("a.0002.png");  // no one ever writes to it
    fs::create_symlink("/dev/zero", dir / "a.0003.png");
    // An old tavi blocks on the FIFO or reads /dev/zero for ever.
    CommandRun run = runIn(dir, "timeout",
                           "60 '" + std::string(TAVI_EXE) +
                               "' process a.0001.png a.0002.png "
                               "a.0003.png -o b/");
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_NE(run.err.find("a.0002.png: is a FIFO, not an image file"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("a.0003.png: is a character device, not an image file"), std::string::npos) << run.err;
    const CommandRun device = runIn(dir, "timeout", "60 '" + std::string(TAVI_EXE) + "' process /dev/zero -o z.png");
    EXPECT_EQ(device.status, 1) << device.err;
    EXPECT_NE(device.err.find("/dev/zero: is a character device"), std::string::npos) << device.err;
    EXPECT_NE(run.out.find("1 frame in"), std::string::npos) << run.out;
    EXPECT_TRUE(fs::exists(dir / "b" / "a.0001.png"));
    EXPECT_TRUE(fs::is_fifo(dir / "a.0002.png"));
}

TEST_F(TaviFiles, AFrameTooLargeForMemoryIsThatFramesErrorAndTheRestAreDone) {
    if (tavi::test::builtWithAddressSanitizer())
        GTEST_SKIP() << "the address sanitizer needs more address space than the limit";
    picture("small.png");
    tavi::test::writeBytes(dir / "huge.png", tavi::test::pngHeaderOnly(16384, 16384));
    // 2 GB of address space: the program fits, a 16384 x 16384 frame does not.
    CommandRun run = runIn(
        dir, "sh",
        "-c 'ulimit -v 2000000 && exec \"" + std::string(TAVI_EXE) + "\" process huge.png small.png -o out/ --jobs 1'");
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_NE(run.err.find("huge.png: not enough memory for a 16384 x 16384 image (needs 5120 MiB)"), std::string::npos)
        << run.err;
    EXPECT_TRUE(files::readImage(dir / "out" / "small.png").ok());
    EXPECT_NE(run.out.find("1 frame in"), std::string::npos) << run.out;
}

TEST_F(TaviFiles, ABrokenPngGetsOurMessageOnly) {
    picture("whole.png", 64, 64);
    const std::string bytes = slurp(dir / "whole.png");
    tavi::test::writeBytes(dir / "cut.png", bytes.substr(0, bytes.size() * 2 / 3));
    CommandRun run = tavi("process cut.png -o out.png");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("tavi: cut.png: "), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find("libpng"), std::string::npos) << run.err;
    // One line tells of the error (a sanitizer may add its own report).
    std::size_t told = 0;
    std::istringstream lines(run.err);
    for (std::string line; std::getline(lines, line);) told += line.find("rror") != std::string::npos;
    EXPECT_EQ(told, 1u) << run.err;
}

TEST_F(TaviFiles, AnOutputThatIsASymbolicLinkIsWrittenThrough) {
    picture("a.0001.png");
    picture("a.0002.png", 30, 20);
    fs::create_directories(dir / "real");
    std::ofstream(dir / "real" / "old.png") << "an earlier result";
    ::chmod((dir / "real" / "old.png").c_str(), 0640);
    fs::create_symlink("real/old.png", dir / "out.png");
    CommandRun run = tavi("process a.0001.png -o out.png");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(fs::is_symlink(dir / "out.png")) << "the link stays";
    EXPECT_TRUE(files::readImage(dir / "real" / "old.png").ok()) << "the file it names is replaced";
    struct stat st {};
    ASSERT_EQ(::stat((dir / "real" / "old.png").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_TRUE(temporaries(dir / "real").empty());
    EXPECT_TRUE(temporaries(dir).empty());

    // In an output folder, and a link that names a file not made yet.
    fs::create_directories(dir / "out");
    fs::create_symlink("../real/new.png", dir / "out" / "a.0002.png");
    run = tavi("process a.0001.png a.0002.png -o out/");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(fs::is_symlink(dir / "out" / "a.0002.png"));
    auto written = files::readImage(dir / "real" / "new.png");
    ASSERT_TRUE(written.ok()) << written.error();
    EXPECT_EQ(written->image.width, 30);

    // A link to an input is still an output over an input.
    fs::create_symlink("a.0001.png", dir / "back.png");
    const std::string before = slurp(dir / "a.0001.png");
    run = tavi("process a.0001.png -o back.png");
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("would overwrite an input"), std::string::npos) << run.err;
    EXPECT_EQ(slurp(dir / "a.0001.png"), before);
}

TEST_F(TaviFiles, ASignalIgnoredWhenTheRunStartsStaysIgnored) {
    const std::string inputs = longTiffSequence();
    // A script's background job: the shell has set SIGINT to be ignored.
    BackgroundRun run(
        dir, "/bin/sh",
        "-c \"trap '' INT; exec '" + std::string(TAVI_EXE) + "' process" + inputs + " -o out/ --jobs 2\"");
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!run.ended() && std::chrono::steady_clock::now() < deadline &&
           !(fs::exists(dir / "out") && !temporaries(dir / "out").empty()))
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    ASSERT_FALSE(run.ended()) << "the run ended before it could be signalled";
    ::kill(run.pid(), SIGINT);
    const CommandRun result = run.finish();
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err.find("interrupted"), std::string::npos) << result.err;
    EXPECT_NE(result.out.find("40 frames in"), std::string::npos) << result.out;
    EXPECT_TRUE(temporaries(dir / "out").empty());
}

namespace {

// The command line that runs `args` of tavi as the user nobody where this
// test runs as root (permissions do not stop root), as it is otherwise;
// nothing, with `why` set, where neither can be.
std::optional<std::string> asOrdinaryUser(const fs::path &dir, const std::string &args, std::string &why) {
    const std::string command = "'" + std::string(TAVI_EXE) + "' " + args;
    if (::geteuid() != 0) return command;
    const std::string setpriv = "setpriv --reuid=65534 --regid=65534 --clear-groups ";
    if (runIn(dir, "/bin/sh", "-c '" + setpriv + "\"" + std::string(TAVI_EXE) + "\" --version'").status != 0) {
        why = "setpriv cannot run tavi as the user nobody here";
        return std::nullopt;
    }
    return setpriv + command;
}

}  // namespace

TEST_F(TaviFiles, MissingOutputFoldersAreMadeAndOneThatCannotBeIsRefusedBeforeAnyWork) {
    fs::create_directories(dir / "frames");
    for (int n = 1; n <= 3; ++n) picture("frames/shot.000" + std::to_string(n) + ".png");
    CommandRun run = runIn(dir, "/bin/sh",
                           "-c '\"" + std::string(TAVI_EXE) +
                               "\" process frames/shot.*.png -o out/shot.####.png "
                               "--jobs 2'");
    ASSERT_EQ(run.status, 0) << run.err;
    for (int n = 1; n <= 3; ++n)
        EXPECT_TRUE(files::readImage(dir / "out" / ("shot.000" + std::to_string(n) + ".png")).ok());
    // A single file, and the scene saved beside it, as a sequence.
    run = tavi("process frames/shot.0001.png -o deep/er/one.png --save-scene scenes/shot.tvs");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(files::readImage(dir / "deep" / "er" / "one.png").ok());
    EXPECT_TRUE(fs::is_regular_file(dir / "scenes" / "shot.tvs"));
    // A dry run says so, and makes none.
    run = tavi("process -n frames/shot.0001.png -o planned/x.png");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("makes the folder planned\n"), std::string::npos) << run.out;
    EXPECT_FALSE(fs::exists(dir / "planned"));

    // A file where a folder would go: one error, before any frame is read.
    std::ofstream(dir / "afile") << "a file";
    const std::pair<const char *, const char *> cases[] = {
        {"process frames/shot.0001.png -o afile/",
         "tavi: afile/shot.0001.png: afile is a regular file, not a folder\n"},
        {"process frames/shot.0001.png frames/shot.0002.png -o afile/sub/x.####.png",
         "tavi: afile/sub/x.0001.png: cannot make the folder afile/sub: afile is a regular file, not a folder\n"},
        {"process frames/shot.0001.png -o x.png --save-scene afile/s.tvs",
         "tavi: afile/s.tvs: afile is a regular file, not a folder\n"},
    };
    for (const auto &[args, message] : cases) {
        run = tavi(args);
        EXPECT_EQ(run.status, 2) << args;
        EXPECT_EQ(run.err, message) << args;
    }
    EXPECT_EQ(slurp(dir / "afile"), "a file");
    EXPECT_FALSE(fs::exists(dir / "x.png"));

    // Where this user may not make it.
    std::string why;
    fs::create_directories(dir / "locked");
    fs::permissions(dir, fs::perms::all);
    fs::permissions(dir / "locked", fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                        fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
    const std::optional<std::string> locked =
        asOrdinaryUser(dir, "process frames/shot.0001.png -o locked/sub/x.png", why);
    if (!locked) GTEST_SKIP() << why;
    run = runIn(dir, "/bin/sh", "-c \"" + *locked + "\"");
    EXPECT_EQ(run.status, 2) << run.err;
    EXPECT_EQ(run.err, "tavi: locked/sub/x.png: cannot make the folder locked/sub in locked (Permission denied)\n");
}

TEST_F(TaviFiles, AFramePatternIsInTheFileNameOnly) {
    fs::create_directories(dir / "seq");
    picture("seq/shot.0001.png");
    picture("seq/shot.0002.png", 30, 20);
    fs::create_directories(dir / "take12");
    std::ofstream(dir / "take12" / "final.png") << "an unrelated result";
    // A # or a % in a folder's name is as it is written.
    CommandRun run = tavi("process seq/shot.0001.png -o 'take#2/final.png'");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(files::readImage(dir / "take#2" / "final.png").ok());
    EXPECT_EQ(slurp(dir / "take12" / "final.png"), "an unrelated result");
    run = tavi("process seq/shot.0001.png seq/shot.0002.png -o '50%d/f.%04d.png'");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(fs::exists(dir / "50%d" / "f.0001.png") && fs::exists(dir / "50%d" / "f.0002.png"));
    // Inputs named by a pattern read the folder's name as written, too.
    fs::copy_file(dir / "seq" / "shot.0002.png", dir / "take#2" / "shot.0002.png");
    run = tavi("process 'take#2/shot.####.png' --frames 2 -o res/");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(fs::exists(dir / "res" / "shot.0002.png"));

    // In the file name a pattern numbers one input as it numbers many, so
    // that a farm task given one frame names it as the others do.
    run = tavi("process seq/shot.0002.png -o 'out#.png'");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(fs::exists(dir / "out2.png"));
    EXPECT_FALSE(fs::exists(dir / "out#.png"));

    // Two patterns in a name: which one the number goes to cannot be told.
    for (const char *name : {"a##b##.png", "a#.%04d.png", "f.%d.%04d.png"}) {
        run = tavi(std::string("process seq/shot.0001.png seq/shot.0002.png -o '") + name + "'");
        EXPECT_EQ(run.status, 2) << name;
        EXPECT_EQ(run.err, "tavi: the name " + std::string(name) +
                               " holds more than one frame pattern; one frame number goes into a name\n");
    }
    EXPECT_FALSE(fs::exists(dir / "a00b01.png"));
    EXPECT_FALSE(fs::exists(dir / "a0001b.png"));
}

TEST_F(TaviFiles, AnOutputLinkToAFileOfAnotherFormatIsRefused) {
    picture("a.0001.png");
    std::ofstream(dir / "data.tif") << "the data";
    fs::create_symlink("data.tif", dir / "out.png");
    fs::create_directories(dir / "out");
    fs::create_symlink("../later.exr", dir / "out" / "a.0001.png");
    const std::pair<const char *, const char *> cases[] = {
        {"process a.0001.png -o out.png",
         "tavi: out.png is a link to data.tif, whose name says another format "
         "(tiff, not png); name the output for its format, or name the file itself\n"},
        {"process a.0001.png -o out/",
         "tavi: out/a.0001.png is a link to out/../later.exr, whose name says another "
         "format (openexr, not png)"},
        {"process -n a.0001.png -o out.png", "tavi: out.png is a link to data.tif"},
    };
    for (const auto &[args, message] : cases) {
        const CommandRun run = tavi(args);
        EXPECT_EQ(run.status, 2) << args;
        EXPECT_NE(run.err.find(message), std::string::npos) << args << ": " << run.err;
    }
    EXPECT_EQ(slurp(dir / "data.tif"), "the data");
    EXPECT_FALSE(fs::exists(dir / "later.exr"));
    // Another name of the same format is no other format.
    fs::create_symlink("real.tiff", dir / "out.tif");
    const CommandRun run = tavi("process a.0001.png -o out.tif");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(files::readImage(dir / "real.tiff").ok());
}

TEST_F(TaviFiles, AnExistingOutputThisUserMayNotWriteIsLeftAsCpLeavesIt) {
    picture("a.png");
    picture("b.png", 30, 20);
    fs::create_directories(dir / "out");
    std::ofstream(dir / "out" / "a.png") << "an earlier result";
    std::ofstream(dir / "ro.tvs") << "TaviScene 1\nImageFilter \"Tavi\" on 2 100 224\n";
    for (const fs::path &file : {dir / "out" / "a.png", dir / "ro.tvs"}) {
        // The user's own file, read-only.
        if (::geteuid() == 0) {
            ASSERT_EQ(::chown(file.c_str(), 65534, 65534), 0);
        }
        fs::permissions(file, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    }
    fs::permissions(dir, fs::perms::all);
    fs::permissions(dir / "out", fs::perms::all);
    std::string why;
    const std::optional<std::string> process = asOrdinaryUser(dir, "process a.png b.png -o out/", why);
    if (!process) GTEST_SKIP() << why;
    // cp refuses it so.
    const std::string asUser = process->substr(0, process->find('\''));
    EXPECT_NE(runIn(dir, "/bin/sh", "-c \"" + asUser + "cp a.png out/a.png\"").status, 0);

    CommandRun run = runIn(dir, "/bin/sh", "-c \"" + *process + "\"");
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_NE(run.err.find("tavi: out/a.png: cannot write (Permission denied); it is left as it was\n"),
              std::string::npos)
        << run.err;
    EXPECT_NE(run.out.find("1 frame in"), std::string::npos) << "the other frame is done: " << run.out;
    EXPECT_EQ(slurp(dir / "out" / "a.png"), "an earlier result");
    EXPECT_TRUE(files::readImage(dir / "out" / "b.png").ok());
    EXPECT_TRUE(temporaries(dir / "out").empty());

    run = runIn(dir, "/bin/sh", "-c \"" + *asOrdinaryUser(dir, "process -n a.png -o out/a.png", why) + "\"");
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_NE(run.out.find("  would fail: out/a.png: cannot write (Permission denied)"), std::string::npos) << run.out;
    // The scene is written before any frame: nothing is done.
    run =
        runIn(dir, "/bin/sh", "-c \"" + *asOrdinaryUser(dir, "process a.png -o c.png --save-scene ro.tvs", why) + "\"");
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_NE(run.err.find("ro.tvs: cannot write (Permission denied)"), std::string::npos) << run.err;
    EXPECT_FALSE(fs::exists(dir / "c.png"));
    EXPECT_EQ(slurp(dir / "ro.tvs"), "TaviScene 1\nImageFilter \"Tavi\" on 2 100 224\n");

    // Root replaces it, as cp does.
    if (::geteuid() == 0) {
        run = tavi("process a.png -o out/a.png");
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_TRUE(files::readImage(dir / "out" / "a.png").ok());
    }
}
