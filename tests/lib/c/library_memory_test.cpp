// The library's objects with the allocator the tests control: when the
// module cannot have its buffers, the call says so and the image is left
// as it was, with nothing of the module's left allocated.
#include <gtest/gtest.h>

#include <vector>

#include "support/buffer_ledger.h"
#include "tavi/tavi.h"
#include "tavi56/engine/generated_images.h"

TEST(LibraryMemory, AFrameTheModuleCannotHoldIsRefusedAndLeftAlone) {
    const tavi::host::RgbaImage input = tavi::test::discImage(64, 48, 9);
    const tavi_settings settings = tavi_default_settings();
    tavi::host::RgbaImage image = input;
    {
        tavi::test::LedgerScope ledger;
        ledger->limit = 64 * 48 - 1;  // every frame plane fails; the instance itself does not
        EXPECT_EQ(tavi_antialias_u8(image.rgba.data(), 64, 48, 0, 4, TAVI_ALPHA_STRAIGHT, &settings),
                  TAVI_ERROR_OUT_OF_MEMORY);
        EXPECT_NE(std::string(tavi_last_error()).find("not enough memory"), std::string::npos) << tavi_last_error();
        EXPECT_EQ(image, input);
        EXPECT_TRUE(ledger->live.empty());
        EXPECT_GT(ledger->requests, 0);
    }
    // With memory again, the same call filters.
    EXPECT_EQ(tavi_antialias_u8(image.rgba.data(), 64, 48, 0, 4, TAVI_ALPHA_STRAIGHT, &settings), TAVI_OK);
    EXPECT_NE(image, input);
}

TEST(LibraryMemory, EveryFailingRequestIsRefusedCleanly) {
    const tavi::host::RgbaImage input = tavi::test::blockImage(40, 30, 5);
    const tavi_settings settings = tavi_default_settings();
    long requests = 0;
    {
        tavi::test::LedgerScope ledger;
        tavi::host::RgbaImage image = input;
        ASSERT_EQ(tavi_antialias_u8(image.rgba.data(), 40, 30, 0, 4, TAVI_ALPHA_STRAIGHT, &settings), TAVI_OK);
        requests = ledger->requests;
    }
    ASSERT_GT(requests, 4);
    int refused = 0;
    for (long failing = 1; failing <= requests; ++failing) {
        tavi::test::LedgerScope ledger({failing});
        tavi::host::RgbaImage image = input;
        const tavi_status status = tavi_antialias_u8(image.rgba.data(), 40, 30, 0, 4, TAVI_ALPHA_STRAIGHT, &settings);
        // A failed preview plane does not stop a frame; anything else does.
        if (status == TAVI_OK) continue;
        ++refused;
        EXPECT_EQ(status, TAVI_ERROR_OUT_OF_MEMORY) << "request " << failing;
        EXPECT_EQ(image, input) << "request " << failing;
        EXPECT_TRUE(ledger->live.empty()) << "request " << failing;
    }
    EXPECT_GT(refused, 0);
}
