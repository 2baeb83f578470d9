// Slicing a sequence among the tasks of a farm array job.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/frame_chunk.h"
#include "cli/frame_number.h"
#include "cli/usage_error.h"

using namespace tavi::cli;
namespace fs = std::filesystem;

namespace {

std::vector<fs::path> numberedFrames(std::size_t count) {
    std::vector<fs::path> frames;
    for (std::size_t i = 0; i < count; ++i) frames.push_back("shot." + std::to_string(i + 1) + ".png");
    return frames;
}

std::vector<std::string> names(const std::vector<fs::path> &inputs, const std::vector<std::size_t> &positions) {
    std::vector<std::string> out;
    for (std::size_t p : positions) out.push_back(inputs[p].string());
    return out;
}

// The message of the UsageError that parseChunk throws for `text`.
std::string refusal(const std::string &text) {
    try {
        parseChunk(text);
    } catch (const UsageError &e) {
        return e.what();
    }
    ADD_FAILURE() << "\"" << text << "\" was accepted";
    return "";
}

}  // namespace

TEST(FrameChunk, SlicesCoverEveryInputOnceWithSizesWithinOne) {
    for (std::size_t total : {0u, 1u, 2u, 3u, 7u, 10u, 11u, 64u, 100u}) {
        const std::vector<fs::path> inputs = numberedFrames(total);
        for (std::size_t count : {1u, 2u, 3u, 4u, 7u, 8u, 13u, 150u}) {
            SCOPED_TRACE(std::to_string(total) + " inputs in " + std::to_string(count) + " chunks");
            std::vector<int> seen(total, 0);
            std::size_t expectedBegin = 0, smallest = total, largest = 0;
            for (std::size_t index = 1; index <= count; ++index) {
                const ChunkRange range = chunkRange({index, count}, total);
                EXPECT_EQ(range.begin, expectedBegin) << "chunk " << index << " follows on from the one before";
                ASSERT_LE(range.begin, range.end);
                expectedBegin = range.end;
                smallest = std::min(smallest, range.size());
                largest = std::max(largest, range.size());

                const std::vector<std::size_t> mine = chunkInputs(inputs, {index, count});
                EXPECT_EQ(mine.size(), range.size());
                for (std::size_t p : mine) {
                    ASSERT_LT(p, total);
                    ++seen[p];
                }
            }
            EXPECT_EQ(expectedBegin, total) << "the last chunk ends at the last input";
            EXPECT_LE(largest - smallest, 1u);
            EXPECT_TRUE(std::all_of(seen.begin(), seen.end(), [](int n) { return n == 1; }))
                << "every input in exactly one chunk";
        }
    }
}

TEST(FrameChunk, MoreChunksThanInputsLeavesSomeEmpty) {
    const std::vector<fs::path> inputs = numberedFrames(3);
    std::vector<std::size_t> sizes;
    for (std::size_t index = 1; index <= 5; ++index) sizes.push_back(chunkInputs(inputs, {index, 5}).size());
    EXPECT_EQ(sizes, (std::vector<std::size_t>{1, 1, 1, 0, 0}));
    EXPECT_EQ(describeChunk({5, 5}, inputs, {}), "chunk 5/5: no frames");
    EXPECT_TRUE(chunkInputs({}, {1, 1}).empty());
}

TEST(FrameChunk, OrderIsByFrameNumberNotArgumentsOrNames) {
    // As a shell's glob lists them: by name, so 10 and 100 before 2 and 9.
    const std::vector<fs::path> inputs = {"shot.10.png", "shot.100.png", "shot.2.png", "shot.9.png"};
    EXPECT_EQ(names(inputs, chunkInputs(inputs, {1, 2})), (std::vector<std::string>{"shot.2.png", "shot.9.png"}));
    EXPECT_EQ(names(inputs, chunkInputs(inputs, {2, 2})), (std::vector<std::string>{"shot.10.png", "shot.100.png"}));
    EXPECT_EQ(describeChunk({2, 2}, inputs, chunkInputs(inputs, {2, 2})), "chunk 2/2: frames 10-100");

    // Names only break ties between equal frame numbers; argument order
    // changes nothing.
    std::vector<fs::path> shuffled = {"z/a.0007.png", "b.0003.png", "a/late.7.png", "c.1.png"};
    const std::vector<std::string> expected = {"c.1.png", "b.0003.png", "a/late.7.png", "z/a.0007.png"};
    EXPECT_EQ(names(shuffled, frameOrder(shuffled)), expected);
    std::reverse(shuffled.begin(), shuffled.end());
    EXPECT_EQ(names(shuffled, frameOrder(shuffled)), expected);
    EXPECT_EQ(names(shuffled, chunkInputs(shuffled, {2, 2})),
              (std::vector<std::string>{"a/late.7.png", "z/a.0007.png"}));
    EXPECT_EQ(describeChunk({2, 2}, shuffled, chunkInputs(shuffled, {2, 2})), "chunk 2/2: frames 7");
}

TEST(FrameChunk, TheOrderComesFromTheNamesWhateverTheListsOrder) {
    // Names without digits follow the numbered ones, by name; a time stamp
    // is a frame number like any other.
    std::vector<fs::path> inputs = {"matte.png",  "cam_1700000010.png", "shot.0001.png",
                                    "beauty.png", "cam_1700000004.png", "f.99999999999999999999.png"};
    const std::vector<std::string> expected = {"shot.0001.png",      "cam_1700000004.png",
                                               "cam_1700000010.png", "f.99999999999999999999.png",
                                               "beauty.png",         "matte.png"};
    std::sort(inputs.begin(), inputs.end());
    do {
        ASSERT_EQ(names(inputs, frameOrder(inputs)), expected);
    } while (std::next_permutation(inputs.begin(), inputs.end()));
    EXPECT_EQ(describeChunk({1, 2}, inputs, chunkInputs(inputs, {1, 2})), "chunk 1/2: frames 1-1700000010");
    EXPECT_EQ(describeChunk({2, 2}, inputs, chunkInputs(inputs, {2, 2})),
              "chunk 2/2: frames 99999999999999999999 to matte.png");
    EXPECT_EQ(describeChunk({3, 3}, inputs, chunkInputs(inputs, {3, 3})), "chunk 3/3: frames beauty.png to matte.png");
    EXPECT_EQ(describeChunk({6, 6}, inputs, chunkInputs(inputs, {6, 6})), "chunk 6/6: frame matte.png");
}

TEST(FrameChunk, ParsesDecimalIndexOverCount) {
    FrameChunk c = parseChunk("2/3");
    EXPECT_EQ(c.index, 2u);
    EXPECT_EQ(c.count, 3u);
    c = parseChunk("1/1");
    EXPECT_EQ(c.index, 1u);
    EXPECT_EQ(c.count, 1u);
    c = parseChunk("007/010");
    EXPECT_EQ(c.index, 7u);
    EXPECT_EQ(c.count, 10u);
    c = parseChunk("1000/1000");
    EXPECT_EQ(c.index, 1000u);
}

TEST(FrameChunk, RefusesWhatIsNotTaskIOfN) {
    EXPECT_NE(refusal("0/3").find("count from 1"), std::string::npos);
    EXPECT_NE(refusal("4/3").find("past the last of 3"), std::string::npos);
    EXPECT_NE(refusal("0/0").find("at least 1"), std::string::npos);
    EXPECT_NE(refusal("1/0").find("at least 1"), std::string::npos);
    for (const char *text : {"two/3", "2/three", "+2/3", "2/+3", "-1/3", "1/-3", " 2/3", "2/3 ", "2.0/3", "0x2/3",
                             "2/3/4", "23", "2\\3", "2,3"})
        EXPECT_NE(refusal(text).find(std::string("\"") + text + "\""), std::string::npos) << "names " << text;
    EXPECT_NE(refusal("99999999999999999999999/99999999999999999999999").find("too large"), std::string::npos);

    // What a job script gives when the scheduler's variables are not set,
    // or were kept from the shell.
    EXPECT_NE(refusal("").find("is empty"), std::string::npos);
    EXPECT_NE(refusal("/").find("missing"), std::string::npos);
    EXPECT_NE(refusal("/3").find("task number is missing"), std::string::npos);
    EXPECT_NE(refusal("2/").find("task count is missing"), std::string::npos);
    EXPECT_NE(refusal("$SLURM_ARRAY_TASK_ID/$SLURM_ARRAY_TASK_COUNT").find("unexpanded variable"), std::string::npos);
    EXPECT_NE(refusal("%I/%N").find("unexpanded variable"), std::string::npos);
}
