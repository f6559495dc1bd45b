#pragma once
// The mouse family's fixed data: block layout, DPI slider scale, default key
// codes used to find the hardware key slots. Shared by the core, the emulator
// tests and the device class.
#include <array>
#include <cstddef>
#include <cstdint>

namespace devices::mouse {

inline constexpr int kLedCount = 19;
inline constexpr int kKeyButtons = 6;
inline constexpr int kStageCount = 6;

// Configuration memory: profile p at p * 128. The firmware reads 47 bytes of a
// block; the program always writes 75 (the tail is zero) and reads 80 over the receiver.
inline constexpr size_t kBlockStride = 128;
inline constexpr size_t kBlockWriteLength = 75;
inline constexpr size_t kBlockReadLength = 47;
inline constexpr size_t kBlockReadLengthWireless = 80;
inline constexpr size_t kBlockMirrorSize = 128;

// Byte positions inside a block.
namespace block {
inline constexpr size_t kActiveProfile = 0;
inline constexpr size_t kEffect = 1;
inline constexpr size_t kBrightness = 2;
inline constexpr size_t kSpeed = 3;
inline constexpr size_t kDirection = 4;
inline constexpr size_t kMultiColour = 5;
inline constexpr size_t kRed = 6;
inline constexpr size_t kGreen = 7;
inline constexpr size_t kBlue = 8;
inline constexpr size_t kReportRate = 14;
inline constexpr size_t kActiveStage = 19;
inline constexpr size_t kScreenWidthHigh = 22;
// Where the DPI index of stage 0..5 goes: the active stage sits between stages 3 and 4.
inline constexpr std::array<size_t, kStageCount> kStageIndex{15, 16, 17, 18, 20, 21};
} // namespace block

// Effects 0..8 are the mouse's own; anything above is a user sequence.
inline constexpr uint8_t kMaxEffect = 8;
// The ripple effect keeps its colour itself, so the device gets no multi-colour flag with it.
inline constexpr uint8_t kEffectRipple = 5;

// DPI slider: 0..48 in the firmware's own step, then 200-DPI steps above 5000.
inline constexpr int kSliderMax = 48;
inline constexpr int kDpiBase = 200;
inline constexpr int kTypedDpiMax = 5000;

// Report-rate options on the panel.
inline constexpr int kReportRateOptions = 5;

// A logical key without a hardware slot.
inline constexpr int kNoSlot = 126;
inline constexpr size_t kKeyMapMirrorSize = 512;

struct KeyCode {
    uint8_t type;
    uint8_t code;
    uint8_t param;
};

// Factory assignment of each logical key; the device's key map is searched for
// these to learn which slot holds which key. Keys 6..9 have none.
inline constexpr std::array<KeyCode, 10> kDefaultKeyCodes{{
    {0x10, 0x01, 0x00},
    {0x10, 0x02, 0x00},
    {0x10, 0x04, 0x00},
    {0x10, 0x10, 0x00},
    {0x10, 0x08, 0x00},
    {0x13, 0x03, 0x00},
    {0, 0, 0},
    {0, 0, 0},
    {0, 0, 0},
    {0, 0, 0},
}};

// Assignment classes that name a macro by number in their code byte.
inline constexpr uint8_t kMacroClassA = 0x70;
inline constexpr uint8_t kMacroClassB = 0x71;

} // namespace devices::mouse
