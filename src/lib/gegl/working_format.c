#include "lib/gegl/working_format.h"

#include <stdio.h>

WorkingFormat working_format(const Babl *input) {
    WorkingFormat working = {NULL, WORKING_U8, TAVI_ALPHA_STRAIGHT};
    const char *type = "u8";
    const char *model = "R'G'B'A";
    const Babl *space = NULL;
    if (input != NULL) {
        const Babl *sample = babl_format_get_type(input, 0);
        const BablModelFlag flags = babl_get_model_flags(babl_format_get_model(input));
        const int linear = (flags & BABL_MODEL_FLAG_LINEAR) != 0;
        space = babl_format_get_space(input);
        if (sample == babl_type("u8")) {
            type = "u8";
        } else if (sample == babl_type("u16")) {
            type = "u16";
            working.samples = WORKING_U16;
        } else if (sample == babl_type("half")) {
            type = "half";
            working.samples = WORKING_HALF;
        } else {
            type = "float";
            working.samples = WORKING_FLOAT;
        }
        if (flags & BABL_MODEL_FLAG_ASSOCIATED) {
            model = linear ? "RaGaBaA" : "R'aG'aB'aA";
            working.alpha = TAVI_ALPHA_PREMULTIPLIED;
        } else {
            model = linear ? "RGBA" : "R'G'B'A";
        }
    }
    char name[32];
    snprintf(name, sizeof name, "%s %s", model, type);
    working.format = babl_format_with_space(name, space);
    return working;
}
