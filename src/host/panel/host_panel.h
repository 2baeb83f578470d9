// One panel of the stand-in host: its title, size, controls, draw callback
// and the picture it is drawn into; and what a user can do on it.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/panel/control_state.h"
#include "tavi56/host/host_records.h"
#include "host/base/rgba_image.h"

namespace tavi::host {

class PanelHost;
class HostPanel;

inline constexpr int kDefaultPanelWidth = 340;
inline constexpr int kDefaultPanelHeight = 370;
// Larger sizes are taken as this; a panel is never smaller than 1x1.
inline constexpr int kLargestPanelSide = 4096;

// A control handle as modules hold it.
struct HostControl {
    HostPanel *panel;
    ControlState state;
};

class HostPanel {
public:
    HostPanel(PanelHost &host, std::string title);

    PanelHost &host() const { return host_; }
    const std::string &title() const { return title_; }
    int width() const { return picture_.width; }
    int height() const { return picture_.height; }
    // Attributes 2 and 3. The picture is resized and starts afresh.
    void resize(int width, int height);

    PanelDrawFunc drawFunc = nullptr;  // attribute 7
    void *drawData = nullptr;          // attribute 12

    // Null for a kind this host does not know.
    HostControl *addControl(std::string_view kindText, const ControlDesc *desc, std::string_view label);
    const std::vector<std::unique_ptr<HostControl>> &controls() const { return controls_; }
    // By label; "Zoom" also names an unlabelled slider.
    HostControl *findControl(std::string_view name) const;
    HostControl *findKind(ControlKind kind) const;

    // Changes that show at once while the panel is running.
    void setValue(HostControl &control, const std::array<int, 3> &values);
    void setMode(HostControl &control, int mode);

    RgbaImage &picture() { return picture_; }
    const RgbaImage &picture() const { return picture_; }
    // The first canvas's drawing area as it is now; empty without a canvas.
    RgbaImage canvasPicture() const;

    bool running() const { return running_; }
    // Draws the whole panel (background, controls, then the draw callback)
    // and marks it running; `finish` marks it closed.
    void open();
    void finish() { running_ = false; }

    // What a user can do. Each refuses, with the reason, a control that is
    // hidden or disabled, of the wrong kind, or a value the control cannot
    // show; otherwise it changes the control and calls its event callback.
    std::optional<std::string> userSet(HostControl &control, int value);
    std::optional<std::string> userClick(HostControl &control);
    std::optional<std::string> userDrag(HostControl &control, int x, int y, bool start);

private:
    std::optional<std::string> refuseUnusable(const HostControl &control) const;
    void fire(HostControl &control);
    void repaint(const HostControl &control);

    PanelHost &host_;
    std::string title_;
    std::vector<std::unique_ptr<HostControl>> controls_;
    RgbaImage picture_;
    bool running_ = false;
};

}  // namespace tavi::host
