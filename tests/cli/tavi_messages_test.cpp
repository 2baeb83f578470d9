// What the tavi command's messages show of text a user gave: file names,
// words of a scene file, option values. Control characters and NUL come out
// escaped, so that a name cannot clear the terminal or cut a message short;
// words of files are cut when they run long.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "host/files/image_io.h"
#include "support/command_run.h"

namespace fs = std::filesystem;
using tavi::test::CommandRun;
using tavi::test::runIn;

namespace {

class TaviMessages : public tavi::test::CommandFolder {
protected:
    CommandRun tavi(const std::string &args) { return runIn(dir, TAVI_EXE, args); }

    void file(const std::string &name, const std::string &bytes) {
        std::ofstream(dir / name, std::ios::binary) << bytes;
    }

    void picture(const std::string &name) {
        tavi::host::RgbaImage image(20, 16);
        for (std::size_t i = 0; i < image.rgba.size(); ++i) image.rgba[i] = std::uint8_t(i % 4 == 3 ? 255 : i * 7);
        ASSERT_TRUE(tavi::host::files::writeImage(dir / name, image).ok());
    }
};

// Whether `text` holds a byte below 0x20 other than the newline ending each
// line, or 0x7F.
bool holdsControlCharacters(const std::string &text) {
    for (unsigned char c : text)
        if ((c < 0x20 && c != '\n') || c == 0x7F) return true;
    return false;
}

std::size_t longestLine(const std::string &text) {
    std::size_t longest = 0;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) longest = std::max(longest, line.size());
    return longest;
}

}  // namespace

TEST_F(TaviMessages, FileNamesAreShownWithTheirControlCharactersEscaped) {
    picture("a.0001.png");
    // A name that would clear the screen and ring the bell, for a file that
    // the image library cannot read, one that is missing, and an output.
    const std::string evil = "evil\x1b[2J\x07";
    file(evil + ".0002.png", "not a picture");
    CommandRun run = tavi("process a.0001.png '" + evil + ".0002.png' -o out/");
    EXPECT_EQ(run.status, 1);
    EXPECT_FALSE(holdsControlCharacters(run.err)) << run.err;
    EXPECT_NE(run.err.find("tavi: evil\\x1b[2J\\x07.0002.png: "), std::string::npos) << run.err;
    run = tavi("process a.0001.png '" + evil + ".0003.png' -o out/");
    EXPECT_EQ(run.status, 2);  // a missing input is refused before any work
    EXPECT_FALSE(holdsControlCharacters(run.err)) << run.err;
    EXPECT_NE(run.err.find("missing: evil\\x1b[2J\\x07.0003.png"), std::string::npos) << run.err;

    // A file where the output's folder would be made.
    file("blocker\x1b]0;title\x07", "in the way");
    run = tavi("process a.0001.png -o 'blocker\x1b]0;title\x07/out.png'");
    EXPECT_EQ(run.status, 2);  // refused before any work
    EXPECT_FALSE(holdsControlCharacters(run.err)) << run.err;
    EXPECT_NE(run.err.find("blocker\\x1b]0;title\\x07/out.png"), std::string::npos) << run.err;
}

TEST_F(TaviMessages, OptionValuesAreShownEscaped) {
    picture("a.0001.png");
    for (const std::string option : {"--target 'rgb\x1b[31m'", "--chunk '1\x1b[31m/2'", "--strength '5\x08\x08'",
                                     "--scene 'nowhere\x1b[2J.tvs'"}) {
        const CommandRun run = tavi("process a.0001.png -o out.png " + option);
        EXPECT_NE(run.status, 0) << option;
        EXPECT_FALSE(holdsControlCharacters(run.err)) << option << ": " << run.err;
        EXPECT_TRUE(run.err.find("\\x1b") != std::string::npos || run.err.find("\\x08") != std::string::npos)
            << option << ": " << run.err;
    }
}

TEST_F(TaviMessages, SceneWordsAreEscapedAndCut) {
    picture("a.0001.png");
    // A NUL inside a word: the message goes on past it.
    file("nul.tvs", std::string("TaviScene 1\nImage") + '\0' + "Filter \"Tavi\" on 2 100 224\n");
    CommandRun run = tavi("process a.0001.png -o out.png --scene nul.tvs");
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("tavi: nul.tvs:2: unknown entry \"Image\\x00Filter\" (expected ImageFilter)"),
              std::string::npos)
        << run.err;

    // A word of 900 000 bytes: 40 of them are shown.
    file("long.tvs", "TaviScene 1\nImageFilter \"Tavi\" " + std::string(900000, 'o') + "n 2 100 224\n");
    run = tavi("process a.0001.png -o out.png --scene long.tvs");
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("long.tvs:2: expected \"on\" or \"off\" after the server name, found \"" +
                           std::string(40, 'o') + "...\""),
              std::string::npos)
        << run.err.substr(0, 300);
    EXPECT_LT(longestLine(run.err), 200u);

    file("bell.tvs", "TaviScene 1\nImageFilter \"Tavi\" on 2 1\x07 224\n");
    run = tavi("process a.0001.png -o out.png --scene bell.tvs");
    EXPECT_EQ(run.status, 2);
    EXPECT_FALSE(holdsControlCharacters(run.err)) << run.err;
    EXPECT_NE(run.err.find("bell.tvs:2: the settings line holds a control character"), std::string::npos) << run.err;
    EXPECT_FALSE(fs::exists(dir / "out.png"));
}
