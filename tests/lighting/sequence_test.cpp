// User light sequences: per-step effects, timing and step changes.
#include "devices/lighting/LightEffects.h"
#include "lighting_test_util.h"

#include <gtest/gtest.h>

using namespace lighting;
using namespace lighting::test;

namespace {

SequenceStep Step(uint8_t effect, uint8_t brightness, uint8_t speed, uint8_t direction, uint8_t multi,
                  Rgb colour, int32_t timeMs) {
    return {Record(effect, brightness, speed, direction, multi, colour), timeMs, 0};
}

const Rgb kA{10, 20, 30};
const Rgb kB{1, 2, 3};

}  // namespace

TEST(RunLightSequence, EmptyListTurnsTheLedsOff) {
    LedFrame f(kPadLeds, LedEntry{9, 9, 9, 9});
    SequenceState q;
    q.index = 3;
    RunLightSequence(f, {}, q, 0, 0);
    EXPECT_TRUE(AllEqual(f, LedEntry{0, 0, 0, 0}));
    EXPECT_EQ(q.index, 0u);
}

TEST(RunLightSequence, PassCounterCarriesAcrossAStepBoundary) {
    // Two static steps at speed 4 (period 7), 30 ms each, one call every 5 ms.
    const std::vector<SequenceStep> steps = {Step(1, 4, 4, 1, 0, kA, 30), Step(1, 1, 4, 1, 0, kB, 30)};
    LedFrame f(kPadLeds, LedEntry{9, 9, 9, 9});
    SequenceState q;
    std::vector<LedEntry> shown;
    std::vector<size_t> index;
    for (int call = 1; call <= 16; ++call) {
        RunLightSequence(f, steps, q, 0, 5u * (call - 1));
        shown.push_back(f[0]);
        index.push_back(q.index);
    }
    EXPECT_EQ(shown[5], (LedEntry{9, 9, 9, 9}));  // call 6: not due
    EXPECT_EQ(shown[6], Entry(kA, 255));           // call 7: pass 7
    EXPECT_EQ(index[6], 0u);                       // 30 ms do not exceed 30
    EXPECT_EQ(index[7], 1u);                       // call 8 at 35 ms
    EXPECT_EQ(shown[12], Entry(kA, 255));
    EXPECT_EQ(shown[13], Entry(kB, 80));  // call 14: 7 passes since call 7, across the change
    EXPECT_EQ(index[14], 0u);             // 70 - 35 > 30: back to the first step
    EXPECT_EQ(q.m, 2);
}

TEST(RunLightSequence, BreathingStepFollowsTheCurveAndMultiColourShowsEntry0) {
    LedFrame f(kMouseLeds);
    SequenceState q;
    q.m = 62;
    const std::vector<SequenceStep> steps = {Step(0, 2, 5, 1, 0, kA, 1000)};
    RunLightSequence(f, steps, q, 0, 0);  // speed 5: period 0, due on every call
    EXPECT_EQ(q.m, 63);
    EXPECT_TRUE(AllEqual(f, Entry(kA, 134)));  // 255 * 135 / 256
    q.m = 127;
    RunLightSequence(f, steps, q, 0, 0);
    EXPECT_EQ(q.m, 0);

    const std::vector<SequenceStep> multi = {Step(0, 4, 5, 1, 1, kA, 1000)};
    q.m = 40;
    RunLightSequence(f, multi, q, 0, 0);
    EXPECT_TRUE(AllEqual(f, Entry({255, 1, 0}, 118)));  // curve[41] = 119
}

TEST(RunLightSequence, BlinkUsesTheDevicesOwnSpeed) {
    LedFrame f(kHeadsetLeds);
    SequenceState q;
    // The step's speed 5 would toggle at once; the device record's speed 4 gives 1400 ms.
    const std::vector<SequenceStep> steps = {Step(2, 4, 5, 1, 1, kA, 100000)};
    RunLightSequence(f, steps, q, 4, 1000);
    EXPECT_TRUE(AllEqual(f, LedEntry{0, 0, 0, 0}));
    RunLightSequence(f, steps, q, 4, 1400);
    EXPECT_EQ(q.m, 2);
    EXPECT_EQ(q.blinkColour, 16);
    EXPECT_TRUE(AllEqual(f, Entry({255, 81, 0}, 255)));  // wheel[16]
    RunLightSequence(f, steps, q, 4, 2000);
    EXPECT_EQ(q.blinkOn, 1);
    q.m = 127;
    RunLightSequence(f, steps, q, 4, 2800);
    EXPECT_EQ(q.m, 0);
    EXPECT_TRUE(AllEqual(f, LedEntry{0, 0, 0, 0}));
}

TEST(RunLightSequence, WaveSingleColourStaysInsideTheShortCurve) {
    LedFrame f(kPadLeds);
    SequenceState q;
    q.m = 178;  // start index 180: +12 would leave a 96-entry curve
    const Rgb c{200, 100, 50};
    RunLightSequence(f, std::vector<SequenceStep>{Step(4, 4, 5, 0, 0, c, 1000)}, q, 0, 0);
    EXPECT_EQ(q.m, 179);
    EXPECT_EQ(f[0], Entry(c, 21));   // short[0] = 22
    EXPECT_EQ(f[1], Entry(c, 60));   // short[12] = 61
    EXPECT_EQ(f[2], Entry(c, 113));  // short[24] = 114
}

TEST(RunLightSequence, WaveMultiColourRunsBackwardFromTheTop) {
    LedFrame f(kPadLeds);
    SequenceState q;
    const std::vector<SequenceStep> steps = {Step(4, 4, 5, 1, 1, kA, 1000)};
    RunLightSequence(f, steps, q, 0, 0);  // m 1: d = 191
    EXPECT_EQ(f[0], Entry({255, 0, 0}, 255));
    EXPECT_EQ(f[1], Entry({255, 44, 0}, 255));  // (191 + 12) mod 192 = 11
    q.m = 191;
    RunLightSequence(f, steps, q, 0, 0);  // m wraps to 0: d = 191 again
    EXPECT_EQ(q.m, 0);
    EXPECT_EQ(f[0], Entry({255, 0, 0}, 255));
}

TEST(RunLightSequence, ColourCycleAndInertSteps) {
    LedFrame f(kPadLeds, LedEntry{9, 9, 9, 9});
    SequenceState q;
    q.m = 99;
    RunLightSequence(f, std::vector<SequenceStep>{Step(5, 3, 5, 1, 0, kA, 1000)}, q, 0, 0);
    EXPECT_TRUE(AllEqual(f, Entry({0, 194, 255}, 195)));  // wheel[100]

    LedFrame g(kPadLeds, LedEntry{9, 9, 9, 9});
    RunLightSequence(g, std::vector<SequenceStep>{Step(3, 4, 5, 1, 0, kA, 1000)}, q, 0, 0);
    RunLightSequence(g, std::vector<SequenceStep>{Step(200, 4, 5, 1, 0, kA, 1000)}, q, 0, 0);
    EXPECT_TRUE(AllEqual(g, LedEntry{9, 9, 9, 9}));
}

TEST(RunLightSequence, AShrunkListRestartsAtTheFirstStep) {
    LedFrame f(1);
    SequenceState q;
    q.index = 5;
    RunLightSequence(f, std::vector<SequenceStep>{Step(1, 4, 5, 1, 0, kB, 1000)}, q, 0, 0);
    EXPECT_EQ(q.index, 0u);
    EXPECT_EQ(f[0], Entry(kB, 255));
}
