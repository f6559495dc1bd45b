// Key levels and the level-driven effects of the mouse pad and headset.
#include "devices/lighting/LightEffects.h"
#include "lighting_test_util.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace lighting;
using namespace lighting::test;

TEST(DecayKeyLevel, FallsByTheTableFrom255) {
    KeyLevels k;
    k.level[0] = 255;
    std::vector<int> mode0;
    while (k.level[0] != 0) {
        DecayKeyLevel(k, 0, 0);
        mode0.push_back(k.level[0]);
    }
    EXPECT_EQ(mode0, (std::vector<int>{215, 175, 135, 95, 65, 35, 25, 17, 9, 5, 1, 0}));

    struct Case { uint8_t from, mode, to; };
    const Case cases[] = {
        {128, 0, 88}, {127, 0, 97}, {64, 0, 34}, {63, 0, 53}, {32, 0, 22}, {31, 0, 23},
        {17, 0, 9},   {16, 0, 12},  {16, 5, 15}, {3, 0, 0},   {1, 7, 0},   {0, 0, 0},
    };
    for (const Case& c : cases) {
        k.level[1] = c.from;
        DecayKeyLevel(k, 1, c.mode);
        EXPECT_EQ(k.level[1], c.to) << int(c.from) << " mode " << int(c.mode);
    }
    DecayKeyLevel(k, kKeyLevelCount, 0);  // past the levels: ignored
}

TEST(TriggerKeyLevels, MouseUsesPositions0To8PadUsesFlagIPlus1) {
    KeyLevels k;
    k.ring[0] = k.ring[8] = k.ring[9] = 1;
    TriggerKeyLevels(Family::Mouse, k, kMouseLeds);
    EXPECT_EQ(k.level[0], 255);
    EXPECT_EQ(k.level[8], 255);
    EXPECT_EQ(k.level[9], 0);

    KeyLevels p;
    p.ring[0] = p.ring[1] = p.ring[15] = p.ring[16] = 1;
    TriggerKeyLevels(Family::Pad, p, kPadLeds);
    EXPECT_EQ(p.level[0], 0);
    EXPECT_EQ(p.level[1], 255);
    EXPECT_EQ(p.level[15], 255);
    EXPECT_EQ(p.level[16], 0);

    KeyLevels h;
    h.ring[13] = h.ring[14] = 1;
    TriggerKeyLevels(Family::Headset, h, kHeadsetLeds);
    EXPECT_EQ(h.level[13], 255);
    EXPECT_EQ(h.level[14], 0);
}

TEST(KeyRing, ShiftWrapsBothWaysAndRotateKeepsToItsPart) {
    KeyLevels k;
    k.ring[22] = 1;
    ShiftKeyLevels(k, 1);
    EXPECT_EQ(k.ring[0], 1);
    EXPECT_EQ(k.ring[22], 0);
    ShiftKeyLevels(k, 0);
    EXPECT_EQ(k.ring[22], 1);

    KeyLevels r;
    r.ring[0] = r.ring[8] = 1;
    RotateRing(r, 8, false);
    EXPECT_EQ(r.ring[7], 1);
    EXPECT_EQ(r.ring[0], 0);
    EXPECT_EQ(r.ring[8], 1);  // outside the rotated part
    RotateRing(r, 8, true);
    EXPECT_EQ(r.ring[0], 1);

    k.level[5] = 7;
    ClearKeyLevels(k);
    EXPECT_EQ(std::count(k.level.begin(), k.level.end(), 0), long(kKeyLevelCount));
    EXPECT_EQ(std::count(k.ring.begin(), k.ring.end(), 0), long(kRingSize));
}

TEST(KeyRing, SeedSetsTheFlagEachFamilyTriggers) {
    KeyLevels k;
    k.level[3] = 200;
    SeedKeyRing(Family::Mouse, k);
    EXPECT_EQ(k.ring[0], 1);
    EXPECT_EQ(k.level[3], 0);
    SeedKeyRing(Family::Pad, k);
    EXPECT_EQ(k.ring[0], 0);
    EXPECT_EQ(k.ring[1], 1);
    SeedKeyRing(Family::Headset, k);
    EXPECT_EQ(k.ring[1], 1);
}

namespace {
const Rgb kC{100, 150, 200};

// Runs n calls of an effect and returns the highest brightness each LED showed.
template <typename Fn>
std::vector<int> PeakBrightness(size_t leds, Fn&& step, int calls) {
    std::vector<int> peak(leds, 0);
    LedFrame f(leds);
    for (int i = 0; i < calls; ++i) {
        step(f);
        for (size_t l = 0; l < leds; ++l) peak[l] = std::max<int>(peak[l], f[l][3]);
    }
    return peak;
}
}  // namespace

TEST(PadPairs, SeededRingLightsThePairsOnEverySecondCall) {
    LedFrame f(kPadLeds);
    EffectState s;
    SeedKeyRing(Family::Pad, s.keys);
    const LightRecord li = Record(7, 4, 0, 1, 0, kC);

    EffectPairs(f, s, li);  // first call: no trigger yet
    EXPECT_EQ(f[1], Entry(kC, 0));
    EffectPairs(f, s, li);  // second: flag 1 triggers, the ring turns to position 0
    EXPECT_EQ(f[1], Entry(kC, 254));
    EXPECT_EQ(f[14], Entry(kC, 254));
    EXPECT_EQ(f[2], Entry(kC, 0));
    EXPECT_EQ(f[0], (LedEntry{0, 0, 0, 0}));  // LED 0 belongs to no pair
    EXPECT_EQ(s.keys.ring[0], 1);
    EffectPairs(f, s, li);
    EXPECT_EQ(f[1], Entry(kC, 214));
    EffectPairs(f, s, li);  // the flag wraps from 0 to 7 within the first eight
    EXPECT_EQ(s.keys.ring[7], 1);
    EXPECT_EQ(f[1], Entry(kC, 174));
}

TEST(PadPairs, EveryPairIsReachableAndNoneStaysLit) {
    EffectState s;
    SeedKeyRing(Family::Pad, s.keys);
    const LightRecord li = Record(7, 4, 0, 1, 0, kC);
    const auto peak = PeakBrightness(kPadLeds, [&](LedFrame& f) { EffectPairs(f, s, li); }, 40);
    for (size_t l = 1; l < kPadLeds; ++l) EXPECT_GT(peak[l], 0) << "LED " << l;

    // Pair 6 (LEDs 7 and 8) is lit by level 7 on the sixth call and fades after it.
    EffectState t;
    SeedKeyRing(Family::Pad, t.keys);
    LedFrame f(kPadLeds);
    for (int i = 0; i < 6; ++i) EffectPairs(f, t, li);
    EXPECT_EQ(f[7][3], 254);
    EffectPairs(f, t, li);
    EXPECT_EQ(f[7][3], 214);
    EXPECT_EQ(f[8][3], 214);
}

TEST(PadPairs, BackwardTurnsTheFirstEightFlagsUpwards) {
    LedFrame f(kPadLeds);
    EffectState s;
    SeedKeyRing(Family::Pad, s.keys);
    const LightRecord li = Record(7, 4, 0, 0, 0, kC);
    EffectPairs(f, s, li);
    EffectPairs(f, s, li);
    EXPECT_EQ(s.keys.ring[2], 1);
    EffectPairs(f, s, li);
    EffectPairs(f, s, li);  // flag 2 triggers level 2: pair 1
    EXPECT_EQ(f[2], Entry(kC, 254));
    EXPECT_EQ(f[13], Entry(kC, 254));
}

TEST(PadPairs, MultiColourTakesWheelColoursOrKeepsTheFrameColour) {
    LedFrame f(kPadLeds, LedEntry{7, 8, 9, 0});
    EffectState s;  // no flags: levels stay 0, the self-colour test is off
    EffectPairs(f, s, Record(7, 4, 0, 1, 1));
    EXPECT_EQ((Rgb{f[1][0], f[1][1], f[1][2]}), (Rgb{255, 57, 0}));   // wheel[13]
    EXPECT_EQ((Rgb{f[14][0], f[14][1], f[14][2]}), (Rgb{255, 57, 0}));
    EXPECT_EQ((Rgb{f[2][0], f[2][1], f[2][2]}), (Rgb{255, 176, 0}));  // wheel[25]
    EXPECT_EQ(s.step, 85);

    LedFrame g(kPadLeds, LedEntry{7, 8, 9, 0});
    EffectState t;
    t.keys.level[1] = 200;  // direction set: level 1 non-zero keeps the pair's own colour
    EffectPairs(g, t, Record(7, 4, 0, 1, 1));
    EXPECT_EQ(g[1], (LedEntry{7, 8, 9, 199}));  // 255 * 200 / 256
    EXPECT_EQ(g[14], (LedEntry{7, 8, 9, 199}));
}

TEST(HeadsetPairs, OnlyLedsInsideTheFrameAreWritten) {
    LedFrame f(kHeadsetLeds);
    EffectState s;
    SeedKeyRing(Family::Headset, s.keys);
    const LightRecord li = Record(7, 4, 0, 1, 0, kC);
    EffectPairs(f, s, li);
    EffectPairs(f, s, li);
    EXPECT_EQ(f.size(), kHeadsetLeds);
    EXPECT_EQ(f[1], Entry(kC, 254));  // pair (1, 14): only LED 1 exists
    EXPECT_EQ(f[12], Entry(kC, 0));   // pair (3, 12)
}

TEST(RingRipple, DirectionSetRotatesUpwardsOnEverySecondCall) {
    LedFrame f(kPadLeds);
    EffectState s;
    s.keys.ring[22] = 1;
    const LightRecord li = Record(6, 4, 0, 1, 0, kC);
    EffectRingRipple(f, s, li);
    EXPECT_EQ(s.keys.ring[22], 1);
    EffectRingRipple(f, s, li);
    EXPECT_EQ(s.keys.ring[0], 1);
    EXPECT_EQ(s.keys.ring[22], 0);
}

TEST(RingRipple, PadLedsLightInTurnFromTheSeededFlag) {
    LedFrame f(kPadLeds);
    EffectState s;
    SeedKeyRing(Family::Pad, s.keys);
    const LightRecord li = Record(6, 4, 0, 1, 0, kC);
    EffectRingRipple(f, s, li);
    EffectRingRipple(f, s, li);  // flag 1 -> level 1 shows on LED 0, ring turns to 2
    EXPECT_EQ(f[0], Entry(kC, 254));
    EXPECT_EQ(f[1], Entry(kC, 0));
    EffectRingRipple(f, s, li);
    EffectRingRipple(f, s, li);
    EXPECT_EQ(f[1], Entry(kC, 254));
    EXPECT_EQ(f[0], Entry(kC, 174));  // level 1: 255 -> 215 -> 175

    EffectState t;
    SeedKeyRing(Family::Pad, t.keys);
    const auto peak = PeakBrightness(kPadLeds, [&](LedFrame& g) { EffectRingRipple(g, t, li); }, 80);
    for (size_t l = 0; l < kPadLeds; ++l) EXPECT_GT(peak[l], 0) << "LED " << l;
}

TEST(RingRipple, HeadsetLastLedFadesAfterItsTrigger) {
    LedFrame f(kHeadsetLeds);
    EffectState s;
    s.keys.level[13] = 255;  // the level LED 12 shows
    const LightRecord li = Record(6, 4, 0, 1, 0, kC);
    EffectRingRipple(f, s, li);
    EXPECT_EQ(f[12], Entry(kC, 254));
    EffectRingRipple(f, s, li);
    EXPECT_EQ(f[12], Entry(kC, 214));
}
