/*
 * tavi:antialias, the Tavi filter as a GEGL operation (GIMP 2.10 and later,
 * the gegl command). It works on the whole image at once: the filter
 * follows edges across the frame, so it cannot run tile by tile. An input
 * without bounds (gegl:checkerboard, say) has no whole image: there the
 * region asked of the operation is the frame, filtered as `tavi process`
 * filters a file holding those pixels.
 *
 * A failure (no memory for the frame, or the filter refusing it) is never
 * passed off as a result: a warning gives the library's reason, and the
 * output is left empty, fully transparent, rather than a copy of the input
 * that would look as if the filter had found nothing to do.
 *
 * Alpha: the pixels are asked of babl in the image's own form (for an
 * 8-bit PNG or GIMP layer, straight "R'G'B'A u8") and the C library applies
 * the frame rules of `tavi process` to them, so the bytes are that
 * command's. Asking babl for premultiplied "R'aG'aB'aA u8" instead cannot
 * give them: babl premultiplies exactly as the rules do, but it divides
 * back differently for some pixels (15 over alpha 18 gives 212, not 213),
 * makes colour 0 where alpha is 0, and, above all, divides back every
 * pixel, so that half of all straight colour and alpha pairs come back
 * changed even where the filter changed nothing, while `tavi process`
 * keeps those pixels exactly.
 */
/* Texts go through gettext as in GEGL's own operations; Tavi ships no
   translations, so they stay English. */
#define GETTEXT_PACKAGE "tavi"
#include <glib/gi18n-lib.h>

#include <gegl-plugin.h>

#ifdef GEGL_PROPERTIES

enum_start(tavi_antialias_target) enum_value(TAVI_ANTIALIAS_TARGET_RGB, "rgb", N_("RGB only"))
    enum_value(TAVI_ANTIALIAS_TARGET_ALPHA, "alpha", N_("Alpha only"))
        enum_value(TAVI_ANTIALIAS_TARGET_RGBA, "rgba", N_("RGBA")) enum_end(TaviAntialiasTarget)

            property_enum(target, _("Target"), TaviAntialiasTarget, tavi_antialias_target, TAVI_ANTIALIAS_TARGET_RGBA)
                description(_("The channels to anti-alias"))

    /* Every strength is worth a slider stop; a big step is a tenth. */
    property_int(strength, _("Strength"), 100) description(_("How far blended pixels move toward the ramp, in percent"))
        value_range(0, 100) ui_range(0, 100) ui_steps(1, 10)

    /* The slider spans 128 to 256, differences from 128 down to 1, where a
       rendered frame's edges lie; below 128 only the harshest contrasts count,
       and those values are typed. A big step moves the difference by 16. */
    property_int(threshold, _("Threshold"), 224)
        description(_("A difference between neighbouring pixels above 256 - threshold counts as an edge"))
            value_range(0, 256) ui_range(128, 256) ui_steps(1, 16)

#else

#define GEGL_OP_FILTER
#define GEGL_OP_NAME tavi_antialias
#define GEGL_OP_C_SOURCE tavi_antialias.c

#include "gegl-op.h"

#include "tavi/tavi.h"
#include "lib/gegl/working_format.h"

/* The three targets are the library's, in its order. */
G_STATIC_ASSERT((int)TAVI_ANTIALIAS_TARGET_RGB == (int)TAVI_TARGET_RGB);
G_STATIC_ASSERT((int)TAVI_ANTIALIAS_TARGET_ALPHA == (int)TAVI_TARGET_ALPHA);
G_STATIC_ASSERT((int)TAVI_ANTIALIAS_TARGET_RGBA == (int)TAVI_TARGET_RGBA);

static void prepare(GeglOperation *operation) {
    const WorkingFormat working = working_format(gegl_operation_get_source_format(operation, "input"));
    gegl_operation_set_format(operation, "input", working.format);
    gegl_operation_set_format(operation, "output", working.format);
}

static gboolean is_whole_image(const GeglRectangle *box) {
    return box != NULL && !gegl_rectangle_is_empty(box) && !gegl_rectangle_is_infinite_plane(box);
}

/* Any part of the output needs all of the input (or, without bounds, the
   region asked for) ... */
static GeglRectangle get_required_for_output(GeglOperation *operation, const gchar *input_pad,
                                             const GeglRectangle *roi) {
    (void)input_pad;
    const GeglRectangle *box = gegl_operation_source_get_bounding_box(operation, "input");
    return is_whole_image(box) ? *box : *roi;
}

/* ... and makes all of the output, once. */
static GeglRectangle get_cached_region(GeglOperation *operation, const GeglRectangle *roi) {
    const GeglRectangle *box = gegl_operation_source_get_bounding_box(operation, "input");
    return is_whole_image(box) ? *box : *roi;
}

static tavi_status filter_pixels(void *pixels, const GeglRectangle *area, WorkingFormat working,
                                 const tavi_settings *settings) {
    switch (working.samples) {
    case WORKING_U8: return tavi_antialias_u8(pixels, area->width, area->height, 0, 4, working.alpha, settings);
    case WORKING_U16: return tavi_antialias_u16(pixels, area->width, area->height, 0, 4, working.alpha, settings);
    case WORKING_HALF: return tavi_antialias_f16(pixels, area->width, area->height, 0, 4, working.alpha, settings);
    case WORKING_FLOAT: return tavi_antialias_f32(pixels, area->width, area->height, 0, 4, working.alpha, settings);
    }
    return TAVI_ERROR_INTERNAL;
}

/* Says why the frame could not be filtered; the output stays empty. */
static gboolean fail(const GeglRectangle *area, const char *reason) {
    g_warning("tavi:antialias: the %d x %d image is not filtered: %s; the output is left empty (transparent)",
              area->width, area->height, reason);
    return FALSE;
}

static gboolean process(GeglOperation *operation, GeglBuffer *input, GeglBuffer *output, const GeglRectangle *result,
                        gint level) {
    GeglProperties *o = GEGL_PROPERTIES(operation);
    const GeglRectangle *box = gegl_operation_source_get_bounding_box(operation, "input");
    const WorkingFormat working = working_format(gegl_operation_get_source_format(operation, "input"));
    /* The frame: the whole image, or the region asked of an endless one. */
    const GeglRectangle *area = is_whole_image(box) ? box : result;
    (void)level;
    if (gegl_rectangle_is_empty(area)) return TRUE;

    const gsize pixel_bytes = (gsize)babl_format_get_bytes_per_pixel(working.format);
    const gsize count = (gsize)area->width * (gsize)area->height;
    guchar *pixels = count <= G_MAXSIZE / pixel_bytes ? g_try_malloc(count * pixel_bytes) : NULL;
    if (pixels == NULL) return fail(area, "not enough memory for the image");
    gegl_buffer_get(input, area, 1.0, working.format, pixels, GEGL_AUTO_ROWSTRIDE, GEGL_ABYSS_NONE);

    const tavi_settings settings = {(int)o->target, o->strength, o->threshold, 1};
    const tavi_status status = filter_pixels(pixels, area, working, &settings);
    if (status == TAVI_OK) gegl_buffer_set(output, area, 0, working.format, pixels, GEGL_AUTO_ROWSTRIDE);
    g_free(pixels);
    return status == TAVI_OK ? TRUE : fail(area, tavi_last_error());
}

static void gegl_op_class_init(GeglOpClass *klass) {
    GeglOperationClass *operation_class = GEGL_OPERATION_CLASS(klass);
    GeglOperationFilterClass *filter_class = GEGL_OPERATION_FILTER_CLASS(klass);

    operation_class->prepare = prepare;
    operation_class->get_required_for_output = get_required_for_output;
    operation_class->get_cached_region = get_cached_region;
    /* One call over the whole image: GEGL must not split it into parts. */
    operation_class->threaded = FALSE;
    filter_class->process = process;

    /* GIMP (2.99.16 and later) lists it under Filters > Enhance beside its
       own anti-aliasing; "antialias" narrows "enhance" for GEGL's lists.
       No "license" key: GEGL offers an operation that has one only to
       applications that name that licence as accepted (GIMP and gegl name
       GPL3 alone), so "Apache-2.0" would hide it from both. Without the
       key it is free for any application, which is what Apache-2.0 allows. */
    gegl_operation_class_set_keys(operation_class, "name", "tavi:antialias", "title", _("Tavi Anti-aliasing"),
                                  "categories", "enhance:antialias", "description",
                                  _("Finds stair-stepped edges, as a renderer leaves them, and blends the pixels "
                                    "around each step into a ramp: the Tavi post-render filter."),
                                  "gimp:menu-path", "<Image>/Filters/Enhance", "gimp:menu-label",
                                  _("Tavi Anti-aliasing..."), NULL);
}

#endif
