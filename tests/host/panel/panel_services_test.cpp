#include <gtest/gtest.h>

#include <string>

#include "host/loader/host_globals.h"
#include "host/panel/panel_layout.h"
#include "host/panel/panel_painter.h"
#include "host/panel/panel_services.h"

using namespace tavi::host;

namespace {

// A panel built through the services record, as a module builds one.
struct ServicePanel {
    PanelHost host;
    PanelServices *services = host.services();
    PanelRef panel = services->makePanel("Test", services);

    ControlRef add(const char *kind, ControlDesc desc, const char *label) {
        return services->addPanelControl(panel, kind, &desc, label);
    }
    void set(ControlRef control, int attribute, int value) {
        IntValue v{VALUE_INT, {0}};
        v.v.intv = value;
        services->setControlAttr(control, attribute, &v);
    }
    int get(ControlRef control, int attribute) {
        IntValue v{VALUE_INT, {0}};
        services->getControlAttr(control, attribute, &v);
        return v.v.intv;
    }
};

ControlDesc range(int width, int min, int max) {
    ControlDesc d{};
    d.type = DESC_RANGE;
    d.u.range = {width, min, max};
    return d;
}

ControlDesc choice(const char **items, int width) {
    ControlDesc d{};
    d.type = DESC_CHOICE;
    d.u.choice.items = items;
    d.u.choice.width = width;
    return d;
}

ControlDesc area(int width, int height) {
    ControlDesc d{};
    d.type = DESC_AREA;
    d.u.area = {width, height};
    return d;
}

ControlDesc boolean() {
    ControlDesc d{};
    d.type = DESC_BOOL;
    return d;
}

std::array<int, 3> colourAt(const RgbaImage &picture, int x, int y) {
    const std::uint8_t *p = picture.at(x, y);
    return {p[0], p[1], p[2]};
}

}  // namespace

TEST(PanelServices, AnswersTheGlobalLookupWhileProvided) {
    PanelHost host;
    EXPECT_EQ(HostGlobals::lookup(kPanelServicesName, 0), nullptr);
    {
        const ProvidedGlobal provided = host.provideAsGlobal();
        EXPECT_EQ(HostGlobals::lookup("LWPanelServices", 0), host.services());
        EXPECT_EQ(HostGlobals::lookup("LWSomethingElse", 0), nullptr);
        EXPECT_EQ(host.services()->hostData, &host);
        ASSERT_NE(host.services()->drawFuncs, nullptr);
    }
    EXPECT_EQ(HostGlobals::lookup(kPanelServicesName, 0), nullptr);
}

TEST(PanelServices, ControlsHoldOnlyValuesTheyCanShow) {
    ServicePanel p;
    const char *items[] = {"One", "Two", "Three", nullptr};
    ControlRef slider = p.add("MiniSliderControl", range(40, -5, 100), "Slider");
    ControlRef popup = p.add("PopupControl", choice(items, 60), "Popup");
    ControlRef check = p.add("BoolControl", boolean(), "Check");
    ControlRef drag = p.add("DragButtonControl", area(16, 20), "");
    ControlRef button = p.add("ButtonControl", area(40, 0), "Press");

    const auto after = [&](ControlRef control, int value) {
        p.set(control, CONTROL_VALUE, value);
        return p.get(control, CONTROL_VALUE);
    };
    EXPECT_EQ(after(slider, 150), 100);
    EXPECT_EQ(after(slider, -6), -5);
    EXPECT_EQ(after(slider, 42), 42);
    EXPECT_EQ(after(popup, 3), 2);
    EXPECT_EQ(after(popup, -1), 0);
    EXPECT_EQ(after(popup, 1), 1);
    EXPECT_EQ(after(check, 5), 1);
    EXPECT_EQ(after(check, -3), 0);
    EXPECT_EQ(after(button, 9), 0) << "a button has no value";

    IVecValue pointer{VALUE_IVEC, {-40, 7000, 1}};
    p.services->setControlAttr(drag, CONTROL_VALUE, &pointer);
    IVecValue read{VALUE_IVEC, {0, 0, 0}};
    p.services->getControlAttr(drag, CONTROL_VALUE, &read);
    EXPECT_EQ((std::array<int, 3>{read.val[0], read.val[1], read.val[2]}), (std::array<int, 3>{-40, 7000, 1}));
    p.services->getControlAttr(slider, CONTROL_VALUE, &read);
    EXPECT_EQ((std::array<int, 3>{read.val[0], read.val[1], read.val[2]}), (std::array<int, 3>{42, 0, 0}));
}

TEST(PanelServices, DrawingAreaOriginFollowsTheLayout) {
    ServicePanel p;
    const char *items[] = {"A", nullptr};
    ControlRef canvas = p.add("CanvasControl", area(320, 240), "");
    ControlRef popup = p.add("PopupControl", choice(items, 80), "Target");
    p.set(canvas, CONTROL_X, 6);
    p.set(canvas, CONTROL_Y, 96);
    p.set(popup, CONTROL_X, 7);
    p.set(popup, CONTROL_Y, 6);
    EXPECT_EQ(p.get(canvas, CONTROL_X), 6);
    EXPECT_EQ(p.get(canvas, CONTROL_Y), 96);
    EXPECT_EQ(p.get(canvas, CONTROL_AREA_X), 6 + kAreaInset);
    EXPECT_EQ(p.get(canvas, CONTROL_AREA_Y), 96 + kAreaInset);
    // "Target" is 6 characters of 6 pixels, less the last one's spacing.
    EXPECT_EQ(p.get(popup, CONTROL_AREA_X), 7 + 35 + kLabelGap + kAreaInset);
    EXPECT_EQ(p.get(popup, CONTROL_AREA_Y), 6 + kAreaInset);
    p.set(canvas, CONTROL_AREA_X, 500);
    EXPECT_EQ(p.get(canvas, CONTROL_AREA_X), 6 + kAreaInset) << "the origin is the host's to say";
}

TEST(PanelServices, PlotsIntoThePanelPictureWithinItsBounds) {
    ServicePanel p;
    int width = 40, height = 30;
    p.services->setPanelAttr(p.panel, PANEL_WIDTH, &width);
    p.services->setPanelAttr(p.panel, PANEL_HEIGHT, &height);
    p.services->setPanelAttr(p.panel, PANEL_DRAW_FUNC, reinterpret_cast<void *>(+[](PanelRef panel, void *data) {
                                 auto *services = static_cast<PanelServices *>(data);
                                 services->drawFuncs->plotRGB(panel, 10, 20, 30, 0, 0);
                                 services->drawFuncs->plotRGB(panel, 300, -4, 255, 39, 29);
                                 services->drawFuncs->plotRGB(panel, 1, 1, 1, 40, 0);
                                 services->drawFuncs->plotRGB(panel, 1, 1, 1, -1, 5);
                                 services->drawFuncs->plotBorder(panel, 0, -10, 10, 1000, 0);
                             }));
    p.services->setPanelAttr(p.panel, PANEL_DRAW_DATA, p.services);
    EXPECT_EQ(p.services->runPanel(p.panel, 3), 0) << "no user: cancelled";

    const RgbaImage &picture = p.host.lastSession()->panel;
    ASSERT_EQ(picture.width, 40);
    ASSERT_EQ(picture.height, 30);
    EXPECT_EQ(colourAt(picture, 0, 0), (std::array<int, 3>{10, 20, 30}));
    EXPECT_EQ(colourAt(picture, 39, 29), (std::array<int, 3>{255, 0, 255})) << "channels clamped";
    EXPECT_EQ(colourAt(picture, 0, 5), (std::array<int, 3>{kPanelGrey.r, kPanelGrey.g, kPanelGrey.b}));
    for (int x = 0; x < 40; ++x) {
        EXPECT_EQ(colourAt(picture, x, 10), (std::array<int, 3>{kShadow.r, kShadow.g, kShadow.b}));
        EXPECT_EQ(colourAt(picture, x, 11), (std::array<int, 3>{kHighlight.r, kHighlight.g, kHighlight.b}));
    }
    EXPECT_EQ(p.host.plotCalls(), 4);
}

TEST(PanelServices, RunDrawsTheControlsThenTheDrawCallbackThenPlaysTheUser) {
    ServicePanel p;
    ControlRef button = p.add("ButtonControl", area(40, 0), "Go");
    ControlRef hidden = p.add("ButtonControl", area(40, 0), "Gone");
    ControlRef canvas = p.add("CanvasControl", area(20, 10), "");
    p.set(button, CONTROL_X, 10);
    p.set(button, CONTROL_Y, 10);
    p.set(hidden, CONTROL_X, 10);
    p.set(hidden, CONTROL_Y, 40);
    p.set(canvas, CONTROL_X, 100);
    p.set(canvas, CONTROL_Y, 100);
    p.services->renderControl(hidden, RENDER_HIDDEN);

    static std::array<int, 3> underCallback;
    p.services->setPanelAttr(p.panel, PANEL_DRAW_FUNC, reinterpret_cast<void *>(+[](PanelRef panel, void *) {
                                 const RgbaImage &picture = static_cast<HostPanel *>(panel)->picture();
                                 underCallback = colourAt(picture, 12, 20);  // inside the button, already drawn
                             }));
    bool played = false;
    p.host.setSessionDriver([&](HostPanel &open) {
        played = open.running();
        return 1;
    });
    EXPECT_EQ(p.services->runPanel(p.panel, 3), 1);
    EXPECT_TRUE(played);

    const RgbaImage &picture = p.host.lastSession()->panel;
    const std::array<int, 3> grey{kPanelGrey.r, kPanelGrey.g, kPanelGrey.b};
    EXPECT_NE(underCallback, grey);
    EXPECT_EQ(underCallback, colourAt(picture, 12, 20));
    EXPECT_EQ(colourAt(picture, 12, 50), grey) << "a hidden control is not drawn";
    // The canvas: a frame around a black drawing area.
    EXPECT_EQ(colourAt(picture, 102, 102), (std::array<int, 3>{0, 0, 0}));
    EXPECT_EQ(colourAt(picture, 100, 100), (std::array<int, 3>{kShadow.r, kShadow.g, kShadow.b}));
    EXPECT_EQ(p.host.lastSession()->canvas.width, 20);
    EXPECT_EQ(p.host.lastSession()->canvas.height, 10);
}

TEST(PanelServices, DisabledControlsLookDifferentAndChangesShowWhileRunning) {
    ServicePanel p;
    ControlRef check = p.add("BoolControl", boolean(), "On");
    p.set(check, CONTROL_X, 10);
    p.set(check, CONTROL_Y, 10);
    const Box body = bodyBox(static_cast<HostControl *>(check)->state);
    p.host.setSessionDriver([&](HostPanel &open) {
        const std::array<int, 3> off = colourAt(open.picture(), body.x + 7, body.y + 7);
        p.set(check, CONTROL_VALUE, 1);
        const std::array<int, 3> on = colourAt(open.picture(), body.x + 7, body.y + 7);
        EXPECT_NE(on, off) << "the check mark shows";
        const std::array<int, 3> enabledEdge = colourAt(open.picture(), body.x + 1, body.y + 1);
        p.services->renderControl(check, RENDER_DISABLED);
        EXPECT_NE(colourAt(open.picture(), body.x + 1, body.y + 1), enabledEdge) << "greyed out";
        p.services->renderControl(check, RENDER_HIDDEN);
        EXPECT_EQ(colourAt(open.picture(), body.x + 7, body.y + 7),
                  (std::array<int, 3>{kPanelGrey.r, kPanelGrey.g, kPanelGrey.b}));
        return 0;
    });
    p.services->runPanel(p.panel, 3);
}

TEST(PanelServices, UnknownKindsAndNullHandlesAreRefusedQuietly) {
    ServicePanel p;
    EXPECT_EQ(p.add("SpinnerControl", boolean(), "Spin"), nullptr);
    p.set(nullptr, CONTROL_VALUE, 3);
    EXPECT_EQ(p.get(nullptr, CONTROL_VALUE), 0);
    p.services->renderControl(nullptr, RENDER_NORMAL);
    p.services->setPanelAttr(nullptr, PANEL_WIDTH, nullptr);
    EXPECT_EQ(p.services->runPanel(nullptr, 3), 0);
    p.services->drawFuncs->plotRGB(nullptr, 1, 2, 3, 4, 5);
    EXPECT_EQ(p.services->makePanel("No host", nullptr), nullptr);
    EXPECT_EQ(p.host.openPanels(), 1u);
}

TEST(PanelServices, PanelSizeStaysWithinLimits) {
    ServicePanel p;
    int zero = 0, huge = 1 << 30;
    p.services->setPanelAttr(p.panel, PANEL_WIDTH, &zero);
    p.services->setPanelAttr(p.panel, PANEL_HEIGHT, &huge);
    p.services->runPanel(p.panel, 3);
    EXPECT_EQ(p.host.lastSession()->panel.width, 1);
    EXPECT_EQ(p.host.lastSession()->panel.height, kLargestPanelSide);
}

TEST(PanelServices, DroppedPanelsAreGone) {
    ServicePanel p;
    PanelRef second = p.services->makePanel("Second", p.services);
    EXPECT_EQ(p.host.openPanels(), 2u);
    p.services->dropPanel(second);
    p.services->dropPanel(p.panel);
    EXPECT_EQ(p.host.openPanels(), 0u);
}
