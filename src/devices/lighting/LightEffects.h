#pragma once
// Effect steps of the software lighting engine for the mouse, mouse pad and
// headset families. Pure functions over a frame and an explicit per-device
// state: no threads, no I/O, and the clock comes in as an argument.
#include "devices/lighting/LightTables.h"

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace lighting {

// One LED of a frame: components 0, 1, 2 and a brightness byte.
using LedEntry = std::array<uint8_t, 4>;
using LedFrame = std::vector<LedEntry>;

enum class Family { Mouse, Pad, Headset };

// A lighting record (the profile's "LightInfo" or one per-LED entry), 11 bytes
// in the profile's order.
struct LightRecord {
    uint8_t mode = 0;        // effect number, or the per-LED mode 0..4
    uint8_t brightness = 0;  // level 0..4
    uint8_t speed = 0;       // 0..4
    uint8_t direction = 0;   // non-zero = forward
    uint8_t multiColor = 0;
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    uint8_t extra0 = 0;
    uint8_t extra1 = 0;
    uint8_t present = 0;  // per-LED record: the profile has an entry for this LED

    static LightRecord FromBytes(const std::array<uint8_t, 11>& b) {
        return {b[0], b[1], b[2], b[3], b[4], b[5], b[6], b[7], b[8], b[9], b[10]};
    }
    Rgb Colour() const { return {red, green, blue}; }
};

// One step of a user light sequence; only the record's first eight bytes and
// the duration are used.
struct SequenceStep {
    LightRecord light;
    int32_t timeMs = 0;
    int32_t cycle = 0;
};

struct KeyLevels {
    std::array<uint8_t, kKeyLevelCount> level{};
    std::array<uint8_t, kRingSize> ring{};
};

// State of one LED's own effect (per-LED records).
struct LedState {
    uint8_t step = 0;
    uint8_t colour = 0;
    uint8_t blinkOn = 0;
    uint8_t counter = 0;
    uint8_t cycleLimit = 0;
    uint32_t lastToggle = 0;
    uint32_t blinkPeriodMs = 0;
};

// State of a running light sequence; it carries on across step boundaries.
struct SequenceState {
    bool started = false;
    uint32_t stepStart = 0;
    uint8_t pass = 0;
    uint8_t m = 0;
    uint8_t blinkOn = 0;
    uint8_t blinkColour = 0;
    uint32_t lastToggle = 0;
    size_t index = 0;
};

// Everything an effect remembers between steps. One per device, so devices
// never disturb each other's timing.
struct EffectState {
    uint8_t step = 0;
    uint8_t colour = 0;
    uint8_t blinkOn = 0;
    uint32_t lastToggle = 0;
    uint8_t pairCalls = 0;  // call counter of the pad/headset ripple and pairs
    KeyLevels keys;
    std::array<LedState, kKeyLevelCount> leds{};
    SequenceState sequence;
};

// 8-bit step counter with wrap: forward gives 0 once the limit is reached,
// backward gives limit - increment once the value leaves 0..limit-1.
uint8_t Advance(uint8_t direction, uint8_t limit, uint8_t value, uint8_t increment);

// (component × brightness) >> 8: the integer scaling used throughout.
constexpr uint8_t Scale(uint8_t value, uint8_t brightness) {
    return static_cast<uint8_t>((static_cast<unsigned>(value) * brightness) >> 8);
}

// --- effects shared by the families -------------------------------------------
void EffectBreathing(std::span<LedEntry> frame, EffectState& s, const LightRecord& li);
void EffectBreathingFour(std::span<LedEntry> frame, EffectState& s, const LightRecord& li);
void EffectStatic(std::span<LedEntry> frame, const LightRecord& li);
void EffectSpectrum(std::span<LedEntry> frame, EffectState& s, const LightRecord& li);
void EffectBlink(std::span<LedEntry> frame, EffectState& s, const LightRecord& li, uint32_t nowMs);
void EffectBlinkFour(std::span<LedEntry> frame, EffectState& s, const LightRecord& li, uint32_t nowMs);
void EffectOff(std::span<LedEntry> frame);

// --- mouse ----------------------------------------------------------------------
void EffectWave(std::span<LedEntry> frame, EffectState& s, const LightRecord& li);
void EffectRipple(std::span<LedEntry> frame, EffectState& s, const LightRecord& li);

// --- mouse pad and headset ------------------------------------------------------
void EffectPadWave(std::span<LedEntry> frame, EffectState& s, const LightRecord& li);
void EffectHeadsetWave(std::span<LedEntry> frame, EffectState& s, const LightRecord& li);
// Pairs (effect 7) and ripple (effect 6) of the pad and the headset: the two
// families share them; pairs whose LEDs lie past the frame are skipped.
void EffectPairs(std::span<LedEntry> frame, EffectState& s, const LightRecord& li);
void EffectRingRipple(std::span<LedEntry> frame, EffectState& s, const LightRecord& li);

// --- key levels -----------------------------------------------------------------
// Mouse: ring positions 0..8 set level[i]. Pad/headset: ring flag i + 1 sets
// level[i + 1] for every LED index i below ledCount.
void TriggerKeyLevels(Family family, KeyLevels& k, size_t ledCount);
// Rotates the whole ring one place (towards higher positions when direction is set).
void ShiftKeyLevels(KeyLevels& k, uint8_t direction);
// Rotates ring positions 0..count-1 one place.
void RotateRing(KeyLevels& k, size_t count, bool towardsHigher);
void DecayKeyLevel(KeyLevels& k, size_t index, uint8_t mode);
void ClearKeyLevels(KeyLevels& k);
// Clears the levels and sets the family's starting ring flag: flag 0 for the
// mouse; flag 1 for the pad and headset, whose trigger reads flag i + 1.
void SeedKeyRing(Family family, KeyLevels& k);

// --- per-LED passes -------------------------------------------------------------
// Each handles the present records of one mode and leaves the other LEDs alone.
// With reset, the state of the LEDs it handles is zeroed first (and the blink
// period / cycle limit taken from the record).
enum LedMode : uint8_t { kLedBreathing = 0, kLedStatic = 1, kLedBlink = 2, kLedCycle = 3, kLedOff = 4 };
void ApplyLedBreathing(std::span<LedEntry> frame, std::span<const LightRecord> records,
                       EffectState& s, bool reset);
void ApplyLedStatic(std::span<LedEntry> frame, std::span<const LightRecord> records,
                    EffectState& s, bool reset);
void ApplyLedBlink(std::span<LedEntry> frame, std::span<const LightRecord> records,
                   EffectState& s, uint32_t nowMs, bool reset);
void ApplyLedCycle(std::span<LedEntry> frame, std::span<const LightRecord> records,
                   EffectState& s, bool reset);
void ApplyLedOff(std::span<LedEntry> frame, std::span<const LightRecord> records,
                 EffectState& s, bool reset);
// The passes in the lighting thread's order: breathing, static, cycle, blink, off.
void RunLedPasses(std::span<LedEntry> frame, std::span<const LightRecord> records,
                  EffectState& s, uint32_t nowMs, bool reset);

// --- sequences ------------------------------------------------------------------
// One pass of a user light sequence; the caller holds the lock that guards the
// step list. deviceSpeed is the speed of the device's own lighting record, which
// sets the blink step's phase length.
void RunLightSequence(std::span<LedEntry> frame, std::span<const SequenceStep> steps,
                      SequenceState& q, uint8_t deviceSpeed, uint32_t nowMs);

}  // namespace lighting
