// tavi panel in a window, run as a user runs it: the real command opens a
// real window under SDL's offscreen video driver and synthetic mouse and
// keyboard input plays the user. What the window shows is checked against
// the scripted, windowless route of the same session.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/command_run.h"
#include "host/files/image_io.h"
#include "host/panel/panel_painter.h"
#include "host/scene/scene_file.h"

using namespace tavi::host;
namespace fs = std::filesystem;
using Result = tavi::test::CommandRun;
using tavi::test::runIn;
using tavi::test::slurp;

namespace {

constexpr int kPanelWidth = 340;
constexpr int kPanelHeight = 370;
constexpr int kButtonRow = 32;
// The canvas's drawing area on the panel.
constexpr int kCanvasLeft = 8;
constexpr int kCanvasTop = 98;
constexpr int kCanvasWidth = 320;
constexpr int kCanvasHeight = 240;

const fs::path kSessions = TAVI_GUI_SESSIONS;

// Where two pictures' colours first differ, or "" when they do not.
std::string firstDifference(const RgbaImage &a, const RgbaImage &b) {
    if (a.width != b.width || a.height != b.height)
        return "sizes " + std::to_string(a.width) + "x" + std::to_string(a.height) + " and " + std::to_string(b.width) +
               "x" + std::to_string(b.height);
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x)
            for (int c = 0; c < 3; ++c)
                if (a.at(x, y)[c] != b.at(x, y)[c])
                    return "pixel " + std::to_string(x) + "," + std::to_string(y) + " channel " + std::to_string(c) +
                           ": " + std::to_string(a.at(x, y)[c]) + " against " + std::to_string(b.at(x, y)[c]);
    return "";
}

RgbaImage crop(const RgbaImage &picture, int left, int top, int width, int height) {
    RgbaImage part(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const std::uint8_t *from = picture.at(left + x, top + y);
            std::copy(from, from + 4, part.at(x, y));
        }
    return part;
}

// Nothing but the panel's background.
bool plainPanel(const RgbaImage &picture) {
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x) {
            const std::uint8_t *p = picture.at(x, y);
            if (pictures::Colour{p[0], p[1], p[2]} != kPanelGrey) return false;
        }
    return true;
}

// A script's lines up to each "# screenshot NAME" mark, by NAME.
std::vector<std::pair<std::string, std::string>> prefixesAtMarks(const std::string &script) {
    std::vector<std::pair<std::string, std::string>> prefixes;
    std::istringstream lines(script);
    std::string line;
    std::string sofar;
    const std::string mark = "# screenshot ";
    while (std::getline(lines, line)) {
        if (line.rfind(mark, 0) == 0) prefixes.emplace_back(line.substr(mark.size()), sofar);
        sofar += line + "\n";
    }
    return prefixes;
}

class PanelWindow : public tavi::test::CommandFolder {
protected:
    void SetUp() override {
        CommandFolder::SetUp();
        // A gradient, so that every window on the frame looks different,
        // crossed by a slanted edge for the filter to work on.
        RgbaImage frame(400, 300);
        for (int y = 0; y < frame.height; ++y)
            for (int x = 0; x < frame.width; ++x) {
                std::uint8_t *p = frame.at(x, y);
                const bool inside = 2 * y > x + 40;
                p[0] = std::uint8_t(inside ? 230 : x * 200 / 399);
                p[1] = std::uint8_t(inside ? 180 - y / 4 : 40);
                p[2] = std::uint8_t(inside ? 30 : 60 + y * 190 / 299);
                p[3] = inside ? 255 : 0;
            }
        ASSERT_TRUE(files::writeImage(dir / "frame.png", frame).ok());
        std::ofstream(dir / "shot.tvs") << "TaviScene 1\nImageFilter \"Tavi\" on 2 100 224\n";
    }

    // `environment` goes before the command, e.g. "SDL_VIDEODRIVER=offscreen".
    Result tavi(const std::string &environment, const std::string &args) {
        return runIn(dir, TAVI_EXE, args, environment);
    }
    // Mesa's software OpenGL leaves allocations behind at exit, in
    // libraries it has unloaded by then, so LeakSanitizer can name nothing
    // to suppress them by. Runs with the window check for memory errors;
    // the windowless route's tests check the host and module for leaks.
    static constexpr const char *kOffscreen = "SDL_VIDEODRIVER=offscreen LSAN_OPTIONS=detect_leaks=0";
    Result window(const std::string &args) { return tavi(kOffscreen, "panel frame.png " + args); }

    // The canvas the scripted route leaves after `script`.
    RgbaImage scriptedCanvas(const std::string &script) {
        std::ofstream(dir / "prefix.txt") << script << "cancel\n";
        const Result run = tavi("", "panel frame.png --script prefix.txt --canvas prefix.png");
        EXPECT_EQ(run.status, 0) << run.err;
        return picture("prefix.png");
    }

    RgbaImage picture(const std::string &name) {
        auto loaded = files::readImage(dir / name);
        EXPECT_TRUE(loaded.ok()) << loaded.error();
        return loaded.ok() ? loaded->image : RgbaImage{};
    }

    void writeEvents(const std::string &text) { std::ofstream(dir / "events.txt") << text; }
};

}  // namespace

TEST_F(PanelWindow, ShowsWhatTheScriptedSessionDrawsAndSavesOnOk) {
    Result run = window("--scene shot.tvs --events '" + (kSessions / "preview.events").string() + "'");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("OK; settings now 2 50 256"), std::string::npos) << run.out;
    // Threshold was typed as 300: the slider holds no more than 256.
    EXPECT_EQ(readScene(dir / "shot.tvs").filters.at(0), (SceneFilter{"Tavi", true, "2 50 256"}));

    const auto marks = prefixesAtMarks(slurp(kSessions / "preview.script"));
    ASSERT_EQ(marks.size(), 4u);
    std::vector<RgbaImage> canvases;
    for (const auto &[name, script] : marks) {
        const RgbaImage shot = picture(name);
        ASSERT_EQ(shot.width, kPanelWidth) << name;
        ASSERT_EQ(shot.height, kPanelHeight + kButtonRow) << name;
        const RgbaImage shown = crop(shot, kCanvasLeft, kCanvasTop, kCanvasWidth, kCanvasHeight);
        EXPECT_EQ(firstDifference(shown, scriptedCanvas(script)), "") << name;
        canvases.push_back(shown);
    }
    // Each step changed the canvas: the logo, a preview, the dragged frame,
    // the preview there.
    for (std::size_t i = 1; i < canvases.size(); ++i)
        EXPECT_NE(firstDifference(canvases[i - 1], canvases[i]), "") << marks[i].first;

    // The zoom slider and the drag button are hidden until a preview is
    // drawn, and shown after it.
    const RgbaImage open = picture("open.png");
    const RgbaImage drawn = picture("drawn.png");
    EXPECT_TRUE(plainPanel(crop(open, 240, 72, 80, 20)));
    EXPECT_FALSE(plainPanel(crop(drawn, 240, 72, 80, 20)));
}

TEST_F(PanelWindow, TheTypedStrengthIsWhatThePreviewUses) {
    // Without this, the comparison above could pass with the strength lost.
    const auto marks = prefixesAtMarks(slurp(kSessions / "preview.script"));
    ASSERT_FALSE(marks.empty());
    std::string atFull = marks.back().second;
    atFull.replace(atFull.find("set Strength 50"), 15, "set Strength 100");
    EXPECT_NE(firstDifference(scriptedCanvas(marks.back().second), scriptedCanvas(atFull)), "");
}

TEST_F(PanelWindow, ListsAndCheckBoxesChangeTheSettings) {
    Result run = window("--scene shot.tvs --events '" + (kSessions / "choices.events").string() + "'");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("OK; settings now 0 100 224"), std::string::npos) << run.out;
    EXPECT_EQ(readScene(dir / "shot.tvs").filters.at(0), (SceneFilter{"Tavi", false, "0 100 224"}));
    // The list dropped down over the panel, below Target.
    const RgbaImage list = picture("list.png");
    EXPECT_FALSE(plainPanel(crop(list, 46, 26, 80, 36)));
}

TEST_F(PanelWindow, ClosingTheWindowOrEscapeCancels) {
    const std::string before = slurp(dir / "shot.tvs");
    for (const char *closing : {"close", "key Escape"}) {
        writeEvents(std::string("wait 2\nkeydown Left Ctrl\nclick 78 44\nkeyup Left Ctrl\ntype 10\nkey Return\n") +
                    closing + "\n");
        Result run = window("--scene shot.tvs --events events.txt --canvas canvas.png");
        ASSERT_EQ(run.status, 0) << closing << ": " << run.err;
        EXPECT_NE(run.out.find("Cancelled; settings now 2 100 224"), std::string::npos) << closing << ": " << run.out;
        EXPECT_EQ(slurp(dir / "shot.tvs"), before) << closing;
    }
}

TEST_F(PanelWindow, WithoutADisplayItSaysSoAndSuggestsAScript) {
    const std::string before = slurp(dir / "shot.tvs");
    Result run = tavi("-u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER",
                      "panel frame.png --scene shot.tvs --canvas canvas.png");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("no display"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("--script"), std::string::npos) << run.err;
    EXPECT_FALSE(fs::exists(dir / "canvas.png"));
    EXPECT_EQ(slurp(dir / "shot.tvs"), before);
}

TEST_F(PanelWindow, InputThatEndsWithThePanelOpenCancelsAndWritesNothing) {
    const std::string before = slurp(dir / "shot.tvs");
    writeEvents("wait 2\nclick 156 81\n");
    Result run = window("--scene shot.tvs --events events.txt --canvas canvas.png");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("still open"), std::string::npos) << run.err;
    EXPECT_FALSE(fs::exists(dir / "canvas.png"));
    EXPECT_EQ(slurp(dir / "shot.tvs"), before);
}

TEST_F(PanelWindow, ABadEventsFileIsAUsageErrorNamingTheLine) {
    writeEvents("wait 2\nwiggle 3 4\n");
    Result run = window("--events events.txt");
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("events.txt:2:"), std::string::npos) << run.err;
    writeEvents("ok\n");
    run = tavi(kOffscreen, "panel frame.png --events events.txt --script events.txt");
    EXPECT_EQ(run.status, 2) << run.err;
}
