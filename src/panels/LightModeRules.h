#pragma once
// Which groups of the lighting panel a light mode can use, per device kind.
// Pure data and lookups, so the rules can be checked without building a panel.
#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace panels {

// What one mode does to one group of the panel.
enum class LightCell : uint8_t {
    Keep,        // left as it is
    Enable,      // enabled and shown
    Disable,     // disabled but still shown
    Hide,        // disabled and hidden
    EnableHide,  // enabled but hidden (the mouse's speed group in mode 5)
};

// The six groups the mode tables drive, in table order.
enum LightGroup : int {
    kGroupMultiColor = 0, // "deng_7color_check"
    kGroupColor,          // "deng_color_layout"
    kGroupPalette,        // "colorpallet_layout"
    kGroupBrightness,     // "deng_light_layout"
    kGroupSpeed,          // "deng_speed_layout"
    kGroupDirection,      // "deng_fx_layout"
    kGroupCount
};

const char* LightGroupControlName(int group);

struct LightModeRule {
    std::array<LightCell, kGroupCount> cells{};
    bool sameMode = false;     // "deng_same_mode" may show (when the panel allows it)
    bool customLayout = false; // keyboard custom colours: "lightcustom_layout" shown
};

// Device kinds as the device tables number them.
inline constexpr int kKindKeyboard = 1;
inline constexpr int kKindMouse = 2;
inline constexpr int kKindMousePad = 3;
inline constexpr int kKindHeadsetPage = 4;
inline constexpr int kKindHub = 5;
inline constexpr int kKindWirelessMouse = 6;
inline constexpr int kKindHeadset = 7;

// The rule for a mode of a kind; nothing when the kind has no row for that mode.
// Kind 6 (a mouse behind its wireless receiver) follows the mouse.
std::optional<LightModeRule> FindLightModeRule(int kind, int mode);

// Every kind but the hub first hides "deng_same_mode" and enables the direction group.
inline bool KindResetsSameAndDirection(int kind) { return kind != kKindHub; }

// A colour edit's text as a channel value: a leading decimal integer (anything else
// reads as 0), held to 0..255 so that a typed "-1" never becomes 255.
int ColorTextToValue(const std::string& text);

} // namespace panels
