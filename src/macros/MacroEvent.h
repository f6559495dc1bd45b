#pragma once
// One macro step, its file form (an "Events" element) and its 4-byte device form.
#include <json/json.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace macros {

enum MacroEventType : uint8_t {
    kMouseButton = 1,
    kMouseMoveX = 4,   // down = left, up = right
    kMouseMoveY = 5,   // down = up, up = down
    kModifierKey = 9,
    kKey = 10,
};

inline constexpr uint32_t kMaxDelayMs = 65535;

struct MacroEvent {
    uint16_t delay = 0;  // ms after this step
    uint8_t type = 0;
    bool down = false;
    uint8_t button = 0;
    bool operator==(const MacroEvent&) const = default;
};

// "Delay" as stored: a decimal string or an integer. The value's text is read
// as a decimal number (0 when it is not one) and limited to 0..65535.
uint16_t ParseDelay(const Json::Value& delay);

// From an "Events" element. Wrong-typed "Button"/"Type" read as 0; an
// "Action" other than "down" is "up".
MacroEvent EventFromJson(const Json::Value& v);
// File form with "Delay" as a decimal string.
Json::Value EventToJson(const MacroEvent& e);
// From the JSON text of one event (the editor keeps rows as text); nothing
// when the text does not parse to an object.
std::optional<MacroEvent> ParseEventText(const std::string& text);

// Bytes 0-1 delay (little-endian), byte 2 type in bits 0..6 with bit 7 for
// "down", byte 3 button.
std::array<uint8_t, 4> EncodeEvent(const MacroEvent& e);

} // namespace macros
