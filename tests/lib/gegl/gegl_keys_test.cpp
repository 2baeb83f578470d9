// What the operation declares, read through libgegl as GIMP reads it: the
// menu path and label that put it under Filters > Enhance, its categories,
// the sliders' value and UI ranges, and that it stays visible to every
// application, as no licence key narrows it.
#include <gegl.h>
#include <gegl-paramspecs.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

class GeglKeys : public testing::Test {
protected:
    static void SetUpTestSuite() {
        // The operation beside GEGL's own, and nothing of the user's.
        setenv("GEGL_PATH", TAVI_GEGL_OP_DIR ":" GEGL_SYSTEM_OPS, 1);
        gegl_init(nullptr, nullptr);
    }

    static std::string key(const char *name) {
        const char *value = gegl_operation_get_key("tavi:antialias", name);
        return value != nullptr ? value : "(none)";
    }
};

struct IntRanges {
    int minimum, maximum, defaultValue, uiMinimum, uiMaximum, uiStepSmall, uiStepBig;
};

IntRanges rangesOf(const char *property) {
    GParamSpec *spec = gegl_operation_find_property("tavi:antialias", property);
    if (spec == nullptr || !GEGL_IS_PARAM_SPEC_INT(spec)) {
        ADD_FAILURE() << property << " is no GEGL int property";
        return {};
    }
    const GParamSpecInt *values = G_PARAM_SPEC_INT(spec);
    const GeglParamSpecInt *ui = GEGL_PARAM_SPEC_INT(spec);
    return {values->minimum, values->maximum,   values->default_value, ui->ui_minimum,
            ui->ui_maximum,  ui->ui_step_small, ui->ui_step_big};
}

}  // namespace

TEST_F(GeglKeys, SaysWhereGimpListsIt) {
    EXPECT_EQ(key("gimp:menu-path"), "<Image>/Filters/Enhance");
    EXPECT_EQ(key("gimp:menu-label"), "Tavi Anti-aliasing...");
    EXPECT_EQ(key("title"), "Tavi Anti-aliasing");
}

TEST_F(GeglKeys, IsAnEnhanceFilterOfItsOwnKind) { EXPECT_EQ(key("categories"), "enhance:antialias"); }

TEST_F(GeglKeys, StrengthSlidesOverItsWholeRange) {
    const IntRanges strength = rangesOf("strength");
    EXPECT_EQ(strength.minimum, 0);
    EXPECT_EQ(strength.maximum, 100);
    EXPECT_EQ(strength.defaultValue, 100);
    EXPECT_EQ(strength.uiMinimum, 0);
    EXPECT_EQ(strength.uiMaximum, 100);
    EXPECT_EQ(strength.uiStepSmall, 1);
    EXPECT_EQ(strength.uiStepBig, 10);
}

TEST_F(GeglKeys, ThresholdSlidesWhereEdgesAreAndTakesTheRestTyped) {
    const IntRanges threshold = rangesOf("threshold");
    EXPECT_EQ(threshold.minimum, 0);
    EXPECT_EQ(threshold.maximum, 256);
    EXPECT_EQ(threshold.defaultValue, 224);
    EXPECT_EQ(threshold.uiMinimum, 128);
    EXPECT_EQ(threshold.uiMaximum, 256);
    EXPECT_EQ(threshold.uiStepSmall, 1);
    EXPECT_EQ(threshold.uiStepBig, 16);
    EXPECT_GE(threshold.defaultValue, threshold.uiMinimum) << "the default is on the slider";
}

TEST_F(GeglKeys, EveryApplicationSeesIt) {
    // GEGL offers an operation with a licence key only to applications
    // that accept that licence; this one, like a program that sets none,
    // accepts none. GEGL's own anti-aliasing is GPL3+, and hidden here (as
    // the gegl program, which accepts GPL3, shows it: see
    // gegl_operation_test); Tavi has no key and is seen.
    EXPECT_EQ(key("license"), "(none)");
    EXPECT_TRUE(gegl_has_operation("tavi:antialias"));
    EXPECT_FALSE(gegl_has_operation("gegl:antialias"));
}
