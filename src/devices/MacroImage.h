#pragma once
// The macro image the mouse and keyboard keep in their macro memory (command 0x15):
// header 0x55AA, total length, macro count, 10 reserved bytes, an offset table and
// one record per macro. Pure encoding; reading macro files is the caller's job.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace devices {

struct MacroImageEvent {
    bool down = false;   // "Action" == "down"
    int type = 0;        // "Type"; the device keeps bits 0..6
    int button = 0;      // "Button"
    int64_t delay = 0;   // milliseconds; stored clamped to 0..65535
};

using MacroImageMacro = std::vector<MacroImageEvent>;

inline constexpr uint16_t kMacroImageMagic = 0x55AA;
inline constexpr size_t kMacroImageHeaderSize = 16;

// A "Delay" text read as a decimal number (leading blanks and sign allowed, stops at
// the first non-digit), clamped to 0..65535 so it cannot wrap in the u16 field.
uint16_t MacroDelayFromText(std::string_view text);

// 16 + 6M + 4 * (sum of event counts).
size_t MacroImageLength(const std::vector<size_t>& eventCounts);

// The whole image. Empty when it would not fit the u16 length field.
std::vector<uint8_t> BuildMacroImage(const std::vector<MacroImageMacro>& macros);

// 0 when an image of totalLength bytes fits macro memory of capacity bytes,
// else the number of events that must be removed: (excess >> 2) + 1.
size_t MacroEventsToRemove(size_t totalLength, size_t capacity);

// Macro memory size from DeviceInfo byte 6 (units of 128 bytes).
constexpr size_t MacroCapacityFromInfo(uint8_t byte6) { return static_cast<size_t>(byte6) * 128u; }

} // namespace devices
