#include "gui/panel_look.h"

#include <imgui.h>

#include <string>
#include <vector>

#include "host/panel/panel_painter.h"
#include "host/pictures/pixel_font.h"

namespace tavi::gui {

namespace {

constexpr ImWchar kFirstChar = 0x20;
constexpr ImWchar kLastChar = 0x7e;

ImVec4 colour(host::pictures::Colour rgb, float alpha = 1.0f) {
    return ImVec4(rgb.r / 255.0f, rgb.g / 255.0f, rgb.b / 255.0f, alpha);
}

// Dear ImGui needs a font to start from; every printable character of it
// is then replaced by the host's glyph, drawn into the font atlas.
void usePixelFace(ImGuiIO &io) {
    static const ImWchar ranges[] = {kFirstChar, kLastChar, 0};
    ImFontConfig config;
    config.SizePixels = kLineHeight;
    config.GlyphRanges = ranges;
    ImFont *font = io.Fonts->AddFontDefault(&config);

    std::vector<int> rects;
    for (ImWchar c = kFirstChar; c <= kLastChar; ++c)
        rects.push_back(io.Fonts->AddCustomRectFontGlyph(font, c, host::pictures::kGlyphWidth,
                                                         host::pictures::kGlyphHeight,
                                                         float(host::pictures::kGlyphAdvance), ImVec2(0, 0)));
    io.Fonts->Build();

    unsigned char *atlas = nullptr;
    int atlasWidth = 0;
    int atlasHeight = 0;
    io.Fonts->GetTexDataAsRGBA32(&atlas, &atlasWidth, &atlasHeight);
    for (std::size_t i = 0; i < rects.size(); ++i) {
        const ImFontAtlasCustomRect *rect = io.Fonts->GetCustomRectByIndex(rects[i]);
        host::RgbaImage glyph(host::pictures::kGlyphWidth, host::pictures::kGlyphHeight);
        host::pictures::drawText(glyph, 0, 0, std::string(1, char(kFirstChar + i)), {255, 255, 255});
        for (int y = 0; y < glyph.height; ++y)
            for (int x = 0; x < glyph.width; ++x) {
                unsigned char *to = atlas + (std::size_t(rect->Y + y) * atlasWidth + rect->X + x) * 4;
                to[0] = to[1] = to[2] = 255;
                to[3] = glyph.at(x, y)[3];
            }
    }
}

void useHostColours(ImGuiStyle &style) {
    const host::pictures::Colour text{16, 16, 16};
    const host::pictures::Colour field{232, 232, 236};
    const host::pictures::Colour body{196, 196, 200};
    const host::pictures::Colour accent{70, 110, 200};

    style.WindowPadding = ImVec2(4, 3);  // lists that drop down; the panel places its widgets itself
    style.SelectableTextAlign = ImVec2(0, 0.5f);
    style.WindowBorderSize = 0;
    style.WindowRounding = 0;
    style.FrameRounding = 0;
    style.FrameBorderSize = 1;
    style.PopupRounding = 0;
    style.PopupBorderSize = 1;
    style.GrabRounding = 0;
    style.GrabMinSize = 6;
    style.ItemSpacing = ImVec2(4, 2);
    style.ItemInnerSpacing = ImVec2(4, 2);
    style.DisabledAlpha = 0.45f;

    ImVec4 *c = style.Colors;
    c[ImGuiCol_Text] = colour(text);
    c[ImGuiCol_TextDisabled] = colour({104, 104, 110});
    c[ImGuiCol_WindowBg] = colour(host::kPanelGrey);
    c[ImGuiCol_PopupBg] = colour(field);
    c[ImGuiCol_Border] = colour(host::kShadow);
    c[ImGuiCol_BorderShadow] = ImVec4(0, 0, 0, 0);
    c[ImGuiCol_FrameBg] = colour(field);
    c[ImGuiCol_FrameBgHovered] = colour({246, 246, 250});
    c[ImGuiCol_FrameBgActive] = colour({214, 220, 236});
    c[ImGuiCol_CheckMark] = colour(text);
    // Light enough for a mini slider's number to read through.
    c[ImGuiCol_SliderGrab] = colour(accent, 0.45f);
    c[ImGuiCol_SliderGrabActive] = colour(accent, 0.75f);
    c[ImGuiCol_Button] = colour(body);
    c[ImGuiCol_ButtonHovered] = colour({214, 214, 220});
    c[ImGuiCol_ButtonActive] = colour({164, 164, 172});
    c[ImGuiCol_Header] = colour(accent, 0.35f);
    c[ImGuiCol_HeaderHovered] = colour(accent, 0.55f);
    c[ImGuiCol_HeaderActive] = colour(accent, 0.75f);
    c[ImGuiCol_TextSelectedBg] = colour(accent, 0.45f);
    c[ImGuiCol_NavHighlight] = colour(accent);
}

}  // namespace

void applyPanelLook() {
    ImGuiIO &io = ImGui::GetIO();
    io.IniFilename = nullptr;  // the panel keeps no state of its own
    usePixelFace(io);
    useHostColours(ImGui::GetStyle());
}

}  // namespace tavi::gui
