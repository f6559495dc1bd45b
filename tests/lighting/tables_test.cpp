// Table contents checked against entries worked out by hand from the table definitions.
#include "devices/lighting/LightEffects.h"
#include "devices/lighting/LightTables.h"

#include <gtest/gtest.h>

using namespace lighting;

TEST(LightTables, BreathingCurveRisesThenFalls) {
    EXPECT_EQ(kBreathingCurve[0], 0);
    EXPECT_EQ(kBreathingCurve[10], 10);
    EXPECT_EQ(kBreathingCurve[11], 12);
    EXPECT_EQ(kBreathingCurve[41], 119);
    EXPECT_EQ(kBreathingCurve[63], 255);
    EXPECT_EQ(kBreathingCurve[64], 255);
    EXPECT_EQ(kBreathingCurve[100], 57);  // mirror of entry 27
    EXPECT_EQ(kBreathingCurve[127], 0);
}

TEST(LightTables, ShortCurveIsTheUpperPartOfTheRise) {
    EXPECT_EQ(kShortCurve[0], 22);
    EXPECT_EQ(kShortCurve[2], 27);
    EXPECT_EQ(kShortCurve[10], 53);
    EXPECT_EQ(kShortCurve[47], 255);
    EXPECT_EQ(kShortCurve[48], 255);
    EXPECT_EQ(kShortCurve[60], 176);
    EXPECT_EQ(kShortCurve[95], 22);
}

TEST(LightTables, ColourWheelSegmentsAndRepeatedTail) {
    struct Case { int index; Rgb colour; };
    const Case cases[] = {
        {0, {255, 1, 0}},   {10, {255, 38, 0}},  {31, {255, 255, 0}}, {32, {248, 255, 0}},
        {40, {146, 255, 0}}, {63, {0, 255, 0}},  {64, {0, 255, 1}},   {96, {0, 248, 255}},
        {100, {0, 194, 255}}, {128, {1, 0, 255}}, {150, {140, 0, 255}}, {160, {255, 0, 248}},
        {170, {255, 0, 124}}, {191, {255, 0, 0}}, {192, {255, 1, 0}},  {255, {0, 255, 0}},
    };
    for (const Case& c : cases) EXPECT_EQ(kColourWheel[c.index], c.colour) << "index " << c.index;
}

TEST(LightTables, OutOfRangeSpeedAndBrightnessReadTheTopEntry) {
    EXPECT_EQ(BrightnessOf(0), 30);
    EXPECT_EQ(BrightnessOf(4), 255);
    EXPECT_EQ(BrightnessOf(5), 255);
    EXPECT_EQ(BrightnessOf(255), 255);
    EXPECT_EQ(StepPeriod(0), 28);
    EXPECT_EQ(StepPeriod(4), 7);
    EXPECT_EQ(StepPeriod(5), 0);   // speeds 5..14 step on every pass
    EXPECT_EQ(StepPeriod(14), 0);
    EXPECT_EQ(StepPeriod(15), 7);  // past the row: clamped to speed 4
    EXPECT_EQ(StepPeriod(255), 7); // speed 4 - 5 read back from a device
    EXPECT_EQ(BlinkPeriodMs(4), 1400u);
}

TEST(Advance, ForwardAndBackwardWithWrap) {
    struct Case { uint8_t dir, limit, value, inc, expected; };
    const Case cases[] = {
        {1, 192, 0, 1, 1},   {1, 192, 191, 1, 0}, {1, 128, 127, 1, 0}, {1, 96, 95, 3, 0},
        {1, 192, 250, 1, 0}, {1, 128, 255, 1, 0},
        {0, 192, 0, 1, 191}, {0, 192, 5, 1, 4},   {0, 128, 0, 1, 127}, {0, 96, 1, 3, 93},
        {0, 96, 3, 3, 0},    {0, 96, 4, 3, 1},    {0, 192, 200, 1, 191},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Advance(c.dir, c.limit, c.value, c.inc), c.expected)
            << int(c.dir) << "/" << int(c.limit) << "/" << int(c.value) << "/" << int(c.inc);
}
