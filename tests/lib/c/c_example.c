/* The README's C example, built as C against the installed-style header
 * and libtavi.so: a hard-edged disc, straight alpha, smoothed. Exits 0 when
 * the call succeeded and changed the picture, and a bad call was refused. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <tavi/tavi.h>

/* pixels: width x height RGBA, 8 bits a sample, straight colour, rows packed */
static int smooth(unsigned char *pixels, int width, int height) {
    tavi_settings settings = tavi_default_settings();
    settings.strength = 60;
    tavi_status status = tavi_antialias_u8(pixels, width, height, 0, 4, TAVI_ALPHA_STRAIGHT, &settings);
    if (status != TAVI_OK) fprintf(stderr, "tavi: %s\n", tavi_last_error());
    return status == TAVI_OK;
}

int main(void) {
    enum {
        W = 64,
        H = 48
    };
    static unsigned char pixels[W * H * 4], before[W * H * 4];
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            unsigned char *p = pixels + (y * W + x) * 4;
            const int inside = (x - 30) * (x - 30) + (y - 22) * (y - 22) < 300;
            p[0] = inside ? 240 : 30;
            p[1] = inside ? 180 : 60;
            p[2] = 90;
            p[3] = inside ? 255 : 64;
        }
    memcpy(before, pixels, sizeof pixels);
    if (!smooth(pixels, W, H)) return 1;
    if (memcmp(before, pixels, sizeof pixels) == 0) {
        fprintf(stderr, "the disc's edge was not smoothed\n");
        return 1;
    }
    /* Three channels but a stride too short for them: refused, untouched. */
    tavi_settings settings = tavi_default_settings();
    memcpy(before, pixels, sizeof pixels);
    if (tavi_antialias_u8(pixels, W, H, W * 2, 3, TAVI_ALPHA_STRAIGHT, &settings) != TAVI_ERROR_BAD_STRIDE ||
        memcmp(before, pixels, sizeof pixels) != 0)
        return 1;
    printf("%s\n", tavi_last_error());
    return 0;
}
