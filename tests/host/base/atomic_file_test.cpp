// The one atomic write: temporary names, permissions, what it never
// replaces, and the temporaries a stopped or killed run leaves.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "host/base/atomic_file.h"
#include "host/base/live_temporaries.h"
#include "host/base/temporary_names.h"
#include "support/scratch_folder.h"

using namespace tavi::host;
namespace fs = std::filesystem;

namespace {

std::string contents(const fs::path &file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

mode_t modeOf(const fs::path &file) {
    struct stat st {};
    EXPECT_EQ(::stat(file.c_str(), &st), 0) << file;
    return st.st_mode & 07777;
}

// The id of a process that has ended.
pid_t endedProcess() {
    const pid_t child = ::fork();
    if (child == 0) ::_exit(0);
    ::waitpid(child, nullptr, 0);
    return child;
}

bool validUtf8(const std::string &text) {
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        const std::size_t length = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        if (length == 0 || i + length > text.size()) return false;
        for (std::size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
        i += length;
    }
    return true;
}

}  // namespace

TEST(AtomicFile, EveryNameTheFileSystemTakesCanBeWritten) {
    const tavi::test::ScratchFolder scratch;
    const std::string ascii = std::string(251, 'a') + ".png";
    std::string accented;
    while (accented.size() + 2 <= 250) accented += "\xC3\xA9";  // é
    accented += std::string(251 - accented.size(), 'b') + ".png";
    for (const std::string &name : {ascii, accented}) {
        ASSERT_EQ(name.size(), 255u);
        writeFileAtomically(scratch / name, "frame");
        EXPECT_EQ(contents(scratch / name), "frame");

        const std::string temporary = temporaryNameFor(scratch / name, 12345678).filename().string();
        EXPECT_LE(temporary.size(), 255u);
        EXPECT_TRUE(temporary.ends_with(".png")) << temporary;
        EXPECT_TRUE(validUtf8(temporary)) << "cut inside a character: " << temporary;
        EXPECT_EQ(temporaryOwner(temporary), (TemporaryOwner{thisMachine(), ::getpid()}));
    }
    EXPECT_EQ(scratch.entries().size(), 2u) << "no temporary left behind";
}

TEST(AtomicFile, TheReplacementHasTheOldFilesPermissionsFromTheStart) {
    const tavi::test::ScratchFolder scratch;
    const fs::path secret = scratch / "secret.tvs";
    std::ofstream(secret) << "old";
    ::chmod(secret.c_str(), 0600);

    AtomicFile file(secret);
    const std::string text = "new";
    ASSERT_FALSE(file.write({reinterpret_cast<const unsigned char *>(text.data()), text.size()}));
    EXPECT_EQ(modeOf(file.temporary()), 0600u) << "never readable by others, even while written";
    ASSERT_FALSE(file.commit());
    EXPECT_EQ(modeOf(secret), 0600u);
    EXPECT_EQ(contents(secret), "new");
}

TEST(AtomicFile, WhatIsNotARegularFileIsNeverReplaced) {
    const tavi::test::ScratchFolder scratch;
    const fs::path fifo = scratch / "pipe.png";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    try {
        writeFileAtomically(fifo, "frame");
        ADD_FAILURE() << "the FIFO was replaced";
    } catch (const std::runtime_error &e) {
        EXPECT_NE(std::string(e.what()).find("not a regular file"), std::string::npos) << e.what();
    }
    EXPECT_TRUE(fs::is_fifo(fifo));

    EXPECT_EQ(scratch.entries(), (std::vector<std::string>{"pipe.png"}));
}

TEST(AtomicFile, ASymbolicLinkIsWrittenThroughAndStays) {
    const tavi::test::ScratchFolder scratch;
    fs::create_directories(scratch / "real");
    std::ofstream(scratch / "real" / "old.txt") << "old";
    ::chmod((scratch / "real" / "old.txt").c_str(), 0640);
    fs::create_symlink("real/old.txt", scratch / "link.txt");
    fs::create_symlink("link.txt", scratch / "chain.txt");
    fs::create_symlink(scratch / "real" / "new.txt", scratch / "dangling.txt");

    AtomicFile file(scratch / "chain.txt");
    EXPECT_EQ(file.replaced(), scratch / "real" / "old.txt");
    EXPECT_EQ(file.temporary().parent_path(), scratch / "real") << "beside the file it replaces, for the rename";
    const std::string text = "written";
    ASSERT_FALSE(file.write({reinterpret_cast<const unsigned char *>(text.data()), text.size()}));
    ASSERT_FALSE(file.commit());
    EXPECT_EQ(contents(scratch / "real" / "old.txt"), "written");
    EXPECT_EQ(modeOf(scratch / "real" / "old.txt"), 0640u);
    EXPECT_TRUE(fs::is_symlink(scratch / "link.txt"));
    EXPECT_TRUE(fs::is_symlink(scratch / "chain.txt"));

    // A dangling link: the file it names is made.
    writeFileAtomically(scratch / "dangling.txt", "made");
    EXPECT_TRUE(fs::is_symlink(scratch / "dangling.txt"));
    EXPECT_EQ(contents(scratch / "real" / "new.txt"), "made");

    // A loop of links leads nowhere: nothing is written, the links stay.
    fs::create_symlink("b.txt", scratch / "a.txt");
    fs::create_symlink("a.txt", scratch / "b.txt");
    try {
        writeFileAtomically(scratch / "a.txt", "lost");
        ADD_FAILURE() << "a loop of links was written";
    } catch (const std::runtime_error &e) {
        EXPECT_NE(std::string(e.what()).find("a.txt: cannot write (Too many levels of symbolic links)"),
                  std::string::npos)
            << e.what();
    }
    EXPECT_TRUE(fs::is_symlink(scratch / "a.txt"));
    EXPECT_EQ(scratch.entries(),
              (std::vector<std::string>{"a.txt", "b.txt", "chain.txt", "dangling.txt", "link.txt", "real"}));
    std::vector<std::string> real;
    for (const auto &entry : fs::directory_iterator(scratch / "real")) real.push_back(entry.path().filename());
    std::sort(real.begin(), real.end());
    EXPECT_EQ(real, (std::vector<std::string>{"new.txt", "old.txt"})) << "no temporary left behind";
}

TEST(TemporaryNames, OnlyOurOwnNamesAreRecognised) {
    const std::string machine = "node-7-0123456789abcdef";
    EXPECT_EQ(temporaryOwner(".shot.0001.tavi-" + machine + "-4242-7.png"), (TemporaryOwner{machine, 4242}));
    EXPECT_EQ(temporaryOwner(".scene.tavi-host-ffffffffffffffff-17-0"), (TemporaryOwner{"host-ffffffffffffffff", 17}));
    EXPECT_EQ(temporaryOwner("..tavi-" + machine + "-17-0.png"), (TemporaryOwner{machine, 17}))
        << "a stem shortened to nothing";
    // Older versions' names carry no machine.
    EXPECT_EQ(temporaryOwner(".shot.0001.tavi-4242-7.png"), (TemporaryOwner{"", 4242}));
    for (const char *other : {"shot.tavi-4242-7.png", ".shot.tavi-42x-7.png", ".shot.tavi-42-.png", ".shot.tavi--7.png",
                              ".shot.tavi-0-7.png", ".shot.tavi-42-7.tar.gz", ".tavi-42-7.png",
                              ".shot.tavi-99999999999-1.png", ".shot.tavi-node-0123-42-7.png",
                              ".shot.tavi-node-0123456789ABCDEF-42-7.png", ".shot.tavi--0123456789abcdef-42-7.png"})
        EXPECT_EQ(temporaryOwner(other), std::nullopt) << other;
}

TEST(TemporaryNames, TheNameSaysWhichMachineAndProcessMadeIt) {
    const std::string name = temporaryNameFor("out/shot.0001.png", 3).filename().string();
    const std::string expected = ".shot.0001.tavi-" + thisMachine() + "-" + std::to_string(::getpid()) + "-3.png";
    EXPECT_EQ(name, expected);
    // The host as people read it, then 16 digits for host, boot and namespace.
    char host[256] = {};
    ASSERT_EQ(::gethostname(host, sizeof host - 1), 0);
    const std::string machine = thisMachine();
    ASSERT_GT(machine.size(), 17u);
    EXPECT_EQ(machine[machine.size() - 17], '-') << machine;
    EXPECT_EQ(machine.find_first_not_of("0123456789abcdef", machine.size() - 16), std::string::npos) << machine;
    EXPECT_EQ(machine.find('.'), std::string::npos) << machine;
    if (std::string(host).find_first_of("._") == std::string::npos) {
        EXPECT_EQ(machine.substr(0, machine.size() - 17), std::string(host).substr(0, 20)) << machine;
    }
}

TEST(TemporaryNames, OnlyLeftoversOfEndedProcessesOfThisMachineAreRemoved) {
    const tavi::test::ScratchFolder scratch;
    const std::string dead = std::to_string(endedProcess());
    const std::string alive = std::to_string(::getpid());
    const std::string here = ".tavi-" + thisMachine() + "-";
    // The same host name, another boot or namespace: other digits.
    std::string elsewhere = thisMachine();
    elsewhere.back() = elsewhere.back() == '0' ? '1' : '0';
    std::ofstream(scratch / (".a" + here + dead + "-0.png")) << "left by a killed run";
    std::ofstream(scratch / (".b" + here + alive + "-0.png")) << "being written now";
    std::ofstream(scratch / ".c.tavi-notes.png") << "someone else's";
    std::ofstream(scratch / "d.png") << "a frame";
    fs::create_symlink("d.png", scratch / (".e" + here + dead + "-1.png"));
    std::ofstream(scratch / (".f.tavi-" + elsewhere + "-" + dead + "-0.png")) << "another container's, maybe live";
    std::ofstream(scratch / (".g.tavi-" + dead + "-0.png")) << "an older version's: whose, it does not say";

    const LeftoverSweep sweep = sweepLeftoverTemporaries(scratch.path());
    EXPECT_EQ(sweep.removed, 1u);
    EXPECT_EQ(sweep.foreign, 2u);
    EXPECT_EQ(scratch.entries(),
              (std::vector<std::string>{".b" + here + alive + "-0.png", ".c.tavi-notes.png",
                                        ".e" + here + dead + "-1.png", ".f.tavi-" + elsewhere + "-" + dead + "-0.png",
                                        ".g.tavi-" + dead + "-0.png", "d.png"}));
}

TEST(LiveTemporaries, AStopRemovesTheListedFilesAndHoldsBackTheRest) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const tavi::test::ScratchFolder scratch;
    const fs::path target = scratch / "frame.png";
    // In a child process: the stop keeps its lock until the process ends.
    EXPECT_EXIT(
        {
            AtomicFile written(target);
            const std::string text = "half a frame";
            if (written.write({reinterpret_cast<const unsigned char *>(text.data()), text.size()})) ::_exit(2);
            // A library writing a temporary by name: the stop waits for it.
            AtomicFile lent(scratch / "other.tif");
            if (lent.lend()) ::_exit(3);
            std::thread library([&] {
                std::this_thread::sleep_for(std::chrono::milliseconds(200));
                std::ofstream(lent.temporary()) << "written by a library";
                (void)lent.flush();
            });
            const std::size_t placed = live_temporaries::removeAllAndHold([] { return false; });
            library.join();
            const bool gone = !fs::exists(written.temporary()) && !fs::exists(lent.temporary());
            // Nothing is put in place after the stop.
            std::atomic<bool> committed{false};
            std::thread late([&] { committed = !written.commit(); });
            late.detach();
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            ::_exit(gone && placed == 0 && !committed && !fs::exists(target) ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
    EXPECT_TRUE(scratch.entries().empty());
}
