// What the stand-in host keeps of one panel control, and which values the
// control can hold.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tavi56/host/host_records.h"

namespace tavi::host {

// The control kinds this host knows, by the kind text a module asks for.
enum class ControlKind {
    Popup,
    Bool,
    MiniSlider,
    HSlide,
    Button,
    Canvas,
    DragButton
};

std::optional<ControlKind> controlKindFromText(std::string_view kindText);

// The description addPanelControl was handed, copied so that nothing of
// the caller's memory is kept. Only the fields of `descType` are filled.
struct ControlSpec {
    int descType = 0;
    std::vector<std::string> items;  // choice list
    int width = 0;                   // choice, range and area
    int height = 0;                  // area
    int min = 0;                     // range
    int max = 0;                     // range

    static ControlSpec from(const ControlDesc &desc);
};

struct ControlState {
    int number = 0;  // creation order, from 1
    ControlKind kind = ControlKind::Button;
    std::string kindText;
    std::string label;
    ControlSpec spec;
    int x = 0;  // attribute 0
    int y = 0;  // attribute 1
    // Attribute 4: one integer, or three for a drag button (pointer x, y and
    // 1 on the first event of a drag).
    std::array<int, 3> value{};
    int mode = RENDER_NORMAL;
    ControlEventFunc onEvent = nullptr;  // attribute 14
    void *eventData = nullptr;           // attribute 16
};

struct ValueRange {
    int min;
    int max;
};

// The integers a control can show: a popup its item indices, a check box 0
// and 1, a slider its range. None for buttons, canvases and drag buttons.
std::optional<ValueRange> valueRange(const ControlState &control);

// Stores `values` as the control's value, each brought into what the
// control can show. A drag button takes all three as they are; a control
// without a value keeps 0.
void storeValue(ControlState &control, const std::array<int, 3> &values);

// How messages name a control: its label, "Zoom" for an unlabelled slider,
// or its kind text.
std::string displayName(const ControlState &control);

}  // namespace tavi::host
