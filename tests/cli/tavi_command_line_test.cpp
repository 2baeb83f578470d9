// What the tavi command makes of its command line: the faults it finds
// named in its own words after "tavi: ", with the nearest known command
// or option; help asked for as users ask; --module anywhere; options that
// cannot go together; and a status that says whether what it printed
// arrived.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>

#include "host/files/image_io.h"
#include "support/command_run.h"

namespace fs = std::filesystem;
using tavi::test::CommandRun;
using tavi::test::runIn;

namespace {

class TaviCommandLine : public tavi::test::CommandFolder {
protected:
    void SetUp() override {
        CommandFolder::SetUp();
        tavi::host::RgbaImage image(20, 16);
        for (std::size_t i = 0; i < image.rgba.size(); ++i) image.rgba[i] = std::uint8_t(i % 4 == 3 ? 255 : i * 7);
        ASSERT_TRUE(tavi::host::files::writeImage(dir / "in.png", image).ok());
    }
    CommandRun tavi(const std::string &args) { return runIn(dir, TAVI_EXE, args); }
    // Through a shell, for redirections of the command's own.
    CommandRun shell(const std::string &script) { return runIn(dir, "/bin/sh", "-c '" + script + "'"); }
};

// Every line of `err` is a message of ours, and none is the parser's.
void expectOurWords(const std::string &args, const std::string &err) {
    std::istringstream lines(err);
    for (std::string line; std::getline(lines, line);) EXPECT_TRUE(line.starts_with("tavi: ")) << args << ": " << err;
    for (const char *parsers : {"is required", "Run with --help", "The following argument", "At Most", "Could not",
                                "not in {", "Expected", "FAILED"})
        EXPECT_EQ(err.find(parsers), std::string::npos) << args << ": " << err;
}

}  // namespace

TEST_F(TaviCommandLine, UnknownCommandsAndOptionsAreNamedWithTheNearestKnown) {
    const std::pair<const char *, const char *> cases[] = {
        {"proces in.png -o out.png", "tavi: unknown command proces; did you mean process?\n"},
        {"dmeo", "tavi: unknown command dmeo; did you mean demo?\n"},
        {"frobnicate", "tavi: unknown command frobnicate (the commands are process, demo and panel"},
        {"--frobnicate", "tavi: unknown option --frobnicate (tavi --help lists the options)\n"},
        {"--versoin", "tavi: unknown option --versoin; did you mean --version?\n"},
        {"process in.png --strenght 50 -o out.png", "tavi: unknown option --strenght; did you mean --strength?\n"},
        {"process in.png --thresh=100 -o out.png", "tavi: unknown option --thresh; did you mean --threshold?\n"},
        {"process in.png --frobnicate -o out.png",
         "tavi: unknown option --frobnicate (tavi process --help lists its options)\n"},
        {"--strength 50 process in.png -o out.png",
         "tavi: --strength goes after the command: tavi process ... --strength\n"},
        {"panel in.png --save-scene s.tvs", "tavi: --save-scene is an option of the command process, not of panel\n"},
        {"demo extra", "tavi: demo does not take the argument extra"},
        // Files where the command belongs.
        {"in.png -o out.png", "tavi: no command given; to anti-alias files: tavi process IN... -o OUT"},
    };
    for (const auto &[args, message] : cases) {
        const CommandRun run = tavi(args);
        EXPECT_EQ(run.status, 2) << args;
        EXPECT_NE(run.err.find(message), std::string::npos) << args << ": " << run.err;
        expectOurWords(args, run.err);
    }
    EXPECT_FALSE(fs::exists(dir / "out.png"));
}

TEST_F(TaviCommandLine, TheParsersFaultsAreToldInOurWords) {
    const std::pair<const char *, const char *> cases[] = {
        {"process", "tavi: process needs the files to work on (tavi process IN... -o OUT)\n"},
        {"process in.png", "tavi: process needs --output (tavi process IN... -o OUT)\n"},
        {"panel", "tavi: panel needs the files to work on"},
        {"process in.png -o out.png --chunk", "tavi: --chunk needs a value\n"},
        {"process in.png -o out.png --strength 1 --strength 2",
         "tavi: --strength is given more than once; give it once\n"},
        {"process in.png -o out.png -o other.png", "tavi: --output is given more than once; give it once\n"},
        {"process in.png -o out.png --quiet=maybe", "tavi: --quiet does not take the value maybe\n"},
        {"process in.png -o out.png --target rgbx", "tavi: --target: \"rgbx\" is none of rgb, alpha or rgba\n"},
        {"process in.png -o out.png --alpha both",
         "tavi: --alpha: \"both\" is none of auto, straight or premultiplied"},
        {"process in.png -o out.png -d int8", "tavi: --data-type: \"int8\" is none of uint8, uint16, half or float"},
        {"process in.png -o out.png --jobs 0", "tavi: --jobs: 0 is not in the range 1 to 256\n"},
        {"demo --width wide", "tavi: --width: \"wide\" is not a whole decimal number (16 to 8192)\n"},
    };
    for (const auto &[args, message] : cases) {
        const CommandRun run = tavi(args);
        EXPECT_EQ(run.status, 2) << args;
        EXPECT_NE(run.err.find(message), std::string::npos) << args << ": " << run.err;
        expectOurWords(args, run.err);
    }
    EXPECT_FALSE(fs::exists(dir / "out.png"));
    EXPECT_FALSE(fs::exists(dir / "tavi-demo"));
}

TEST_F(TaviCommandLine, HelpIsAskedForAsUsersAsk) {
    const CommandRun options = tavi("--help");
    ASSERT_EQ(options.status, 0);
    EXPECT_NE(options.out.find("Exit status: 0 every frame done; 1 a frame"), std::string::npos) << options.out;
    const CommandRun word = tavi("help");
    EXPECT_EQ(word.status, 0) << word.err;
    EXPECT_EQ(word.out, options.out);
    const CommandRun process = tavi("help process");
    EXPECT_EQ(process.status, 0) << process.err;
    EXPECT_EQ(process.out, tavi("process --help").out);
    EXPECT_NE(process.out.find("--output"), std::string::npos);
    const CommandRun typo = tavi("help proces");
    EXPECT_EQ(typo.status, 2);
    EXPECT_EQ(typo.err, "tavi: unknown command proces; did you mean process?\n");
    // Without a command: what there is, and a status that says nothing ran.
    const CommandRun none = tavi("");
    EXPECT_EQ(none.status, 2);
    EXPECT_TRUE(none.err.starts_with("tavi: no command given\n")) << none.err;
}

TEST_F(TaviCommandLine, TheModuleIsNamedBeforeOrAfterTheCommand) {
    const std::string module = TAVI56_MODULE_PATH;
    for (const std::string &args :
         {"--module '" + module + "' process in.png -o a.png", "process --module '" + module + "' in.png -o b.png",
          "process in.png -o c.png --module='" + module + "'"}) {
        const CommandRun run = tavi(args);
        EXPECT_EQ(run.status, 0) << args << ": " << run.err;
    }
    EXPECT_TRUE(fs::exists(dir / "a.png") && fs::exists(dir / "b.png") && fs::exists(dir / "c.png"));
    // It is the one loaded, wherever it stands.
    const CommandRun missing = tavi("process in.png -o d.png --module missing.p");
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("missing.p"), std::string::npos) << missing.err;
    EXPECT_FALSE(fs::exists(dir / "d.png"));
    EXPECT_EQ(tavi("demo --module missing.p -o d").status, 1);
}

TEST_F(TaviCommandLine, QuietAndVerboseTogetherAreRefused) {
    for (const char *args : {"process -q -v in.png -o out.png", "process in.png -o out.png --verbose --quiet"}) {
        const CommandRun run = tavi(args);
        EXPECT_EQ(run.status, 2) << args;
        EXPECT_NE(run.err.find("tavi: -q (print errors only) and -v (a line for each frame) ask for opposite things"),
                  std::string::npos)
            << run.err;
        EXPECT_EQ(run.out, "") << "no line a frame";
    }
    EXPECT_FALSE(fs::exists(dir / "out.png"));
}

TEST_F(TaviCommandLine, ALogIntervalIsNoneOrATenthOfASecondAndMore) {
    // An interval near 0 would write a line for every turn of the clock.
    for (const char *seconds : {"1e-300", "0.01", "0.099", "-1", "86401", "nan", "inf", "0x1p3", "ten", "''"}) {
        const CommandRun run = tavi(std::string("process in.png -o out.png --log-interval ") + seconds);
        EXPECT_EQ(run.status, 2) << seconds << ": " << run.err;
        EXPECT_NE(run.err.find("tavi: --log-interval: "), std::string::npos) << seconds << ": " << run.err;
        EXPECT_NE(run.err.find("(0 for none, or 0.1 to 86400 seconds)"), std::string::npos) << run.err;
    }
    EXPECT_FALSE(fs::exists(dir / "out.png"));
    for (const char *seconds : {"0", "0.1", "2.5", "1e1", "86400"}) {
        const CommandRun run = tavi(std::string("process in.png -o out.png --log-interval ") + seconds);
        EXPECT_EQ(run.status, 0) << seconds << ": " << run.err;
    }
}

TEST_F(TaviCommandLine, WhatCannotBePrintedFailsTheRun) {
    const std::string command = "\"" + std::string(TAVI_EXE) + "\"";
    // A plan nobody got is no success.
    CommandRun run = shell(command + " process -n in.png -o out.png >/dev/full");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "tavi: cannot write the standard output (No space left on device)\n");
    run = shell(command + " --help >/dev/full");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("cannot write the standard output"), std::string::npos) << run.err;
    run = shell(command + " process in.png -o out.png >/dev/full");
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(fs::exists(dir / "out.png")) << "the frame itself was done";
    // A usage error keeps its own status.
    run = shell(command + " process -n in.png >/dev/full");
    EXPECT_EQ(run.status, 2);
}
