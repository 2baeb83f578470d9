#include <gtest/gtest.h>

#include <cstring>

#include "support/buffer_ledger.h"
#include "filter/instance.h"
#include "support/instance_fixture.h"

using namespace tavi::test;

TEST(Instance, FreshInstanceHasItsDefaults) {
    LedgerScope ledger;
    InstancePtr inst = makeInstance();
    ASSERT_NE(inst, nullptr);
    EXPECT_STREQ(TaviDescribe(inst.get()), "Tavi");
    EXPECT_EQ(inst->target, 2);
    EXPECT_EQ(inst->enabled, 1);
    EXPECT_EQ(inst->strength, 100);
    EXPECT_EQ(inst->threshold, 224);
    EXPECT_EQ(inst->previewType, 0);
    EXPECT_EQ(inst->zoom, 0);
    EXPECT_EQ(inst->autoDraw, 0);
    EXPECT_EQ(inst->curStrength, 100);
    EXPECT_EQ(inst->curThreshold, 224);
    EXPECT_EQ(inst->curMode, 0);
    EXPECT_EQ(inst->haveFrame, 0);
    EXPECT_EQ(inst->frameFailed, 0);
    EXPECT_EQ(inst->previewFailed, 0);
    EXPECT_EQ(inst->width, 0);
    EXPECT_EQ(inst->height, 0);
    EXPECT_EQ(inst->bufR, nullptr);
    EXPECT_EQ(inst->bufA, nullptr);
    EXPECT_EQ(inst->readSrc, nullptr);
    EXPECT_EQ(inst->writeDstA, nullptr);
    // The record and its four preview planes, nothing else.
    EXPECT_EQ(ledger->obtained, 5);
    for (const std::uint8_t *plane : {inst->prevR, inst->prevG, inst->prevB, inst->prevA}) {
        ASSERT_NE(plane, nullptr);
        // Planes start defined (zero), so a preview never shows stale memory.
        for (int i = 0; i < kPreviewPlaneSize; ++i) ASSERT_EQ(plane[i], 0);
    }
    // The rest of the name is zero, so the text is always terminated.
    for (std::size_t i = 4; i < sizeof inst->name; ++i) ASSERT_EQ(inst->name[i], 0);
    EXPECT_EQ(TaviFlags(inst.get()), 0u);
    EXPECT_EQ(TaviUseItems(inst.get()), nullptr);
}

TEST(Instance, FailedThirdPreviewPlaneReleasesTheOthers) {
    // Request 1 is the record, 2..5 the planes red, green, blue, alpha.
    LedgerScope ledger({4});
    InstancePtr inst = makeInstance();
    ASSERT_NE(inst, nullptr) << "rendering does not need the preview";
    EXPECT_EQ(ledger->requests, 5) << "every plane is requested even after a failure";
    EXPECT_EQ(inst->previewFailed, 1);
    EXPECT_EQ(inst->prevR, nullptr);
    EXPECT_EQ(inst->prevG, nullptr);
    EXPECT_EQ(inst->prevB, nullptr);
    EXPECT_EQ(inst->prevA, nullptr);
    EXPECT_EQ(ledger->live.size(), 1u) << "only the record is still held";
}

TEST(Instance, FailedRecordGivesNull) {
    LedgerScope ledger({1});
    EXPECT_EQ(TaviCreate(nullptr), nullptr);
    EXPECT_EQ(ledger->requests, 1);
}

TEST(Instance, DestroyReleasesExactlyWhatWasObtained) {
    {
        LedgerScope ledger;
        TaviDestroy(TaviCreate(nullptr));
        EXPECT_EQ(ledger->obtained, 5);
        EXPECT_EQ(ledger->released, 5);
    }
    {
        LedgerScope ledger({2, 3, 4, 5});
        TaviDestroy(TaviCreate(nullptr));
        EXPECT_EQ(ledger->obtained, 1);
        EXPECT_EQ(ledger->released, 1);
    }
    TaviDestroy(nullptr);
}

TEST(Instance, CopyTakesSettingsButKeepsOwnBuffers) {
    LedgerScope ledger;
    InstancePtr from = makeInstance();
    InstancePtr to = makeInstance();
    from->target = 1;
    from->enabled = 0;
    from->strength = 40;
    from->threshold = 30;
    from->previewType = 1;
    from->zoom = 3;
    from->autoDraw = 1;
    from->viewX = 12;
    from->dragY = -4;
    from->curMode = 2;
    from->haveFrame = 1;
    from->width = 640;
    from->height = 480;
    std::strcpy(from->name, "Other");
    std::uint8_t *ownPlane = to->prevG;

    EXPECT_EQ(TaviCopy(from.get(), to.get()), 0);

    EXPECT_EQ(to->target, 1);
    EXPECT_EQ(to->enabled, 0);
    EXPECT_EQ(to->strength, 40);
    EXPECT_EQ(to->threshold, 30);
    EXPECT_EQ(to->previewType, 1);
    EXPECT_EQ(to->zoom, 3);
    EXPECT_EQ(to->autoDraw, 1);
    EXPECT_EQ(to->viewX, 12);
    EXPECT_EQ(to->dragY, -4);
    EXPECT_EQ(to->curMode, 2);
    EXPECT_STREQ(TaviDescribe(to.get()), "Other");
    EXPECT_EQ(to->prevG, ownPlane);
    EXPECT_NE(to->prevR, from->prevR);
    EXPECT_EQ(to->haveFrame, 0) << "a copy onto a fresh instance has no frame";
    EXPECT_EQ(to->width, 0);
    EXPECT_EQ(to->height, 0);

    from.reset();
    to.reset();
    EXPECT_EQ(ledger->obtained, 10);
    EXPECT_EQ(ledger->released, 10);
    EXPECT_TRUE(ledger->live.empty());
}
