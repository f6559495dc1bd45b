// Per-LED passes over the profile's LED records.
#include "devices/lighting/LightEffects.h"
#include "lighting_test_util.h"

#include <gtest/gtest.h>

using namespace lighting;
using namespace lighting::test;

namespace {

const LedEntry kUntouched{9, 9, 9, 9};

struct PassFixture : ::testing::Test {
    LedFrame frame = LedFrame(8, kUntouched);
    std::vector<LightRecord> records = {
        Record(kLedBreathing, 4, 2, 1, 0, {10, 20, 30}),
        Record(kLedStatic, 1, 0, 1, 0, {1, 2, 3}),
        Record(kLedBlink, 3, 4, 1, 1),
        Record(kLedCycle, 0, 4, 1, 0),
        Record(kLedOff, 4, 0, 1, 0),
        Record(kLedStatic, 4, 0, 1, 0),  // not present: left alone
        Record(9, 4, 0, 1, 0),           // unknown mode: left alone
        Record(kLedStatic, 4, 0, 1, 0, {5, 5, 5}),
    };
    EffectState state;
    void SetUp() override { records[5].present = 0; }
};

}  // namespace

TEST_F(PassFixture, ResetRunGivesEachModeItsFirstFrame) {
    RunLedPasses(frame, records, state, 2000, true);
    EXPECT_EQ(frame[0], Entry({10, 20, 30}, 5));   // step 6: curve 6 * 255 / 256
    EXPECT_EQ(frame[1], Entry({1, 2, 3}, 80));
    EXPECT_EQ(frame[2], Entry({255, 65, 0}, 195));  // first toggle: wheel[14]
    EXPECT_EQ(frame[3], Entry({255, 1, 0}, 30));    // counter 1 of 7
    EXPECT_EQ(frame[4], (LedEntry{0, 0, 0, 0}));
    EXPECT_EQ(frame[5], kUntouched);
    EXPECT_EQ(frame[6], kUntouched);
    EXPECT_EQ(frame[7], Entry({5, 5, 5}, 255));
    EXPECT_EQ(state.leds[2].blinkPeriodMs, 1400u);
    EXPECT_EQ(state.leds[3].cycleLimit, 7);
}

TEST_F(PassFixture, LaterRunsStepBreathingBlinkAndCycle) {
    RunLedPasses(frame, records, state, 2000, true);
    RunLedPasses(frame, records, state, 2100, false);
    EXPECT_EQ(frame[0], Entry({10, 20, 30}, 13));  // step 12: curve 14
    EXPECT_EQ(frame[2], Entry({255, 65, 0}, 195));  // 100 ms: still on
    RunLedPasses(frame, records, state, 3400, false);
    EXPECT_EQ(frame[2], (LedEntry{0, 0, 0, 0}));
    EXPECT_EQ(state.leds[2].colour, 28);
    for (int i = 0; i < 3; ++i) RunLedPasses(frame, records, state, 3400, false);
    EXPECT_EQ(state.leds[3].counter, 6);
    RunLedPasses(frame, records, state, 3400, false);  // 7th pass: next wheel colour
    EXPECT_EQ(frame[3], Entry({255, 3, 0}, 30));
    EXPECT_EQ(state.leds[3].counter, 0);
}

TEST_F(PassFixture, BreathingColourIndexStopsAt191And192) {
    records[0].multiColor = 1;
    RunLedPasses(frame, records, state, 0, true);
    state.leds[0].step = 126;  // + 6 reaches 128: next breath
    state.leds[0].colour = 192;
    RunLedPasses(frame, records, state, 0, false);
    EXPECT_EQ(state.leds[0].colour, 191);
    EXPECT_EQ(frame[0], Entry({255, 0, 0}, 0));  // wheel[191], curve[0]
    state.leds[0].step = 126;
    RunLedPasses(frame, records, state, 0, false);
    EXPECT_EQ(state.leds[0].colour, 192);
}

TEST_F(PassFixture, BlinkColourWrapsAfter191) {
    RunLedPasses(frame, records, state, 0, true);
    state.leds[2].colour = 182;
    RunLedPasses(frame, records, state, 1400, false);
    EXPECT_EQ(state.leds[2].colour, 0);
}

TEST_F(PassFixture, ResetZeroesOnlyTheLedsAPassHandles) {
    state.leds[5].step = 77;  // record not present
    state.leds[6].step = 55;  // mode no pass handles
    state.leds[0].step = 100;
    RunLedPasses(frame, records, state, 0, true);
    EXPECT_EQ(state.leds[5].step, 77);
    EXPECT_EQ(state.leds[6].step, 55);
    EXPECT_EQ(state.leds[0].step, 6);
}

TEST(LedPasses, StateIsPerDevice) {
    std::vector<LightRecord> records = {Record(kLedCycle, 4, 4, 1, 0)};
    LedFrame a(1), b(1);
    EffectState first, second;
    RunLedPasses(a, records, first, 0, true);
    for (int i = 0; i < 10; ++i) RunLedPasses(a, records, first, 0, false);
    RunLedPasses(b, records, second, 0, true);
    EXPECT_EQ(second.leds[0].counter, 1);
    EXPECT_EQ(first.leds[0].colour, 1);
    EXPECT_EQ(second.leds[0].colour, 0);
}
