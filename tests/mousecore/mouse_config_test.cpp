// The mouse's pure core: configuration block, read-back, DPI conversions,
// stage helpers, key slots and the macro-key check.
#include "devices/mouse/MouseConfig.h"
#include "devices/mouse/MouseKeys.h"

#include <gtest/gtest.h>

#include <vector>

using namespace devices::mouse;
using profiles::DpiStage;
using profiles::KeyAssignment;
using profiles::KeyHalf;
using Bytes = std::vector<uint8_t>;

namespace {

MouseConfigValues SampleValues() {
    MouseConfigValues v;
    // High bytes set on purpose: only the low byte of "StageDPIX" is the index.
    for (uint16_t idx : {4, 8, 18, 28, 38, 48}) v.stages.push_back({1, 0, uint16_t(0x0100 | idx), idx, 1, 2, 3});
    v.activeStage = 2;
    v.system.system3 = (3u << 16) | 5u;  // report rate 3, wheel lines 5
    v.light = {1, 3, 1, 1, 1, 10, 20, 30, 0, 0, 0};
    return v;
}

Bytes MouseKeyMap() {
    // Slots as the emulated mouse has them: the two side buttons in the opposite order.
    return {0x10, 0x01, 0, 0x10, 0x02, 0, 0x10, 0x04, 0, 0x10, 0x08, 0, 0x10, 0x10, 0, 0x13, 0x03, 0};
}

KeyAssignment Key(uint16_t i, uint8_t b2, uint8_t b1, uint8_t b0, uint8_t d2 = 0x10, uint8_t d1 = 1, uint8_t d0 = 0) {
    return {{i, b2, b1, b0}, {i, d2, d1, d0}};
}

} // namespace

TEST(MouseBlock, WiredBlockLayout) {
    const ConfigBlock b = BuildMouseConfigBlock(SampleValues(), 0, 1920, false);
    ConfigBlock expected{};
    expected[1] = 1;                    // effect
    expected[2] = 3;                    // brightness
    expected[3] = 3;                    // 4 - speed
    expected[4] = 1;                    // direction
    expected[5] = 1;                    // multi-colour
    expected[6] = 10, expected[7] = 20, expected[8] = 30;
    expected[14] = 3;                   // report rate
    expected[15] = 4, expected[16] = 8, expected[17] = 18, expected[18] = 28;
    expected[19] = 2;                   // active stage between stages 3 and 4
    expected[20] = 38, expected[21] = 48;
    expected[22] = 7;                   // 1920 >> 8
    EXPECT_EQ(b, expected);
}

TEST(MouseBlock, LightingRules) {
    struct Case {
        uint8_t mode, multi, speed;
        bool wireless;
        uint8_t b1, b3, b5;
    } cases[] = {
        {5, 1, 1, false, 5, 3, 0},    // ripple goes out without multi-colour
        {9, 1, 1, false, 0, 3, 1},    // a sequence number is not an effect of the device
        {200, 0, 2, false, 0, 2, 0},
        {4, 1, 0, false, 4, 4, 1},
        {2, 1, 1, true, 2, 1, 1},     // receiver: speed itself
        {5, 1, 4, true, 5, 4, 0},
    };
    for (const auto& c : cases) {
        MouseConfigValues v = SampleValues();
        v.light.mode = c.mode;
        v.light.multiColor = c.multi;
        v.light.speed = c.speed;
        const ConfigBlock b = BuildMouseConfigBlock(v, 0, 1920, c.wireless);
        EXPECT_EQ(b[1], c.b1) << int(c.mode);
        EXPECT_EQ(b[3], c.b3) << int(c.mode);
        EXPECT_EQ(b[5], c.b5) << int(c.mode);
    }
}

TEST(MouseBlock, ScreenWidthAndMissingStages) {
    for (auto [width, high] : {std::pair{1920, 7}, {2560, 10}, {3840, 15}, {255, 0}, {256, 1}})
        EXPECT_EQ(BuildMouseConfigBlock(SampleValues(), 0, width, false)[22], high) << width;

    MouseConfigValues v = SampleValues();
    v.stages.resize(2);
    const ConfigBlock b = BuildMouseConfigBlock(v, 1, 1920, false);
    EXPECT_EQ(b[0], 1);
    EXPECT_EQ((Bytes{b[15], b[16], b[17], b[18], b[20], b[21]}), (Bytes{4, 8, 0, 0, 0, 0}));
}

TEST(MouseReadBack, RoundTripKeepsDirectionAndMemoryBytes) {
    const MouseConfigValues v = SampleValues();
    const ConfigBlock b = BuildMouseConfigBlock(v, 0, 1920, false);
    const MouseReadBack r = ParseMouseConfigBlock(b.data(), kBlockReadLength);
    EXPECT_EQ(r.effect, 1);
    EXPECT_EQ(r.brightness, 3);
    EXPECT_EQ(r.speed, 1);
    EXPECT_EQ(r.multiColour, 1);
    EXPECT_EQ((Bytes{r.red, r.green, r.blue}), (Bytes{10, 20, 30}));
    EXPECT_EQ(r.activeStage, 2);

    profiles::LightSetting current{7, 0, 0, 0, 0, 0, 0, 0, 9, 8, 1};
    current.direction = 1;
    const profiles::LightSetting merged = MergeReadBack(current, r);
    EXPECT_EQ(merged, (profiles::LightSetting{1, 3, 1, 1, 1, 10, 20, 30, 9, 8, 1}));
}

TEST(MouseReadBack, DeviceBytesAreClampedOnlyWhereTheyIndexATable) {
    Bytes block(kBlockReadLength, 0);
    block[2] = 200;  // brightness level far outside 0..4
    block[3] = 5;    // gives speed 4 - 5 = 255
    block[19] = 9;   // no such stage
    const MouseReadBack r = ParseMouseConfigBlock(block.data(), block.size());
    EXPECT_EQ(r.speed, 255);  // kept as read ...
    EXPECT_EQ(r.brightness, 200);
    EXPECT_EQ(ClampLevel(r.speed), 4);  // ... and bounded for the table lookups
    EXPECT_EQ(ClampLevel(r.brightness), 4);
    EXPECT_EQ(ClampStage(r.activeStage), 0);
    EXPECT_EQ(ClampStage(5), 5);
    EXPECT_EQ(ClampReportRate(7), 0);
    EXPECT_EQ(ClampReportRate(4), 4);

    // A short read is not read past.
    const MouseReadBack shortRead = ParseMouseConfigBlock(block.data(), 3);
    EXPECT_EQ(shortRead.activeStage, 0);
}

TEST(MouseDpi, TypedValueToIndexUsesFixedSteps) {
    struct Case {
        int typed;
        uint16_t minDpi;
        int index;
    } cases[] = {
        {150, 200, 0}, {200, 200, 0}, {299, 200, 0}, {300, 200, 1}, {5000, 200, 48}, {5100, 200, 48},
        {5200, 200, 49}, {5400, 200, 50}, {150, 400, 2}, {-20, 0, 0}, {100000, 200, 255},
    };
    for (const auto& c : cases) EXPECT_EQ(IndexForTypedDpi(c.typed, c.minDpi), c.index) << c.typed;
}

TEST(MouseDpi, ShownValueUsesTheDeviceStep) {
    EXPECT_EQ(DpiForIndex(0, 100), 200);
    EXPECT_EQ(DpiForIndex(48, 100), 5000);
    EXPECT_EQ(DpiForIndex(10, 50), 700);
    EXPECT_EQ(DpiForIndex(49, 50), 5200);  // above the slider the step is fixed
    EXPECT_EQ(DpiForIndex(50, 100), 5400);
    // With the firmware's usual step of 100 the two conversions agree.
    for (int i = 0; i <= 50; ++i) EXPECT_EQ(IndexForTypedDpi(DpiForIndex(i, 100), 200), i) << i;
}

TEST(MouseStages, OneStageStaysOnAndStageNumbersAreChecked) {
    std::vector<DpiStage> stages(6);
    stages[1].active = 1;
    EXPECT_FALSE(SetStageEnabled(stages, 1, false));  // the last one on
    EXPECT_TRUE(IsStageEnabled(stages, 1));
    EXPECT_TRUE(SetStageEnabled(stages, 4, true));
    EXPECT_TRUE(SetStageEnabled(stages, 1, false));
    EXPECT_EQ(EnabledStageCount(stages), 1);

    for (int bad : {-1, 6, 7}) {
        EXPECT_FALSE(SetStageEnabled(stages, bad, true)) << bad;
        EXPECT_FALSE(SetStageDpi(stages, bad, 10)) << bad;
        EXPECT_EQ(GetStageDpi(stages, bad), 0) << bad;
    }
    EXPECT_EQ(stages.size(), 6u);

    std::vector<DpiStage> few(2);
    few[0].dpiX = 0x0105;
    EXPECT_TRUE(SetStageDpi(few, 0, 30));
    EXPECT_EQ(few[0].dpiX, 0x011E);  // high byte kept
    EXPECT_TRUE(SetStageDpi(few, 5, 12));
    EXPECT_EQ(few.size(), 6u);
    EXPECT_EQ(GetStageDpiEdit(few, 5, 100), 1400);

    profiles::SystemWords w{0, 0, 0x00000005};
    SetReportRate(w, 2);
    EXPECT_EQ(w.system3, 0x00020005u);
    EXPECT_EQ(GetReportRate(w), 2);
}

TEST(MouseKeys, SlotsAreFoundByDefaultCode) {
    Bytes map = MouseKeyMap();
    KeyIndexMap m = BuildKeyIndexMap(map.data(), map.size(), 6);
    EXPECT_EQ(m, (KeyIndexMap{{0, 0}, {1, 1}, {2, 2}, {3, 4}, {4, 3}, {5, 5},
                              {6, kNoSlot}, {7, kNoSlot}, {8, kNoSlot}, {9, kNoSlot}}));

    map[6] = 0x70;  // slot 2 holds a macro now: key 2 has no slot
    m = BuildKeyIndexMap(map.data(), map.size(), 6);
    EXPECT_EQ(m[2], kNoSlot);
    // Only keyCount slots are searched.
    m = BuildKeyIndexMap(map.data(), map.size(), 3);
    EXPECT_EQ(m[5], kNoSlot);
    EXPECT_EQ(m[1], 1);
}

TEST(MouseKeys, ImageOverlaysMappedKeysOnly) {
    const Bytes mirror = MouseKeyMap();
    KeyIndexMap m = BuildKeyIndexMap(mirror.data(), mirror.size(), 6);
    m[2] = kNoSlot;
    m[0] = 40;  // a slot past the image is never written
    std::vector<KeyAssignment> list;
    for (uint16_t j = 0; j < 6; ++j) list.push_back(Key(j, 0x20, 0, uint8_t(4 + j)));
    const Bytes image = BuildKeyMapImage(mirror.data(), mirror.size(), 18, m, list);
    const Bytes expected{0x10, 0x01, 0, 0x20, 0, 5, 0x10, 0x04, 0, 0x20, 0, 8, 0x20, 0, 7, 0x20, 0, 9};
    EXPECT_EQ(image, expected);
}

TEST(MouseKeys, MacroKeysBeyondTheListGetTheirDefault) {
    std::vector<KeyAssignment> keys{
        Key(0, 0x70, 0, 0),  // macro 0 of 2: kept
        Key(1, 0x71, 1, 0),  // macro 1 of 2: kept
        Key(2, 0x70, 2, 0),  // macro 2 of 2: reset
        Key(3, 0x71, 9, 3),  // reset
        Key(4, 0x20, 9, 9),  // not a macro
    };
    ASSERT_TRUE(ValidateMacroKeys(keys, 2));
    EXPECT_EQ(keys[0].current, (KeyHalf{0, 0x70, 0, 0}));
    EXPECT_EQ(keys[1].current, (KeyHalf{1, 0x71, 1, 0}));
    EXPECT_EQ(keys[2].current, (KeyHalf{2, 0x10, 1, 0}));
    EXPECT_EQ(keys[3].current, (KeyHalf{3, 0x10, 1, 0}));
    EXPECT_EQ(keys[4].current, (KeyHalf{4, 0x20, 9, 9}));
    EXPECT_FALSE(ValidateMacroKeys(keys, 2));  // nothing left to change

    std::vector<KeyAssignment> none{Key(0, 0x70, 0, 0)};
    EXPECT_TRUE(ValidateMacroKeys(none, 0));  // an empty macro list resets every macro key
}
