// The pointer, its left button and the modifier keys, as the window's
// events tell them.
//
// Dear ImGui's SDL2 backend of this version asks SDL for the mouse and
// modifier state when a frame starts. Events pushed into SDL's queue (the
// synthetic input the window is tested with) never reach that state, so
// the window follows its events itself and hands the result to ImGui after
// the backend has had its say. Real events give the same answers either way.
#pragma once

#include <SDL.h>

struct ImGuiIO;

namespace tavi::gui {

class PointerInput {
public:
    void see(const SDL_Event &event);
    // Sets the pointer, button and modifiers for the frame about to start.
    void applyTo(ImGuiIO &io);

private:
    bool inside_ = false;
    float x_ = 0;
    float y_ = 0;
    bool down_ = false;
    bool pressedThisFrame_ = false;  // a press and release between two frames still counts
    bool ctrl_ = false;
    bool shift_ = false;
    bool alt_ = false;
};

}  // namespace tavi::gui
