// Opens the filter's settings panel on the stand-in host's panel services
// and plays a script on it, as a user at the host would.
#pragma once

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <string_view>

#include "support/buffer_ledger.h"
#include "filter/handler.h"
#include "filter/process.h"
#include "host/loader/host_globals.h"
#include "support/instance_fixture.h"
#include "host/loader/memory_frame.h"
#include "panel/settings_panel.h"
#include "host/panel/panel_script.h"
#include "host/panel/panel_services.h"

namespace tavi::test {

class PanelHarness {
public:
    // `failRequests` are the allocator requests that fail from the start:
    // 1 is the instance record, 2 to 5 its preview planes.
    explicit PanelHarness(std::set<long> failRequests = {})
        : savedGlobal_(global_func), ledger_(std::move(failRequests)) {
        global_func = &host::HostGlobals::lookup;
    }
    ~PanelHarness() { global_func = savedGlobal_; }
    PanelHarness(const PanelHarness &) = delete;
    PanelHarness &operator=(const PanelHarness &) = delete;

    FilterInstance *inst() const { return inst_.get(); }

    // Gives the instance a captured frame, as rendering would.
    void capture(const host::RgbaImage &frame) {
        host::MemoryFrame memory(frame);
        TaviProcess(inst_.get(), memory.bind());
    }

    // Opens the panel, plays `script` and answers what TaviInterface did.
    int open(std::string_view script) {
        host::PanelScript parsed = host::PanelScript::parse(script, "test script");
        EXPECT_TRUE(parsed.valid()) << host::describeError("test script", *parsed.error());
        player_.emplace(std::move(parsed));
        host_.setSessionDriver(player_->driver());
        return TaviInterface(1, nullptr, inst_.get(), nullptr);
    }

    // The script's error, as "test script:LINE: message"; empty without one.
    std::string scriptError() const { return player_ ? player_->errorText() : std::string(); }
    int eventsPlayed() const { return player_ ? player_->eventsPlayed() : 0; }

    host::PanelHost &host() { return host_; }
    const host::SessionRecord &session() const { return *host_.lastSession(); }
    const host::ControlState &control(int number) const {
        return session().controls.at(static_cast<std::size_t>(number - 1));
    }

    // One pixel of the canvas as the session left it: red, green, blue.
    std::array<int, 3> canvasAt(int x, int y) const {
        const std::uint8_t *p = session().canvas.at(x, y);
        return {p[0], p[1], p[2]};
    }

private:
    GlobalFunc savedGlobal_;
    LedgerScope ledger_;
    host::PanelHost host_;
    host::ProvidedGlobal provided_ = host_.provideAsGlobal();
    InstancePtr inst_ = makeInstance();
    std::optional<host::ScriptPlayer> player_;
};

// Frame pixel (x, y) of `img` as red, green, blue.
inline std::array<int, 3> rgbOf(const host::RgbaImage &img, int x, int y) {
    const std::uint8_t *p = img.at(x, y);
    return {p[0], p[1], p[2]};
}

}  // namespace tavi::test
