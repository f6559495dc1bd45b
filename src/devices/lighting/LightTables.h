#pragma once
// Constant tables of the software lighting engine: brightness levels, step
// periods, breathing curves, the colour wheel, the four fixed colours and the
// mouse LED groups. Plain constexpr data so tests, the emulator and the device
// classes all read the same source.
#include <array>
#include <cstddef>
#include <cstdint>

namespace lighting {

struct Rgb {
    uint8_t c0 = 0;  // red as the lighting record names it
    uint8_t c1 = 0;  // green
    uint8_t c2 = 0;  // blue
    constexpr bool operator==(const Rgb&) const = default;
};

// Brightness byte for levels 0..4.
inline constexpr std::array<uint8_t, 5> kBrightnessLevels = {30, 80, 135, 195, 255};

// One row of the step-period table, in ticks, for speeds 0..14. Every effect
// row is the same; speeds 5..14 step on every pass.
inline constexpr std::array<uint8_t, 15> kStepPeriodRow = {28, 23, 18, 13, 7, 0, 0, 0,
                                                           0,  0,  0,  0,  0, 0, 0};
// Rows in the family tables: mouse, mouse pad and headset have 9, the keyboard 25.
inline constexpr int kFamilyEffectRows = 9;
inline constexpr int kKeyboardEffectRows = 25;

// Rising half of the breathing curve (entries 0..63).
inline constexpr std::array<uint8_t, 64> kBreathingRise = {
    0,   1,   2,   3,   4,   5,   6,   7,   8,   9,   10,  12,  14,  16,  18,  20,
    22,  24,  27,  30,  33,  36,  39,  42,  45,  49,  53,  57,  61,  65,  69,  73,
    77,  81,  85,  89,  94,  99,  104, 109, 114, 119, 124, 129, 134, 140, 146, 152,
    158, 164, 170, 176, 182, 188, 194, 200, 206, 213, 220, 227, 234, 241, 248, 255};

namespace detail {
constexpr std::array<uint8_t, 128> MakeBreathingCurve() {
    std::array<uint8_t, 128> c{};
    for (size_t i = 0; i < 64; ++i) {
        c[i] = kBreathingRise[i];
        c[127 - i] = kBreathingRise[i];
    }
    return c;
}
constexpr std::array<uint8_t, 96> MakeShortCurve() {
    std::array<uint8_t, 96> c{};
    for (size_t i = 0; i < 48; ++i) {
        c[i] = kBreathingRise[16 + i];
        c[95 - i] = kBreathingRise[16 + i];
    }
    return c;
}
}  // namespace detail

// Full breathing curve: the rising half, then the same values falling.
inline constexpr std::array<uint8_t, 128> kBreathingCurve = detail::MakeBreathingCurve();
// Short curve for the single-colour waves: rising entries 16..63, then falling.
inline constexpr std::array<uint8_t, 96> kShortCurve = detail::MakeShortCurve();

// Colour wheel building blocks.
inline constexpr std::array<uint8_t, 32> kWheelRise = {
    1,  3,  5,  7,  10, 14, 18, 22, 26, 32, 38, 44, 50, 57, 65, 73,
    81, 89, 99, 109, 119, 129, 140, 152, 164, 176, 188, 200, 213, 227, 241, 255};
inline constexpr std::array<uint8_t, 32> kWheelFall = {
    248, 234, 220, 206, 194, 182, 170, 158, 146, 134, 124, 114, 104, 94, 85, 77,
    69,  61,  53,  47,  41,  35,  29,  24,  20,  16,  12,  8,   6,   4,  2,  0};

inline constexpr int kWheelColours = 192;

namespace detail {
constexpr std::array<Rgb, 256> MakeWheel() {
    std::array<Rgb, 256> w{};
    for (size_t k = 0; k < 32; ++k) {
        const uint8_t u = kWheelRise[k];
        const uint8_t d = kWheelFall[k];
        w[k] = {255, u, 0};
        w[32 + k] = {d, 255, 0};
        w[64 + k] = {0, 255, u};
        w[96 + k] = {0, d, 255};
        w[128 + k] = {u, 0, 255};
        w[160 + k] = {255, 0, d};
    }
    // The tail repeats the first 64 colours so any 8-bit index is readable.
    for (size_t i = 192; i < 256; ++i) w[i] = w[i - 192];
    return w;
}
}  // namespace detail

// 192 wheel colours plus 64 repeated entries (indexes 0..255 are valid).
inline constexpr std::array<Rgb, 256> kColourWheel = detail::MakeWheel();

inline constexpr std::array<Rgb, 4> kFourColours = {
    Rgb{0, 255, 180}, Rgb{0, 255, 0}, Rgb{255, 255, 255}, Rgb{255, 0, 0}};

// Mouse LED groups used by the ripple: three LED indexes each, 255 = none.
inline constexpr uint8_t kNoLed = 255;
inline constexpr std::array<std::array<uint8_t, 3>, 9> kMouseLedGroups = {{
    {0, 18, 18}, {1, 255, 17}, {2, 255, 16}, {3, 255, 15}, {4, 255, 14},
    {5, 255, 13}, {6, 255, 12}, {7, 9, 11}, {8, 9, 10}}};

// LED pairs of the mouse pad and headset paired effects.
inline constexpr std::array<std::array<uint8_t, 2>, 7> kPadLedPairs = {{
    {1, 14}, {2, 13}, {3, 12}, {4, 11}, {5, 10}, {6, 9}, {7, 8}}};

// Key levels: one per key or LED group, and the ring of trigger flags.
inline constexpr size_t kKeyLevelCount = 126;
inline constexpr size_t kRingSize = 23;
// The keyboard's LED 126 slot is a filler: it is never streamed.
inline constexpr size_t kFillerLed = 126;

// Family LED counts.
inline constexpr size_t kMouseLeds = 19;
inline constexpr size_t kPadLeds = 15;
inline constexpr size_t kHeadsetLeds = 13;

// Device-supplied bytes index the tables; anything out of range counts as the
// top entry so a bad byte can never read past them.
constexpr uint8_t BrightnessOf(uint8_t level) {
    return kBrightnessLevels[level < kBrightnessLevels.size() ? level : kBrightnessLevels.size() - 1];
}
constexpr uint8_t StepPeriod(uint8_t speed) {
    return kStepPeriodRow[speed < kStepPeriodRow.size() ? speed : 4];
}
// Blink phase length: period × 200 ms.
constexpr uint32_t BlinkPeriodMs(uint8_t speed) { return StepPeriod(speed) * 200u; }

}  // namespace lighting
