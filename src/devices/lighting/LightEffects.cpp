#include "devices/lighting/LightEffects.h"

#include <algorithm>

namespace lighting {

namespace {

void Put(LedEntry& e, Rgb c, uint8_t brightness) { e = {c.c0, c.c1, c.c2, brightness}; }

void Fill(std::span<LedEntry> frame, Rgb c, uint8_t brightness) {
    for (LedEntry& e : frame) Put(e, c, brightness);
}

Rgb ColourOf(const LedEntry& e) { return {e[0], e[1], e[2]}; }

// Effect numbers the level effects decay with (they pick the small-level step).
constexpr uint8_t kMouseRippleEffect = 5;
constexpr uint8_t kRingRippleEffect = 6;
constexpr uint8_t kPairsEffect = 7;

}  // namespace

uint8_t Advance(uint8_t direction, uint8_t limit, uint8_t value, uint8_t increment) {
    if (direction != 0) {
        const uint8_t v = static_cast<uint8_t>(value + increment);
        return v >= limit ? 0 : v;
    }
    const uint8_t v = static_cast<uint8_t>(value - increment);
    return v >= limit ? static_cast<uint8_t>(limit - increment) : v;
}

// --- shared effects -------------------------------------------------------------

void EffectBreathing(std::span<LedEntry> frame, EffectState& s, const LightRecord& li) {
    s.step = Advance(li.direction, 128, s.step, 1);
    if (s.step == 0) {
        s.colour = static_cast<uint8_t>(s.colour + 16);
        if (s.colour > 192) s.colour = 0;
    }
    const Rgb c = li.multiColor ? kColourWheel[s.colour] : li.Colour();
    Fill(frame, c, Scale(kBreathingCurve[s.step & 127], BrightnessOf(li.brightness)));
}

void EffectBreathingFour(std::span<LedEntry> frame, EffectState& s, const LightRecord& li) {
    // The colour index may still hold a wheel index from another effect.
    if (s.colour > 3) s.colour = 0;
    s.step = Advance(li.direction, 128, s.step, 1);
    if (s.step == 0) s.colour = static_cast<uint8_t>((s.colour + 1) & 3);
    Fill(frame, kFourColours[s.colour], Scale(kBreathingCurve[s.step & 127], BrightnessOf(li.brightness)));
}

void EffectStatic(std::span<LedEntry> frame, const LightRecord& li) {
    Fill(frame, li.Colour(), BrightnessOf(li.brightness));
}

void EffectSpectrum(std::span<LedEntry> frame, EffectState& s, const LightRecord& li) {
    s.step = Advance(li.direction, 192, s.step, 1);
    Fill(frame, kColourWheel[s.step], BrightnessOf(li.brightness));
}

void EffectBlink(std::span<LedEntry> frame, EffectState& s, const LightRecord& li, uint32_t nowMs) {
    if (nowMs - s.lastToggle >= BlinkPeriodMs(li.speed)) {
        s.blinkOn ^= 1;
        s.lastToggle = nowMs;
        s.step = static_cast<uint8_t>(s.step + 16);
        if (s.step > 191) s.step = 0;
    }
    if (!s.blinkOn) return EffectOff(frame);
    Fill(frame, li.multiColor ? kColourWheel[s.step] : li.Colour(), BrightnessOf(li.brightness));
}

void EffectBlinkFour(std::span<LedEntry> frame, EffectState& s, const LightRecord& li, uint32_t nowMs) {
    if (s.step > 3) s.step = 0;
    if (nowMs - s.lastToggle >= BlinkPeriodMs(li.speed)) {
        s.blinkOn ^= 1;
        s.lastToggle = nowMs;
        s.step = static_cast<uint8_t>((s.step + 1) & 3);
    }
    if (!s.blinkOn) return EffectOff(frame);
    Fill(frame, kFourColours[s.step], BrightnessOf(li.brightness));
}

void EffectOff(std::span<LedEntry> frame) { std::fill(frame.begin(), frame.end(), LedEntry{0, 0, 0, 0}); }

// --- mouse ----------------------------------------------------------------------

void EffectWave(std::span<LedEntry> frame, EffectState& s, const LightRecord& li) {
    s.step = Advance(li.direction, 192, s.step, 1);
    const uint8_t b = BrightnessOf(li.brightness);
    unsigned c = s.step + 1u;
    if (c >= 192) c = 0;
    for (LedEntry& e : frame) {
        Put(e, kColourWheel[c], b);
        c = (c + 7) % 192;
    }
}

void EffectRipple(std::span<LedEntry> frame, EffectState& s, const LightRecord& li) {
    s.step = Advance(li.direction, 192, s.step, 1);
    TriggerKeyLevels(Family::Mouse, s.keys, frame.size());
    ShiftKeyLevels(s.keys, li.direction);
    const uint8_t b = BrightnessOf(li.brightness);
    for (size_t g = 0; g < kMouseLedGroups.size(); ++g) {
        DecayKeyLevel(s.keys, g, kMouseRippleEffect);
        Rgb c = li.Colour();
        if (li.multiColor) {
            s.step = static_cast<uint8_t>((s.step + 12) % 192);
            c = kColourWheel[s.step];
        }
        const uint8_t bright = Scale(b, s.keys.level[g]);
        for (uint8_t led : kMouseLedGroups[g]) {
            if (led != kNoLed && led < frame.size()) Put(frame[led], c, bright);
        }
    }
}

// --- mouse pad and headset ------------------------------------------------------

void EffectPadWave(std::span<LedEntry> frame, EffectState& s, const LightRecord& li) {
    const uint8_t b = BrightnessOf(li.brightness);
    if (li.multiColor) {
        s.step = Advance(li.direction, 192, s.step, 1);
        for (size_t i = 0; i < frame.size(); ++i) Put(frame[i], kColourWheel[(s.step + 1 + 7 * i) % 192], b);
    } else {
        s.step = Advance(li.direction, 96, s.step, 1);
        for (size_t i = 0; i < frame.size(); ++i)
            Put(frame[i], li.Colour(), Scale(b, kShortCurve[(s.step + 1 + 7 * i) % 96]));
    }
}

void EffectHeadsetWave(std::span<LedEntry> frame, EffectState& s, const LightRecord& li) {
    const uint8_t b = BrightnessOf(li.brightness);
    if (li.multiColor) {
        s.step = Advance(li.direction, 192, s.step, 1);
        for (size_t i = 0; i < frame.size(); ++i) Put(frame[i], kColourWheel[(s.step + 1 + 16 * i) % 192], b);
    } else {
        s.step = Advance(li.direction, 96, s.step, 3);
        for (size_t i = 0; i < frame.size(); ++i)
            Put(frame[i], li.Colour(), Scale(b, kShortCurve[(s.step + 10 * i) % 96]));
    }
}

namespace {

// The pad and headset show position p with level[p + 1], the level their
// trigger sets for it, so every position can light; "the level of LED 0" is
// therefore level[1] and that of the last LED level[ledCount]. The last level
// shown has no position of its own to decay it, so it decays after the loop;
// otherwise it would stay at full once triggered.
constexpr size_t kShowOffset = 1;

size_t SelfColourLevel(uint8_t direction, size_t ledCount) { return direction ? 1 : ledCount; }

uint8_t LevelAt(const KeyLevels& k, size_t i) { return i < k.level.size() ? k.level[i] : 0; }

}  // namespace

void EffectPairs(std::span<LedEntry> frame, EffectState& s, const LightRecord& li) {
    s.step = Advance(li.direction, 192, s.step, 1);
    s.pairCalls = static_cast<uint8_t>(s.pairCalls + 1);
    if (s.pairCalls % 2 == 0) {
        TriggerKeyLevels(Family::Pad, s.keys, frame.size());
        RotateRing(s.keys, 8, li.direction == 0);
    }
    const size_t selfLevel = SelfColourLevel(li.direction, frame.size());
    const uint8_t b = BrightnessOf(li.brightness);
    for (size_t k = 0; k < kPadLedPairs.size(); ++k) {
        DecayKeyLevel(s.keys, k, kPairsEffect);
        const uint8_t first = kPadLedPairs[k][0];
        Rgb c = li.Colour();
        if (li.multiColor) {
            s.step = static_cast<uint8_t>(s.step + 12);
            c = kColourWheel[s.step % 192];
            if (LevelAt(s.keys, selfLevel) != 0 && first < frame.size()) c = ColourOf(frame[first]);
        }
        const uint8_t bright = Scale(b, LevelAt(s.keys, k + kShowOffset));
        for (uint8_t led : kPadLedPairs[k]) {
            if (led < frame.size()) Put(frame[led], c, bright);
        }
    }
    DecayKeyLevel(s.keys, kPadLedPairs.size(), kPairsEffect);
}

void EffectRingRipple(std::span<LedEntry> frame, EffectState& s, const LightRecord& li) {
    s.step = Advance(li.direction, 192, s.step, 1);
    s.pairCalls = static_cast<uint8_t>(s.pairCalls + 1);
    if (s.pairCalls % 2 == 0) {
        TriggerKeyLevels(Family::Pad, s.keys, frame.size());
        ShiftKeyLevels(s.keys, li.direction);
    }
    const size_t count = std::min(frame.size(), kKeyLevelCount - 1);
    const size_t selfLevel = SelfColourLevel(li.direction, count);
    const uint8_t b = BrightnessOf(li.brightness);
    for (size_t i = 0; i < count; ++i) {
        DecayKeyLevel(s.keys, i, kRingRippleEffect);
        Rgb c = li.Colour();
        if (li.multiColor) {
            s.step = static_cast<uint8_t>(s.step + 12);
            c = kColourWheel[s.step % 192];
            if (LevelAt(s.keys, selfLevel) != 0) c = ColourOf(frame[i]);
        }
        Put(frame[i], c, Scale(b, LevelAt(s.keys, i + kShowOffset)));
    }
    DecayKeyLevel(s.keys, count, kRingRippleEffect);
}

// --- key levels -----------------------------------------------------------------

void TriggerKeyLevels(Family family, KeyLevels& k, size_t ledCount) {
    if (family == Family::Mouse) {
        for (size_t i = 0; i < 9; ++i)
            if (k.ring[i]) k.level[i] = 255;
        return;
    }
    const size_t n = std::min({ledCount, kKeyLevelCount - 1, kRingSize - 1});
    for (size_t i = 0; i < n; ++i)
        if (k.ring[i + 1]) k.level[i + 1] = 255;
}

void RotateRing(KeyLevels& k, size_t count, bool towardsHigher) {
    count = std::min(count, k.ring.size());
    if (count < 2) return;
    const auto first = k.ring.begin();
    if (towardsHigher)
        std::rotate(first, first + (count - 1), first + count);
    else
        std::rotate(first, first + 1, first + count);
}

void ShiftKeyLevels(KeyLevels& k, uint8_t direction) { RotateRing(k, kRingSize, direction != 0); }

void DecayKeyLevel(KeyLevels& k, size_t index, uint8_t mode) {
    if (index >= k.level.size()) return;
    const int l = k.level[index];
    int d = 0;
    if (l >= 128)
        d = 40;
    else if (l >= 64)
        d = 30;
    else if (l >= 32)
        d = 10;
    else if (l > 16)
        d = 8;
    else if (l > 0)
        d = mode == 0 ? 4 : 1;
    k.level[index] = static_cast<uint8_t>(std::max(0, l - d));
}

void ClearKeyLevels(KeyLevels& k) {
    k.level.fill(0);
    k.ring.fill(0);
}

void SeedKeyRing(Family family, KeyLevels& k) {
    ClearKeyLevels(k);
    k.ring[family == Family::Mouse ? 0 : 1] = 1;
}

// --- per-LED passes -------------------------------------------------------------

namespace {

template <typename Fn>
void ForMode(std::span<LedEntry> frame, std::span<const LightRecord> records, EffectState& s,
             uint8_t mode, bool reset, Fn&& fn) {
    const size_t n = std::min({frame.size(), records.size(), s.leds.size()});
    for (size_t i = 0; i < n; ++i) {
        const LightRecord& r = records[i];
        if (!r.present || r.mode != mode) continue;
        if (reset) {
            s.leds[i] = LedState{};
            s.leds[i].blinkPeriodMs = BlinkPeriodMs(r.speed);
            s.leds[i].cycleLimit = StepPeriod(r.speed);
        }
        fn(frame[i], r, s.leds[i]);
    }
}

}  // namespace

void ApplyLedBreathing(std::span<LedEntry> frame, std::span<const LightRecord> records,
                       EffectState& s, bool reset) {
    ForMode(frame, records, s, kLedBreathing, reset, [](LedEntry& e, const LightRecord& r, LedState& st) {
        st.step = static_cast<uint8_t>(st.step + r.speed + 4);
        if (st.step >= 128) {
            st.step = 0;
            st.colour = static_cast<uint8_t>(st.colour + 1);
            if (st.colour > 192) st.colour = 191;
        }
        const Rgb c = r.multiColor ? kColourWheel[st.colour] : r.Colour();
        Put(e, c, Scale(kBreathingCurve[st.step], BrightnessOf(r.brightness)));
    });
}

void ApplyLedStatic(std::span<LedEntry> frame, std::span<const LightRecord> records,
                    EffectState& s, bool reset) {
    ForMode(frame, records, s, kLedStatic, reset, [](LedEntry& e, const LightRecord& r, LedState&) {
        Put(e, r.Colour(), BrightnessOf(r.brightness));
    });
}

void ApplyLedBlink(std::span<LedEntry> frame, std::span<const LightRecord> records,
                   EffectState& s, uint32_t nowMs, bool reset) {
    ForMode(frame, records, s, kLedBlink, reset, [nowMs](LedEntry& e, const LightRecord& r, LedState& st) {
        if (nowMs - st.lastToggle >= st.blinkPeriodMs) {
            st.blinkOn ^= 1;
            st.lastToggle = nowMs;
            st.colour = static_cast<uint8_t>(st.colour + 14);
            if (st.colour > 191) st.colour = 0;
        }
        if (!st.blinkOn) {
            e = {0, 0, 0, 0};
            return;
        }
        Put(e, r.multiColor ? kColourWheel[st.colour] : r.Colour(), BrightnessOf(r.brightness));
    });
}

void ApplyLedCycle(std::span<LedEntry> frame, std::span<const LightRecord> records,
                   EffectState& s, bool reset) {
    ForMode(frame, records, s, kLedCycle, reset, [](LedEntry& e, const LightRecord& r, LedState& st) {
        st.counter = static_cast<uint8_t>(st.counter + 1);
        if (st.counter >= st.cycleLimit) {
            st.counter = 0;
            st.colour = static_cast<uint8_t>(st.colour + 1);
            if (st.colour > 191) st.colour = 0;
        }
        Put(e, kColourWheel[st.colour], BrightnessOf(r.brightness));
    });
}

void ApplyLedOff(std::span<LedEntry> frame, std::span<const LightRecord> records,
                 EffectState& s, bool reset) {
    ForMode(frame, records, s, kLedOff, reset,
            [](LedEntry& e, const LightRecord&, LedState&) { e = {0, 0, 0, 0}; });
}

void RunLedPasses(std::span<LedEntry> frame, std::span<const LightRecord> records,
                  EffectState& s, uint32_t nowMs, bool reset) {
    ApplyLedBreathing(frame, records, s, reset);
    ApplyLedStatic(frame, records, s, reset);
    ApplyLedCycle(frame, records, s, reset);
    ApplyLedBlink(frame, records, s, nowMs, reset);
    ApplyLedOff(frame, records, s, reset);
}

// --- sequences ------------------------------------------------------------------

void RunLightSequence(std::span<LedEntry> frame, std::span<const SequenceStep> steps,
                      SequenceState& q, uint8_t deviceSpeed, uint32_t nowMs) {
    if (!q.started) {
        q.started = true;
        q.stepStart = nowMs;
    }
    if (q.index >= steps.size()) q.index = 0;
    if (steps.empty()) return EffectOff(frame);
    const SequenceStep step = steps[q.index];
    const LightRecord& l = step.light;

    q.pass = static_cast<uint8_t>(q.pass + 1);
    const uint8_t b = BrightnessOf(l.brightness);
    const uint8_t p = StepPeriod(l.speed);
    const bool due = q.pass >= p;

    switch (l.mode) {
    case 0:  // breathing; nothing advances a wheel index here, so multi-colour shows entry 0
        if (due) {
            q.pass = 0;
            q.m = static_cast<uint8_t>(q.m + 1);
            if (q.m > 127) q.m = 0;
            Fill(frame, l.multiColor ? kColourWheel[0] : l.Colour(), Scale(kBreathingCurve[q.m], b));
        }
        break;
    case 1:  // static
        if (due) {
            q.pass = 0;
            q.m = static_cast<uint8_t>(q.m + 1);
            if (q.m > 8) q.m = 0;
            Fill(frame, l.Colour(), b);
        }
        break;
    case 2:  // blink, timed by the device's own speed
        q.m = static_cast<uint8_t>(q.m + 1);
        if (q.m >= 128) q.m = 0;
        if (due) q.pass = 0;
        if (nowMs - q.lastToggle >= BlinkPeriodMs(deviceSpeed)) {
            q.blinkOn ^= 1;
            q.lastToggle = nowMs;
            q.blinkColour = static_cast<uint8_t>(q.m + 14);
        }
        if (q.blinkOn)
            Fill(frame, l.multiColor ? kColourWheel[q.blinkColour] : l.Colour(), b);
        else
            EffectOff(frame);
        break;
    case 3:
        break;
    case 4: {  // wave
        if (due) {
            q.pass = 0;
            q.m = static_cast<uint8_t>(q.m + 1);
            if (q.m >= 192) q.m = 0;
        }
        unsigned d;
        if (l.direction == 0)
            d = q.m + 1u >= 192 ? 0 : q.m + 1u;
        else
            d = q.m == 0 ? 191 : 192u - q.m;
        for (LedEntry& e : frame) {
            if (l.multiColor) {
                Put(e, kColourWheel[d], b);
                d = (d + 12) % 192;
            } else {
                // Modulo keeps start indexes 180..191 inside the 96-entry curve.
                d = (d + 12) % 96;
                Put(e, l.Colour(), Scale(b, kShortCurve[d]));
            }
        }
        break;
    }
    case 5:  // colour cycle
        if (due) {
            q.pass = 0;
            q.m = static_cast<uint8_t>(q.m + 1);
            if (q.m >= 192) q.m = 0;
        }
        Fill(frame, kColourWheel[q.m], b);
        break;
    default:
        break;
    }

    if (static_cast<int64_t>(nowMs - q.stepStart) > static_cast<int64_t>(step.timeMs)) {
        q.index = q.index + 1 >= steps.size() ? 0 : q.index + 1;
        q.stepStart = nowMs;
    }
}

}  // namespace lighting
