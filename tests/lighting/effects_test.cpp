// Golden frames of the effect steps. Expected values are worked out by hand
// from the tables: Scale(x, B) = x * B / 256, e.g. 119 * 135 / 256 = 62.
#include "devices/lighting/LightEffects.h"
#include "lighting_test_util.h"

#include <gtest/gtest.h>

#include <set>

using namespace lighting;
using namespace lighting::test;

namespace {
constexpr Rgb kRec{10, 20, 30};
}

TEST(EffectBreathing, StepsTheCurveAndChangesColourAtTheStartOfEachBreath) {
    LedFrame f(kMouseLeds);
    EffectState s;
    s.step = 40;
    EffectBreathing(f, s, Record(2, 2, 0, 1, 0));
    EXPECT_EQ(s.step, 41);
    EXPECT_TRUE(AllEqual(f, Entry(kRec, 62)));  // curve[41] = 119; 119 * 135 / 256

    s.step = 126;
    s.colour = 0;
    const LightRecord multi = Record(2, 2, 0, 1, 1);
    EffectBreathing(f, s, multi);
    EXPECT_TRUE(AllEqual(f, Entry({255, 1, 0}, 0)));  // step 127, still wheel[0]
    EffectBreathing(f, s, multi);
    EXPECT_EQ(s.step, 0);
    EXPECT_EQ(s.colour, 16);
    EXPECT_TRUE(AllEqual(f, Entry({255, 81, 0}, 0)));

    s.step = 63;
    EffectBreathing(f, s, Record(2, 4, 0, 1, 0));
    EXPECT_TRUE(AllEqual(f, Entry(kRec, 254)));  // curve[64] = 255; 255 * 255 / 256
}

TEST(EffectBreathing, BackwardWrapsToTheTopAndStillCountsBreaths) {
    LedFrame f(kPadLeds);
    EffectState s;
    const LightRecord back = Record(2, 4, 0, 0, 1);
    EffectBreathing(f, s, back);  // 0 -> 127: no new breath
    EXPECT_EQ(s.step, 127);
    EXPECT_EQ(s.colour, 0);
    s.step = 1;
    EffectBreathing(f, s, back);
    EXPECT_EQ(s.step, 0);
    EXPECT_EQ(s.colour, 16);
}

TEST(EffectBreathing, MultiColourShowsThirteenColoursInTurn) {
    LedFrame f(1);
    EffectState s;
    const LightRecord multi = Record(2, 4, 0, 1, 1);
    std::vector<int> indexes{s.colour};
    for (int i = 0; i < 14 * 128; ++i) {
        EffectBreathing(f, s, multi);
        if (s.step == 0) indexes.push_back(s.colour);
    }
    const std::vector<int> expected = {0, 16, 32, 48, 64, 80, 96, 112, 128, 144, 160, 176, 192, 0, 16};
    EXPECT_EQ(indexes, expected);
}

TEST(EffectBreathingFour, CountsThroughTheFourColours) {
    LedFrame f(kMouseLeds);
    EffectState s;
    s.step = 127;
    s.colour = 2;
    const LightRecord li = Record(6, 4, 0, 1, 1);  // the multi-colour flag plays no part
    EffectBreathingFour(f, s, li);
    EXPECT_EQ(s.colour, 3);
    EXPECT_TRUE(AllEqual(f, Entry({255, 0, 0}, 0)));
    s.step = 127;
    EffectBreathingFour(f, s, li);
    EXPECT_EQ(s.colour, 0);
    s.step = 63;
    EffectBreathingFour(f, s, li);
    EXPECT_TRUE(AllEqual(f, Entry({0, 255, 180}, 254)));

    // A wheel index left behind by another effect never indexes past the four colours.
    s.colour = 16;
    s.step = 10;
    EffectBreathingFour(f, s, li);
    EXPECT_TRUE(AllEqual(f, Entry({0, 255, 180}, 11)));  // curve[11] = 12
}

TEST(EffectStaticAndOff, FillEveryLed) {
    LedFrame f(kHeadsetLeds, LedEntry{9, 9, 9, 9});
    EffectStatic(f, Record(3, 1, 0, 1, 1, {1, 2, 3}));
    EXPECT_TRUE(AllEqual(f, Entry({1, 2, 3}, 80)));
    EffectOff(f);
    EXPECT_TRUE(AllEqual(f, LedEntry{0, 0, 0, 0}));
}

TEST(EffectSpectrum, WalksTheWheelBothWays) {
    LedFrame f(kMouseLeds);
    EffectState s;
    s.step = 191;
    EffectSpectrum(f, s, Record(1, 3, 0, 1, 0));
    EXPECT_TRUE(AllEqual(f, Entry({255, 1, 0}, 195)));
    EffectSpectrum(f, s, Record(1, 3, 0, 0, 0));
    EXPECT_TRUE(AllEqual(f, Entry({255, 0, 0}, 195)));  // back to 191
    s.step = 99;
    EffectSpectrum(f, s, Record(1, 3, 0, 1, 0));
    EXPECT_TRUE(AllEqual(f, Entry({0, 194, 255}, 195)));
}

TEST(EffectBlink, TogglesEvery1400MsAtSpeed4) {
    LedFrame f(kMouseLeds, LedEntry{9, 9, 9, 9});
    EffectState s;
    const LightRecord li = Record(4, 4, 4, 1, 1);
    EffectBlink(f, s, li, 1000);
    EXPECT_TRUE(AllEqual(f, LedEntry{0, 0, 0, 0}));
    EXPECT_EQ(s.blinkOn, 0);
    EffectBlink(f, s, li, 1400);
    EXPECT_EQ(s.step, 16);
    EXPECT_TRUE(AllEqual(f, Entry({255, 81, 0}, 255)));
    EffectBlink(f, s, li, 2799);
    EXPECT_EQ(s.blinkOn, 1);
    EffectBlink(f, s, li, 2800);
    EXPECT_EQ(s.step, 32);
    EXPECT_TRUE(AllEqual(f, LedEntry{0, 0, 0, 0}));

    s.step = 176;  // +16 = 192 passes 191: back to 0
    EffectBlink(f, s, Record(4, 4, 4, 1, 0), 4200);
    EXPECT_EQ(s.step, 0);
    EXPECT_TRUE(AllEqual(f, Entry(kRec, 255)));
}

TEST(EffectBlink, SpeedsWithPeriodZeroToggleOnEveryCall) {
    LedFrame f(1);
    EffectState s;
    s.lastToggle = 500;
    const LightRecord li = Record(4, 4, 5, 1, 0);
    EffectBlink(f, s, li, 500);
    EXPECT_EQ(s.blinkOn, 1);
    EffectBlink(f, s, li, 500);
    EXPECT_EQ(s.blinkOn, 0);
}

TEST(EffectBlinkFour, StepsThroughTheFourColoursOnEachToggle) {
    LedFrame f(kMouseLeds);
    EffectState s;
    s.step = 3;
    const LightRecord li = Record(7, 2, 4, 1, 0);
    EffectBlinkFour(f, s, li, 1400);
    EXPECT_EQ(s.step, 0);
    EXPECT_TRUE(AllEqual(f, Entry({0, 255, 180}, 135)));
    EffectBlinkFour(f, s, li, 2800);
    EXPECT_TRUE(AllEqual(f, LedEntry{0, 0, 0, 0}));
    EffectBlinkFour(f, s, li, 4200);
    EXPECT_EQ(s.step, 2);
    EXPECT_TRUE(AllEqual(f, Entry({255, 255, 255}, 135)));
}

TEST(EffectWave, MouseLedsStepSevenWheelColoursApart) {
    LedFrame f(kMouseLeds);
    EffectState s;
    const LightRecord li = Record(0, 4, 0, 1, 0);
    EffectWave(f, s, li);  // step 1, start colour 2
    EXPECT_EQ(f[0], Entry({255, 5, 0}, 255));
    EXPECT_EQ(f[1], Entry({255, 32, 0}, 255));
    EXPECT_EQ(f[5], Entry({182, 255, 0}, 255));
    EXPECT_EQ(f[18], Entry({1, 0, 255}, 255));

    s.step = 178;  // start colour 180 wraps past 191 on LED 2
    EffectWave(f, s, li);
    EXPECT_EQ(f[0], Entry({255, 0, 41}, 255));
    EXPECT_EQ(f[1], Entry({255, 0, 8}, 255));
    EXPECT_EQ(f[2], Entry({255, 5, 0}, 255));

    s.step = 190;  // step 191: the start colour is 0
    EffectWave(f, s, li);
    EXPECT_EQ(f[0], Entry({255, 1, 0}, 255));
    EXPECT_EQ(f[1], Entry({255, 22, 0}, 255));
}

TEST(EffectPadWave, MultiColourAndShortCurve) {
    LedFrame f(kPadLeds);
    EffectState s;
    EffectPadWave(f, s, Record(0, 4, 0, 1, 1));
    EXPECT_EQ(f[0], Entry({255, 5, 0}, 255));
    EXPECT_EQ(f[14], Entry({0, 194, 255}, 255));  // wheel[2 + 98]

    s.step = 0;
    EffectPadWave(f, s, Record(0, 4, 0, 1, 0));
    EXPECT_EQ(s.step, 1);
    EXPECT_EQ(f[0], Entry(kRec, 26));   // short[2] = 27
    EXPECT_EQ(f[7], Entry(kRec, 233));  // short[51] = 234
    EXPECT_EQ(f[14], Entry(kRec, 32));  // short[100 mod 96] = 33

    s.step = 95;  // single-colour wave counts in 96
    EffectPadWave(f, s, Record(0, 4, 0, 1, 0));
    EXPECT_EQ(s.step, 0);
}

TEST(EffectHeadsetWave, SixteenApartOrThreeStepsOfTheShortCurve) {
    LedFrame f(kHeadsetLeds);
    EffectState s;
    EffectHeadsetWave(f, s, Record(0, 4, 0, 1, 1));
    EXPECT_EQ(f[1], Entry({255, 99, 0}, 255));  // wheel[18]
    EXPECT_EQ(f[12], Entry({255, 5, 0}, 255));  // wheel[194 mod 192]

    s.step = 0;
    EffectHeadsetWave(f, s, Record(0, 4, 0, 1, 0));
    EXPECT_EQ(s.step, 3);
    EXPECT_EQ(f[0], Entry(kRec, 29));    // short[3] = 30
    EXPECT_EQ(f[12], Entry(kRec, 128));  // short[123 mod 96] = 129

    s.step = 1;
    EffectHeadsetWave(f, s, Record(0, 4, 0, 0, 0));
    EXPECT_EQ(s.step, 93);
    EXPECT_EQ(f[0], Entry(kRec, 26));  // short[93] = 27
}

TEST(EffectRipple, RingFlagRunsAcrossTheGroupsAndLevelsDecay) {
    LedFrame f(kMouseLeds);
    EffectState s;
    SeedKeyRing(Family::Mouse, s.keys);
    const Rgb c{100, 150, 200};
    const LightRecord li = Record(5, 4, 0, 1, 0, c);

    EffectRipple(f, s, li);  // group 0 triggered and decayed once: 215
    EXPECT_EQ(f[0], Entry(c, 214));
    EXPECT_EQ(f[18], Entry(c, 214));
    EXPECT_EQ(f[1], Entry(c, 0));
    EXPECT_EQ(s.keys.ring[1], 1);

    EffectRipple(f, s, li);
    EXPECT_EQ(f[0], Entry(c, 174));  // 175
    EXPECT_EQ(f[1], Entry(c, 214));
    EXPECT_EQ(f[17], Entry(c, 214));

    EffectRipple(f, s, li);
    EXPECT_EQ(f[0], Entry(c, 134));  // 135
    EXPECT_EQ(f[2], Entry(c, 214));
    EXPECT_EQ(f[16], Entry(c, 214));

    // Small levels fall by 1, not 4: the ripple decays with its own effect number.
    s.keys.ring.fill(0);
    s.keys.level[4] = 16;
    EffectRipple(f, s, li);
    EXPECT_EQ(s.keys.level[4], 15);
}

TEST(EffectRipple, MultiColourAdvancesTwelvePerGroup) {
    LedFrame f(kMouseLeds);
    EffectState s;
    EffectRipple(f, s, Record(5, 4, 0, 1, 1));
    EXPECT_EQ(f[0][0], 255);
    EXPECT_EQ(f[0][1], 57);   // wheel[13]
    EXPECT_EQ(f[1][1], 176);  // wheel[25]
    EXPECT_EQ((Rgb{f[8][0], f[8][1], f[8][2]}), (Rgb{0, 94, 255}));  // wheel[109]
    EXPECT_EQ(s.step, 109);
}

TEST(EffectRipple, BackwardMovesTheFlagDownTheRing) {
    LedFrame f(kMouseLeds);
    EffectState s;
    SeedKeyRing(Family::Mouse, s.keys);
    EffectRipple(f, s, Record(5, 4, 0, 0, 0));
    EXPECT_EQ(s.keys.ring[22], 1);
    EXPECT_EQ(s.keys.ring[0], 0);
}
