// The real CHidChannel commands against the emulated devices on the virtual bus.
#include "devices/DeviceTables.h"
#include "devices/MacroImage.h"
#include "emulator/Models.h"
#include "emulator/VirtualHidBus.h"
#include "hid/HidChannel.h"
#include "hid/HidDevice.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>

using namespace emu;
using Bytes = std::vector<uint8_t>;

namespace {

class ChannelTest : public ::testing::Test {
protected:
    void SetUp() override {
        bus = std::make_shared<VirtualHidBus>();
        all = bus->PlugAllFour();
        hid::SetBackend(bus);
    }
    void TearDown() override { hid::SetBackend(nullptr); }

    // Opens a channel the way a device object does.
    bool Open(CHidChannel& ch, const DeviceModel& m, int collection) {
        if (!ch.hid.OpenHidDevice(bus->PathOf(m, collection), true, true, true, false)) return false;
        ch.opened = true;
        return true;
    }

    std::shared_ptr<VirtualHidBus> bus;
    VirtualHidBus::AllFour all;
};

} // namespace

TEST_F(ChannelTest, DescriptorsGiveTheCapsTheTableExpects) {
    // Every path the bus lists: the parsed caps of the opened collection match what the
    // model says it carries, and the command/sync collections pass the two-stage match.
    CHidDevice dev;
    ASSERT_TRUE(dev.EnumerateHidPaths());
    EXPECT_EQ(dev.pathCount, 13);
    auto slots = devices::MakeSlotList();
    int matched = 0;
    while (const std::string* path = dev.NextHidPath()) {
        devices::DeviceSlot id = devices::IdentityFromPath(*path);
        if (!devices::MatchPathIdentity(id, slots)) continue;
        CHidDevice probe;
        ASSERT_TRUE(probe.OpenHidDevice(*path, true, false, true, false)) << *path;
        id.vendorId = probe.attributes.vendorId;
        id.productId = probe.attributes.productId;
        id.usagePage = probe.caps.UsagePage;
        id.usage = probe.caps.Usage;
        int slot = -1;
        EXPECT_TRUE(devices::MatchOpenedIdentity(id, slots, slot)) << *path;
        if (id.channel == devices::kChannelCommand) {
            EXPECT_EQ(probe.caps.InputReportByteLength, 64) << *path;
            EXPECT_EQ(probe.caps.OutputReportByteLength, 64) << *path;
        } else {
            EXPECT_EQ(probe.caps.InputReportByteLength, kSyncReportLength) << *path;
        }
        ++matched;
    }
    EXPECT_EQ(matched, 7);
    EXPECT_FALSE(devices::AnySlotFree(slots));
}

TEST_F(ChannelTest, SyncReportUnpacksToItsUsage) {
    CHidChannel sync;
    ASSERT_TRUE(Open(sync, *all.keyboard, all.keyboard->SyncCollection()));
    struct Case {
        void (*inject)(DeviceModel&);
        uint16_t usage;
    } cases[] = {
        {[](DeviceModel& m) { m.InjectProfileSwitch(1); }, 0x0401},
        {[](DeviceModel& m) { m.InjectSyncUsage(0x0404); }, 0x0404},
        {[](DeviceModel& m) { m.InjectKeyPress(42); }, 0x052A},
        {[](DeviceModel& m) { m.InjectKeyRelease(125); }, 0x067D},
    };
    for (const auto& c : cases) {
        c.inject(*all.keyboard);
        std::vector<uint8_t> report(sync.hid.caps.InputReportByteLength);
        size_t n = 0;
        ASSERT_TRUE(sync.hid.ReadHidReport(report.data(), report.size(), 500, n));
        ASSERT_TRUE(sync.hid.UnpackInputReport(sync.hid.inputEntries, report.data(), n));
        ASSERT_FALSE(sync.hid.inputEntries.empty());
        const auto& e = sync.hid.inputEntries[0];
        const uint16_t first = e.isButton ? (e.usages.empty() ? 0 : e.usages[0]) : e.usage;
        EXPECT_EQ(first, c.usage);
    }
}

TEST_F(ChannelTest, DeviceInfoProbeAndPowerStatus) {
    CHidChannel ch;
    ASSERT_TRUE(Open(ch, *all.mouse, 3));
    hid::proto::DeviceInfo info;
    ASSERT_EQ(ch.ReadDeviceInfo(info), hid::kCmdOk);
    EXPECT_EQ(info.keyCount(), 6);
    EXPECT_EQ(info.macroMemoryBytes(), 4096u);
    EXPECT_EQ(info.dpiStep(), 100);
    EXPECT_EQ(info.minDpi(), 200);
    const auto sent = all.mouse->Requests(0x03);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0][4], 33);

    EXPECT_TRUE(ch.ProbeOnline());
    all.mouse->SetOnline(false);
    EXPECT_FALSE(ch.ProbeOnline());

    CHidChannel pad;
    ASSERT_TRUE(Open(pad, *all.mousePad, 3));
    uint8_t power[6] = {};
    ASSERT_EQ(pad.ReadBytes(power, 6, 0), hid::kCmdOk);
    EXPECT_EQ(Bytes(power, power + 6), (Bytes{85, 1, 0, 0, 0, 1}));
}

TEST_F(ChannelTest, BracketedBlockWriteReachesMemoryInChunks) {
    CHidChannel ch;
    ASSERT_TRUE(Open(ch, *all.mouse, 3));
    Bytes block(75);
    for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<uint8_t>(i * 3);
    all.mouse->ClearWireLog();
    ASSERT_EQ(ch.OpenConfig(), hid::kCmdOk);
    ASSERT_EQ(ch.WriteBlock(block.data(), block.size(), 128), hid::kCmdOk);
    ASSERT_EQ(ch.CloseConfig(), hid::kCmdOk);
    EXPECT_EQ(all.mouse->Config(128, 75), block);
    EXPECT_EQ(all.mouse->BracketViolations(), 0);
    const auto chunks = all.mouse->Requests(0x06);
    ASSERT_EQ(chunks.size(), 2u);
    EXPECT_EQ(chunks[0][4], 56);
    EXPECT_EQ(chunks[0][5] | chunks[0][6] << 8, 128);
    EXPECT_EQ(chunks[1][4], 19);
    EXPECT_EQ(chunks[1][5] | chunks[1][6] << 8, 184);

    Bytes back(75);
    ASSERT_EQ(ch.ReadBlock(back.data(), back.size(), 128), hid::kCmdOk);
    EXPECT_EQ(back, block);
    // Without the bracket the device refuses: the command sees -103.
    EXPECT_EQ(ch.WriteBlock(block.data(), 4, 0), hid::kCmdStatusFE);
}

TEST_F(ChannelTest, KeyMapBankOneAndKeyLedTable) {
    CHidChannel ch;
    ASSERT_TRUE(Open(ch, *all.keyboard, 3));
    ASSERT_TRUE(ch.SetDataSize(57));  // 19 keys
    Bytes map(57);
    for (size_t i = 0; i < map.size(); ++i) map[i] = static_cast<uint8_t>(0x80 + i);
    ch.OpenConfig();
    ASSERT_EQ(ch.WriteKeyMap(map.data(), 1), hid::kCmdOk);
    ch.CloseConfig();
    EXPECT_EQ(all.keyboard->KeyMap(1, 57), map);
    EXPECT_EQ(all.keyboard->KeyMap(0, 3), (Bytes{0x20, 0, 41}));  // bank 0 untouched
    const auto chunks = all.keyboard->Requests(0x09);
    ASSERT_EQ(chunks.size(), 2u);
    EXPECT_EQ(chunks[1][6], 0x02);

    ASSERT_TRUE(ch.SetDataSize(126 * 3));
    Bytes keys(126 * 3), leds(126);
    ASSERT_EQ(ch.ReadKeyMap(keys.data()), hid::kCmdOk);
    ASSERT_EQ(ch.ReadKeyLedTable(leds.data()), hid::kCmdOk);
    EXPECT_EQ(keys, all.keyboard->KeyMap(0, 126 * 3));
    EXPECT_EQ(leds[125], 125);
}

TEST_F(ChannelTest, MacroImageFromTheEncoderLandsInMacroMemory) {
    CHidChannel ch;
    ASSERT_TRUE(Open(ch, *all.mouse, 3));
    devices::MacroImageMacro a(3, {true, 1, 4, 10}), b(5, {false, 2, 1, 70000});
    const auto image = devices::BuildMacroImage({a, b});
    ASSERT_EQ(image.size(), 60u);
    ch.OpenConfig();
    ASSERT_EQ(ch.WriteMacroImage(image.data(), image.size()), hid::kCmdOk);
    ch.CloseConfig();
    const auto mem = all.mouse->MacroMemory();
    EXPECT_EQ(Bytes(mem.begin(), mem.begin() + 60), image);
    EXPECT_EQ(mem[40], 0xFF);  // clamped delay of macro 1, event 0
}

TEST_F(ChannelTest, StatusFaultStopsAChunkedWriteAtThatChunk) {
    CHidChannel ch;
    ASSERT_TRUE(Open(ch, *all.mouse, 3));
    Bytes data(150, 0x5A);
    ch.OpenConfig();
    all.mouse->InjectFault({Fault::Status, 1, 0x06, 1, 0xFE});
    EXPECT_EQ(ch.WriteBlock(data.data(), data.size(), 1024), hid::kCmdStatusFE);
    EXPECT_EQ(all.mouse->Requests(0x06).size(), 2u);  // the third chunk is never sent
    all.mouse->InjectStatus(0xFF);
    EXPECT_EQ(ch.ReadBlock(data.data(), 1, 0), hid::kCmdStatusFF);
    ch.CloseConfig();
}

TEST_F(ChannelTest, StaleReplyIsReadPastAndSilenceTimesOut) {
    CHidChannel ch;
    ASSERT_TRUE(Open(ch, *all.mouse, 3));
    all.mouse->InjectWrongEcho(1, /*thenReply*/ true);
    hid::proto::DeviceInfo info;
    EXPECT_EQ(ch.ReadDeviceInfo(info), hid::kCmdOk);
    EXPECT_EQ(info.keyCount(), 6);

    all.mouse->InjectNoReply();
    const auto t0 = std::chrono::steady_clock::now();
    EXPECT_EQ(ch.OpenConfig(), hid::kCmdReadFailed);
    const auto waited = std::chrono::steady_clock::now() - t0;
    EXPECT_GE(waited, std::chrono::milliseconds(950));
    EXPECT_LT(waited, std::chrono::milliseconds(1500));
}

TEST_F(ChannelTest, UnplugFailsCommandsAndCutsAPendingSyncRead) {
    CHidChannel cmd, sync;
    ASSERT_TRUE(Open(cmd, *all.mousePad, 3));
    ASSERT_TRUE(Open(sync, *all.mousePad, 2));
    auto pending = std::async(std::launch::async, [&] {
        uint8_t r[3];
        size_t n = 0;
        return sync.hid.ReadHidReport(r, sizeof r, -1, n);
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    all.mousePad->Unplug();
    ASSERT_EQ(pending.wait_for(std::chrono::seconds(2)), std::future_status::ready);
    EXPECT_FALSE(pending.get());
    EXPECT_EQ(cmd.OpenConfig(), hid::kCmdWriteFailed);

    // After a replug a fresh open serves again.
    bus->Plug(all.mousePad);
    CHidChannel again;
    ASSERT_TRUE(Open(again, *all.mousePad, 3));
    EXPECT_EQ(again.OpenConfig(), hid::kCmdOk);
}

TEST_F(ChannelTest, LightStreamFillsTheFrame) {
    CHidChannel ch;
    ASSERT_TRUE(Open(ch, *all.mousePad, 3));
    Bytes frame(45);
    for (size_t i = 0; i < frame.size(); ++i) frame[i] = static_cast<uint8_t>(i + 1);
    ASSERT_EQ(ch.StreamLightFrame(frame.data(), frame.size()), hid::kCmdOk);
    EXPECT_EQ(all.mousePad->LedFrame(45), frame);
    EXPECT_EQ(all.mousePad->FrameChunks(), 1);
}

TEST_F(ChannelTest, HeadsetChipReportThroughTheDevice) {
    CHidChannel ch;
    ASSERT_TRUE(Open(ch, *all.headset, 0));
    EXPECT_EQ(ch.hid.caps.UsagePage, 0x000C);
    uint8_t report[17] = {0xFF, 0x44, 0xAB, 0, 9, 8, 7, 6, 5, 4, 3};
    EXPECT_TRUE(ch.hid.SetOutputReport(report, sizeof report));
    EXPECT_EQ(all.headset->ChipLed(0x44, 0, 1), 9);
    EXPECT_EQ(all.headset->ChipLed(0x44, 6, 1), 3);
    // The command protocol runs on the same collection.
    uint8_t block[21] = {};
    EXPECT_EQ(ch.ReadBlock(block, sizeof block, 0), hid::kCmdOk);
    EXPECT_EQ(block[1], 1);
}
