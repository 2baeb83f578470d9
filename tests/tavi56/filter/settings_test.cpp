#include <gtest/gtest.h>

#include <string>

#include "filter/settings.h"
#include "support/instance_fixture.h"
#include "host/loader/settings_block.h"

using namespace tavi::test;
using tavi::host::SettingsBlock;

namespace {

// Loads `block` into a fresh instance.
InstancePtr loaded(std::string_view block) {
    InstancePtr inst = makeInstance();
    SettingsBlock stored{block};
    EXPECT_EQ(TaviLoad(inst.get(), stored.reader()), 0);
    return inst;
}

struct Settings {
    int target, strength, threshold;
};
Settings of(const InstancePtr &inst) { return {inst->target, inst->strength, inst->threshold}; }
bool operator==(Settings a, Settings b) {
    return a.target == b.target && a.strength == b.strength && a.threshold == b.threshold;
}
std::ostream &operator<<(std::ostream &os, Settings s) {
    return os << s.target << ' ' << s.strength << ' ' << s.threshold;
}

}  // namespace

TEST(Settings, NewInstanceSavesItsDefaultsIn120Bytes) {
    InstancePtr inst = makeInstance();
    SettingsBlock block;
    EXPECT_EQ(TaviSave(inst.get(), block.writer()), 0);
    ASSERT_EQ(block.bytes().size(), 120u);
    EXPECT_EQ(block.line(), "2 100 224");
    EXPECT_EQ(block.bytes()[9], '\0');
}

TEST(Settings, RoundTripsThroughANewInstance) {
    InstancePtr edited = makeInstance();
    edited->target = 1;
    edited->strength = 40;
    edited->threshold = 30;
    SettingsBlock block;
    TaviSave(edited.get(), block.writer());
    EXPECT_EQ(block.line(), "1 40 30");

    InstancePtr inst = loaded(block.bytes());
    EXPECT_EQ(of(inst), (Settings{1, 40, 30}));
    // Not stored, so untouched.
    EXPECT_EQ(inst->enabled, 1);
    EXPECT_EQ(inst->previewType, 0);
    EXPECT_EQ(inst->zoom, 0);
}

TEST(Settings, NegativeAndOutOfRangeValuesAreKeptAsTheyAre) {
    InstancePtr inst = makeInstance();
    inst->target = -7;
    inst->strength = 150;
    inst->threshold = -2147483647 - 1;
    SettingsBlock block;
    TaviSave(inst.get(), block.writer());
    EXPECT_EQ(block.line(), "-7 150 -2147483648");
    EXPECT_EQ(of(loaded(block.bytes())), (Settings{-7, 150, -2147483647 - 1}));
}

TEST(Settings, LoadingLeavesTheRunValuesAlone) {
    InstancePtr inst = loaded("0 10 20");
    EXPECT_EQ(inst->curStrength, 100);
    EXPECT_EQ(inst->curThreshold, 224);
    EXPECT_EQ(inst->curMode, 0);
}

TEST(Settings, LoadParsesLikeTheLineFormat) {
    EXPECT_EQ(of(loaded("1 2 3 and then some text")), (Settings{1, 2, 3}));
    EXPECT_EQ(of(loaded("  0\t+5\n 7")), (Settings{0, 5, 7}));
    EXPECT_EQ(of(loaded("1-2 3")), (Settings{1, -2, 3})) << "white space between numbers is optional";
}

TEST(Settings, ShortLinesStoreWhatTheyHave) {
    EXPECT_EQ(of(loaded("0 55")), (Settings{0, 55, 224}));
    EXPECT_EQ(of(loaded("1")), (Settings{1, 100, 224}));
    EXPECT_EQ(of(loaded("")), (Settings{2, 100, 224}));
    EXPECT_EQ(of(loaded("garbage 1 2 3")), (Settings{2, 100, 224}));
    EXPECT_EQ(of(loaded("1 x 3")), (Settings{1, 100, 224}));
}

TEST(Settings, HugeNumbersSaturateInsteadOfOverflowing) {
    EXPECT_EQ(of(loaded("99999999999999999999 -99999999999999999999 2147483648")),
              (Settings{2147483647, -2147483647 - 1, 2147483647}));
}

TEST(Settings, UnterminatedBlockIsNeverReadPastItsEnd) {
    // 120 digits and no NUL: the parse must stop at the block's end. Under
    // AddressSanitizer a read past the buffer would fail this test.
    std::string block(120, '7');
    block[1] = ' ';
    block[3] = ' ';
    EXPECT_EQ(of(loaded(block)), (Settings{7, 7, 2147483647}));
    // A host that writes more than asked is cut at the block size.
    std::string longer = "1 2 " + std::string(200, '3');
    EXPECT_EQ(of(loaded(longer)), (Settings{1, 2, 2147483647}));
}
