// Frames on worker threads: whatever one frame throws is that frame's
// error, named after its input, and the rest are still done.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <mutex>
#include <new>
#include <stdexcept>

#include "cli/frame_workers.h"

using namespace tavi::cli;

TEST(FrameWorkers, EveryFailureIsItsFramesNamedErrorAndTheRestAreDone) {
    std::vector<FrameTask> tasks;
    for (int i = 0; i < 8; ++i) tasks.push_back({"f" + std::to_string(i) + ".png", "out.png"});
    for (unsigned workers : {1u, 3u}) {
        SCOPED_TRACE(workers);
        std::mutex lock;
        std::map<std::size_t, std::string> ended;
        std::set<unsigned> workersSeen;
        const std::size_t failed = runFrames(
            tasks, workers,
            [&](unsigned worker, std::size_t i) -> std::string {
                {
                    std::lock_guard guard(lock);
                    workersSeen.insert(worker);
                }
                if (i == 1) throw std::runtime_error("the disk went away");
                if (i == 2) throw std::bad_alloc();
                if (i == 3) throw 42;
                if (i == 4) return "f4.png: not an image file";
                return "";
            },
            [&](std::size_t i, const std::string &error) {
                std::lock_guard guard(lock);
                EXPECT_TRUE(ended.emplace(i, error).second) << "frame " << i << " ended twice";
            });
        EXPECT_EQ(failed, 4u);
        ASSERT_EQ(ended.size(), tasks.size()) << "every frame ran once";
        EXPECT_EQ(ended[0], "");
        EXPECT_EQ(ended[1], "f1.png: the disk went away");
        EXPECT_EQ(ended[2], "f2.png: not enough memory");
        EXPECT_EQ(ended[3], "f3.png: failed for a reason nobody gave");
        EXPECT_EQ(ended[4], "f4.png: not an image file");
        for (std::size_t i = 5; i < tasks.size(); ++i) EXPECT_EQ(ended[i], "") << i;
        for (unsigned worker : workersSeen) EXPECT_LT(worker, workers);
    }
}
