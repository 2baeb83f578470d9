// How fast the filter is, on the aliased sample render at 1920x1080 and
// 3840x2160 with the default settings (RGBA, strength 100, threshold 224):
//
//   engine/slots    the engine through the accessor slots, one call per pixel
//   engine/direct   the engine on the planes and rows directly (what smooth
//                   runs for the standard bindings)
//   process/enabled TaviProcess as the host calls it, filter enabled
//   process/disabled the same with the filter disabled: capture, write-back
//                   through putRGB/putAlpha, second capture
//   floor/copy      copying the four planes once
//
// Each reports megapixels per second; after the runs the ratios the goals
// are stated in are printed, all from times measured in this same run.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "engine/direct_path.h"
#include "engine/engine.h"
#include "filter/process.h"
#include "support/engine_bench.h"
#include "host/loader/memory_frame.h"
#include "host/pictures/sample_scene.h"

namespace {

using FrameFixture = tavi::test::EngineBench;
using tavi::host::RgbaImage;

struct FrameSize {
    const char *name;
    int width;
    int height;
};

constexpr FrameSize kSizes[] = {{"1080p", 1920, 1080}, {"2160p", 3840, 2160}};

// The aliased sample at a size, rendered once when first asked for.
const RgbaImage &sampleFrame(const FrameSize &size) {
    static std::map<std::string, RgbaImage> renders;
    auto found = renders.find(size.name);
    if (found == renders.end())
        found =
            renders.emplace(size.name, tavi::host::pictures::renderSample(size.width, size.height, 4).aliased).first;
    return found->second;
}

void countPixels(benchmark::State &state, const FrameSize &size) {
    // Shown as a rate: megapixels per second.
    state.counters["Mpx"] =
        benchmark::Counter(double(size.width) * size.height / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}

// The working image is put back to the source before every run, outside
// the timing, so every run blends the same frame.
template <bool Direct>
void engine(benchmark::State &state, FrameSize size) {
    FrameFixture fixture(sampleFrame(size));
    for (auto _ : state) {
        state.PauseTiming();
        fixture.resetWorkingImage();
        state.ResumeTiming();
        if (Direct) {
            if (!smoothDirect(nullptr, fixture.inst(), 1)) state.SkipWithError("the direct path refused the binding");
        } else {
            smoothThroughSlots(nullptr, fixture.inst(), 1);
        }
    }
    countPixels(state, size);
}

void process(benchmark::State &state, FrameSize size, bool enabled) {
    tavi::host::MemoryFrame frame(sampleFrame(size));
    FilterInstance *inst = TaviCreate(nullptr);
    if (inst == nullptr) {
        state.SkipWithError("no instance");
        return;
    }
    inst->enabled = enabled ? 1 : 0;
    for (auto _ : state) TaviProcess(inst, frame.bind());
    if (inst->frameFailed != 0) state.SkipWithError("the frame could not be captured");
    TaviDestroy(inst);
    countPixels(state, size);
}

void copyFourPlanes(benchmark::State &state, FrameSize size) {
    const std::size_t pixels = std::size_t(size.width) * std::size_t(size.height);
    std::vector<std::uint8_t> from(pixels * 4, 1);
    std::vector<std::uint8_t> to(pixels * 4, 2);
    for (auto _ : state) {
        for (std::size_t c = 0; c < 4; ++c) std::memcpy(to.data() + c * pixels, from.data() + c * pixels, pixels);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
    countPixels(state, size);
}

std::string nameOf(const char *what, const FrameSize &size) { return std::string(what) + "/" + size.name; }

void registerAll() {
    for (const FrameSize &size : kSizes) {
        const std::vector<benchmark::internal::Benchmark *> all = {
            benchmark::RegisterBenchmark(nameOf("engine/slots", size).c_str(), engine<false>, size),
            benchmark::RegisterBenchmark(nameOf("engine/direct", size).c_str(), engine<true>, size),
            benchmark::RegisterBenchmark(nameOf("process/enabled", size).c_str(), process, size, true),
            benchmark::RegisterBenchmark(nameOf("process/disabled", size).c_str(), process, size, false),
            benchmark::RegisterBenchmark(nameOf("floor/copy", size).c_str(), copyFourPlanes, size),
        };
        for (benchmark::internal::Benchmark *b : all) b->Unit(benchmark::kMillisecond)->UseRealTime();
    }
}

// The console report, noting the time per run of every benchmark for the
// ratios: the median over repetitions (as reported, or worked out here
// when only the single runs are).
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run> &runs) override {
        for (const Run &run : runs) {
            if (run.error_occurred) continue;
            const std::string &name = run.run_name.function_name;
            if (run.run_type == Run::RT_Iteration)
                times_[name].push_back(run.GetAdjustedRealTime());
            else if (run.aggregate_name == "median")
                reportedMedians_[name] = run.GetAdjustedRealTime();
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void printRatios() const {
        std::printf("\nRatios from this run:\n");
        ratio("engine slots / direct, 1080p (goal >= 25)", "engine/slots/1080p", "engine/direct/1080p");
        ratio("engine slots / direct, 2160p", "engine/slots/2160p", "engine/direct/2160p");
        ratio("TaviProcess enabled / disabled, 1080p (goal <= 1.5)", "process/enabled/1080p", "process/disabled/1080p");
        ratio("TaviProcess enabled / disabled, 2160p", "process/enabled/2160p", "process/disabled/2160p");
        ratio("engine direct 2160p / 1080p (goal <= 4.5)", "engine/direct/2160p", "engine/direct/1080p");
        ratio("TaviProcess enabled 2160p / 1080p", "process/enabled/2160p", "process/enabled/1080p");
        ratio("engine direct / copying four planes, 1080p", "engine/direct/1080p", "floor/copy/1080p");
    }

private:
    double median(const std::string &name) const {
        if (auto reported = reportedMedians_.find(name); reported != reportedMedians_.end()) return reported->second;
        auto found = times_.find(name);
        if (found == times_.end()) return -1;
        std::vector<double> t = found->second;
        std::sort(t.begin(), t.end());
        return t.size() % 2 == 1 ? t[t.size() / 2] : (t[t.size() / 2 - 1] + t[t.size() / 2]) / 2;
    }

    void ratio(const char *label, const std::string &numerator, const std::string &denominator) const {
        const double a = median(numerator);
        const double b = median(denominator);
        if (a < 0 || b <= 0)
            std::printf("  %-52s not measured in this run\n", label);
        else
            std::printf("  %-52s %8.2f\n", label, a / b);
    }

    std::map<std::string, std::vector<double>> times_;
    std::map<std::string, double> reportedMedians_;
};

}  // namespace

int main(int argc, char **argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    registerAll();
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printRatios();
    benchmark::Shutdown();
    return 0;
}
