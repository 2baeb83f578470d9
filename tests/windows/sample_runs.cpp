// Loads the module the way the host does and runs it over the sample frame
// for every target and a few strength and threshold settings, writing each
// output to a folder. Built natively and for Windows from this one source;
// the two folders must match byte for byte.
//
//   sample_runs MODULE_FILE OUTPUT_FOLDER
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <stdexcept>
#include <string>

#include "host/loader/dynamic_library.h"
#include "export_table.h"
#include "host/loader/filter_module.h"
#include "host/loader/hosted_filter.h"
#include "host/loader/memory_frame.h"
#include "raw_files.h"
#include "sample_frame.h"

namespace {

using namespace tavi;

// The logo bitmap's published size: packed RGB bytes.
constexpr int kLogoWidth = 153;
constexpr int kLogoHeight = 80;

// One pixel as the exported accessors pass it.
struct Quad {
    std::uint8_t r, g, b, a;
};
using Reader = void (*)(InstanceRef instance, int x, int y, Quad *quad);

struct Strength {
    int strength;
    int threshold;
};
constexpr Strength kSettings[] = {{100, 224}, {50, 200}, {100, 256}, {0, 224}, {100, 0}};

std::string settingsLine(int target, Strength s) {
    return std::to_string(target) + " " + std::to_string(s.strength) + " " + std::to_string(s.threshold);
}

std::string fileName(int target, Strength s) {
    return "t" + std::to_string(target) + "_s" + std::to_string(s.strength) + "_h" + std::to_string(s.threshold) +
           ".pam";
}

int changedPixels(const host::RgbaImage &before, const host::RgbaImage &after) {
    int changed = 0;
    for (int y = 0; y < before.height; ++y)
        for (int x = 0; x < before.width; ++x)
            for (int c = 0; c < 4; ++c)
                if (before.at(x, y)[c] != after.at(x, y)[c]) {
                    ++changed;
                    break;
                }
    return changed;
}

// "RGB only" leaves alpha as it came, "Alpha only" the colours.
void checkUntouchedChannels(int target, const host::RgbaImage &input, const host::RgbaImage &output) {
    const int first = target == 0 ? 3 : 0;
    const int last = target == 0 ? 3 : target == 1 ? 2 : -1;
    for (int y = 0; y < input.height; ++y)
        for (int x = 0; x < input.width; ++x)
            for (int c = first; c <= last; ++c)
                if (input.at(x, y)[c] != output.at(x, y)[c])
                    throw std::runtime_error("target " + std::to_string(target) + " changed channel " +
                                             std::to_string(c) + " at " + std::to_string(x) + "," + std::to_string(y));
}

// After a frame the instance's frame planes hold the unfiltered frame again,
// for the preview; read them through the exported readB and readB_a.
void checkFramePlanes(const wincheck::ExportTable &exports, InstanceRef instance, const host::RgbaImage &input) {
    const auto readB = reinterpret_cast<Reader>(exports.address("readB"));
    const auto readBAlpha = reinterpret_cast<Reader>(exports.address("readB_a"));
    for (int y = 0; y < input.height; ++y) {
        for (int x = 0; x < input.width; ++x) {
            Quad colour{1, 1, 1, 1}, alpha{1, 1, 1, 1};
            readB(instance, x, y, &colour);
            readBAlpha(instance, x, y, &alpha);
            const std::uint8_t *p = input.at(x, y);
            if (colour.r != p[0] || colour.g != p[1] || colour.b != p[2] || colour.a != 0 || alpha.r != 0 ||
                alpha.g != 0 || alpha.b != 0 || alpha.a != p[3])
                throw std::runtime_error("readB/readB_a do not give back the unfiltered frame at " + std::to_string(x) +
                                         "," + std::to_string(y));
        }
    }
}

// One case: the settings line goes through save and load into the instance
// that processes the frame. Returns the line for the case list.
std::string runCase(host::FilterModule &module, const wincheck::ExportTable &exports, const host::RgbaImage &input,
                    int target, Strength s, const std::filesystem::path &folder) {
    const std::string line = settingsLine(target, s);
    host::HostedFilter first(module);
    first.load(line);
    host::SettingsBlock saved = first.save();
    if (saved.line() != line) throw std::runtime_error("loaded \"" + line + "\", saved \"" + saved.line() + "\"");
    if (saved.bytes().size() != 120)
        throw std::runtime_error("the saved block has " + std::to_string(saved.bytes().size()) + " bytes, not 120");

    host::HostedFilter filter(module);
    filter.load(saved.bytes());
    host::MemoryFrame frame(input);
    filter.process(frame);

    checkUntouchedChannels(target, input, frame.output());
    checkFramePlanes(exports, filter.instance(), input);
    const std::string name = fileName(target, s);
    wincheck::writePam(folder / name, frame.output());
    return line + " " + name + " changed " + std::to_string(changedPixels(input, frame.output())) + "\n";
}

void run(const std::filesystem::path &moduleFile, const std::filesystem::path &folder) {
    host::FilterModule module(moduleFile);
    // A second handle on the same loaded module, for lookups by ordinal.
    const host::DynamicLibrary library(moduleFile);
    const wincheck::ExportTable exports(module, library);
    exports.checkDescriptor();

    std::filesystem::create_directories(folder);
    wincheck::writePpm(folder / "logo.ppm", kLogoWidth, kLogoHeight,
                       static_cast<const std::uint8_t *>(exports.address("logo_data")));

    const host::RgbaImage input = wincheck::sampleFrame();
    wincheck::writePam(folder / "input.pam", input);
    std::string cases;
    for (int target = 0; target <= 2; ++target)
        for (const Strength &s : kSettings) cases += runCase(module, exports, input, target, s, folder);
    wincheck::writeText(folder / "cases.txt", cases);
    // With the default settings the filter must find edges in the sample,
    // or matching outputs would prove nothing about the engine.
    if (cases.find("2 100 224 t2_s100_h224.pam changed 0\n") != std::string::npos)
        throw std::runtime_error("the default settings changed no pixel of the sample frame");
    std::cout << cases;
}

}  // namespace

int main(int argc, char **argv) {
    if (argc != 3) {
        std::cerr << "usage: sample_runs MODULE_FILE OUTPUT_FOLDER\n";
        return 2;
    }
    try {
        run(argv[1], argv[2]);
    } catch (const std::exception &e) {
        std::cerr << "sample_runs: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
