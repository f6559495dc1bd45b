// Value rules for the desktop settings a mouse or keyboard profile carries,
// and what reaches a back-end through ApplySetting.
#include "platform/SystemSettings.h"
#include "platform/system_settings/RecordingSystemSettings.h"

#include <gtest/gtest.h>

using namespace platform;
using S = SystemSetting;

TEST(SystemSettingRules, PointerSpeedIsSliderTimesTwoPlusTwoWithinOneToTwenty) {
    const std::pair<int, int> cases[] = {{0, 2}, {1, 4}, {4, 10}, {9, 20}, {10, 20}, {-1, 1}, {-5, 1}};
    for (auto [slider, speed] : cases) EXPECT_EQ(PointerSpeedFromSlider(slider), speed) << slider;
}

TEST(SystemSettingRules, WheelDoubleClickDelayAndRate) {
    EXPECT_EQ(WheelLinesFromSlider(0, false), 1u);
    EXPECT_EQ(WheelLinesFromSlider(2, false), 3u);
    EXPECT_EQ(WheelLinesFromSlider(2, true), 0xFFFFFFFFu);  // page scrolling, not 255 lines

    const std::tuple<int, int, int> clicks[] = {{10, 0, 1100}, {10, 10, 100}, {10, 5, 600}, {4, 4, 100}};
    for (auto [max, v, ms] : clicks) EXPECT_EQ(DoubleClickMsFromSlider(max, v), ms) << max << "/" << v;

    EXPECT_EQ(KeyboardDelayMs(0), 250);
    EXPECT_EQ(KeyboardDelayMs(2), 750);
    EXPECT_EQ(KeyboardDelayMs(3), 1000);
    EXPECT_EQ(KeyboardRepeatIntervalMs(0), 400);   // 2.5 repeats a second
    EXPECT_EQ(KeyboardRepeatIntervalMs(31), 33);   // 30 repeats a second
    EXPECT_LT(KeyboardRepeatIntervalMs(20), KeyboardRepeatIntervalMs(10));

    EXPECT_TRUE(IsPointerPrecisionValue(0));
    EXPECT_TRUE(IsPointerPrecisionValue(1));
    EXPECT_FALSE(IsPointerPrecisionValue(2));
    EXPECT_FALSE(IsPointerPrecisionValue(-1));
}

TEST(ApplySetting, BackendReceivesWhatTheRulesGive) {
    RecordingSystemSettings rec;
    EXPECT_TRUE(ApplySetting(rec, S::PointerSpeed, PointerSpeedFromSlider(3)));
    EXPECT_TRUE(ApplySetting(rec, S::PointerSpeed, 25));  // limited to 20
    EXPECT_TRUE(ApplySetting(rec, S::PointerPrecision, 1));
    EXPECT_FALSE(ApplySetting(rec, S::PointerPrecision, 2));  // only 0 or 1 are applied
    EXPECT_TRUE(ApplySetting(rec, S::WheelScrollLines, WheelLinesFromSlider(4, false)));
    EXPECT_TRUE(ApplySetting(rec, S::WheelScrollLines, WheelLinesFromSlider(4, true)));
    EXPECT_TRUE(ApplySetting(rec, S::DoubleClickTime, DoubleClickMsFromSlider(10, 6)));
    EXPECT_TRUE(ApplySetting(rec, S::KeyboardDelay, 2));
    EXPECT_FALSE(ApplySetting(rec, S::KeyboardDelay, 4));
    EXPECT_TRUE(ApplySetting(rec, S::KeyboardSpeed, 40));  // limited to 31

    using R = RecordingSystemSettings;
    const std::vector<R::Call> expected = {
        R::Expect(S::PointerSpeed, 8),       R::Expect(S::PointerSpeed, 20),
        R::Expect(S::PointerPrecision, 1),   R::Expect(S::WheelScrollLines, 5),
        R::Expect(S::WheelScrollLines, 0xFFFFFFFFll), R::Expect(S::DoubleClickTime, 500),
        R::Expect(S::KeyboardDelay, 2),      R::Expect(S::KeyboardSpeed, 31),
    };
    EXPECT_EQ(rec.Calls(), expected);
    EXPECT_EQ(rec.Calls()[0].spiId, 113);
    EXPECT_EQ(rec.Calls()[2].spiId, 4);
    EXPECT_EQ(rec.Calls()[3].spiId, 105);
    EXPECT_EQ(rec.Calls()[5].spiId, 32);
    EXPECT_EQ(rec.Calls()[6].spiId, 23);
    EXPECT_EQ(rec.Calls()[7].spiId, 11);
}
