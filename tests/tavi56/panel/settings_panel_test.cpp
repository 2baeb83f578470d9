#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "panel/logo.h"
#include "panel/preview.h"
#include "support/panel_harness.h"

using namespace tavi::test;
using tavi::host::ControlState;
using tavi::host::RgbaImage;

namespace {

struct ExpectedControl {
    const char *kind;
    const char *label;
    int descType;
    std::vector<std::string> items;
    int width, height, min, max;
    int left, top;
    ControlEventFunc callback;
};

const std::vector<ExpectedControl> &expectedTable() {
    static const std::vector<ExpectedControl> table = {
        {"PopupControl", "Target", DESC_CHOICE, {"RGB only", "Alpha only", "RGBA"}, 80, 0, 0, 0, 7, 6, nullptr},
        {"BoolControl", "Enabled", DESC_BOOL, {}, 0, 0, 0, 0, 136, 6, Bool_SpcBuf},
        {"MiniSliderControl", "Strength", DESC_RANGE, {}, 40, 0, 0, 100, 7, 35, Sli_Str},
        {"PopupControl", "PreviewType", DESC_CHOICE, {"RGB", "Alpha"}, 56, 0, 0, 0, 6, 72, Pop_Pre},
        {"ButtonControl", "Draw", DESC_AREA, {}, 40, 0, 0, 0, 136, 72, But_Draw},
        {"HSlideControl", "", DESC_RANGE, {}, 56, 0, 0, 3, 264, 72, Sli_Zoom},
        {"BoolControl", "Auto", DESC_BOOL, {}, 0, 0, 0, 0, 178, 72, But_Auto},
        {"CanvasControl", "", DESC_AREA, {}, 320, 240, 0, 0, 6, 96, nullptr},
        {"DragButtonControl", "", DESC_AREA, {}, 16, 20, 0, 0, 240, 72, Drg_Roll},
        {"MiniSliderControl", "Threshold", DESC_RANGE, {}, 40, 0, 0, 256, 176, 35, Sli_Thr},
    };
    return table;
}

// What the panel's steps leave in the host's call record, up to runPanel.
std::vector<std::string> expectedOpening(int target, int enabled, int strength, int previewType, int drawMode, int zoom,
                                         int autoDraw, int threshold) {
    std::vector<std::string> calls = {"makePanel \"Tavi ver. 1.05\""};
    const auto &table = expectedTable();
    for (std::size_t i = 0; i < table.size(); ++i)
        calls.push_back("addPanelControl #" + std::to_string(i + 1) + " " + table[i].kind + " \"" + table[i].label +
                        "\"");
    for (std::size_t i = 0; i < table.size(); ++i) {
        calls.push_back("setControlAttr #" + std::to_string(i + 1) + " 0 " + std::to_string(table[i].left));
        calls.push_back("setControlAttr #" + std::to_string(i + 1) + " 1 " + std::to_string(table[i].top));
    }
    const std::vector<std::string> rest = {
        "setControlAttr #1 4 " + std::to_string(target),
        "setControlAttr #2 4 " + std::to_string(enabled),
        "setControlAttr #3 4 " + std::to_string(strength),
        "setControlAttr #4 4 " + std::to_string(previewType),
        "renderControl #5 " + std::to_string(drawMode),
        "setControlAttr #6 4 " + std::to_string(zoom),
        "setControlAttr #7 4 " + std::to_string(autoDraw),
        "setControlAttr #10 4 " + std::to_string(threshold),
        "renderControl #6 2",
        "renderControl #9 2",
        "renderControl #6 0",
        "renderControl #9 0",
        "setPanelAttr 2 340",
        "setPanelAttr 3 370",
        "setControlAttr #2 16 data",
        "setControlAttr #2 14 func",
        "setControlAttr #3 16 data",
        "setControlAttr #3 14 func",
        "setControlAttr #4 16 data",
        "setControlAttr #4 14 func",
        "setControlAttr #5 16 data",
        "setControlAttr #5 14 func",
        "setControlAttr #6 16 data",
        "setControlAttr #6 14 func",
        "setControlAttr #7 16 data",
        "setControlAttr #7 14 func",
        "setControlAttr #9 16 data",
        "setControlAttr #9 14 func",
        "setControlAttr #10 16 data",
        "setControlAttr #10 14 func",
        "setPanelAttr 7 func",
        "setPanelAttr 12 data",
        "runPanel 3",
        // The host draws the panel: the draw callback's divider and canvas origin.
        "plotBorder 0 0 64 355 0",
        "getControlAttr #8 5",
        "getControlAttr #8 6",
    };
    calls.insert(calls.end(), rest.begin(), rest.end());
    return calls;
}

}  // namespace

TEST(SettingsPanel, BuildsTheTitledPanelWithItsTenControls) {
    PanelHarness panel;
    ASSERT_EQ(panel.open("cancel"), 0);
    const auto &session = panel.session();
    EXPECT_EQ(session.title, "Tavi ver. 1.05");
    EXPECT_EQ(session.panel.width, 340);
    EXPECT_EQ(session.panel.height, 370);
    EXPECT_EQ(session.drawFunc, &redraw);
    EXPECT_EQ(session.drawData, panel.inst());

    const auto &table = expectedTable();
    ASSERT_EQ(session.controls.size(), table.size());
    for (std::size_t i = 0; i < table.size(); ++i) {
        SCOPED_TRACE("control #" + std::to_string(i + 1));
        const ControlState &c = session.controls[i];
        const ExpectedControl &e = table[i];
        EXPECT_EQ(c.kindText, e.kind);
        EXPECT_EQ(c.label, e.label);
        EXPECT_EQ(c.spec.descType, e.descType);
        EXPECT_EQ(c.spec.items, e.items);
        EXPECT_EQ(c.spec.width, e.width);
        EXPECT_EQ(c.spec.height, e.height);
        EXPECT_EQ(c.spec.min, e.min);
        EXPECT_EQ(c.spec.max, e.max);
        EXPECT_EQ(c.x, e.left);
        EXPECT_EQ(c.y, e.top);
        EXPECT_EQ(c.onEvent, e.callback);
        EXPECT_EQ(c.eventData, e.callback ? panel.inst() : nullptr);
    }
    for (int i = 0; i < kControlCount; ++i) {
        EXPECT_NE(panel.inst()->ctl[i], nullptr);
        for (int j = 0; j < i; ++j) EXPECT_NE(panel.inst()->ctl[i], panel.inst()->ctl[j]);
    }
    EXPECT_NE(panel.inst()->panelFuncs, nullptr);
    EXPECT_NE(panel.inst()->panel, nullptr) << "kept after the panel is gone";
    EXPECT_EQ(panel.host().openPanels(), 0u) << "the panel is dropped";
}

TEST(SettingsPanel, StepsRunInOrderAndOkReadsTheSevenValuesBack) {
    PanelHarness panel;
    panel.host().recordCalls(true);
    ASSERT_EQ(panel.open("ok"), 0);
    std::vector<std::string> expected = expectedOpening(2, 1, 100, 0, RENDER_DISABLED, 0, 0, 224);
    for (const char *read : {"#1", "#2", "#3", "#4", "#6", "#7", "#10"})
        expected.push_back(std::string("getControlAttr ") + read + " 4");
    expected.push_back("dropPanel");
    EXPECT_EQ(panel.host().calls(), expected);
}

TEST(SettingsPanel, InitialValuesComeFromTheInstanceAndSetTheRunValues) {
    PanelHarness panel;
    panel.capture(patternImage(4, 4));
    FilterInstance *inst = panel.inst();
    inst->target = 0;
    inst->enabled = 0;
    inst->strength = 37;
    inst->threshold = 256;
    inst->previewType = 1;
    inst->zoom = 2;
    inst->autoDraw = 1;
    inst->curStrength = 5;
    inst->curThreshold = 6;
    panel.host().recordCalls(true);
    ASSERT_EQ(panel.open("cancel"), 0);

    std::vector<std::string> expected = expectedOpening(0, 0, 37, 1, RENDER_NORMAL, 2, 1, 256);
    expected.push_back("dropPanel");
    EXPECT_EQ(panel.host().calls(), expected);
    EXPECT_EQ(inst->curStrength, 37);
    EXPECT_EQ(inst->curThreshold, 256);
    EXPECT_EQ(inst->curMode, 2) << "the preview scans what PreviewType shows";
    EXPECT_EQ(panel.control(10).value[0], 256) << "Threshold accepts 256";
}

TEST(SettingsPanel, DrawIsDisabledWithoutAFrameAndZoomAndDragStayHidden) {
    PanelHarness panel;
    ASSERT_EQ(panel.open("cancel"), 0);
    EXPECT_EQ(panel.control(5).mode, RENDER_DISABLED);
    EXPECT_EQ(panel.control(6).mode, RENDER_HIDDEN);
    EXPECT_EQ(panel.control(9).mode, RENDER_HIDDEN);

    panel.open("click Draw\nok");
    EXPECT_EQ(panel.scriptError(), "test script:1: Draw is disabled");
    EXPECT_EQ(panel.session().result, 0) << "a script error cancels";
}

TEST(SettingsPanel, ZoomAndDragAreHiddenUntilAPreviewIsDrawnOnEachOpening) {
    PanelHarness panel;
    panel.capture(patternImage(400, 300));
    ASSERT_EQ(panel.open("cancel"), 0);
    EXPECT_EQ(panel.control(5).mode, RENDER_NORMAL);

    panel.open("set Zoom 1\ncancel");
    EXPECT_EQ(panel.scriptError(), "test script:1: Zoom is hidden");
    panel.open("drag 5 5 start\ncancel");
    EXPECT_EQ(panel.scriptError(), "test script:1: the drag button is hidden");

    panel.open("click Draw\nset Zoom 1\ndrag 5 5 start\ncancel");
    EXPECT_EQ(panel.scriptError(), "");
    EXPECT_EQ(panel.control(6).mode, RENDER_NORMAL);
    EXPECT_EQ(panel.control(9).mode, RENDER_NORMAL);

    panel.open("set Zoom 2\ncancel");
    EXPECT_EQ(panel.scriptError(), "test script:1: Zoom is hidden") << "hidden again on the next opening";
}

TEST(SettingsPanel, ImmediateSettingsStayAfterCancel) {
    PanelHarness panel;
    FilterInstance *inst = panel.inst();
    ASSERT_EQ(panel.open("set Enabled 0\nset Auto 1\nset PreviewType Alpha\ncancel"), 0);
    EXPECT_EQ(panel.scriptError(), "");
    EXPECT_EQ(inst->enabled, 0);
    EXPECT_EQ(inst->autoDraw, 1);
    EXPECT_EQ(inst->previewType, 1);
    EXPECT_EQ(inst->curMode, 2);

    // Shown again the next time the panel opens.
    ASSERT_EQ(panel.open("cancel"), 0);
    EXPECT_EQ(panel.control(2).value[0], 0);
    EXPECT_EQ(panel.control(7).value[0], 1);
    EXPECT_EQ(panel.control(4).value[0], 1);
}

TEST(SettingsPanel, SlidersMoveOnlyTheRunValuesUntilOk) {
    PanelHarness panel;
    FilterInstance *inst = panel.inst();
    ASSERT_EQ(panel.open("set Strength 40\nset Threshold 256\nset Target 0\ncancel"), 0);
    EXPECT_EQ(inst->strength, 100);
    EXPECT_EQ(inst->threshold, 224);
    EXPECT_EQ(inst->target, 2);
    EXPECT_EQ(inst->curStrength, 40);
    EXPECT_EQ(inst->curThreshold, 256);

    ASSERT_EQ(panel.open("set Strength 40\nset Threshold 3\nset Target Alpha only\nok"), 0);
    EXPECT_EQ(inst->strength, 40);
    EXPECT_EQ(inst->threshold, 3);
    EXPECT_EQ(inst->target, 1);
}

TEST(SettingsPanel, OkStoresTheSevenSettingsFromTheControls) {
    PanelHarness panel;
    panel.capture(patternImage(700, 500));
    FilterInstance *inst = panel.inst();
    ASSERT_EQ(panel.open("set Target RGB only\n"
                         "set Enabled 0\n"
                         "set Strength 0\n"
                         "set PreviewType 1\n"
                         "click Draw\n"
                         "set Zoom 3\n"
                         "set Auto 1\n"
                         "set Threshold 256\n"
                         "ok"),
              0);
    EXPECT_EQ(panel.scriptError(), "");
    EXPECT_EQ(panel.session().result, 1);
    EXPECT_EQ(inst->target, 0);
    EXPECT_EQ(inst->enabled, 0);
    EXPECT_EQ(inst->strength, 0);
    EXPECT_EQ(inst->previewType, 1);
    EXPECT_EQ(inst->zoom, 3);
    EXPECT_EQ(inst->autoDraw, 1);
    EXPECT_EQ(inst->threshold, 256);
}

TEST(SettingsPanel, WithoutAFramePreviewTypeAndZoomOnlyStoreTheirValues) {
    PanelHarness panel;
    FilterInstance *inst = panel.inst();
    inst->viewX = 77;
    inst->viewY = 55;
    ASSERT_EQ(panel.open("set PreviewType Alpha\ncancel"), 0);
    const long plotsAfterOpening = panel.host().plotCalls();
    EXPECT_EQ(inst->previewType, 1);
    EXPECT_EQ(inst->curMode, 2);

    // No user can reach the hidden zoom slider; its callback still has to
    // leave the window alone without a frame.
    inst->zoom = 0;
    panel.host().setSessionDriver([&](tavi::host::HostPanel &open) {
        auto *zoom = open.findControl("Zoom");
        open.setValue(*zoom, {3, 0, 0});
        Sli_Zoom(zoom, inst);
        return 0;
    });
    ASSERT_EQ(TaviInterface(1, nullptr, inst, nullptr), 0);
    EXPECT_EQ(inst->zoom, 3);
    EXPECT_EQ(inst->viewX, 77);
    EXPECT_EQ(inst->viewY, 55);
    EXPECT_GT(plotsAfterOpening, 0) << "the logo was drawn";
}

TEST(SettingsPanel, ZoomKeepsTheShownBlockInsideTheFrame) {
    {
        SCOPED_TRACE("a frame narrower and lower than the block");
        PanelHarness panel;
        panel.capture(patternImage(100, 80));
        panel.inst()->viewX = 30;
        panel.inst()->viewY = 20;
        ASSERT_EQ(panel.open("click Draw\nset Zoom 1\ncancel"), 0);
        EXPECT_EQ(panel.inst()->zoom, 1);
        EXPECT_EQ(panel.inst()->viewX, 0);
        EXPECT_EQ(panel.inst()->viewY, 0);
    }
    {
        SCOPED_TRACE("a 1000-wide frame with the window at 900");
        PanelHarness panel;
        panel.capture(patternImage(1000, 700));
        panel.inst()->viewX = 900;
        panel.inst()->viewY = 600;
        ASSERT_EQ(panel.open("click Draw\nset Zoom 1\ncancel"), 0);
        EXPECT_EQ(panel.inst()->viewX, 840);  // 1000 - 320/2
        EXPECT_EQ(panel.inst()->viewY, 580);  // 700 - 240/2
    }
    {
        SCOPED_TRACE("a window well inside the frame does not move");
        PanelHarness panel;
        panel.capture(patternImage(1000, 700));
        panel.inst()->viewX = 500;
        panel.inst()->viewY = 300;
        ASSERT_EQ(panel.open("click Draw\nset Zoom 3\nset Zoom 0\ncancel"), 0);
        EXPECT_EQ(panel.inst()->viewX, 500);
        EXPECT_EQ(panel.inst()->viewY, 300);
    }
}

TEST(SettingsPanel, ZoomRepaintsNothing) {
    PanelHarness panel;
    panel.capture(patternImage(500, 400));
    ASSERT_EQ(panel.open("click Draw\ncancel"), 0);
    const RgbaImage drawn = panel.session().canvas;
    const long plots = panel.host().plotCalls();
    ASSERT_EQ(panel.open("click Draw\nset Zoom 2\ncancel"), 0);
    EXPECT_EQ(panel.session().canvas, drawn) << "the canvas keeps the zoom 0 picture";
    EXPECT_EQ(panel.host().plotCalls() - plots, plots) << "the same paints as the first session";
}

TEST(SettingsPanel, MissingServicesOrPanelAnswerTwoAndChangeNothing) {
    const auto unchanged = [](const FilterInstance &before, const FilterInstance &after) {
        const auto fields = [](const FilterInstance &i) {
            return std::tuple(i.panelFuncs, i.panel, i.ctl[0], i.target, i.enabled, i.strength, i.threshold,
                              i.previewType, i.zoom, i.autoDraw, i.curStrength, i.curThreshold, i.curMode);
        };
        return fields(before) == fields(after);
    };
    {
        SCOPED_TRACE("no handler activated yet");
        InstancePtr inst = makeInstance();
        const GlobalFunc saved = global_func;
        global_func = nullptr;
        const FilterInstance before = *inst;
        EXPECT_EQ(TaviInterface(1, &tavi::host::HostGlobals::lookup, inst.get(), nullptr), 2);
        EXPECT_TRUE(unchanged(before, *inst));
        global_func = saved;
    }
    {
        SCOPED_TRACE("the host has no panel services");
        InstancePtr inst = makeInstance();
        const GlobalFunc saved = global_func;
        global_func = &tavi::host::HostGlobals::lookup;  // nothing provided
        const FilterInstance before = *inst;
        EXPECT_EQ(TaviInterface(1, nullptr, inst.get(), nullptr), 2);
        EXPECT_TRUE(unchanged(before, *inst));
        global_func = saved;
    }
    {
        SCOPED_TRACE("the host cannot make the panel");
        PanelHarness panel;
        PanelServices *services = panel.host().services();
        const auto realMakePanel = services->makePanel;
        services->makePanel = [](const char *, PanelServices *) -> PanelRef { return nullptr; };
        const FilterInstance before = *panel.inst();
        EXPECT_EQ(TaviInterface(1, nullptr, panel.inst(), nullptr), 2);
        EXPECT_TRUE(unchanged(before, *panel.inst()));
        services->makePanel = realMakePanel;
    }
}
