#include "host/panel/panel_script.h"

#include <sstream>

#include "host/base/line_words.h"
#include "host/base/shown_text.h"
#include "host/base/text_file.h"

namespace tavi::host {

namespace {

constexpr int kPointerLimit = 32767;
// Far more than a person writes; a limit so that no device is read for ever.
constexpr std::size_t kMaxScriptBytes = 1 << 20;

// The control as the script's user knows it: by the label the script
// gave; the drag button, which has none, as what it is.
std::string scriptName(const ScriptEvent &event) {
    return event.action == ScriptEvent::Action::Drag ? "the drag button" : shownText(event.control);
}

// What a user could not do with the control just now.
std::optional<std::string> unusable(const HostControl &control, const ScriptEvent &event) {
    if (control.state.mode == RENDER_HIDDEN) return scriptName(event) + " is hidden";
    if (control.state.mode == RENDER_DISABLED) return scriptName(event) + " is disabled";
    return std::nullopt;
}

// One line's event, or what is wrong with it.
std::optional<std::string> parseLine(std::string_view text, ScriptEvent &event) {
    std::string_view rest;
    const std::string_view command = firstWord(text, rest);
    const std::vector<std::string_view> args = words(rest);
    using Action = ScriptEvent::Action;
    if (command == "set") {
        if (args.size() < 2) return "set needs a control and a value";
        event.action = Action::Set;
        event.control = std::string(args[0]);
        std::string_view value;
        firstWord(rest, value);
        event.value = std::string(value);
        return std::nullopt;
    }
    if (command == "click") {
        if (args.size() != 1) return "click needs exactly one control";
        event.action = Action::Click;
        event.control = std::string(args[0]);
        return std::nullopt;
    }
    if (command == "drag") {
        if (args.size() != 2 && args.size() != 3) return "drag needs X Y, optionally followed by start";
        const auto x = wholeNumber(args[0]);
        const auto y = wholeNumber(args[1]);
        if (!x || !y) return "drag needs whole numbers for X and Y";
        if (*x < -kPointerLimit - 1 || *x > kPointerLimit || *y < -kPointerLimit - 1 || *y > kPointerLimit)
            return "drag coordinates lie in -32768..32767";
        if (args.size() == 3 && args[2] != "start")
            return "drag takes only start after X Y, not '" + shownText(args[2]) + "'";
        event.action = Action::Drag;
        event.x = *x;
        event.y = *y;
        event.start = args.size() == 3;
        return std::nullopt;
    }
    if (command == "ok" || command == "cancel") {
        if (!args.empty()) return std::string(command) + " takes nothing after it";
        event.action = command == "ok" ? Action::Ok : Action::Cancel;
        return std::nullopt;
    }
    return "unknown command '" + shownText(command) + "'";
}

struct Resolved {
    int value = 0;
    std::optional<std::string> problem;
};

// The integer a `set` gives the control, as a user would pick it.
Resolved resolveValue(const ControlState &control, const std::string &text) {
    const std::string name = displayName(control);
    const auto range = valueRange(control);
    if (!range) return {0, name + " has no value to set"};
    const auto number = wholeNumber(text);
    if (control.kind == ControlKind::Popup && !number) {
        for (std::size_t i = 0; i < control.spec.items.size(); ++i)
            if (control.spec.items[i] == text) return {int(i), std::nullopt};
        std::string items;
        for (const std::string &item : control.spec.items) items += (items.empty() ? "" : ", ") + item;
        return {0, "'" + shownText(text) + "' is not an item of " + name + " (" + items + ")"};
    }
    if (!number) return {0, "'" + shownText(text) + "' is not a number"};
    if (*number < range->min || *number > range->max)
        return {0, shownText(text) + " is outside " + name + "'s range " + std::to_string(range->min) + " to " +
                       std::to_string(range->max)};
    return {*number, std::nullopt};
}

}  // namespace

PanelScript PanelScript::parse(std::string_view text, std::string source) {
    PanelScript script;
    script.source_ = std::move(source);
    int lineNumber = 0;
    bool closed = false;
    std::istringstream lines{std::string(text)};
    for (std::string raw; std::getline(lines, raw);) {
        ++lineNumber;
        std::string_view line = raw;
        if (const auto hash = line.find('#'); hash != std::string_view::npos) line = line.substr(0, hash);
        line = trim(line);
        if (line.empty()) continue;
        if (closed) {
            script.error_ = ScriptError{lineNumber, "nothing may follow ok or cancel"};
            return script;
        }
        ScriptEvent event;
        event.line = lineNumber;
        if (auto problem = parseLine(line, event)) {
            script.error_ = ScriptError{lineNumber, *problem};
            return script;
        }
        closed = event.action == ScriptEvent::Action::Ok || event.action == ScriptEvent::Action::Cancel;
        script.events_.push_back(std::move(event));
    }
    if (!closed) script.error_ = ScriptError{lineNumber, "the script ends without ok or cancel"};
    return script;
}

PanelScript PanelScript::load(const std::filesystem::path &path) {
    std::string text;
    if (auto problem = readTextFile(path, kMaxScriptBytes, "a panel script", text)) {
        PanelScript script;
        script.source_ = shownPath(path);
        script.error_ = ScriptError{0, *problem};
        return script;
    }
    return parse(text, shownPath(path));
}

std::string describeError(const std::string &source, const ScriptError &error) {
    if (error.line == 0) return source + ": " + error.message;
    return source + ":" + std::to_string(error.line) + ": " + error.message;
}

PanelHost::SessionDriver ScriptPlayer::driver() {
    return [this](HostPanel &panel) { return play(panel); };
}

std::optional<ScriptError> ScriptPlayer::check(const HostPanel &panel) const {
    using Action = ScriptEvent::Action;
    for (const ScriptEvent &event : script_.events()) {
        const auto fail = [&](std::string message) { return ScriptError{event.line, std::move(message)}; };
        if (event.action == Action::Set || event.action == Action::Click) {
            const HostControl *control = panel.findControl(event.control);
            if (control == nullptr) return fail("the panel has no control named '" + shownText(event.control) + "'");
            if (event.action == Action::Click && control->state.kind != ControlKind::Button)
                return fail(shownText(event.control) + " is not a button");
            if (event.action == Action::Set) {
                if (auto problem = resolveValue(control->state, event.value).problem) return fail(*problem);
            }
        } else if (event.action == Action::Drag && panel.findKind(ControlKind::DragButton) == nullptr) {
            return fail("the panel has no drag button");
        }
    }
    return std::nullopt;
}

std::optional<ScriptError> ScriptPlayer::perform(HostPanel &panel, const ScriptEvent &event) {
    using Action = ScriptEvent::Action;
    if (event.action == Action::Ok || event.action == Action::Cancel) return std::nullopt;
    HostControl &control =
        event.action == Action::Drag ? *panel.findKind(ControlKind::DragButton) : *panel.findControl(event.control);
    std::optional<std::string> refusal = unusable(control, event);
    if (!refusal) {
        if (event.action == Action::Set)
            refusal = panel.userSet(control, resolveValue(control.state, event.value).value);
        else if (event.action == Action::Click)
            refusal = panel.userClick(control);
        else
            refusal = panel.userDrag(control, event.x, event.y, event.start);
    }
    if (refusal) return ScriptError{event.line, *refusal};
    return std::nullopt;
}

int ScriptPlayer::play(HostPanel &panel) {
    played_ = true;
    eventsPlayed_ = 0;
    error_.reset();
    if (!script_.valid()) {
        error_ = script_.error();
        return 0;
    }
    if ((error_ = check(panel))) return 0;
    for (const ScriptEvent &event : script_.events()) {
        if (event.action == ScriptEvent::Action::Ok) return 1;
        if (event.action == ScriptEvent::Action::Cancel) return 0;
        if ((error_ = perform(panel, event))) return 0;
        ++eventsPlayed_;
    }
    return 0;
}

}  // namespace tavi::host
