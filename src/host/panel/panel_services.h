// The stand-in host's panel services, without a screen: panels and
// controls keep their state, drawing goes into each panel's own picture,
// and a session driver plays the user while a panel runs.
//
// A module finds the services through the global lookup as
// "LWPanelServices". What the host does on its own:
// - runPanel draws the panel (grey background, the controls, a black
//   canvas area, then the panel's draw callback), hands the panel to the
//   session driver, records the session and returns the driver's answer
//   (1 OK, 0 cancel). Without a driver the panel is cancelled at once.
// - A control only holds values it can show: a value set outside its range
//   is brought to the nearest one (slider to its range, popup to its items,
//   check box to 0 or 1). Drag buttons hold any three integers.
// - Attributes 5 and 6 give the origin of a control's drawing area; see
//   panel_layout.h for where the parts of a control go.
// - Handles are trusted as a real host would; null handles are ignored.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/panel/control_state.h"
#include "host/loader/host_globals.h"
#include "host/panel/host_panel.h"
#include "tavi56/host/host_records.h"
#include "host/base/rgba_image.h"

namespace tavi::host {

inline constexpr char kPanelServicesName[] = "LWPanelServices";

// What one run of a panel left: for writing out and for checking.
struct SessionRecord {
    std::string title;
    int result = 0;  // what runPanel returned
    RgbaImage panel;
    RgbaImage canvas;  // the canvas's drawing area
    std::vector<ControlState> controls;
    PanelDrawFunc drawFunc = nullptr;
    void *drawData = nullptr;
};

class PanelHost {
public:
    // Plays the user of a running panel; answers 1 for OK, 0 for cancel.
    using SessionDriver = std::function<int(HostPanel &panel)>;

    PanelHost();
    ~PanelHost();
    PanelHost(const PanelHost &) = delete;
    PanelHost &operator=(const PanelHost &) = delete;

    PanelServices *services() { return &services_; }
    // Answers "LWPanelServices" through HostGlobals::lookup for as long as
    // the returned object lives.
    [[nodiscard]] ProvidedGlobal provideAsGlobal() { return ProvidedGlobal(kPanelServicesName, &services_); }

    // Used for every panel run from now on.
    void setSessionDriver(SessionDriver driver) { driver_ = std::move(driver); }
    const std::optional<SessionRecord> &lastSession() const { return lastSession_; }

    // Panels made and not yet dropped.
    std::size_t openPanels() const { return panels_.size(); }
    // plotRGB calls, on any panel.
    long plotCalls() const { return plotCalls_; }

    // When on, every service call but plotRGB is written down as text, e.g.
    // "setControlAttr #3 4 100" (control 3 in creation order, attribute 4,
    // value 100) or "addPanelControl #6 HSlideControl \"\"".
    void recordCalls(bool on) { recording_ = on; }
    const std::vector<std::string> &calls() const { return calls_; }
    void clearCalls() { calls_.clear(); }

private:
    static PanelRef makePanel(const char *title, PanelServices *services);
    static ControlRef addPanelControl(PanelRef panel, const char *kind, ControlDesc *desc, const char *label);
    static void setPanelAttr(PanelRef panel, int attribute, void *value);
    static int runPanel(PanelRef panel, int flags);
    static void dropPanel(PanelRef panel);
    static void getControlAttr(ControlRef control, int attribute, void *value);
    static void setControlAttr(ControlRef control, int attribute, void *value);
    static void renderControl(ControlRef control, int mode);
    static void plotRGB(PanelRef panel, int red, int green, int blue, int x, int y);
    static void plotBorder(PanelRef panel, int indent, int x, int y, int width, int height);

    void record(std::string call);
    int run(HostPanel &panel, int flags);

    PanelServices services_{};
    std::vector<std::unique_ptr<HostPanel>> panels_;
    SessionDriver driver_;
    std::optional<SessionRecord> lastSession_;
    long plotCalls_ = 0;
    bool recording_ = false;
    std::vector<std::string> calls_;
};

}  // namespace tavi::host
