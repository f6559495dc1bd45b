#include "devices/MacroImage.h"

#include <gtest/gtest.h>

using namespace devices;

TEST(MacroImage, TwoMacrosOfThreeAndFiveEventsGiveTheExactImage) {
    const MacroImageMacro a = {
        {true, 1, 0x04, 10},  // key A down
        {false, 1, 0x04, 20},
        {true, 2, 0x01, 300},
    };
    const MacroImageMacro b = {
        {true, 2, 0x01, 0}, {false, 2, 0x01, 5}, {true, 4, 0xFB, 5}, {false, 4, 0xFB, 5}, {true, 5, 0x03, 1000},
    };
    const auto image = BuildMacroImage({a, b});
    ASSERT_EQ(image.size(), 60u);
    EXPECT_EQ(MacroImageLength({3, 5}), 60u);

    const std::vector<uint8_t> expected = {
        0xAA, 0x55, 60, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  // header
        20, 0, 36, 0,                                           // offsets
        3, 0, 0, 0,                                             // macro 0
        10, 0, 0x81, 0x04,  20, 0, 0x01, 0x04,  0x2C, 0x01, 0x82, 0x01,
        5, 0, 0, 0,                                             // macro 1
        0, 0, 0x82, 0x01,  5, 0, 0x02, 0x01,  5, 0, 0x84, 0xFB,  5, 0, 0x04, 0xFB,  0xE8, 0x03, 0x85, 0x03,
    };
    EXPECT_EQ(image, expected);
}

TEST(MacroImage, DelayIsClampedAndTypeKeepsBitsZeroToSix) {
    const auto image = BuildMacroImage({{{true, 0xFF, 7, 70000}, {false, 0x85, 7, -5}}});
    ASSERT_EQ(image.size(), 16u + 2 + 4 + 8);
    // 70000 would wrap to 4464 in a u16; it is stored as 65535.
    EXPECT_EQ(image[22], 0xFF);
    EXPECT_EQ(image[23], 0xFF);
    // Type 0xFF must not clear the down bit, type 0x85 must not set it.
    EXPECT_EQ(image[24], 0xFF);
    EXPECT_EQ(image[26], 0);
    EXPECT_EQ(image[27], 0);
    EXPECT_EQ(image[28], 0x05);
}

TEST(MacroImage, DelayTextReadsAsDecimal) {
    struct Case {
        const char* text;
        uint16_t value;
    } cases[] = {
        {"0", 0},       {"120", 120},    {" 42ms", 42},  {"+7", 7},
        {"-3", 0},      {"65535", 65535}, {"65536", 65535}, {"99999999999999999999", 65535},
        {"abc", 0},     {"", 0},
    };
    for (const auto& c : cases) EXPECT_EQ(MacroDelayFromText(c.text), c.value) << c.text;
}

TEST(MacroImage, FitRuleGivesTheEventsToRemove) {
    EXPECT_EQ(MacroEventsToRemove(60, 60), 0u);
    EXPECT_EQ(MacroEventsToRemove(61, 60), 1u);   // excess 1
    EXPECT_EQ(MacroEventsToRemove(64, 60), 2u);   // excess 4
    EXPECT_EQ(MacroEventsToRemove(4096 + 400, MacroCapacityFromInfo(0x20)), 101u);
    EXPECT_EQ(MacroCapacityFromInfo(0), 0u);
}

TEST(MacroImage, EmptyListAndOversizedImages) {
    const auto empty = BuildMacroImage({});
    ASSERT_EQ(empty.size(), 16u);
    EXPECT_EQ(empty[0], 0xAA);
    EXPECT_EQ(empty[2], 16);
    // Too large for the u16 length field: refused rather than written with a wrapped length.
    EXPECT_TRUE(BuildMacroImage({MacroImageMacro(16380, MacroImageEvent{})}).empty());
    EXPECT_EQ(BuildMacroImage({MacroImageMacro(16378, MacroImageEvent{})}).size(), 16u + 6 + 4 * 16378);
}
