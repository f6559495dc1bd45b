#include "devices/DeviceTables.h"

#include <gtest/gtest.h>

using namespace devices;

namespace {

// The identity discovery builds from a path, before the interface is opened.
DeviceSlot PathIdentity(uint16_t vid, uint16_t pid, uint16_t mi, uint16_t col, std::string path = "p") {
    DeviceSlot s;
    s.vendorId = vid;
    s.productId = pid;
    s.interfaceNumber = mi;
    s.collectionNumber = col;
    s.path = std::move(path);
    return s;
}

// After open: usage page and usage from the interface's capabilities.
DeviceSlot Opened(DeviceSlot s, uint16_t page, uint16_t usage) {
    s.usagePage = page;
    s.usage = usage;
    return s;
}

} // namespace

TEST(DeviceTables, RowsAndLookupsFollowTheTables) {
    EXPECT_EQ(FindSlotRow(kKindMouse, kChannelCommand, 0x0C45, 0x7643), 2);
    EXPECT_EQ(FindSlotRow(kKindMouse, kChannelSync, 0x0C45, 0x7643), 3);
    EXPECT_EQ(FindSlotRow(kKindHeadset, kChannelCommand, 0x0D8C, 0x01DA), 6);
    EXPECT_EQ(FindSlotRow(kKindHeadset, kChannelSync, 0x0D8C, 0x01DA), -1);  // no sync row for the headset
    EXPECT_EQ(FindSlotRow(kKindKeyboard, kChannelCommand, 0xFFFF, 0xFFFF), 0);

    EXPECT_EQ(FindOptionRow(0x0C45, 0x7643, kKindMouse, kChannelCommand), 0);
    EXPECT_EQ(FindOptionRow(0xFFFF, 0xFFFF, kKindKeyboard, kChannelCommand), 1);
    EXPECT_EQ(FindOptionRow(0x0C45, 0x6627, kKindMousePad, kChannelCommand), 2);
    EXPECT_EQ(FindOptionRow(0x0D8C, 0x01DA, kKindHeadset, kChannelCommand), 3);
    EXPECT_EQ(FindOptionRow(0x0C45, 0x7643, kKindMouse, kChannelSync), -1);
    EXPECT_EQ(DeviceOptionTable[0].familyIndex, 1);
    EXPECT_EQ(DeviceOptionTable[1].familyIndex, 0);
    EXPECT_EQ(DeviceFamilyTable[DeviceOptionTable[0].familyIndex - 1].lightCount, 19);

    auto slots = MakeSlotList();
    ASSERT_EQ(slots.size(), 7u);
    EXPECT_TRUE(AnySlotFree(slots));
    for (const auto& s : slots) EXPECT_TRUE(s.path.empty());
}

TEST(DeviceTables, MouseCommandInterfaceClaimsItsSlotInTwoStages) {
    auto slots = MakeSlotList();
    auto id = PathIdentity(0x0C45, 0x7643, 1, 4, "\\\\?\\hid#vid_0c45&pid_7643&mi_01&col04#x");
    ASSERT_TRUE(MatchPathIdentity(id, slots));
    auto opened = Opened(id, 0xFF1C, 0x92);
    int slot = -1;
    ASSERT_TRUE(MatchOpenedIdentity(opened, slots, slot));
    EXPECT_EQ(slot, 2);
    EXPECT_EQ(opened.kind, kKindMouse);
    EXPECT_EQ(opened.channel, kChannelCommand);
    EXPECT_EQ(slots[2].connected, 1);
    EXPECT_EQ(slots[2].path, id.path);

    // The sync collection of the same mouse goes to row 3 with channel 255.
    auto sync = Opened(PathIdentity(0x0C45, 0x7643, 1, 3, "sync"), 0x000C, 0x01);
    ASSERT_TRUE(MatchPathIdentity(sync, slots));
    ASSERT_TRUE(MatchOpenedIdentity(sync, slots, slot));
    EXPECT_EQ(slot, 3);
    EXPECT_EQ(sync.channel, kChannelSync);
}

TEST(DeviceTables, WrongUsagePagePassesStageOneButLeavesTheSlotFree) {
    auto slots = MakeSlotList();
    auto id = PathIdentity(0x0C45, 0x7643, 1, 4);
    ASSERT_TRUE(MatchPathIdentity(id, slots));
    auto opened = Opened(id, 0xFF00, 0x92);
    int slot = 99;
    EXPECT_FALSE(MatchOpenedIdentity(opened, slots, slot));
    EXPECT_EQ(slot, -1);
    EXPECT_EQ(slots[2].connected, 0);
    EXPECT_TRUE(slots[2].path.empty());
    EXPECT_EQ(opened.kind, 0);  // nothing copied on a failed match
}

TEST(DeviceTables, SecondIdenticalMouseIsIgnoredWhileTheFirstIsConnected) {
    auto slots = MakeSlotList();
    int slot = -1;
    for (uint16_t col : {4, 3}) {
        auto first = Opened(PathIdentity(0x0C45, 0x7643, 1, col, "first" + std::to_string(col)),
                            col == 4 ? 0xFF1C : 0x000C, col == 4 ? 0x92 : 0x01);
        ASSERT_TRUE(MatchOpenedIdentity(first, slots, slot));
    }
    for (uint16_t col : {4, 3}) {
        auto second = Opened(PathIdentity(0x0C45, 0x7643, 1, col, "second"), col == 4 ? 0xFF1C : 0x000C,
                             col == 4 ? 0x92 : 0x01);
        EXPECT_FALSE(MatchPathIdentity(second, slots)) << col;
        EXPECT_FALSE(MatchOpenedIdentity(second, slots, slot)) << col;
    }
    EXPECT_EQ(slots[2].path, "first4");
    EXPECT_EQ(slots[3].path, "first3");

    // Once the first mouse is gone its slots take the second one.
    slots[2].connected = 0;
    slots[2].path.clear();
    auto again = Opened(PathIdentity(0x0C45, 0x7643, 1, 4, "second"), 0xFF1C, 0x92);
    ASSERT_TRUE(MatchOpenedIdentity(again, slots, slot));
    EXPECT_EQ(slot, 2);
}

TEST(DeviceTables, PathWithoutCollectionMatchesOnlyTheHeadsetRow) {
    auto slots = MakeSlotList();
    struct Case {
        uint16_t vid, pid, mi;
        bool match;
    } cases[] = {
        {0x0D8C, 0x01DA, 3, true},
        {0x0D8C, 0x01DA, 1, false},
        {0x0C45, 0x7643, 1, false},
        {0x0C45, 0x6627, 1, false},
        {0xFFFF, 0xFFFF, 1, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MatchPathIdentity(PathIdentity(c.vid, c.pid, c.mi, 0), slots), c.match)
            << std::hex << c.vid << ":" << c.pid << " mi " << c.mi;

    auto hs = Opened(PathIdentity(0x0D8C, 0x01DA, 3, 0, "hs"), 0x000C, 0x01);
    int slot = -1;
    ASSERT_TRUE(MatchOpenedIdentity(hs, slots, slot));
    EXPECT_EQ(slot, 6);
    EXPECT_EQ(hs.kind, kKindHeadset);
}

TEST(DeviceTables, KeyboardRowsNeverMatchARealVendorId) {
    auto slots = MakeSlotList();
    int slot = -1;
    // Any real vendor with the keyboard's interface, collections and usages.
    for (uint16_t vid : {0x0C45, 0x046D, 0x1234, 0xFFFE}) {
        for (uint16_t col : {4, 3}) {
            auto id = Opened(PathIdentity(vid, 0xFFFF, 1, col, "kb"), col == 4 ? 0xFF1C : 0x000C,
                             col == 4 ? 0x92 : 0x01);
            EXPECT_FALSE(MatchPathIdentity(id, slots));
            EXPECT_FALSE(MatchOpenedIdentity(id, slots, slot));
        }
    }
    EXPECT_EQ(slots[0].connected, 0);
    EXPECT_EQ(slots[1].connected, 0);
}

TEST(DeviceTables, AnySlotFreeIsFalseOnlyWhenEverySlotIsTaken) {
    auto slots = MakeSlotList();
    for (size_t i = 0; i + 1 < slots.size(); ++i) slots[i].connected = 1;
    EXPECT_TRUE(AnySlotFree(slots));
    slots.back().path = "left behind";  // a path alone marks the slot taken
    EXPECT_FALSE(AnySlotFree(slots));
}
