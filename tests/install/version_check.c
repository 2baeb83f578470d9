/* A program a user of the installed C library would write: it checks that
 * the header it was compiled with and the library it runs with are the
 * same version, prints it, and filters a staircase through the library.
 * Built by the install tests against tavi.pc and against the CMake package
 * tavi::tavi. */
#include <stdio.h>
#include <string.h>

#include <tavi/tavi.h>

#define SIZE 16

int main(void) {
    char built[32];
    snprintf(built, sizeof built, "%d.%d.%d", TAVI_VERSION_MAJOR, TAVI_VERSION_MINOR, TAVI_VERSION_PATCH);
    if (strcmp(built, TAVI_VERSION_STRING) != 0) {
        fprintf(stderr, "version_check: the header's numbers say %s, its string %s\n", built, TAVI_VERSION_STRING);
        return 1;
    }
    if (strcmp(tavi_version(), TAVI_VERSION_STRING) != 0) {
        fprintf(stderr, "version_check: header %s, library %s\n", TAVI_VERSION_STRING, tavi_version());
        return 1;
    }

    /* Opaque white above a stair-stepped line, black below: an edge the
     * filter must blend. */
    unsigned char pixels[SIZE * SIZE * 4];
    for (int y = 0; y < SIZE; ++y)
        for (int x = 0; x < SIZE; ++x) {
            unsigned char *p = pixels + (y * SIZE + x) * 4;
            p[0] = p[1] = p[2] = (y < 4 + x / 3) ? 255 : 0;
            p[3] = 255;
        }
    unsigned char before[sizeof pixels];
    memcpy(before, pixels, sizeof pixels);
    tavi_settings settings = tavi_default_settings();
    if (tavi_antialias_u8(pixels, SIZE, SIZE, 0, 4, TAVI_ALPHA_STRAIGHT, &settings) != TAVI_OK) {
        fprintf(stderr, "version_check: %s\n", tavi_last_error());
        return 1;
    }
    if (memcmp(before, pixels, sizeof pixels) == 0) {
        fprintf(stderr, "version_check: the filter left a staircase as it was\n");
        return 1;
    }
    printf("tavi %s\n", tavi_version());
    return 0;
}
