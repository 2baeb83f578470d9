/*
 * tavi.h - the Tavi anti-aliasing filter for images held in memory.
 *
 * Tavi finds the stair-stepped edges of a rendered frame and blends the
 * pixels around each step into a ramp. This library runs the very filter
 * the renderer's plug-in runs (the same module code, driven the way the
 * renderer drives it) on pixels you hold, so its bytes are the plug-in's
 * and `tavi process`'s.
 *
 * QUICK START
 *
 *     #include <tavi/tavi.h>
 *
 *     tavi_settings settings = tavi_default_settings();
 *     settings.strength = 60;
 *     if (tavi_antialias_u8(pixels, width, height, 0, 4, TAVI_ALPHA_STRAIGHT,
 *                           &settings) != TAVI_OK)
 *         fprintf(stderr, "tavi: %s\n", tavi_last_error());
 *
 *     cc app.c $(pkg-config --cflags --libs tavi)
 *
 * PIXELS
 *
 * An image is `height` rows of `width` pixels, top row first. Each pixel is
 * `channels` samples in the order red, green, blue and (for 4) alpha;
 * 3 channels means no alpha. Rows start `row_stride` bytes apart; 0 means
 * the rows are packed (width x channels samples each). The image is
 * filtered in place.
 *
 * The filter itself works on 8-bit colour premultiplied by alpha, as a
 * renderer hands it over. Tell it how your colour is stored:
 *
 *   TAVI_ALPHA_STRAIGHT       colour as seen, alpha separate (PNG files,
 *                             most painting programs). It is premultiplied
 *                             on the way in, c' = (c x a + 127) / 255, and
 *                             divided back where the filter changed a
 *                             pixel, c = min(255, (c' x 255 + a / 2) / a);
 *                             where the new alpha is 0 the colour is kept.
 *   TAVI_ALPHA_PREMULTIPLIED  colour already multiplied by alpha (OpenEXR,
 *                             renderers); taken and written as it is.
 *
 * With 3 channels the two are the same: alpha is 255 throughout.
 *
 * Deeper samples (16-bit, half and 32-bit float) follow the deep-file rules
 * of `tavi process`: they are handed to the filter premultiplied, clamped to
 * 0-1 and rounded to 8 bits, and where the filter changed a pixel its change
 * is added to the stored value at full precision (divided by the new alpha
 * for straight colour). 16-bit results are rounded and clamped; float
 * results are not clamped. Full scale is 65535 for 16-bit samples and 1.0
 * for half and float.
 *
 * Every pixel the filter leaves alone keeps its samples exactly, at any
 * depth.
 *
 * SETTINGS
 *
 * See tavi_settings below. tavi_default_settings() gives the filter's own
 * defaults: RGBA, strength 100, threshold 224, enabled.
 *
 * ERRORS
 *
 * Every call that can fail returns a tavi_status: TAVI_OK (0) on success,
 * otherwise what was wrong; the image is then left untouched.
 * tavi_last_error() says it in a sentence naming the value at fault. Bad
 * arguments never crash the library and are never "fixed up" silently.
 * What it cannot check is that `pixels` really holds as many bytes as the
 * size and stride say: that is the caller's promise, as with memcpy.
 *
 * MEMORY AND OWNERSHIP
 *
 * You own the pixels and the settings; the library only reads the settings
 * and changes the pixels during the call, and keeps no pointer to either.
 * While it runs it holds working copies of the frame, about 24 bytes a
 * pixel, and frees them before it returns. Strings it returns belong to it.
 *
 * THREADS
 *
 * One call works on one image at a time. Calls on different images may run
 * at once on different threads: each call has its own filter instance and
 * working memory, and the filter module is started once for the whole
 * process, the first time it is needed. Two calls on the same (or
 * overlapping) pixels at once are a data race, as with memcpy.
 */
#ifndef TAVI_TAVI_H
#define TAVI_TAVI_H

#include <stddef.h>

#include "tavi/version.h"

#ifdef __cplusplus
extern "C" {
#endif

#if defined(_WIN32)
#define TAVI_API
#else
#define TAVI_API __attribute__((visibility("default")))
#endif

typedef enum tavi_status {
    TAVI_OK = 0,
    TAVI_ERROR_NULL_POINTER = 1,  /* pixels or settings is NULL */
    TAVI_ERROR_BAD_SIZE = 2,      /* width or height below 0 */
    TAVI_ERROR_TOO_LARGE = 3,     /* the image's extent in bytes overflows */
    TAVI_ERROR_BAD_STRIDE = 4,    /* row_stride shorter than a row */
    TAVI_ERROR_BAD_CHANNELS = 5,  /* channels is neither 3 nor 4 */
    TAVI_ERROR_BAD_ALPHA = 6,     /* alpha is not a tavi_alpha */
    TAVI_ERROR_BAD_SETTINGS = 7,  /* a setting outside its range */
    TAVI_ERROR_OUT_OF_MEMORY = 8, /* the working copies could not be had */
    TAVI_ERROR_INTERNAL = 9       /* the filter module failed to start */
} tavi_status;

typedef enum tavi_alpha {
    TAVI_ALPHA_STRAIGHT = 0,
    TAVI_ALPHA_PREMULTIPLIED = 1
} tavi_alpha;

/* The channels the filter blends. */
typedef enum tavi_target {
    TAVI_TARGET_RGB = 0,   /* colour only; alpha passes through */
    TAVI_TARGET_ALPHA = 1, /* alpha only; colour passes through */
    TAVI_TARGET_RGBA = 2   /* colour and alpha */
} tavi_target;

typedef struct tavi_settings {
    int target;    /* a tavi_target */
    int strength;  /* 0 to 100: how far blended pixels move toward the
                      ramp, in percent */
    int threshold; /* 0 to 256: a difference between neighbouring pixels
                      above 256 - threshold counts as an edge */
    int enabled;   /* 1 filters; 0 leaves the image exactly as it is */
} tavi_settings;

/* The version the library was built as, "MAJOR.MINOR.PATCH"; never NULL.
 * TAVI_VERSION_STRING (tavi/version.h) is the version of the header a
 * program was compiled with: a program can compare the two. */
TAVI_API const char *tavi_version(void);

/* The filter's defaults: TAVI_TARGET_RGBA, strength 100, threshold 224,
 * enabled 1. */
TAVI_API tavi_settings tavi_default_settings(void);

/*
 * Anti-aliases an image in place. The four calls differ only in the sample
 * type: unsigned 8-bit, unsigned 16-bit (0-65535), IEEE half-precision
 * float (as 16-bit patterns, the way OpenEXR stores it) and 32-bit float.
 *
 *   pixels      the top-left pixel's first sample
 *   width       pixels per row, >= 0
 *   height      rows, >= 0 (0 by 0 is an empty image: nothing to do)
 *   row_stride  bytes from one row's start to the next's; 0 for packed
 *               rows, otherwise at least width x channels x sample size
 *   channels    3 (RGB) or 4 (RGBA)
 *   alpha       how colour is stored (see PIXELS above)
 *   settings    what the filter does; NULL is an error, not the defaults
 *
 * Returns TAVI_OK, or an error status with the image untouched.
 */
TAVI_API tavi_status tavi_antialias_u8(unsigned char *pixels, int width, int height, size_t row_stride, int channels,
                                       tavi_alpha alpha, const tavi_settings *settings);
TAVI_API tavi_status tavi_antialias_u16(unsigned short *pixels, int width, int height, size_t row_stride, int channels,
                                        tavi_alpha alpha, const tavi_settings *settings);
TAVI_API tavi_status tavi_antialias_f16(unsigned short *pixels, int width, int height, size_t row_stride, int channels,
                                        tavi_alpha alpha, const tavi_settings *settings);
TAVI_API tavi_status tavi_antialias_f32(float *pixels, int width, int height, size_t row_stride, int channels,
                                        tavi_alpha alpha, const tavi_settings *settings);

/* What went wrong in the calling thread's last call that failed, as a
 * sentence ("row_stride 8 is shorter than a row of 3 pixels (12 bytes)");
 * "" after a call that succeeded. Valid until the thread's next call. */
TAVI_API const char *tavi_last_error(void);

/* A short fixed description of a status ("row stride too small"); never
 * NULL, also for values that are no tavi_status. */
TAVI_API const char *tavi_status_text(tavi_status status);

#ifdef __cplusplus
}
#endif

#endif /* TAVI_TAVI_H */
