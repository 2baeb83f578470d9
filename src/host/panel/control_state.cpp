#include "host/panel/control_state.h"

#include <algorithm>
#include <utility>

namespace tavi::host {

std::optional<ControlKind> controlKindFromText(std::string_view kindText) {
    static constexpr std::pair<std::string_view, ControlKind> kinds[] = {
        {"PopupControl", ControlKind::Popup},           {"BoolControl", ControlKind::Bool},
        {"MiniSliderControl", ControlKind::MiniSlider}, {"HSlideControl", ControlKind::HSlide},
        {"ButtonControl", ControlKind::Button},         {"CanvasControl", ControlKind::Canvas},
        {"DragButtonControl", ControlKind::DragButton},
    };
    for (const auto &[text, kind] : kinds)
        if (text == kindText) return kind;
    return std::nullopt;
}

ControlSpec ControlSpec::from(const ControlDesc &desc) {
    ControlSpec spec;
    spec.descType = desc.type;
    switch (desc.type) {
    case DESC_CHOICE:
        if (desc.u.choice.items != nullptr)
            for (const char *const *item = desc.u.choice.items; *item != nullptr; ++item)
                spec.items.emplace_back(*item);
        spec.width = desc.u.choice.width;
        break;
    case DESC_RANGE:
        spec.width = desc.u.range.width;
        spec.min = desc.u.range.min;
        spec.max = desc.u.range.max;
        break;
    case DESC_AREA:
        spec.width = desc.u.area.width;
        spec.height = desc.u.area.height;
        break;
    default: break;
    }
    return spec;
}

std::optional<ValueRange> valueRange(const ControlState &control) {
    switch (control.kind) {
    case ControlKind::Popup:
        if (control.spec.items.empty()) return ValueRange{0, 0};
        return ValueRange{0, int(control.spec.items.size()) - 1};
    case ControlKind::Bool: return ValueRange{0, 1};
    case ControlKind::MiniSlider:
    case ControlKind::HSlide: return ValueRange{control.spec.min, std::max(control.spec.min, control.spec.max)};
    case ControlKind::Button:
    case ControlKind::Canvas:
    case ControlKind::DragButton: break;
    }
    return std::nullopt;
}

void storeValue(ControlState &control, const std::array<int, 3> &values) {
    if (control.kind == ControlKind::DragButton) {
        control.value = values;
        return;
    }
    control.value = {};
    if (const auto range = valueRange(control)) control.value[0] = std::clamp(values[0], range->min, range->max);
}

std::string displayName(const ControlState &control) {
    if (!control.label.empty()) return control.label;
    if (control.kind == ControlKind::HSlide) return "Zoom";
    return control.kindText;
}

}  // namespace tavi::host
