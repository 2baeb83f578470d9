// Scripted panel sessions: a user's events, one a line, played on a
// running panel.
//
//   # a comment; blank lines are skipped
//   set LABEL VALUE      sets the control labelled LABEL (an unlabelled
//                        slider answers to Zoom) and fires its callback.
//                        A popup takes an item's text or its index from 0,
//                        a check box 0 or 1, a slider a number in its range.
//   click LABEL          presses a button
//   drag X Y [start]     the drag button's value becomes X, Y and 1 with
//                        "start" (the first event of a drag), else 0; then
//                        its callback fires. X and Y lie in -32768..32767.
//   ok | cancel          closes the panel; it must be the last event.
//
// The script can do only what a user could. Errors name the line:
// - syntax (unknown command, missing or extra words, a number that is
//   not one, no closing event) when the script is parsed;
// - a control that does not exist or is of the wrong kind, or a value it
//   cannot show, when the panel opens, before any event is played;
// - a hidden or disabled control when its event comes up: the session
//   stops there and the panel is cancelled.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "host/panel/host_panel.h"
#include "host/panel/panel_services.h"

namespace tavi::host {

struct ScriptError {
    int line = 0;  // from 1; 0 when no line is to blame
    std::string message;
};

struct ScriptEvent {
    enum class Action {
        Set,
        Click,
        Drag,
        Ok,
        Cancel
    };
    Action action = Action::Ok;
    int line = 0;
    std::string control;  // set, click
    std::string value;    // set: as written
    int x = 0;            // drag
    int y = 0;            // drag
    bool start = false;   // drag
};

class PanelScript {
public:
    // `source` names the script in messages, e.g. its file name.
    static PanelScript parse(std::string_view text, std::string source);
    static PanelScript load(const std::filesystem::path &path);

    bool valid() const { return !error_.has_value(); }
    const std::optional<ScriptError> &error() const { return error_; }
    const std::vector<ScriptEvent> &events() const { return events_; }
    const std::string &source() const { return source_; }

private:
    std::string source_;
    std::vector<ScriptEvent> events_;
    std::optional<ScriptError> error_;
};

// "SOURCE:LINE: message", or "SOURCE: message" without a line.
std::string describeError(const std::string &source, const ScriptError &error);

// Plays a valid script as the user of a running panel.
class ScriptPlayer {
public:
    explicit ScriptPlayer(PanelScript script) : script_(std::move(script)) {}

    // What runPanel answers: 1 when the script closes with ok; 0 when it
    // cancels or meets an error.
    int play(HostPanel &panel);
    // For PanelHost::setSessionDriver: plays every panel run with this
    // player, which must outlive those runs.
    PanelHost::SessionDriver driver();

    bool played() const { return played_; }
    const std::optional<ScriptError> &error() const { return error_; }
    // The error as describeError words it, naming the script; empty without one.
    std::string errorText() const { return error_ ? describeError(script_.source(), *error_) : std::string(); }
    // Events whose callbacks have run.
    int eventsPlayed() const { return eventsPlayed_; }

private:
    std::optional<ScriptError> check(const HostPanel &panel) const;
    std::optional<ScriptError> perform(HostPanel &panel, const ScriptEvent &event);

    PanelScript script_;
    bool played_ = false;
    std::optional<ScriptError> error_;
    int eventsPlayed_ = 0;
};

}  // namespace tavi::host
