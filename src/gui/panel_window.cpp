#include "gui/panel_window.h"

#include <SDL.h>
#include <SDL_opengl.h>
#include <backends/imgui_impl_opengl3.h>
#include <backends/imgui_impl_sdl.h>
#include <imgui.h>

#include <memory>
#include <stdexcept>
#include <string>

#include "host/files/image_io.h"
#include "gui/panel_look.h"
#include "host/panel/panel_painter.h"
#include "gui/panel_widgets.h"
#include "gui/picture_texture.h"
#include "gui/pointer_input.h"
#include "gui/window_capture.h"

namespace tavi::gui {

namespace {

constexpr int kIdleWaitMs = 50;
constexpr float kSyntheticFrameSeconds = 1.0f / 60.0f;
constexpr float kRowButtonWidth = 64;
constexpr float kRowButtonHeight = 20;
constexpr float kRowSpacing = 8;

[[noreturn]] void failWith(const std::string &what) {
    throw std::runtime_error("cannot show the panel window: " + what + ": " + SDL_GetError());
}

using WindowHandle = std::unique_ptr<SDL_Window, decltype(&SDL_DestroyWindow)>;

class GlContext {
public:
    GlContext(SDL_Window *window, const char *&glslVersion) {
        // A core profile where the driver has one; a plain 3.0 context else.
        struct Choice {
            int major, minor, profile;
            const char *glsl;
        };
        for (const Choice &choice :
             {Choice{3, 2, SDL_GL_CONTEXT_PROFILE_CORE, "#version 150"}, Choice{3, 0, 0, "#version 130"}}) {
            SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, choice.major);
            SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, choice.minor);
            SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, choice.profile);
            context_ = SDL_GL_CreateContext(window);
            if (context_ != nullptr) {
                glslVersion = choice.glsl;
                return;
            }
        }
        failWith("no OpenGL 3 context");
    }
    ~GlContext() { SDL_GL_DeleteContext(context_); }
    GlContext(const GlContext &) = delete;
    GlContext &operator=(const GlContext &) = delete;
    SDL_GLContext get() const { return context_; }

private:
    SDL_GLContext context_ = nullptr;
};

// Dear ImGui with its SDL2 and OpenGL3 backends, for one window's life.
class ImGuiSession {
public:
    ImGuiSession(SDL_Window *window, SDL_GLContext context, const char *glslVersion) {
        IMGUI_CHECKVERSION();
        ImGui::CreateContext();
        applyPanelLook();
        ImGui_ImplSDL2_InitForOpenGL(window, context);
        ImGui_ImplOpenGL3_Init(glslVersion);
    }
    ~ImGuiSession() {
        ImGui_ImplOpenGL3_Shutdown();
        ImGui_ImplSDL2_Shutdown();
        ImGui::DestroyContext();
    }
    ImGuiSession(const ImGuiSession &) = delete;
    ImGuiSession &operator=(const ImGuiSession &) = delete;
};

int windowHeightFor(const host::HostPanel &panel) { return panel.height() + kButtonRowHeight; }

// A module may resize its panel while it runs; the window follows.
void followPanelSize(SDL_Window *window, const host::HostPanel &panel) {
    int width = 0;
    int height = 0;
    SDL_GetWindowSize(window, &width, &height);
    if (width != panel.width() || height != windowHeightFor(panel))
        SDL_SetWindowSize(window, panel.width(), windowHeightFor(panel));
}

ImU32 packed(host::pictures::Colour rgb) { return IM_COL32(rgb.r, rgb.g, rgb.b, 255); }

// The panel's picture under everything, a groove, then OK and Cancel.
// Answers 1 or 0 once one of them is pressed, else -1.
int drawFrame(host::HostPanel &panel, PanelWidgets &widgets, PictureTexture &texture) {
    const ImGuiIO &io = ImGui::GetIO();
    ImGui::SetNextWindowPos(ImVec2(0, 0));
    ImGui::SetNextWindowSize(io.DisplaySize);
    ImGui::Begin("##panel", nullptr,
                 ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_NoMove | ImGuiWindowFlags_NoSavedSettings |
                     ImGuiWindowFlags_NoBackground | ImGuiWindowFlags_NoBringToFrontOnFocus |
                     ImGuiWindowFlags_NoScrollWithMouse);
    widgets.show(panel, 0, 0);

    int answer = -1;
    const float rowTop = float(panel.height());
    const float buttonTop = rowTop + (kButtonRowHeight - kRowButtonHeight) / 2;
    const float cancelLeft = float(panel.width()) - kRowSpacing - kRowButtonWidth;
    ImGui::PushStyleVar(ImGuiStyleVar_FramePadding, ImVec2(2, (kRowButtonHeight - kLineHeight) / 2));
    ImGui::SetCursorScreenPos(ImVec2(cancelLeft - kRowSpacing - kRowButtonWidth, buttonTop));
    if (ImGui::Button("OK", ImVec2(kRowButtonWidth, kRowButtonHeight))) answer = 1;
    ImGui::SetCursorScreenPos(ImVec2(cancelLeft, buttonTop));
    if (ImGui::Button("Cancel", ImVec2(kRowButtonWidth, kRowButtonHeight))) answer = 0;
    ImGui::PopStyleVar();
    ImGui::End();

    // After the widgets: their callbacks may have drawn on the panel.
    texture.show(panel.picture());
    ImDrawList *under = ImGui::GetBackgroundDrawList();
    under->AddImage(texture.imguiId(), ImVec2(0, 0), ImVec2(float(panel.width()), rowTop));
    under->AddLine(ImVec2(0, rowTop + 0.5f), ImVec2(float(panel.width()), rowTop + 0.5f), packed(host::kShadow));
    under->AddLine(ImVec2(0, rowTop + 1.5f), ImVec2(float(panel.width()), rowTop + 1.5f), packed(host::kHighlight));
    return answer;
}

// Escape cancels, unless it is busy ending an edit or closing a list.
bool escapePressed() {
    return ImGui::IsKeyPressed(ImGui::GetKeyIndex(ImGuiKey_Escape), false) && !ImGui::IsAnyItemActive() &&
           !ImGui::IsPopupOpen("", ImGuiPopupFlags_AnyPopupId);
}

// The window for the panel, the size of its picture and the button row.
WindowHandle makeWindow(const host::HostPanel &panel) {
    // The first click on a window that is not yet focused reaches the
    // control under the pointer.
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    WindowHandle window(SDL_CreateWindow(panel.title().c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                         panel.width(), windowHeightFor(panel), SDL_WINDOW_OPENGL | SDL_WINDOW_SHOWN),
                        &SDL_DestroyWindow);
    if (!window) failWith("no window");
    return window;
}

// Hands the events waiting to ImGui and the pointer; whether the window
// was closed among them.
bool takeEvents(PointerInput &pointer, std::uint32_t windowId) {
    SDL_Event event;
    bool closed = false;
    while (SDL_PollEvent(&event)) {
        ImGui_ImplSDL2_ProcessEvent(&event);
        pointer.see(event);
        closed = closed || event.type == SDL_QUIT ||
                 (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_CLOSE &&
                  event.window.windowID == windowId);
        if (closed) break;
    }
    return closed;
}

// Draws the frame ImGui made on the panel's grey, writes the screenshot
// asked for, and shows it.
void present(SDL_Window *window, const std::optional<std::filesystem::path> &screenshot) {
    ImGui::Render();
    int width = 0;
    int height = 0;
    SDL_GL_GetDrawableSize(window, &width, &height);
    glViewport(0, 0, width, height);
    glClearColor(host::kPanelGrey.r / 255.0f, host::kPanelGrey.g / 255.0f, host::kPanelGrey.b / 255.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    ImGui_ImplOpenGL3_RenderDrawData(ImGui::GetDrawData());
    if (screenshot) host::files::writePicture(*screenshot, captureFramebuffer(width, height));
    SDL_GL_SwapWindow(window);
}

}  // namespace

// The next frame's played input, or a wait for a user's.
SyntheticInput::Frame PanelWindow::nextFrame(std::uint32_t windowId) {
    if (!input_) {
        SDL_WaitEventTimeout(nullptr, kIdleWaitMs);
        return {};
    }
    if (input_->finished()) throw std::runtime_error("the events ran out with the panel window still open; cancelled");
    return input_->playFrame(windowId);
}

void PanelWindow::startFrame(PointerInput &pointer) const {
    ImGui_ImplOpenGL3_NewFrame();
    ImGui_ImplSDL2_NewFrame();
    ImGuiIO &io = ImGui::GetIO();
    pointer.applyTo(io);
    // Played input runs frame by frame, not by the clock.
    if (input_) io.DeltaTime = kSyntheticFrameSeconds;
    ImGui::NewFrame();
}

int PanelWindow::run(host::HostPanel &panel) {
    WindowHandle window = makeWindow(panel);
    const char *glslVersion = nullptr;
    GlContext context(window.get(), glslVersion);
    if (SDL_GL_MakeCurrent(window.get(), context.get()) != 0) failWith("no current OpenGL context");
    SDL_GL_SetSwapInterval(input_ ? 0 : 1);
    SDL_RaiseWindow(window.get());
    const std::uint32_t windowId = SDL_GetWindowID(window.get());

    ImGuiSession imgui(window.get(), context.get(), glslVersion);
    PictureTexture texture;
    PanelWidgets widgets;
    PointerInput pointer;
    for (;;) {
        const SyntheticInput::Frame orders = nextFrame(windowId);
        if (takeEvents(pointer, windowId)) return 0;
        followPanelSize(window.get(), panel);
        startFrame(pointer);
        if (escapePressed()) {
            ImGui::EndFrame();
            return 0;
        }
        const int answer = drawFrame(panel, widgets, texture);
        present(window.get(), orders.screenshot);
        if (answer >= 0) return answer;
    }
}

}  // namespace tavi::gui
