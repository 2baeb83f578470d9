/* The pixels tavi:antialias asks babl for: the image's own values. */
#ifndef TAVI_GEGL_WORKING_FORMAT_H
#define TAVI_GEGL_WORKING_FORMAT_H

#include <babl/babl.h>

#include "tavi/tavi.h"

typedef enum {
    WORKING_U8,
    WORKING_U16,
    WORKING_HALF,
    WORKING_FLOAT
} WorkingSamples;

typedef struct {
    const Babl *format; /* RGBA in the image's space */
    WorkingSamples samples;
    tavi_alpha alpha;
} WorkingFormat;

/*
 * RGBA at the input's own depth (u8, u16, half; float for anything else),
 * with its own transfer curve (linear or not) and its own alpha form
 * (straight or associated), so babl changes no stored value on the way in
 * or out and the filter sees what `tavi process` would see in a file of
 * that kind. Grey and other models become RGB. `input` may be NULL (no
 * input yet): 8-bit perceptual straight RGBA.
 */
WorkingFormat working_format(const Babl *input);

#endif
