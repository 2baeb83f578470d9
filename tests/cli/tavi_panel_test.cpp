// tavi panel, run as a user runs it: a scripted session on a real frame.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/command_run.h"
#include "host/files/image_io.h"
#include "host/scene/scene_file.h"

using namespace tavi::host;
namespace fs = std::filesystem;
using Result = tavi::test::CommandRun;
using tavi::test::runIn;
using tavi::test::slurp;

namespace {

class TaviPanel : public tavi::test::CommandFolder {
protected:
    void SetUp() override {
        CommandFolder::SetUp();
        RgbaImage frame(400, 300);
        for (int y = 0; y < frame.height; ++y)
            for (int x = 0; x < frame.width; ++x) {
                std::uint8_t *p = frame.at(x, y);
                const bool inside = 2 * y > x + 40;
                p[0] = inside ? 230 : 20;
                p[1] = inside ? 180 : 40;
                p[2] = inside ? 30 : 160;
                p[3] = inside ? 255 : 0;
            }
        ASSERT_TRUE(files::writeImage(dir / "frame.png", frame).ok());
    }

    void script(const std::string &name, const std::string &text) { std::ofstream(dir / name) << text; }

    Result tavi(const std::string &args) { return runIn(dir, TAVI_EXE, args); }

    RgbaImage picture(const std::string &name) {
        auto loaded = files::readImage(dir / name);
        EXPECT_TRUE(loaded.ok()) << loaded.error();
        return loaded.ok() ? loaded->image : RgbaImage{};
    }
};

}  // namespace

TEST_F(TaviPanel, ScriptedSessionDrawsThePreviewAndSavesOnOk) {
    script("session.txt",
           "# A softer setting, seen twice as large.\n"
           "set Strength 50\n"
           "set Threshold 200\n"
           "click Draw\n"
           "set Zoom 1\n"
           "click Draw\n"
           "ok\n");
    Result run = tavi(
        "panel frame.png --target rgb --save-scene ignored.tvs --script session.txt "
        "--canvas canvas.png --screenshot panel.png");
    // --save-scene belongs to process only.
    EXPECT_EQ(run.status, 2) << run.err;

    std::ofstream(dir / "shot.tvs") << "TaviScene 1\nImageFilter \"Tavi\" on 0 100 224\n";
    run = tavi("panel frame.png --scene shot.tvs --script session.txt --canvas canvas.png --screenshot panel.png");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("OK; settings now 0 50 200"), std::string::npos) << run.out;
    EXPECT_EQ(readScene(dir / "shot.tvs").filters.at(0), (SceneFilter{"Tavi", true, "0 50 200"}));

    const RgbaImage canvas = picture("canvas.png");
    ASSERT_EQ(canvas.width, 320);
    ASSERT_EQ(canvas.height, 240);
    // At zoom 2 every frame pixel is a 2x2 square.
    for (int y = 0; y < 240; y += 2)
        for (int x = 0; x < 320; x += 2)
            for (int c = 0; c < 3; ++c) {
                ASSERT_EQ(canvas.at(x, y)[c], canvas.at(x + 1, y + 1)[c]) << x << "," << y;
                ASSERT_EQ(canvas.at(x, y)[c], canvas.at(x + 1, y)[c]) << x << "," << y;
            }
    // The preview shows the frame as the filter is handed it, colour
    // premultiplied: the opaque part in its colours, the transparent one black.
    EXPECT_EQ(canvas.at(0, 239)[0], 230);
    EXPECT_EQ(canvas.at(0, 239)[2], 30);
    EXPECT_EQ(canvas.at(0, 0)[2], 0);
    const RgbaImage panel = picture("panel.png");
    EXPECT_EQ(panel.width, 340);
    EXPECT_EQ(panel.height, 370);
}

TEST_F(TaviPanel, CancelKeepsTheSceneAsItWas) {
    std::ofstream(dir / "shot.tvs") << "TaviScene 1\nImageFilter \"Tavi\" on 2 100 224\n";
    const std::string before = slurp(dir / "shot.tvs");
    script("cancel.txt", "set Strength 10\nset Enabled 0\ncancel\n");
    Result run = tavi("panel frame.png --scene shot.tvs --script cancel.txt");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("Cancelled; settings now 2 100 224"), std::string::npos) << run.out;
    EXPECT_EQ(slurp(dir / "shot.tvs"), before);
}

TEST_F(TaviPanel, UncheckingEnabledIsSavedWithTheScene) {
    std::ofstream(dir / "shot.tvs") << "TaviScene 1\nImageFilter \"Tavi\" on 2 100 224\n";
    script("off.txt", "set Enabled 0\nok\n");
    Result run = tavi("panel frame.png --scene shot.tvs --script off.txt");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_FALSE(readScene(dir / "shot.tvs").filters.at(0).enabled);
}

TEST_F(TaviPanel, SettingsGivenOnTheCommandLineLeaveAFilterThatIsOffAlone) {
    // As for tavi process: they reach the filters that run.
    std::ofstream(dir / "shot.tvs") << "TaviScene 1\nImageFilter \"Tavi\" off 0 10 100\n";
    script("ok.txt", "ok\n");
    Result run = tavi("panel frame.png --scene shot.tvs --strength 60 --script ok.txt");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("OK; settings now 0 10 100"), std::string::npos) << run.out;
    EXPECT_EQ(readScene(dir / "shot.tvs").filters.at(0), (SceneFilter{"Tavi", false, "0 10 100"}));

    std::ofstream(dir / "on.tvs") << "TaviScene 1\nImageFilter \"Tavi\" on 0 10 100\n";
    run = tavi("panel frame.png --scene on.tvs --strength 60 --script ok.txt");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("OK; settings now 0 60 100"), std::string::npos) << run.out;
}

TEST_F(TaviPanel, ScriptErrorsNameTheLineAndWriteNothing) {
    std::ofstream(dir / "shot.tvs") << "TaviScene 1\nImageFilter \"Tavi\" on 2 100 224\n";
    const std::string before = slurp(dir / "shot.tvs");
    const std::pair<const char *, const char *> cases[] = {
        {"set Strength 50\nwiggle\nok\n", "bad.txt:2:"},
        {"# hidden until a preview is drawn\nset Zoom 2\nok\n", "bad.txt:2:"},
        {"set Threshold 300\nok\n", "bad.txt:1:"},
    };
    for (const auto &[text, where] : cases) {
        script("bad.txt", text);
        Result run = tavi("panel frame.png --scene shot.tvs --script bad.txt --canvas canvas.png");
        EXPECT_EQ(run.status, 2) << text;
        EXPECT_NE(run.err.find(where), std::string::npos) << run.err;
        EXPECT_FALSE(fs::exists(dir / "canvas.png"));
        EXPECT_EQ(slurp(dir / "shot.tvs"), before);
    }
}

TEST_F(TaviPanel, OkSavesIntoTheSceneInPlaceKeepingCommentsAndPermissions) {
    const std::string before =
        "# Shot 12: keep the alpha soft.\n"
        "TaviScene 1\n"
        "\n"
        "# set by hand, 2026-03-02\n"
        "ImageFilter \"Tavi\" on 2   100   224   \n";
    std::ofstream(dir / "shot.tvs") << before;
    fs::permissions(dir / "shot.tvs", fs::perms::owner_read | fs::perms::owner_write);
    script("ok.txt", "set Strength 35\nok\n");
    Result run = tavi("panel frame.png --scene shot.tvs --script ok.txt");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(slurp(dir / "shot.tvs"),
              "# Shot 12: keep the alpha soft.\n"
              "TaviScene 1\n"
              "\n"
              "# set by hand, 2026-03-02\n"
              "ImageFilter \"Tavi\" on 2 35 224\n");
    EXPECT_EQ(fs::status(dir / "shot.tvs").permissions(), fs::perms::owner_read | fs::perms::owner_write);
}

TEST_F(TaviPanel, TheFilesItWritesMayNotBeItsInputsOrOneAnother) {
    const std::string frame = slurp(dir / "frame.png");
    std::ofstream(dir / "shot.tvs") << "TaviScene 1\nImageFilter \"Tavi\" on 2 100 224\n";
    const std::string scene = slurp(dir / "shot.tvs");
    script("ok.txt", "click Draw\nok\n");
    ASSERT_EQ(::mkfifo((dir / "pipe.png").c_str(), 0600), 0);
    const std::pair<const char *, const char *> cases[] = {
        {"panel frame.png --script ok.txt --canvas frame.png", "frame.png: the --canvas file would overwrite an input"},
        {"panel frame.png --script ok.txt --screenshot ./frame.png", "the --screenshot file would overwrite an input"},
        {"panel frame.png --script ok.txt --canvas ok.txt", "the --canvas file would overwrite an input"},
        {"panel frame.png --script ok.txt --canvas x.png --screenshot x.png",
         "--screenshot and --canvas would both be written to x.png"},
        {"panel frame.png --script ok.txt --scene shot.tvs --canvas shot.tvs",
         "--canvas and --scene would both be written to shot.tvs"},
        {"panel frame.png --script ok.txt --canvas pipe.png", "pipe.png: exists and is a FIFO"},
    };
    for (const auto &[args, message] : cases) {
        Result run = tavi(args);
        EXPECT_EQ(run.status, 2) << args;
        EXPECT_NE(run.err.find(message), std::string::npos) << args << ": " << run.err;
    }
    EXPECT_EQ(slurp(dir / "frame.png"), frame);
    EXPECT_EQ(slurp(dir / "shot.tvs"), scene);
    EXPECT_FALSE(fs::exists(dir / "x.png"));
    EXPECT_TRUE(fs::is_fifo(dir / "pipe.png"));
}
