// Synthetic input for the panel window: a testing aid that plays mouse and
// keyboard events into a real window, the way a user's would arrive, and
// takes screenshots of what the window shows. `tavi panel --events FILE`
// reads it; the option stays out of --help, being no tool for users.
//
// One step a line, `#` comments, blank lines skipped. Every step is played
// on a frame of its own; coordinates are window pixels, the panel's
// top-left corner being (0, 0).
//
//   wait N            N frames pass without input (N from 1 to 10000)
//   move X Y          the pointer moves to (X, Y)
//   press | release   the left button goes down or up where the pointer is
//   click X Y         move, press and release: three frames
//   keydown KEY       a key goes down; KEY is SDL's name for it: Return,
//   keyup KEY         Escape, Tab, Backspace, Left Ctrl, A, 5, ...
//   key KEY           keydown and keyup: two frames
//   type TEXT         the rest of the line arrives as typed text
//   screenshot FILE   once the frame is drawn, the window as shown is
//                     written to FILE as PNG
//   close             the window's close button is pressed
//
// A session whose steps run out while the window is still open is
// cancelled, with an error: nothing waits for a user who is not there.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

union SDL_Event;

namespace tavi::gui {

class LineError;

// A steps file that cannot be read or makes no sense; the message names
// the file and line.
class BadSyntheticInput : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class SyntheticInput {
public:
    // Throws BadSyntheticInput.
    static SyntheticInput load(const std::filesystem::path &file);
    static SyntheticInput parse(const std::string &text, const std::string &source);

    // What one frame does besides the events it pushes.
    struct Frame {
        std::optional<std::filesystem::path> screenshot;
    };

    bool finished() const { return next_ >= frames_.size(); }
    // Pushes the next frame's events into SDL's queue for the window
    // `windowId`; call before the frame takes its events.
    Frame playFrame(std::uint32_t windowId);

private:
    struct Step {
        enum class Kind {
            Nothing,
            Move,
            Press,
            Release,
            KeyDown,
            KeyUp,
            Text,
            Screenshot,
            Close
        };
        Kind kind = Kind::Nothing;
        int x = 0;
        int y = 0;
        int key = 0;  // SDL_Scancode
        std::string text;
        std::filesystem::path file;
    };

    Step &add(Step::Kind kind);
    void addSteps(std::string_view command, std::string_view rest, const LineError &fail);
    void motionTo(const Step &step, std::uint32_t windowId, SDL_Event &event);
    void button(bool down, std::uint32_t windowId, SDL_Event &event);

    std::vector<Step> frames_;  // one step a frame
    std::size_t next_ = 0;
    int pointerX_ = 0;
    int pointerY_ = 0;
    bool buttonDown_ = false;
};

}  // namespace tavi::gui
