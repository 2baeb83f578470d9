// Every argument libtavi refuses: the status, the sentence naming what is
// wrong, and the pixels left exactly as they were.
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <climits>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "tavi/tavi.h"

namespace {

struct Refused {
    tavi_status status;
    std::string message;
};

// A 6 x 5 RGBA picture with an edge, so a call that wrongly went ahead
// would change it.
std::vector<unsigned char> picture() {
    std::vector<unsigned char> p(6 * 5 * 4);
    for (int i = 0; i < 30; ++i) {
        const bool lit = (i % 6) > (i / 6);
        for (int c = 0; c < 3; ++c) p[i * 4 + c] = lit ? 230 : 20;
        p[i * 4 + 3] = 255;
    }
    return p;
}

void expectRefused(tavi_status got, const Refused &wanted) {
    EXPECT_EQ(got, wanted.status) << tavi_last_error();
    EXPECT_EQ(std::string(tavi_last_error()), wanted.message);
}

}  // namespace

TEST(LibraryArguments, DefaultsAreTheFiltersOwn) {
    const tavi_settings s = tavi_default_settings();
    EXPECT_EQ(s.target, TAVI_TARGET_RGBA);
    EXPECT_EQ(s.strength, 100);
    EXPECT_EQ(s.threshold, 224);
    EXPECT_EQ(s.enabled, 1);
}

TEST(LibraryArguments, NullPointers) {
    std::vector<unsigned char> p = picture();
    const tavi_settings s = tavi_default_settings();
    expectRefused(tavi_antialias_u8(nullptr, 6, 5, 0, 4, TAVI_ALPHA_STRAIGHT, &s),
                  {TAVI_ERROR_NULL_POINTER, "pixels is NULL"});
    expectRefused(tavi_antialias_f32(nullptr, 0, 0, 0, 4, TAVI_ALPHA_STRAIGHT, &s),
                  {TAVI_ERROR_NULL_POINTER, "pixels is NULL"});
    expectRefused(tavi_antialias_u8(p.data(), 6, 5, 0, 4, TAVI_ALPHA_STRAIGHT, nullptr),
                  {TAVI_ERROR_NULL_POINTER, "settings is NULL (tavi_default_settings() gives the defaults)"});
    EXPECT_EQ(p, picture());
}

TEST(LibraryArguments, SizesAndStrides) {
    std::vector<unsigned char> p = picture();
    const tavi_settings s = tavi_default_settings();
    const auto u8 = [&](int w, int h, size_t stride, int channels = 4) {
        return tavi_antialias_u8(p.data(), w, h, stride, channels, TAVI_ALPHA_STRAIGHT, &s);
    };
    expectRefused(u8(-1, 5, 0), {TAVI_ERROR_BAD_SIZE, "the size -1 x 5 is negative"});
    expectRefused(u8(6, INT_MIN, 0), {TAVI_ERROR_BAD_SIZE, "the size 6 x -2147483648 is negative"});
    expectRefused(u8(6, 5, 23), {TAVI_ERROR_BAD_STRIDE, "row_stride 23 is shorter than a row of 6 pixels (24 bytes)"});
    expectRefused(
        tavi_antialias_u16(reinterpret_cast<unsigned short *>(p.data()), 3, 2, 17, 3, TAVI_ALPHA_STRAIGHT, &s),
        {TAVI_ERROR_BAD_STRIDE, "row_stride 17 is shorter than a row of 3 pixels (18 bytes)"});
    expectRefused(tavi_antialias_f32(reinterpret_cast<float *>(p.data()), 3, 1, 47, 4, TAVI_ALPHA_STRAIGHT, &s),
                  {TAVI_ERROR_BAD_STRIDE, "row_stride 47 is shorter than a row of 3 pixels (48 bytes)"});

    // Extents that overflow are refused before anything is read.
    const size_t huge = SIZE_MAX / 2;
    expectRefused(u8(6, 5, SIZE_MAX),
                  {TAVI_ERROR_TOO_LARGE, "row_stride " + std::to_string(SIZE_MAX) + " does not fit in memory"});
    expectRefused(u8(6, 5, huge / 2),
                  {TAVI_ERROR_TOO_LARGE, "5 rows " + std::to_string(huge / 2) + " bytes apart do not fit in memory"});
    expectRefused(u8(INT_MAX, INT_MAX, 0),
                  {TAVI_ERROR_TOO_LARGE, "2147483647 rows 8589934588 bytes apart do not fit in memory"});
    // Rows that fit, but not the filter's 4-byte working frame of them.
    expectRefused(u8(INT_MAX, (1 << 30) + 2, 0, 3),
                  {TAVI_ERROR_TOO_LARGE, "a frame of 2147483647 x 1073741826 pixels does not fit in memory"});
    const std::string rows = std::to_string(size_t(INT_MAX) * 8) + " bytes apart";
    expectRefused(tavi_antialias_u16(reinterpret_cast<unsigned short *>(p.data()), INT_MAX, INT_MAX, 0, 4,
                                     TAVI_ALPHA_STRAIGHT, &s),
                  {TAVI_ERROR_TOO_LARGE, "2147483647 rows " + rows + " do not fit in memory"});
    // A buffer that would run past the end of the address space.
    auto *nearTheEnd = reinterpret_cast<unsigned char *>(UINTPTR_MAX - 63);
    expectRefused(tavi_antialias_u8(nearTheEnd, 6, 5, 0, 4, TAVI_ALPHA_STRAIGHT, &s),
                  {TAVI_ERROR_TOO_LARGE, "the image's 120 bytes run past the end of the address space"});
    EXPECT_EQ(p, picture());

    // Empty images are fine and touch nothing; a wider stride is fine.
    EXPECT_EQ(u8(0, 0, 0), TAVI_OK);
    EXPECT_EQ(u8(0, 5, 0), TAVI_OK);
    EXPECT_EQ(u8(6, 0, 0), TAVI_OK);
    EXPECT_STREQ(tavi_last_error(), "");
    EXPECT_EQ(p, picture());
    EXPECT_EQ(u8(3, 5, 24), TAVI_OK);  // the left half of each row
}

TEST(LibraryArguments, ChannelsAndAlpha) {
    std::vector<unsigned char> p = picture();
    const tavi_settings s = tavi_default_settings();
    for (int channels : {-1, 0, 1, 2, 5, 64})
        expectRefused(
            tavi_antialias_u8(p.data(), 6, 5, 0, channels, TAVI_ALPHA_STRAIGHT, &s),
            {TAVI_ERROR_BAD_CHANNELS, "channels " + std::to_string(channels) + " is neither 3 (RGB) nor 4 (RGBA)"});
    expectRefused(
        tavi_antialias_u8(p.data(), 6, 5, 0, 4, tavi_alpha(2), &s),
        {TAVI_ERROR_BAD_ALPHA, "alpha 2 is neither TAVI_ALPHA_STRAIGHT (0) nor TAVI_ALPHA_PREMULTIPLIED (1)"});
    EXPECT_EQ(p, picture());
}

TEST(LibraryArguments, SettingsOutOfRange) {
    std::vector<unsigned char> p = picture();
    const tavi_settings ok = tavi_default_settings();
    struct Case {
        tavi_settings settings;
        std::string message;
    };
    const Case cases[] = {
        {{-1, 100, 224, 1}, "target -1 is none of TAVI_TARGET_RGB (0), TAVI_TARGET_ALPHA (1) and TAVI_TARGET_RGBA (2)"},
        {{3, 100, 224, 1}, "target 3 is none of TAVI_TARGET_RGB (0), TAVI_TARGET_ALPHA (1) and TAVI_TARGET_RGBA (2)"},
        {{2, -1, 224, 1}, "strength -1 is outside 0 to 100"},
        {{2, 101, 224, 1}, "strength 101 is outside 0 to 100"},
        {{2, 100, -1, 1}, "threshold -1 is outside 0 to 256"},
        {{2, 100, 257, 1}, "threshold 257 is outside 0 to 256"},
        {{2, 100, 224, 2}, "enabled 2 is neither 0 nor 1"},
        {{2, 100, 224, -1}, "enabled -1 is neither 0 nor 1"},
    };
    for (const Case &c : cases)
        expectRefused(tavi_antialias_u8(p.data(), 6, 5, 0, 4, TAVI_ALPHA_STRAIGHT, &c.settings),
                      {TAVI_ERROR_BAD_SETTINGS, c.message});
    EXPECT_EQ(p, picture());
    // The ends of each range are taken.
    for (const tavi_settings &edge : {tavi_settings{0, 0, 0, 0}, tavi_settings{2, 100, 256, 1}, ok})
        EXPECT_EQ(tavi_antialias_u8(p.data(), 6, 5, 0, 4, TAVI_ALPHA_STRAIGHT, &edge), TAVI_OK) << tavi_last_error();
}

TEST(LibraryArguments, EachStatusHasAText) {
    for (int s = TAVI_OK; s <= TAVI_ERROR_INTERNAL; ++s) {
        const std::string text = tavi_status_text(tavi_status(s));
        EXPECT_FALSE(text.empty());
        EXPECT_NE(text, "unknown status") << s;
    }
    EXPECT_STREQ(tavi_status_text(tavi_status(99)), "unknown status");
}

TEST(LibraryArguments, TheLastErrorBelongsToTheThread) {
    std::vector<unsigned char> p = picture();
    const tavi_settings s = tavi_default_settings();
    ASSERT_NE(tavi_antialias_u8(p.data(), 6, 5, 0, 7, TAVI_ALPHA_STRAIGHT, &s), TAVI_OK);
    std::string elsewhere = "unset";
    std::thread([&] { elsewhere = tavi_last_error(); }).join();
    EXPECT_EQ(elsewhere, "");
    EXPECT_EQ(std::string(tavi_last_error()), "channels 7 is neither 3 (RGB) nor 4 (RGBA)");
    ASSERT_EQ(tavi_antialias_u8(p.data(), 6, 5, 0, 4, TAVI_ALPHA_STRAIGHT, &s), TAVI_OK);
    EXPECT_STREQ(tavi_last_error(), "");
}

TEST(LibraryArguments, TheSharedLibraryShowsOnlyItsInterface) {
    void *library = dlopen(TAVI_LIBRARY_FILE, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    for (const char *name : {"tavi_antialias_u8", "tavi_antialias_u16", "tavi_antialias_f16", "tavi_antialias_f32",
                             "tavi_default_settings", "tavi_last_error", "tavi_status_text"})
        EXPECT_NE(dlsym(library, name), nullptr) << name;
    // The module inside is not a module of this process: its descriptor,
    // accessors and globals stay hidden.
    for (const char *name : {"_mod_descrip", "readB", "writeF", "global_func", "TaviProcess", "Startup"})
        EXPECT_EQ(dlsym(library, name), nullptr) << name;
    dlclose(library);
}
