#include "cli/frame_chunk.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <limits>

#include "cli/frame_number.h"
#include "cli/usage_error.h"
#include "host/base/shown_text.h"

namespace fs = std::filesystem;

namespace tavi::cli {

namespace {

// Enough for any I/N worth showing whole.
constexpr std::size_t kShownChunkBytes = 64;

[[noreturn]] void refuse(const std::string &text, const std::string &why) {
    throw UsageError("--chunk \"" + host::shownText(text, kShownChunkBytes) + "\": " + why);
}

// One side of I/N: decimal digits only, so "+2", "-1", " 3" and "0x2" are
// refused rather than read the way some parser happens to read them.
std::size_t number(const std::string &text, const std::string &part, const char *what) {
    if (part.empty())
        refuse(text, std::string("the ") + what +
                         " is missing (give I/N such as 2/3; empty when the scheduler's variables were not set)");
    if (!std::all_of(part.begin(), part.end(), [](char c) { return c >= '0' && c <= '9'; }))
        refuse(text, std::string("the ") + what + " \"" + host::shownText(part) + "\" is not a decimal whole number");
    unsigned long long value = 0;
    const auto [end, ec] = std::from_chars(part.data(), part.data() + part.size(), value);
    if (ec != std::errc() || end != part.data() + part.size() || value > std::numeric_limits<std::size_t>::max())
        refuse(text, std::string("the ") + what + " " + host::shownText(part) + " is too large");
    return static_cast<std::size_t>(value);
}

}  // namespace

FrameChunk parseChunk(const std::string &text) {
    // A job script whose variables reached tavi unexpanded, e.g. quoted
    // with '...' or written in another shell's syntax.
    if (text.find('$') != std::string::npos || text.find('%') != std::string::npos)
        refuse(text,
               "holds an unexpanded variable; let the job's shell expand it, as in "
               "--chunk $SLURM_ARRAY_TASK_ID/$SLURM_ARRAY_TASK_COUNT");
    const std::size_t slash = text.find('/');
    if (slash == std::string::npos || text.find('/', slash + 1) != std::string::npos)
        refuse(text, text.empty() ? "is empty; give I/N such as 2/3 (were the scheduler's variables set?)"
                                  : "give I/N, task I of N, such as 2/3");
    FrameChunk chunk;
    chunk.index = number(text, text.substr(0, slash), "task number");
    chunk.count = number(text, text.substr(slash + 1), "task count");
    if (chunk.count == 0) refuse(text, "the task count must be at least 1");
    if (chunk.index == 0) refuse(text, "tasks count from 1; for an index from 0 give $((INDEX+1))/N");
    if (chunk.index > chunk.count)
        refuse(text, "task " + std::to_string(chunk.index) + " is past the last of " + std::to_string(chunk.count));
    return chunk;
}

ChunkRange chunkRange(FrameChunk chunk, std::size_t total) {
    // The first total % count chunks take one item more than the rest.
    const std::size_t base = total / chunk.count;
    const std::size_t extra = total % chunk.count;
    const std::size_t i = chunk.index - 1;
    ChunkRange range;
    range.begin = i * base + std::min(i, extra);
    range.end = range.begin + base + (i < extra ? 1 : 0);
    return range;
}

std::vector<std::size_t> chunkInputs(const std::vector<fs::path> &inputs, FrameChunk chunk) {
    const std::vector<std::size_t> order = frameOrder(inputs);
    const ChunkRange range = chunkRange(chunk, order.size());
    return {order.begin() + std::ptrdiff_t(range.begin), order.begin() + std::ptrdiff_t(range.end)};
}

std::string describeChunk(FrameChunk chunk, const std::vector<fs::path> &inputs,
                          const std::vector<std::size_t> &positions) {
    std::string text = "chunk " + std::to_string(chunk.index) + "/" + std::to_string(chunk.count) + ": ";
    if (positions.empty()) return text + "no frames";
    const std::optional<std::string> first = frameNumber(inputs[positions.front()]);
    const std::optional<std::string> last = frameNumber(inputs[positions.back()]);
    const auto named = [&](const std::optional<std::string> &number, std::size_t position) {
        return number ? *number : host::shownPath(inputs[position].filename());
    };
    if (positions.size() == 1) return text + "frame " + named(first, positions.front());
    if (first && last && *first == *last) return text + "frames " + *first;
    return text + "frames " + named(first, positions.front()) + (first && last ? "-" : " to ") +
           named(last, positions.back());
}

}  // namespace tavi::cli
