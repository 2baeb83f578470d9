#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "support/scratch_folder.h"
#include "filter/process.h"
#include "host/loader/filter_module.h"
#include "host/loader/hosted_filter.h"
#include "support/instance_fixture.h"
#include "host/loader/memory_frame.h"

using namespace tavi::host;
namespace fs = std::filesystem;

// The module's descriptor, linked into this test.
extern "C" ModuleDescriptor _mod_descrip;

namespace {

const fs::path kModule = TAVI56_MODULE_PATH;
const fs::path kFakes = TAVI_FAKE_MODULE_DIR;

// The message a failed load gives, or "" when it loads.
std::string loadError(const fs::path &file) {
    try {
        FilterModule module(file);
    } catch (const ModuleError &e) {
        return e.what();
    }
    return "";
}

RgbaImage hardEdges(int w, int h) {
    RgbaImage img(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const bool inside = (x - w / 2) * (x - w / 2) + (y - h / 2) * (y - h / 2) < (w * h) / 8;
            std::uint8_t *p = img.at(x, y);
            p[0] = inside ? 240 : 10;
            p[1] = inside ? 200 : 30;
            p[2] = inside ? 20 : 90;
            p[3] = inside ? 255 : 0;
        }
    return img;
}

}  // namespace

TEST(Loader, LoadsTheModuleAndActivatesItsHandler) {
    FilterModule module(kModule);
    EXPECT_EQ(module.serverName(), "Tavi");
    const FilterCallbacks &cb = module.callbacks();
    for (const void *slot :
         {(const void *)cb.create, (const void *)cb.destroy, (const void *)cb.copy, (const void *)cb.load,
          (const void *)cb.save, (const void *)cb.process, (const void *)cb.flags, (const void *)cb.describe,
          (const void *)cb.useItems, (const void *)cb.changeID})
        EXPECT_NE(slot, nullptr);

    HostedFilter filter(module);
    EXPECT_EQ(filter.describe(), "Tavi");
    EXPECT_EQ(filter.save().line(), "2 100 224");
    filter.load("1 40 30");
    EXPECT_EQ(filter.save().line(), "1 40 30");
    HostedFilter copy(module);
    module.callbacks().copy(filter.instance(), copy.instance());
    EXPECT_EQ(copy.save().line(), "1 40 30");
}

TEST(Loader, SameOutputAsTheDirectlyLinkedCode) {
    const RgbaImage input = hardEdges(61, 47);
    FilterModule module(kModule);
    for (const char *settings : {"2 100 224", "0 50 200", "1 100 256"}) {
        HostedFilter filter(module);
        filter.load(settings);
        MemoryFrame viaModule(input);
        filter.process(viaModule);
        EXPECT_EQ(viaModule.putRGBCalls(), 61 * 47);

        tavi::test::InstancePtr direct = tavi::test::makeInstance();
        std::sscanf(settings, "%d %d %d", &direct->target, &direct->strength, &direct->threshold);
        MemoryFrame viaLink(input);
        TaviProcess(direct.get(), viaLink.bind());
        EXPECT_EQ(viaModule.output(), viaLink.output()) << settings;
    }
}

// The frame that keeps only what a filter changed must tell the same story
// as a whole output frame, whatever order the writes come in.
std::vector<frame::ChangedPixel> changesBetween(const frame::FramePlanes &input, const frame::FramePlanes &output) {
    std::vector<frame::ChangedPixel> changes;
    for (std::size_t i = 0; i < input.pixels(); ++i) {
        frame::ChangedPixel pixel{i, {output.plane(0)[i], output.plane(1)[i], output.plane(2)[i], output.plane(3)[i]}};
        for (int c = 0; c < 4; ++c)
            if (pixel.rgba[c] != input.plane(c)[i]) {
                changes.push_back(pixel);
                break;
            }
    }
    return changes;
}

TEST(Loader, AFrameKeepingOnlyChangesAgreesWithAWholeOutput) {
    FilterModule module(kModule);
    const frame::FramePlanes input = frame::FramePlanes::of(hardEdges(61, 47));
    for (const char *settings : {"2 100 224", "0 50 200", "1 100 256"}) {
        HostedFilter filter(module);
        filter.load(settings);
        MemoryFrame whole(input, MemoryFrame::OutputStart::unset);
        filter.process(whole);
        MemoryFrame sparse(input, MemoryFrame::OutputStart::changesOnly);
        filter.process(sparse);
        EXPECT_EQ(sparse.putRGBCalls(), 61 * 47);
        EXPECT_EQ(sparse.putAlphaCalls(), 61 * 47);
        const std::vector<frame::ChangedPixel> changes = sparse.takeChanges();
        EXPECT_FALSE(changes.empty()) << settings;
        EXPECT_EQ(changes, changesBetween(input, whole.outputPlanes())) << settings;
    }
}

TEST(Loader, AFrameKeepingOnlyChangesTakesWritesInAnyOrder) {
    RgbaImage image(4, 3);
    for (std::size_t i = 0; i < image.rgba.size(); ++i) image.rgba[i] = std::uint8_t(10 + i);
    const frame::FramePlanes input = frame::FramePlanes::of(image);
    MemoryFrame frame(input, MemoryFrame::OutputStart::changesOnly);
    const FrameAccess *access = frame.bind();
    const auto rgbOf = [&](int x, int y) {
        const std::uint8_t *p = image.at(x, y);
        return std::array<unsigned char, 3>{p[0], p[1], p[2]};
    };
    // Every pixel written as it was, backwards, alpha before colour...
    for (int i = 11; i >= 0; --i) {
        access->putAlpha(i % 4, i / 4, image.at(i % 4, i / 4)[3]);
        access->putRGB(i % 4, i / 4, rgbOf(i % 4, i / 4).data());
    }
    // ...then: pixel 9 changed, pixel 2 given new colour, pixel 9 changed
    // back; pixel 7 a new alpha, then pixel 2; pixel 5 changed twice.
    const unsigned char other[3] = {1, 2, 3};
    access->putRGB(1, 2, other);
    access->putRGB(2, 0, other);
    access->putRGB(1, 2, rgbOf(1, 2).data());
    access->putAlpha(3, 1, 77);
    access->putAlpha(2, 0, 99);
    access->putRGB(1, 1, other);
    const unsigned char last[3] = {4, 5, 6};
    access->putRGB(1, 1, last);
    // Outside the frame: counted, not kept.
    access->putRGB(4, 0, other);
    access->putAlpha(0, -1, 5);

    const std::uint8_t *p5 = image.at(1, 1), *p7 = image.at(3, 1);
    const std::vector<frame::ChangedPixel> expected = {
        {2, {1, 2, 3, 99}}, {5, {4, 5, 6, p5[3]}}, {7, {p7[0], p7[1], p7[2], 77}}};
    EXPECT_EQ(frame.takeChanges(), expected);
}

TEST(Loader, ALinkedModuleStartsFromItsDescriptorAndFiltersAlike) {
    const RgbaImage input = hardEdges(53, 41);
    FilterModule fromFile(kModule);
    FilterModule linked(_mod_descrip, "linked tavi56");
    EXPECT_EQ(linked.serverName(), "Tavi");
    EXPECT_EQ(linked.file(), fs::path("linked tavi56"));
    EXPECT_EQ(linked.symbol("_mod_descrip"), nullptr);  // no export table to look in
    for (const char *settings : {"2 100 224", "0 60 200", "1 100 256"}) {
        HostedFilter a(fromFile), b(linked);
        a.load(settings);
        b.load(settings);
        MemoryFrame viaFile(input), viaLink(input);
        a.process(viaFile);
        b.process(viaLink);
        EXPECT_EQ(viaFile.output(), viaLink.output()) << settings;
    }
}

TEST(Loader, ALinkedDescriptorIsCheckedLikeAFile) {
    ModuleDescriptor wrongSync = _mod_descrip;
    wrongSync.sync = 0x12345678;
    ModuleDescriptor wrongVersion = _mod_descrip;
    wrongVersion.version = 3;
    const ServerRecord noServers[] = {{nullptr, nullptr, nullptr}};
    ModuleDescriptor noHandler = _mod_descrip;
    noHandler.servers = noServers;
    const std::pair<const ModuleDescriptor *, std::string> cases[] = {
        {&wrongSync, "linked: module descriptor has sync value 0x12345678, expected 0x04121994"},
        {&wrongVersion, "linked: module descriptor version 3 is not supported (expected 2)"},
        {&noHandler, "linked: no \"ImageFilterHandler\" server"},
    };
    for (const auto &[descriptor, message] : cases) {
        try {
            FilterModule module(*descriptor, "linked");
            ADD_FAILURE() << "accepted; wanted: " << message;
        } catch (const ModuleError &e) {
            EXPECT_EQ(std::string(e.what()), message);
        }
    }
}

TEST(Loader, EachFaultIsNamedWithTheFile) {
    const tavi::test::ScratchFolder scratch;
    const fs::path dir = scratch.path();
    const fs::path text = dir / "notes.p";
    std::ofstream(text) << "not a library\n";

    struct Case {
        fs::path file;
        std::string message;
    };
    const Case cases[] = {
        {dir / "missing.p", "missing.p: no such file"},
        {dir, dir.filename().string() + ": is a folder, not a module file"},
        {text, "notes.p: not a loadable module: "},
        {kFakes / "fake_no_descriptor.p", "fake_no_descriptor.p: not a host module: it exports no _mod_descrip"},
        {kFakes / "fake_bad_sync.p",
         "fake_bad_sync.p: module descriptor has sync value 0x12345678, expected 0x04121994"},
        {kFakes / "fake_bad_version.p",
         "fake_bad_version.p: module descriptor version 3 is not supported (expected 2)"},
        {kFakes / "fake_no_handler.p", "fake_no_handler.p: no \"ImageFilterHandler\" server"},
        {kFakes / "fake_refuses.p",
         "fake_refuses.p: the \"ImageFilterHandler\" server refused interface version 1 (answer 1)"},
    };
    for (const Case &c : cases) {
        const std::string error = loadError(c.file);
        // The message starts with the file's path and ends with the problem.
        EXPECT_EQ(error.rfind(c.file.string() + ": ", 0), 0u) << error;
        EXPECT_NE(error.find(c.message), std::string::npos) << "got: " << error << "\nwanted: " << c.message;
    }
    if (geteuid() != 0) {  // root reads everything
        fs::permissions(text, fs::perms::none);
        EXPECT_NE(loadError(text).find("cannot be read"), std::string::npos);
    }
}

TEST(Loader, ExportsExactlyTheListedNames) {
    struct Listed {
        int ordinal;
        const char *name;
        bool data;
    };
    static const Listed kListed[] = {
#include "module_exports.inc"
    };
    std::set<std::string> listed;
    for (const Listed &entry : kListed) listed.insert(entry.name);
    EXPECT_EQ(listed.size(), 19u);

    std::set<std::string> exported;
    const std::string command = "nm -D --defined-only '" + kModule.string() + "'";
    FILE *nm = popen(command.c_str(), "r");
    ASSERT_NE(nm, nullptr);
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, nm)) {
        char type = 0;
        char name[256];
        if (std::sscanf(buffer, "%*s %c %255s", &type, name) == 2) exported.insert(name);
    }
    ASSERT_EQ(pclose(nm), 0);
    EXPECT_EQ(exported, listed);
}
