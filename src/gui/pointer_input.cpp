#include "gui/pointer_input.h"

#include <imgui.h>

#include <cfloat>

namespace tavi::gui {

void PointerInput::see(const SDL_Event &event) {
    switch (event.type) {
    case SDL_MOUSEMOTION:
        inside_ = true;
        x_ = float(event.motion.x);
        y_ = float(event.motion.y);
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        if (event.button.button != SDL_BUTTON_LEFT) break;
        inside_ = true;
        x_ = float(event.button.x);
        y_ = float(event.button.y);
        down_ = event.type == SDL_MOUSEBUTTONDOWN;
        if (down_) pressedThisFrame_ = true;
        break;
    case SDL_WINDOWEVENT:
        if (event.window.event == SDL_WINDOWEVENT_LEAVE && !down_) inside_ = false;
        break;
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
        const bool held = event.type == SDL_KEYDOWN;
        switch (event.key.keysym.scancode) {
        case SDL_SCANCODE_LCTRL:
        case SDL_SCANCODE_RCTRL: ctrl_ = held; break;
        case SDL_SCANCODE_LSHIFT:
        case SDL_SCANCODE_RSHIFT: shift_ = held; break;
        case SDL_SCANCODE_LALT:
        case SDL_SCANCODE_RALT: alt_ = held; break;
        default: break;
        }
        break;
    }
    default: break;
    }
}

void PointerInput::applyTo(ImGuiIO &io) {
    io.MousePos = inside_ ? ImVec2(x_, y_) : ImVec2(-FLT_MAX, -FLT_MAX);
    io.MouseDown[0] = down_ || pressedThisFrame_;
    pressedThisFrame_ = false;
    io.KeyCtrl = ctrl_;
    io.KeyShift = shift_;
    io.KeyAlt = alt_;
}

}  // namespace tavi::gui
