#include "panels/LightModeRules.h"

#include <cctype>
#include <climits>

namespace panels {
namespace {

using C = LightCell;
constexpr C K = C::Keep, E = C::Enable, D = C::Disable, H = C::Hide, EH = C::EnableHide;

struct Row {
    std::array<LightCell, kGroupCount> cells;
    bool same;
    bool custom;
};

//                        7C CL PA BR SP FX  same   custom
constexpr Row kAllOn   = {{E, E, E, E, E, E}, false, false};
constexpr Row kNoFx    = {{E, E, E, E, E, D}, false, false};
constexpr Row kNoFxS   = {{E, E, E, E, E, D}, true, false};
constexpr Row kBrSp    = {{D, D, D, E, E, D}, false, false};
constexpr Row kBrSpS   = {{D, D, D, E, E, D}, true, false};
constexpr Row kColBrS  = {{D, E, E, E, D, D}, true, false};
constexpr Row kAllOff  = {{D, D, D, D, D, D}, false, false};
constexpr Row kAllOffS = {{D, D, D, D, D, D}, true, false};

// Keyboard, effects 0..24.
constexpr std::array<Row, 25> kKeyboard = {
    kAllOn,   // 0
    kBrSpS,   // 1
    kNoFxS,   // 2
    kColBrS,  // 3
    kBrSp,    // 4
    kNoFx,    // 5
    kAllOn,   // 6
    kAllOn,   // 7
    Row{{D, E, E, E, D, D}, false, true}, // 8 custom colours
    kNoFx,    // 9
    kAllOn,   // 10
    kNoFx,    // 11
    kAllOn,   // 12
    Row{{D, D, D, E, E, E}, false, false}, // 13
    kAllOn,   // 14
    kNoFx,    // 15
    kNoFx,    // 16
    kNoFxS,   // 17
    kAllOn,   // 18
    kNoFx,    // 19
    kNoFx,    // 20
    kNoFx,    // 21
    kBrSp,    // 22
    kBrSp,    // 23
    kAllOffS, // 24
};

// Mouse, effects 0..8; the mouse has no direction choice.
constexpr Row kMouseFull = {{E, E, E, E, E, H}, false, false};
constexpr Row kMouseBrSp = {{H, H, H, E, E, H}, false, false};
constexpr std::array<Row, 9> kMouse = {
    kMouseFull, // 0
    kMouseFull, // 1
    kMouseBrSp, // 2
    kMouseBrSp, // 3
    kMouseFull, // 4
    Row{{D, E, E, E, EH, H}, false, false}, // 5
    kMouseFull, // 6
    Row{{D, D, D, E, E, D}, false, false},  // 7
    Row{{H, H, H, H, H, H}, true, false},   // 8 off
};

// Mouse pad and headset, effects 0..8.
constexpr std::array<Row, 9> kPadHeadset = {
    kAllOn, kBrSpS, kNoFxS, kColBrS, kNoFxS, kAllOff, kAllOff, kAllOff, kAllOffS,
};

// Hub page, effects 0..5; its direction group and same-mode button are not touched.
constexpr std::array<Row, 6> kHub = {
    Row{{E, E, E, E, E, K}, false, false}, // 0
    Row{{D, E, E, E, D, K}, false, false}, // 1
    Row{{E, E, E, E, E, K}, false, false}, // 2
    Row{{E, E, E, E, E, K}, false, false}, // 3
    Row{{D, D, D, E, E, K}, false, false}, // 4
    Row{{D, D, D, D, D, K}, false, false}, // 5
};

template <size_t N>
std::optional<LightModeRule> Pick(const std::array<Row, N>& table, int mode) {
    if (mode < 0 || mode >= static_cast<int>(N)) return std::nullopt;
    const Row& r = table[static_cast<size_t>(mode)];
    return LightModeRule{r.cells, r.same, r.custom};
}

} // namespace

const char* LightGroupControlName(int group) {
    static constexpr const char* kNames[kGroupCount] = {
        "deng_7color_check", "deng_color_layout", "colorpallet_layout",
        "deng_light_layout", "deng_speed_layout", "deng_fx_layout",
    };
    return group >= 0 && group < kGroupCount ? kNames[group] : "";
}

std::optional<LightModeRule> FindLightModeRule(int kind, int mode) {
    switch (kind) {
    case kKindKeyboard: return Pick(kKeyboard, mode);
    case kKindMouse:
    case kKindWirelessMouse:
        if (mode < 0 || mode > 8) return LightModeRule{kAllOff.cells, false, false};
        return Pick(kMouse, mode);
    case kKindMousePad:
    case kKindHeadsetPage:
    case kKindHeadset: return Pick(kPadHeadset, mode);
    case kKindHub: return Pick(kHub, mode);
    default: return std::nullopt;
    }
}

int ColorTextToValue(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    long long v = 0;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
        v = v * 10 + (text[i] - '0');
        if (v > 255) break; // already past the top; the rest cannot bring it back
    }
    if (negative) return 0;
    return v > 255 ? 255 : static_cast<int>(v);
}

} // namespace panels
