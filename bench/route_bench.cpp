// How close a call of the library comes to the engine itself, on a busy
// 1920x1080 frame (the aliased sample render, four times over at half
// the size, for the edges of a busy render), in one run:
//
//   engine/direct   the engine on the planes and rows directly
//   library/u8      tavi_antialias_u8 on straight 8-bit RGBA: the frame
//                   rules, a filter instance, TaviProcess with the host's
//                   side of the frame, the changes put back
//   library/f32     tavi_antialias_f32 on straight float RGBA
//
// and the library call's stages, each on its own:
//
//   stage/frame-in  the 8-bit associated frame made from straight RGBA
//   stage/module    TaviProcess on that frame through the host's frame,
//                   which keeps only the pixels the filter changed
//   stage/put-back  the filter's changes put back into the caller's pixels
//
// After the runs it prints how many pixels the filter changed and the
// ratios of the library's times to the engine's.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include <tavi/tavi.h>

#include "engine/direct_path.h"
#include "host/frame/render_frame.h"
#include "host/loader/hosted_filter.h"
#include "host/loader/memory_frame.h"
#include "host/scene/tavi_settings.h"
#include "lib/c/linked_module.h"
#include "host/pictures/image_metrics.h"
#include "host/pictures/sample_scene.h"
#include "support/engine_bench.h"

namespace {

constexpr int kWidth = 1920, kHeight = 1080;

tavi::host::RgbaImage busyFrame() {
    const tavi::host::RgbaImage tile = tavi::host::pictures::renderSample(kWidth / 2, kHeight / 2, 4).aliased;
    tavi::host::RgbaImage image(kWidth, kHeight);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) std::copy_n(tile.at(x % tile.width, y % tile.height), 4, image.at(x, y));
    return image;
}

const tavi::host::RgbaImage &frame() {
    static const tavi::host::RgbaImage image = busyFrame();
    return image;
}

std::map<std::string, double> &medianMs() {
    static std::map<std::string, double> times;
    return times;
}

void engineDirect(benchmark::State &state) {
    tavi::test::EngineBench fixture(frame());
    for (auto _ : state) {
        state.PauseTiming();
        fixture.resetWorkingImage();
        state.ResumeTiming();
        if (!smoothDirect(nullptr, fixture.inst(), 1)) state.SkipWithError("the direct path refused the binding");
    }
}

template <class Sample>
std::vector<Sample> samplesOf(const tavi::host::RgbaImage &image) {
    std::vector<Sample> samples(image.rgba.size());
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = std::is_same_v<Sample, float> ? Sample(image.rgba[i] / 255.0f) : Sample(image.rgba[i]);
    return samples;
}

template <class Sample>
tavi_status call(std::vector<Sample> &pixels, const tavi_settings &settings) {
    if constexpr (std::is_same_v<Sample, float>)
        return tavi_antialias_f32(pixels.data(), kWidth, kHeight, 0, 4, TAVI_ALPHA_STRAIGHT, &settings);
    else
        return tavi_antialias_u8(pixels.data(), kWidth, kHeight, 0, 4, TAVI_ALPHA_STRAIGHT, &settings);
}

template <class Sample>
void library(benchmark::State &state) {
    const std::vector<Sample> source = samplesOf<Sample>(frame());
    std::vector<Sample> pixels = source;
    const tavi_settings settings = tavi_default_settings();
    for (auto _ : state) {
        state.PauseTiming();
        pixels = source;
        state.ResumeTiming();
        if (call(pixels, settings) != TAVI_OK) state.SkipWithError(tavi_last_error());
    }
}

// The stages of a u8 call, each timed alone on the same frame.
tavi::host::frame::PixelView viewOf(std::vector<unsigned char> &pixels) {
    tavi::host::frame::PixelView view;
    view.data = pixels.data();
    view.width = kWidth;
    view.height = kHeight;
    view.rowStride = std::ptrdiff_t(kWidth) * 4;
    return view;
}

void frameIn(benchmark::State &state) {
    std::vector<unsigned char> pixels = samplesOf<unsigned char>(frame());
    for (auto _ : state)
        benchmark::DoNotOptimize(tavi::host::frame::frameFor(viewOf(pixels), tavi::host::frame::AlphaForm::straight));
}

void moduleStage(benchmark::State &state) {
    std::vector<unsigned char> pixels = samplesOf<unsigned char>(frame());
    const tavi::host::frame::FramePlanes handed =
        tavi::host::frame::frameFor(viewOf(pixels), tavi::host::frame::AlphaForm::straight);
    tavi::host::HostedFilter filter(tavi::lib::linkedModule());
    filter.load(tavi::host::TaviSettings{}.line());
    for (auto _ : state) {
        tavi::host::MemoryFrame memory(handed, tavi::host::MemoryFrame::OutputStart::changesOnly);
        filter.process(memory);
        benchmark::DoNotOptimize(memory.takeChanges());
    }
}

void putBack(benchmark::State &state) {
    const std::vector<unsigned char> source = samplesOf<unsigned char>(frame());
    std::vector<unsigned char> pixels = source;
    const tavi::host::frame::FramePlanes handed =
        tavi::host::frame::frameFor(viewOf(pixels), tavi::host::frame::AlphaForm::straight);
    tavi::host::HostedFilter filter(tavi::lib::linkedModule());
    filter.load(tavi::host::TaviSettings{}.line());
    tavi::host::MemoryFrame memory(handed, tavi::host::MemoryFrame::OutputStart::changesOnly);
    filter.process(memory);
    const std::vector<tavi::host::frame::ChangedPixel> changes = memory.takeChanges();
    for (auto _ : state) {
        state.PauseTiming();
        pixels = source;
        state.ResumeTiming();
        benchmark::DoNotOptimize(
            tavi::host::frame::applyChanges(viewOf(pixels), tavi::host::frame::AlphaForm::straight, handed, changes));
    }
}

// The pixels one call changes: the frame's edges as the filter finds them.
std::size_t changedPixels() {
    std::vector<unsigned char> pixels = samplesOf<unsigned char>(frame());
    const tavi_settings settings = tavi_default_settings();
    call(pixels, settings);
    std::size_t changed = 0;
    for (std::size_t i = 0; i < pixels.size(); i += 4)
        for (int c = 0; c < 4; ++c)
            if (pixels[i + std::size_t(c)] != frame().rgba[i + std::size_t(c)]) {
                ++changed;
                break;
            }
    return changed;
}

class Medians : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run> &runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &run : runs)
            if (run.aggregate_name == "median" || (run.run_type == Run::RT_Iteration && !run.report_big_o))
                medianMs()[run.run_name.function_name] = run.GetAdjustedRealTime();
    }
};

}  // namespace

BENCHMARK(engineDirect)->Name("engine/direct")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(library<unsigned char>)->Name("library/u8")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(library<float>)->Name("library/f32")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(frameIn)->Name("stage/frame-in")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(moduleStage)->Name("stage/module")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(putBack)->Name("stage/put-back")->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char **argv) {
    benchmark::Initialize(&argc, argv);
    Medians reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const auto &ms = medianMs();
    std::printf("\n  %zu edge pixels, %zu pixels changed by the filter, of %d\n",
                tavi::host::pictures::edgePixels(frame()).count(), changedPixels(), kWidth * kHeight);
    const auto ratio = [&](const char *name, const char *label, double goal) {
        const auto engine = ms.find("engine/direct"), route = ms.find(name);
        if (engine == ms.end() || route == ms.end() || engine->second <= 0)
            std::printf("  %-38s not measured in this run\n", label);
        else
            std::printf("  %-38s %5.2f  (goal <= %.1f)\n", label, route->second / engine->second, goal);
    };
    ratio("library/u8", "library u8 / engine direct, 1080p", 2.5);
    ratio("library/f32", "library f32 / engine direct, 1080p", 3.5);
    benchmark::Shutdown();
}
