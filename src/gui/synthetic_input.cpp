#include "gui/synthetic_input.h"

#include <SDL.h>

#include <cstring>
#include <sstream>
#include <string_view>

#include "host/base/line_words.h"
#include "host/base/shown_text.h"
#include "host/base/text_file.h"

namespace tavi::gui {

// Refuses a line of an events file, naming the file and the line.
class LineError {
public:
    LineError(const std::string &source, int line) : where_(source + ":" + std::to_string(line) + ": ") {}
    [[noreturn]] void operator()(const std::string &message) const { throw BadSyntheticInput(where_ + message); }

private:
    std::string where_;
};

namespace {

constexpr int kLongestWait = 10000;
constexpr int kFarthest = 1 << 15;
constexpr std::size_t kMaxEventsBytes = 1 << 20;

using host::firstWord;
using host::trim;
using host::wholeNumber;

std::pair<int, int> point(std::string_view rest, const LineError &fail) {
    std::istringstream words{std::string(rest)};
    std::string xs, ys, extra;
    words >> xs >> ys >> extra;
    const auto x = wholeNumber(xs);
    const auto y = wholeNumber(ys);
    if (!x || !y || !extra.empty()) fail("expected two whole numbers X Y");
    if (*x < -kFarthest || *x > kFarthest || *y < -kFarthest || *y > kFarthest) fail("a point lies in -32768..32768");
    return {*x, *y};
}

SDL_Scancode keyNamed(std::string_view rest, const LineError &fail) {
    if (rest.empty()) fail("expected a key name, e.g. Return or Left Ctrl");
    const SDL_Scancode key = SDL_GetScancodeFromName(std::string(rest).c_str());
    if (key == SDL_SCANCODE_UNKNOWN) fail("no key is named \"" + host::shownText(rest) + "\"");
    return key;
}

}  // namespace

SyntheticInput SyntheticInput::load(const std::filesystem::path &file) {
    std::string text;
    if (auto problem = host::readTextFile(file, kMaxEventsBytes, "an events file", text))
        throw BadSyntheticInput(host::shownPath(file) + ": " + *problem);
    return parse(text, host::shownPath(file));
}

SyntheticInput SyntheticInput::parse(const std::string &text, const std::string &source) {
    SyntheticInput input;
    std::istringstream lines(text);
    std::string raw;
    int number = 0;
    while (std::getline(lines, raw)) {
        ++number;
        std::string_view line = trim(raw);
        if (line.empty() || line.front() == '#') continue;
        std::string_view rest;
        const std::string_view command = firstWord(line, rest);
        input.addSteps(command, rest, LineError(source, number));
    }
    return input;
}

SyntheticInput::Step &SyntheticInput::add(Step::Kind kind) {
    frames_.push_back(Step{});
    frames_.back().kind = kind;
    return frames_.back();
}

void SyntheticInput::addSteps(std::string_view command, std::string_view rest, const LineError &fail) {
    if (command == "wait") {
        const auto frames = wholeNumber(rest);
        if (!frames || *frames < 1 || *frames > kLongestWait) fail("wait takes a number of frames, 1 to 10000");
        for (int i = 0; i < *frames; ++i) add(Step::Kind::Nothing);
    } else if (command == "move" || command == "click") {
        const auto [x, y] = point(rest, fail);
        Step &move = add(Step::Kind::Move);
        move.x = x;
        move.y = y;
        if (command == "click") {
            add(Step::Kind::Press);
            add(Step::Kind::Release);
        }
    } else if (command == "press" || command == "release") {
        if (!rest.empty()) fail(host::shownText(command) + " takes nothing after it");
        add(command == "press" ? Step::Kind::Press : Step::Kind::Release);
    } else if (command == "keydown" || command == "keyup" || command == "key") {
        const SDL_Scancode key = keyNamed(rest, fail);
        if (command != "keyup") add(Step::Kind::KeyDown).key = key;
        if (command != "keydown") add(Step::Kind::KeyUp).key = key;
    } else if (command == "type") {
        if (rest.empty()) fail("type needs the text to type");
        add(Step::Kind::Text).text = std::string(rest);
    } else if (command == "screenshot") {
        if (rest.empty()) fail("screenshot needs a file name");
        add(Step::Kind::Screenshot).file = std::filesystem::path(std::string(rest));
    } else if (command == "close") {
        if (!rest.empty()) fail("close takes nothing after it");
        add(Step::Kind::Close);
    } else {
        fail("unknown step \"" + host::shownText(command) +
             "\" (wait, move, press, release, click, keydown, keyup, key, type, screenshot, close)");
    }
}

namespace {

// SDL carries text in pieces of at most 31 bytes.
void pushText(const std::string &text, std::uint32_t windowId) {
    SDL_Event event;
    constexpr std::size_t piece = sizeof(event.text.text) - 1;
    for (std::size_t at = 0; at < text.size(); at += piece) {
        std::memset(&event, 0, sizeof event);
        event.type = SDL_TEXTINPUT;
        event.text.windowID = windowId;
        text.copy(event.text.text, piece, at);
        SDL_PushEvent(&event);
    }
}

SDL_Event keyEvent(bool down, int key, std::uint32_t windowId) {
    SDL_Event event;
    std::memset(&event, 0, sizeof event);
    event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.windowID = windowId;
    event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.key.keysym.scancode = SDL_Scancode(key);
    event.key.keysym.sym = SDL_GetKeyFromScancode(SDL_Scancode(key));
    return event;
}

SDL_Event closeEvent(std::uint32_t windowId) {
    SDL_Event event;
    std::memset(&event, 0, sizeof event);
    event.type = SDL_WINDOWEVENT;
    event.window.windowID = windowId;
    event.window.event = SDL_WINDOWEVENT_CLOSE;
    return event;
}

}  // namespace

// The pointer moved to the step's point, dragging while the button is down.
void SyntheticInput::motionTo(const Step &step, std::uint32_t windowId, SDL_Event &event) {
    std::memset(&event, 0, sizeof event);
    event.type = SDL_MOUSEMOTION;
    event.motion.windowID = windowId;
    event.motion.state = buttonDown_ ? SDL_BUTTON_LMASK : 0;
    event.motion.x = step.x;
    event.motion.y = step.y;
    event.motion.xrel = step.x - pointerX_;
    event.motion.yrel = step.y - pointerY_;
    pointerX_ = step.x;
    pointerY_ = step.y;
}

void SyntheticInput::button(bool down, std::uint32_t windowId, SDL_Event &event) {
    buttonDown_ = down;
    std::memset(&event, 0, sizeof event);
    event.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    event.button.windowID = windowId;
    event.button.button = SDL_BUTTON_LEFT;
    event.button.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.button.clicks = 1;
    event.button.x = pointerX_;
    event.button.y = pointerY_;
}

SyntheticInput::Frame SyntheticInput::playFrame(std::uint32_t windowId) {
    Frame frame;
    if (finished()) return frame;
    const Step &step = frames_[next_++];
    SDL_Event event;
    switch (step.kind) {
    case Step::Kind::Nothing: return frame;
    case Step::Kind::Move: motionTo(step, windowId, event); break;
    case Step::Kind::Press:
    case Step::Kind::Release: button(step.kind == Step::Kind::Press, windowId, event); break;
    case Step::Kind::KeyDown:
    case Step::Kind::KeyUp: event = keyEvent(step.kind == Step::Kind::KeyDown, step.key, windowId); break;
    case Step::Kind::Text: pushText(step.text, windowId); return frame;
    case Step::Kind::Screenshot: frame.screenshot = step.file; return frame;
    case Step::Kind::Close: event = closeEvent(windowId); break;
    }
    SDL_PushEvent(&event);
    return frame;
}

}  // namespace tavi::gui
