// The lighting thread's pass without the thread: tick counting, when a step is
// due, effect dispatch by family, and the frame's wire bytes.
#include "devices/lighting/LightEngine.h"
#include "lighting_test_util.h"

#include <gtest/gtest.h>

#include "platform/Tick.h"

using namespace lighting;
using namespace lighting::test;

TEST(StepClock, MouseCountsChangesOfTheCoarseClock) {
    StepClock c(TickMode::ClockChanges);
    const uint32_t times[] = {0, 0, 1, 15, 16, 31, 31, 46};
    std::vector<uint32_t> counts;
    for (uint32_t t : times) {
        c.Tick(t);
        counts.push_back(c.Count());
    }
    EXPECT_EQ(counts, (std::vector<uint32_t>{0, 0, 0, 1, 1, 2, 2, 3}));
}

TEST(StepClock, SpeedSetsTheStepPeriod) {
    struct Case { uint8_t speed; int passesPerStep; };
    // Speed 255 is what "4 - byte 3" gives for a byte 3 of 5: it steps like speed 4.
    const Case cases[] = {{0, 28}, {1, 23}, {2, 18}, {3, 13}, {4, 7}, {5, 1}, {14, 1}, {255, 7}};
    for (const Case& k : cases) {
        StepClock c(TickMode::Passes);
        int firstDue = 0;
        for (int pass = 1; pass <= 40 && !firstDue; ++pass) {
            c.Tick(0);
            if (c.TakeIfDue(k.speed)) firstDue = pass;
        }
        EXPECT_EQ(firstDue, k.passesPerStep) << "speed " << int(k.speed);
        EXPECT_EQ(c.Count(), 0u);
    }
}

TEST(LightingEngine, MouseStepsAtSpeed4EverySeventhClockTick) {
    LightingEngine e(Family::Mouse);
    LedFrame f(kMouseLeds);
    const LightRecord li = Record(1, 4, 4, 1, 0);
    int steps = 0;
    // 64 Hz tick values as GetTickCount gives them, each seen on several passes.
    for (uint64_t us = 0; us < 15625ull * 22; us += 1000) {
        if (e.Pass(f, 1, 4, li, {}, platform::QuantiseTick(us))) ++steps;
    }
    EXPECT_EQ(steps, 3);  // ticks 7, 14, 21
    EXPECT_EQ(e.State().step, 3);
    EXPECT_TRUE(AllEqual(f, Entry({255, 7, 0}, 255)));  // wheel[3]
}

TEST(LightingEngine, DispatchFollowsTheFamilysEffectNumbers) {
    struct Case { Family family; uint8_t effect; bool sequence; };
    const Case cases[] = {
        {Family::Mouse, 5, false},  {Family::Mouse, 8, false}, {Family::Mouse, 9, true},
        {Family::Pad, 5, true},     {Family::Pad, 8, false},   {Family::Pad, 9, true},
        {Family::Headset, 5, true}, {Family::Headset, 6, false},
    };
    for (const Case& c : cases) EXPECT_EQ(IsSequenceEffect(c.family, c.effect), c.sequence);

    // Effect 6: four-colour breathing on the mouse, the ripple on the pad.
    LedFrame m(kMouseLeds), p(kPadLeds);
    EffectState ms, ps;
    ms.step = 63;
    EXPECT_TRUE(RunEffectStep(Family::Mouse, 6, m, ms, Record(6, 4, 0, 1, 0), 0));
    EXPECT_TRUE(AllEqual(m, Entry({0, 255, 180}, 254)));
    ps.keys.level[1] = 255;
    EXPECT_TRUE(RunEffectStep(Family::Pad, 6, p, ps, Record(6, 4, 0, 1, 0), 0));
    EXPECT_EQ(p[0][3], 254);
    EXPECT_FALSE(RunEffectStep(Family::Pad, 5, p, ps, Record(5, 4, 0, 1, 0), 0));
}

TEST(LightingEngine, SequenceRunsOnEveryPassWhateverTheSpeed) {
    LightingEngine e(Family::Pad);
    LedFrame f(kPadLeds);
    const std::vector<SequenceStep> steps = {{Record(5, 4, 5, 1, 0), 1000, 0}};
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(e.Pass(f, 5, 0, Record(5, 4, 0, 1, 0), steps, 0));
    EXPECT_EQ(e.State().sequence.m, 3);
}

TEST(LightingEngine, SeedsTheRingAtCreationAndOnEffectChange) {
    LightingEngine mouse(Family::Mouse), pad(Family::Pad), headset(Family::Headset);
    EXPECT_EQ(mouse.State().keys.ring[0], 1);
    EXPECT_EQ(pad.State().keys.ring[1], 1);
    EXPECT_EQ(headset.State().keys.ring[1], 1);

    // A pad on effect 7 lights its pairs, and an effect change starts the ring over.
    LedFrame f(kPadLeds);
    for (int i = 0; i < 2; ++i) pad.Pass(f, 7, 5, Record(7, 4, 5, 1, 0), {}, 0);
    EXPECT_EQ(f[1][3], 254);
    pad.State().keys.ring.fill(0);
    pad.OnEffectChanged();
    EXPECT_EQ(pad.State().keys.ring[1], 1);
    EXPECT_EQ(pad.State().keys.level[1], 0);
}

TEST(FrameToWire, ScalesByBrightnessAndSkipsTheFiller) {
    const LedFrame f = {{255, 128, 1, 255}, {200, 100, 50, 128}, {0, 0, 0, 0}};
    std::vector<uint8_t> out(512, 0xEE);
    EXPECT_EQ(FrameToWire(f, out), 9u);
    EXPECT_EQ(std::vector<uint8_t>(out.begin(), out.begin() + 10),
              (std::vector<uint8_t>{254, 127, 0, 100, 50, 25, 0, 0, 0, 0xEE}));

    const LedFrame full = {{255, 255, 255, 255}};
    std::vector<uint8_t> chip(3);
    FrameToWire(full, chip, 247);
    EXPECT_EQ(chip, (std::vector<uint8_t>{247, 247, 247}));

    LedFrame wide(171, LedEntry{255, 255, 255, 255});
    std::vector<uint8_t> buf(512, 0);
    EXPECT_EQ(FrameToWire(wide, buf), 512u);
    EXPECT_EQ(buf[377], 254);  // LED 125
    EXPECT_EQ(buf[378], 0);    // LED 126 is never written
    EXPECT_EQ(buf[380], 0);
    EXPECT_EQ(buf[381], 254);
    EXPECT_EQ(buf[509], 254);  // LED 169
    EXPECT_EQ(buf[510], 0);    // LED 170 would end past the buffer
}

TEST(FrameToWire, ButtonColourSwapsTheLastTwoComponents) {
    EXPECT_EQ(ButtonColour(LedEntry{1, 2, 3, 99}), 0x020301u);
}

TEST(LightingEngine, OutOfRangeBytesFromADeviceUseTheTopTableEntries) {
    // Speed 4 - 5 = 255 and brightness 9 come from bytes read back from a device.
    LedFrame f(kMouseLeds);
    EffectState s;
    LightRecord li = Record(4, 9, 255, 1, 0);
    EffectBlink(f, s, li, 1399);
    EXPECT_EQ(s.blinkOn, 0);
    EffectBlink(f, s, li, 1400);  // the phase length of speed 4
    EXPECT_TRUE(AllEqual(f, Entry({10, 20, 30}, 255)));

    LightingEngine e(Family::Pad);
    int due = 0;
    for (int i = 0; i < 14; ++i) due += e.Pass(f, 3, 255, li, {}, 0) ? 1 : 0;
    EXPECT_EQ(due, 2);  // every 7 passes, like speed 4
}
