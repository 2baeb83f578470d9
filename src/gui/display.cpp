#include "gui/display.h"

#include <SDL.h>

#include <cstdlib>
#include <string>
#include <string_view>

namespace tavi::gui {

namespace {

const char *setting(const char *name) {
    const char *value = std::getenv(name);
    return value != nullptr && *value != '\0' ? value : nullptr;
}

const char *kHeadline = "no display to open the panel window on";

}  // namespace

Display::Display() {
    const bool driverChosen = setting("SDL_VIDEODRIVER") != nullptr;
    std::string reached;  // the displays tried, for the message
#if defined(__unix__) && !defined(__APPLE__)
    if (!driverChosen) {
        const char *x11 = setting("DISPLAY");
        const char *wayland = setting("WAYLAND_DISPLAY");
        if (x11 == nullptr && wayland == nullptr)
            throw NoDisplay(std::string(kHeadline) + " (neither DISPLAY nor WAYLAND_DISPLAY is set)");
        // Only the systems a display is named for: SDL would otherwise try
        // the rest, print their complaints and settle on one that shows
        // nothing.
        SDL_SetHint(SDL_HINT_VIDEODRIVER, x11 && wayland ? "x11,wayland" : x11 ? "x11" : "wayland");
        if (x11) reached = std::string("DISPLAY ") + x11;
        if (wayland) reached += std::string(reached.empty() ? "" : ", ") + "WAYLAND_DISPLAY " + wayland;
    }
#endif
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        if (driverChosen)
            throw NoDisplay(std::string("cannot start the video driver SDL_VIDEODRIVER names: ") + SDL_GetError());
        throw NoDisplay(std::string(kHeadline) + " (" + (reached.empty() ? "" : reached + ": ") + SDL_GetError() + ")");
    }
    const std::string_view driver = SDL_GetCurrentVideoDriver();
    if (!driverChosen && (driver == "offscreen" || driver == "dummy")) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        throw NoDisplay(std::string(kHeadline) + " (the video system found none)");
    }
}

Display::~Display() {
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    SDL_Quit();
}

}  // namespace tavi::gui
