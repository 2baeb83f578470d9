// The library's version: the header's macros, tavi_version() and the tavi
// command all say the project's version.
#include <gtest/gtest.h>

#include <string>

#include "support/command_run.h"
#include "tavi/tavi.h"

namespace {

TEST(LibraryVersion, HeaderLibraryAndCommandAgree) {
    const std::string fromNumbers = std::to_string(TAVI_VERSION_MAJOR) + "." + std::to_string(TAVI_VERSION_MINOR) +
                                    "." + std::to_string(TAVI_VERSION_PATCH);
    EXPECT_EQ(fromNumbers, TAVI_VERSION_STRING);
    EXPECT_EQ(std::string(TAVI_VERSION_STRING), TAVI_PROJECT_VERSION);
    ASSERT_NE(tavi_version(), nullptr);
    EXPECT_EQ(std::string(tavi_version()), TAVI_VERSION_STRING);

    const tavi::test::ScratchFolder dir("library-version");
    const tavi::test::CommandRun run = tavi::test::runIn(dir.path(), TAVI_EXE, "--version");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.substr(0, run.out.find('\n')), std::string("tavi ") + tavi_version());
}

}  // namespace
