// Farm array jobs: task I of N takes the I-th of N contiguous slices of a
// sequence, in frame order, so that N tasks together do every frame once.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

namespace tavi::cli {

struct FrameChunk {
    std::size_t index = 1;  // 1 to count
    std::size_t count = 1;
};

// "I/N" in decimal digits, 1 <= I <= N. Throws UsageError naming the text,
// with a hint where it looks like scheduler variables that were not set.
FrameChunk parseChunk(const std::string &text);

// The half-open range [begin, end) of `chunk` among `total` ordered items:
// contiguous, covering every item once over all chunks, sizes within one
// of each other; empty when there are more chunks than items.
struct ChunkRange {
    std::size_t begin = 0;
    std::size_t end = 0;
    std::size_t size() const { return end - begin; }
};
ChunkRange chunkRange(FrameChunk chunk, std::size_t total);

// The positions in `inputs` that `chunk` holds, in frame order
// (cli/frame_number.h), which every task finds alike from the names alone.
std::vector<std::size_t> chunkInputs(const std::vector<std::filesystem::path> &inputs, FrameChunk chunk);

// "chunk 2/3: frames 5-8", "chunk 1/4: frame 3", "chunk 4/4: no frames",
// for the given inputs' frames as numbered by frameNumber; a frame without
// a number by its file name ("chunk 2/2: frames 12 to sky.png").
std::string describeChunk(FrameChunk chunk, const std::vector<std::filesystem::path> &inputs,
                          const std::vector<std::size_t> &positions);

}  // namespace tavi::cli
