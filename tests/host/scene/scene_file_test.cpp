#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/scratch_folder.h"
#include "host/scene/scene_file.h"
#include "host/scene/tavi_settings.h"

using namespace tavi::host;
namespace fs = std::filesystem;

namespace {

std::string errorOf(std::string_view text) {
    try {
        parseScene(text, "shot.tvs");
    } catch (const SceneError &e) {
        return e.what();
    }
    return "";
}

}  // namespace

TEST(SceneFile, RoundTripsThroughText) {
    const Scene scene{{{"Tavi", true, "2 100 224"}, {"Tavi", false, "1 40 30"}, {"Other Filter", true, ""}}};
    const std::string text = formatScene(scene);
    EXPECT_EQ(parseScene(text, "x"), scene);
    EXPECT_NE(text.find("TaviScene 1\n"), std::string::npos);
    EXPECT_NE(text.find("ImageFilter \"Tavi\" on 2 100 224\n"), std::string::npos);
}

TEST(SceneFile, AcceptsCommentsBlankLinesAndLooseSpacing) {
    const Scene scene = parseScene("# made by hand\n\n  TaviScene   1\r\n\tImageFilter   \"Tavi\"  off   0 5 6  \n", "x");
    ASSERT_EQ(scene.filters.size(), 1u);
    EXPECT_EQ(scene.filters[0], (SceneFilter{"Tavi", false, "0 5 6"}));
}

TEST(SceneFile, MalformedFilesNameTheLine) {
    EXPECT_EQ(errorOf(""), "shot.tvs: not a scene file: it is empty");
    EXPECT_EQ(errorOf("# only a comment\nPNG\n"), "shot.tvs:2: not a scene file: expected the header \"TaviScene 1\"");
    EXPECT_EQ(errorOf("TaviScene 2\n"),
              "shot.tvs:1: scene format version \"2\" is not supported (this host reads 1)");
    EXPECT_EQ(errorOf("TaviScene 1\n\nCamera \"x\"\n"),
              "shot.tvs:3: unknown entry \"Camera\" (expected ImageFilter)");
    EXPECT_EQ(errorOf("TaviScene 1\nImageFilter Tavi on 1 2 3\n"),
              "shot.tvs:2: expected the server name in double quotes");
    EXPECT_EQ(errorOf("TaviScene 1\nImageFilter \"Tavi on 1 2 3\n"), "shot.tvs:2: the server name has no closing quote");
    EXPECT_EQ(errorOf(std::string("TaviScene 1\nImageFilter \"T\0v\" on\n", 33)),
              "shot.tvs:2: the server name holds a control character or a backslash");
    EXPECT_EQ(errorOf("TaviScene 1\nImageFilter \"Tavi\" maybe 1 2 3\n"),
              "shot.tvs:2: expected \"on\" or \"off\" after the server name, found \"maybe\"");
    EXPECT_EQ(errorOf("TaviScene 1\nImageFilter \"Tavi\" on " + std::string(120, '1') + "\n"),
              "shot.tvs:2: the settings line is 120 bytes long; at most 119 fit");
}

TEST(SceneFile, RefusesToWriteWhatCannotBeReadBack) {
    EXPECT_THROW(formatScene(Scene{{{"Ta\"vi", true, "1"}}}), SceneError);
    EXPECT_THROW(formatScene(Scene{{{"Tavi", true, "1\n2"}}}), SceneError);
}

TEST(SceneFile, FilesOnDisk) {
    const tavi::test::ScratchFolder scratch;
    const fs::path dir = scratch.path();
    const Scene scene{{{"Tavi", true, "0 77 200"}}};
    writeScene(dir / "a.tvs", scene);
    EXPECT_EQ(readScene(dir / "a.tvs"), scene);

    try {
        readScene(dir / "missing.tvs");
        ADD_FAILURE() << "no error";
    } catch (const SceneError &e) {
        EXPECT_EQ(std::string(e.what()), (dir / "missing.tvs").string() + ": no such file");
    }

    // A failed write leaves the old file as it was and no temporary behind.
    EXPECT_THROW(writeScene(dir / "a.tvs", Scene{{{"Tavi", true, "bad\tline"}}}), SceneError);
    EXPECT_EQ(readScene(dir / "a.tvs"), scene);
    EXPECT_THROW(writeScene(dir / "no-such-folder" / "b.tvs", scene), SceneError);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
}

TEST(TaviSettingsLine, ParsesThreeNumbersOnly) {
    EXPECT_EQ(TaviSettings::parse("1 40 30"), (TaviSettings{1, 40, 30}));
    EXPECT_EQ(TaviSettings::parse("-1 +40 300 trailing"), (TaviSettings{-1, 40, 300}));
    EXPECT_EQ(TaviSettings::parse("1 40"), std::nullopt);
    EXPECT_EQ(TaviSettings::parse("99999999999 1 2"), std::nullopt);
    EXPECT_EQ((TaviSettings{0, 5, 6}).line(), "0 5 6");
}
