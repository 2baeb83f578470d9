#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <string>

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
    for (const void *slot : {(const void *)cb.create, (const void *)cb.destroy, (const void *)cb.copy,
                             (const void *)cb.load, (const void *)cb.save, (const void *)cb.process,
                             (const void *)cb.flags, (const void *)cb.describe, (const void *)cb.useItems,
                             (const void *)cb.changeID})
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
        {kFakes / "fake_bad_sync.p", "fake_bad_sync.p: module descriptor has sync value 0x12345678, expected 0x04121994"},
        {kFakes / "fake_bad_version.p", "fake_bad_version.p: module descriptor version 3 is not supported (expected 2)"},
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
    std::set<std::string> listed;
    std::ifstream list(TAVI56_EXPORTS);
    std::string line;
    const std::regex entry(R"(^\s*(\d+)\s+([A-Za-z_]\w*)(\s+DATA)?\s*$)");
    int lastOrdinal = 0;
    while (std::getline(list, line)) {
        std::smatch m;
        if (line.empty() || line[0] == '#') continue;
        ASSERT_TRUE(std::regex_match(line, m, entry)) << "bad export line: " << line;
        const int ordinal = std::stoi(m[1]);
        EXPECT_GT(ordinal, lastOrdinal) << "the list is kept in ordinal order";
        lastOrdinal = ordinal;
        listed.insert(m[2]);
    }

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
