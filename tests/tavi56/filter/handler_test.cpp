#include <gtest/gtest.h>

#include <cstring>

#include "filter/handler.h"
#include "filter/instance.h"
#include "filter/process.h"
#include "filter/server_table.h"
#include "filter/settings.h"
#include "slib1/startup.h"
#include "slib2/shutdown.h"
#include "host/loader/memory_frame.h"
#include "host/loader/settings_block.h"

extern "C" ModuleDescriptor _mod_descrip;

namespace {
void *someLookup(const char *, int) { return nullptr; }
void *otherLookup(const char *, int) { return nullptr; }
}  // namespace

TEST(Handler, VersionOneFillsEverySlotAndKeepsTheLookup) {
    FilterCallbacks cb{};
    EXPECT_EQ(TaviHandler(1, someLookup, &cb, nullptr), 0);
    EXPECT_EQ(global_func, &someLookup);

    // Each slot reaches the operation of its place in the table.
    InstanceRef inst = cb.create(nullptr);
    ASSERT_NE(inst, nullptr);
    EXPECT_STREQ(cb.describe(inst), "Tavi");
    EXPECT_EQ(cb.flags(inst), 0u);
    EXPECT_EQ(cb.useItems(inst), nullptr);
    cb.changeID(inst, nullptr);
    InstanceRef other = cb.create(nullptr);
    static_cast<FilterInstance *>(inst)->strength = 33;
    EXPECT_EQ(cb.copy(inst, other), 0);
    EXPECT_EQ(static_cast<FilterInstance *>(other)->strength, 33);
    tavi::host::SettingsBlock block{"1 40 30"};
    EXPECT_EQ(cb.load(inst, block.reader()), 0);
    tavi::host::SettingsBlock saved;
    EXPECT_EQ(cb.save(inst, saved.writer()), 0);
    EXPECT_EQ(saved.line(), "1 40 30");
    tavi::host::MemoryFrame frame(tavi::host::RgbaImage(4, 4));
    cb.process(inst, frame.bind());
    EXPECT_EQ(frame.putRGBCalls(), 16);
    cb.destroy(other);
    cb.destroy(inst);
}

TEST(Handler, OtherVersionsAreRefusedAndChangeNothing) {
    FilterCallbacks cb{};
    ASSERT_EQ(TaviHandler(1, someLookup, &cb, nullptr), 0);
    for (int version : {0, 2}) {
        FilterCallbacks untouched;
        std::memset(&untouched, 0x5A, sizeof untouched);
        FilterCallbacks probe = untouched;
        EXPECT_EQ(TaviHandler(version, otherLookup, &probe, nullptr), 1);
        EXPECT_EQ(std::memcmp(&probe, &untouched, sizeof probe), 0);
        EXPECT_EQ(global_func, &someLookup);
    }
}

TEST(Registration, DescriptorAndServerTable) {
    EXPECT_EQ(_mod_descrip.sync, 0x04121994u);
    EXPECT_EQ(_mod_descrip.version, 2u);
    EXPECT_EQ(_mod_descrip.machine, 0x300u);
    EXPECT_EQ(_mod_descrip.startup, &Startup);
    EXPECT_EQ(_mod_descrip.shutdown, &Shutdown);
    EXPECT_EQ(_mod_descrip.servers, ServerDesc);

    EXPECT_STREQ(ServerDesc[0].className, "ImageFilterHandler");
    EXPECT_STREQ(ServerDesc[0].name, "Tavi");
    EXPECT_EQ(ServerDesc[0].activate, &TaviHandler);
    EXPECT_STREQ(ServerDesc[1].className, "ImageFilterInterface");
    EXPECT_STREQ(ServerDesc[1].name, "Tavi");
    EXPECT_NE(ServerDesc[1].activate, nullptr);
    EXPECT_EQ(ServerDesc[2].className, nullptr);
    EXPECT_EQ(ServerDesc[2].name, nullptr);
    EXPECT_EQ(ServerDesc[2].activate, nullptr);
}

TEST(Registration, StartupAnswersFourEveryTime) {
    for (int i = 0; i < 3; ++i) {
        void *value = Startup();
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(value), 4u);
        Shutdown(value);
    }
}
