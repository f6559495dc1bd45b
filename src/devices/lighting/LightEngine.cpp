#include "devices/lighting/LightEngine.h"

#include <algorithm>

namespace lighting {

void StepClock::Reset() {
    count_ = 0;
    haveLast_ = false;
}

void StepClock::Tick(uint32_t nowMs) {
    if (mode_ == TickMode::Passes) {
        ++count_;
        return;
    }
    if (!haveLast_) {
        haveLast_ = true;
        lastMs_ = nowMs;
        return;
    }
    if (nowMs - lastMs_ > 1) {
        ++count_;
        lastMs_ = nowMs;
    }
}

bool StepClock::TakeIfDue(uint8_t speed) {
    if (count_ < StepPeriod(speed)) return false;
    count_ = 0;
    return true;
}

bool RunEffectStep(Family f, uint8_t effect, std::span<LedEntry> frame, EffectState& s,
                   const LightRecord& li, uint32_t nowMs) {
    if (IsSequenceEffect(f, effect)) return false;
    switch (effect) {
    case 0:
        if (f == Family::Mouse)
            EffectWave(frame, s, li);
        else if (f == Family::Pad)
            EffectPadWave(frame, s, li);
        else
            EffectHeadsetWave(frame, s, li);
        return true;
    case 1: EffectSpectrum(frame, s, li); return true;
    case 2: EffectBreathing(frame, s, li); return true;
    case 3: EffectStatic(frame, li); return true;
    case 4: EffectBlink(frame, s, li, nowMs); return true;
    case 5: EffectRipple(frame, s, li); return true;  // mouse only; 5 is a sequence elsewhere
    case 6:
        if (f == Family::Mouse)
            EffectBreathingFour(frame, s, li);
        else
            EffectRingRipple(frame, s, li);
        return true;
    case 7:
        if (f == Family::Mouse)
            EffectBlinkFour(frame, s, li, nowMs);
        else
            EffectPairs(frame, s, li);
        return true;
    case 8: EffectOff(frame); return true;
    default: return false;
    }
}

LightingEngine::LightingEngine(Family family) : family_(family), clock_(TickModeOf(family)) {
    SeedKeyRing(family_, state_.keys);
}

bool LightingEngine::Pass(std::span<LedEntry> frame, uint8_t effect, uint8_t speed, const LightRecord& light,
                          std::span<const SequenceStep> steps, uint32_t nowMs) {
    clock_.Tick(nowMs);
    if (IsSequenceEffect(family_, effect)) {
        RunLightSequence(frame, steps, state_.sequence, light.speed, nowMs);
        return true;
    }
    if (!clock_.TakeIfDue(speed)) return false;
    return RunEffectStep(family_, effect, frame, state_, light, nowMs);
}

size_t FrameToWire(std::span<const LedEntry> frame, std::span<uint8_t> out, uint8_t maxComponent) {
    for (size_t i = 0; i < frame.size(); ++i) {
        if (i == kFillerLed || 3 * i + 2 >= out.size()) continue;
        const LedEntry& e = frame[i];
        for (size_t c = 0; c < 3; ++c) out[3 * i + c] = std::min(Scale(e[c], e[3]), maxComponent);
    }
    return std::min(frame.size() * 3, out.size());
}

}  // namespace lighting
