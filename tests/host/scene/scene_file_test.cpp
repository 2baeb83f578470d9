#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/scratch_folder.h"
#include "host/scene/scene_edit.h"
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
    const Scene scene =
        parseScene("# made by hand\n\n  TaviScene   1\r\n\tImageFilter   \"Tavi\"  off   0 5 6  \n", "x");
    ASSERT_EQ(scene.filters.size(), 1u);
    EXPECT_EQ(scene.filters[0], (SceneFilter{"Tavi", false, "0 5 6"}));
}

TEST(SceneFile, MalformedFilesNameTheLine) {
    EXPECT_EQ(errorOf(""), "shot.tvs: not a scene file: it is empty");
    EXPECT_EQ(errorOf("# only a comment\nPNG\n"), "shot.tvs:2: not a scene file: expected the header \"TaviScene 1\"");
    EXPECT_EQ(errorOf("TaviScene 2\n"), "shot.tvs:1: scene format version \"2\" is not supported (this host reads 1)");
    EXPECT_EQ(errorOf("TaviScene 1\n\nCamera \"x\"\n"), "shot.tvs:3: unknown entry \"Camera\" (expected ImageFilter)");
    EXPECT_EQ(errorOf("TaviScene 1\nImageFilter Tavi on 1 2 3\n"),
              "shot.tvs:2: expected the server name in double quotes");
    EXPECT_EQ(errorOf("TaviScene 1\nImageFilter \"Tavi on 1 2 3\n"),
              "shot.tvs:2: the server name has no closing quote");
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
    EXPECT_THROW(writeScene(dir / "a.tvs", Scene{{{"Tavi", true, "bad\x01line"}}}), SceneError);
    EXPECT_EQ(readScene(dir / "a.tvs"), scene);
    EXPECT_THROW(writeScene(dir / "no-such-folder" / "b.tvs", scene), SceneError);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
}

TEST(SceneFile, AByteOrderMarkAndTabsInTheSettingsAreRead) {
    const Scene scene = parseScene("\xEF\xBB\xBFTaviScene 1\nImageFilter \"Tavi\" on\t2\t100 224\n", "x");
    ASSERT_EQ(scene.filters.size(), 1u);
    EXPECT_EQ(scene.filters[0], (SceneFilter{"Tavi", true, "2\t100 224"}));
    EXPECT_EQ(parseScene(formatScene(scene), "again"), scene) << "what is read can be written";
}

TEST(SceneFile, AFiltersOwnCheckNamesTheLine) {
    const SettingsCheck onlyDigits = [](const SceneFilter &f) -> std::optional<std::string> {
        if (f.server == "Tavi" && f.settings.find_first_not_of("0123456789 ") != std::string::npos)
            return "not digits: " + f.settings;
        return std::nullopt;
    };
    const std::string text = "TaviScene 1\nImageFilter \"Other\" on x y\n# fine\nImageFilter \"Tavi\" on 2 1e2 7\n";
    try {
        parseScene(text, "shot.tvs", onlyDigits);
        ADD_FAILURE() << "no error";
    } catch (const SceneError &e) {
        EXPECT_EQ(std::string(e.what()), "shot.tvs:4: not digits: 2 1e2 7");
    }
    EXPECT_EQ(parseScene(text, "shot.tvs").filters.size(), 2u) << "no check, no complaint";
}

TEST(SceneFile, SavingOneEntryKeepsEverythingElse) {
    const std::string text =
        "\xEF\xBB\xBF# Shot 12, lit by Ana.\r\n"
        "TaviScene 1\r\n"
        "\r\n"
        "  ImageFilter \"Other\" on keep   these  words\r\n"
        "# the one the panel edits:\r\n"
        "\tImageFilter \"Tavi\" on  2  100  224\r\n"
        "ImageFilter \"Tavi\" off 0 1 2";
    const std::string saved = replaceFilterEntry(text, "shot.tvs", 1, SceneFilter{"Tavi", false, "1 60 200"});
    EXPECT_EQ(saved,
              "\xEF\xBB\xBF# Shot 12, lit by Ana.\r\n"
              "TaviScene 1\r\n"
              "\r\n"
              "  ImageFilter \"Other\" on keep   these  words\r\n"
              "# the one the panel edits:\r\n"
              "\tImageFilter \"Tavi\" off 1 60 200\r\n"
              "ImageFilter \"Tavi\" off 0 1 2");
    EXPECT_THROW(replaceFilterEntry(text, "shot.tvs", 3, SceneFilter{"Tavi", true, "1 2 3"}), SceneError);
    EXPECT_THROW(replaceFilterEntry("not a scene", "shot.tvs", 0, SceneFilter{"Tavi", true, "1 2 3"}), SceneError);
}

TEST(TaviSettingsLine, ThreeDecimalNumbersInThePanelsRanges) {
    EXPECT_EQ(TaviSettings::parse("1 40 30"), (TaviSettings{1, 40, 30}));
    EXPECT_EQ(TaviSettings::parse(" 0\t050   256 "), (TaviSettings{0, 50, 256}));
    for (const char *other : {"1 40", "1 40 30 4", "+1 40 30", "1 0x28 30", "1 40.0 30", "99999999999 1 2", ""})
        EXPECT_EQ(TaviSettings::parse(other), std::nullopt) << other;
    EXPECT_EQ((TaviSettings{0, 5, 6}).line(), "0 5 6");

    EXPECT_EQ(TaviSettings::problemWith("2 100 224"), std::nullopt);
    EXPECT_EQ(TaviSettings::problemWith("0\t0\t0"), std::nullopt);
    const std::pair<const char *, const char *> faults[] = {
        {"junk",
         "the Tavi settings are three whole numbers, target (0 to 2), strength (0 to 100) and "
         "threshold (0 to 256), not \"junk\""},
        {"abc def ghi", "\"abc\" is not a decimal integer"},
        {"2.5 60.7 224e0", "\"2.5\" is not a decimal integer"},
        {"2 60 224e0", "\"224e0\" is not a decimal integer"},
        {"7 500 999", "target 7 is outside 0 to 2"},
        {"2 500 999", "strength 500 is outside 0 to 100"},
        {"2 100 257", "threshold 257 is outside 0 to 256"},
        {"-1 100 224", "target -1 is outside 0 to 2"},
        {"2147483647 1 1", "target 2147483647 is outside 0 to 2"},
        {"2 99999999999 1", "strength 99999999999 is outside 0 to 100"},
    };
    for (const auto &[line, problem] : faults) {
        const std::optional<std::string> found = TaviSettings::problemWith(line);
        ASSERT_TRUE(found) << line;
        EXPECT_NE(found->find(problem), std::string::npos) << line << ": " << *found;
    }
}
