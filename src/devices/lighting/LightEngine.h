#pragma once
// The lighting thread's work for one pass, without the thread: the tick count
// that decides when an effect step is due, the effect dispatch by number, and
// the frame-to-wire conversion. The device thread owns one LightingEngine,
// calls Pass() with the clock and holds its own locks around it.
#include "devices/lighting/LightEffects.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace lighting {

// How the lighting thread counts ticks: the mouse and keyboard count changes of
// the (coarse) millisecond clock, the pad and headset count passes.
enum class TickMode { ClockChanges, Passes };

constexpr TickMode TickModeOf(Family f) { return f == Family::Mouse ? TickMode::ClockChanges : TickMode::Passes; }

class StepClock {
public:
    explicit StepClock(TickMode mode) : mode_(mode) {}

    // Thread start: the count restarts at 0.
    void Reset();
    // One thread pass at clock time nowMs.
    void Tick(uint32_t nowMs);
    // True when a step at this speed is due; the count then restarts.
    bool TakeIfDue(uint8_t speed);
    uint32_t Count() const { return count_; }

private:
    TickMode mode_;
    uint32_t count_ = 0;
    uint32_t lastMs_ = 0;
    bool haveLast_ = false;
};

// Effect numbers that run the user sequence on every pass instead of a step.
constexpr bool IsSequenceEffect(Family f, uint8_t effect) {
    if (effect > 8) return true;
    return f != Family::Mouse && effect == 5;
}

// Runs the family's effect step for effect 0..8 (false for a sequence number).
bool RunEffectStep(Family f, uint8_t effect, std::span<LedEntry> frame, EffectState& s,
                   const LightRecord& li, uint32_t nowMs);

class LightingEngine {
public:
    explicit LightingEngine(Family family);

    Family GetFamily() const { return family_; }
    EffectState& State() { return state_; }
    const EffectState& State() const { return state_; }
    StepClock& Clock() { return clock_; }

    // At thread start.
    void Restart() { clock_.Reset(); }
    // The effect number changed: levels and ring start over from the seed flag.
    void OnEffectChanged() { SeedKeyRing(family_, state_.keys); }

    // One pass of the lighting thread: count the tick, then run the sequence
    // (every pass) or the effect step when it is due. effect and speed come from
    // the device's block mirror, light is the lighting record the steps use.
    // Returns true when the frame was recomputed.
    bool Pass(std::span<LedEntry> frame, uint8_t effect, uint8_t speed, const LightRecord& light,
              std::span<const SequenceStep> steps, uint32_t nowMs);

    // Per-LED passes over the device's records (pad, headset, keyboard).
    void RunLedPasses(std::span<LedEntry> frame, std::span<const LightRecord> records, uint32_t nowMs,
                      bool reset) {
        lighting::RunLedPasses(frame, records, state_, nowMs, reset);
    }

private:
    Family family_;
    StepClock clock_;
    EffectState state_;
};

// The bytes streamed for a frame: components scaled by brightness (bits 8..15 of
// the product), limited to maxComponent, LED i at 3i..3i+2. The keyboard's filler
// LED 126 is never written, nor any LED whose bytes would fall past `out`.
// Returns the byte count for the frame's LEDs (LED count × 3, capped at out.size()).
size_t FrameToWire(std::span<const LedEntry> frame, std::span<uint8_t> out, uint8_t maxComponent = 255);

// Colour an LED button shows for a frame entry: byte0 | byte2 << 8 | byte1 << 16.
constexpr uint32_t ButtonColour(const LedEntry& e) {
    return static_cast<uint32_t>(e[0]) | static_cast<uint32_t>(e[2]) << 8 | static_cast<uint32_t>(e[1]) << 16;
}

}  // namespace lighting
