// The emulator through the backend seam alone: what any HID client sees.
#include "devices/DeviceTables.h"
#include "emulator/Models.h"
#include "emulator/VirtualHidBus.h"
#include "platform/Event.h"
#include "platform/Tick.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>

using namespace emu;

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Request(uint8_t command, uint8_t count = 0, uint16_t offset = 0, const Bytes& payload = {}) {
    Bytes r(64, 0);
    r[0] = 0x04;
    r[3] = command;
    r[4] = count;
    r[5] = static_cast<uint8_t>(offset & 0xFF);
    r[6] = static_cast<uint8_t>(offset >> 8);
    std::copy(payload.begin(), payload.end(), r.begin() + 8);
    SealReport(r.data());
    return r;
}

class EmulatorTest : public ::testing::Test {
protected:
    void SetUp() override {
        bus = std::make_shared<VirtualHidBus>();
        all = bus->PlugAllFour();
    }

    std::unique_ptr<hid::IHidHandle> OpenCommand(const std::shared_ptr<DeviceModel>& m) {
        return bus->Open(bus->PathOf(*m, m->CommandCollection()), true, true, false);
    }

    // One exchange; the reply or an empty vector when none arrived in time.
    static Bytes Exchange(hid::IHidHandle& h, const Bytes& request, int timeoutMs = 200) {
        size_t n = 0;
        if (h.Write(request.data(), request.size(), 1000, nullptr, n) != hid::IoResult::Ok) return {};
        return ReadOne(h, timeoutMs);
    }
    static Bytes ReadOne(hid::IHidHandle& h, int timeoutMs = 200) {
        Bytes reply(64, 0);
        size_t n = 0;
        if (h.Read(reply.data(), reply.size(), timeoutMs, nullptr, n) != hid::IoResult::Ok) return {};
        reply.resize(n);
        return reply;
    }

    std::shared_ptr<VirtualHidBus> bus;
    VirtualHidBus::AllFour all;
};

} // namespace

TEST_F(EmulatorTest, PathsAreWindowsStylePerCollection) {
    std::vector<std::string> paths;
    ASSERT_TRUE(bus->Enumerate(paths));
    EXPECT_EQ(paths.size(), 4u + 4u + 4u + 1u);
    EXPECT_EQ(bus->PathOf(*all.mouse, 3).rfind("\\\\?\\hid#vid_0c45&pid_7643&mi_01&col04#7&", 0), 0u);
    EXPECT_NE(bus->PathOf(*all.mouse, 3).find("&0003#{4d1e55b2-f16f-11cf-88cb-001111000030}"), std::string::npos);
    EXPECT_EQ(bus->PathOf(*all.headset, 0).rfind("\\\\?\\hid#vid_0d8c&pid_01da&mi_03#7&", 0), 0u);
    EXPECT_EQ(bus->PathOf(*all.keyboard, 2).rfind("\\\\?\\hid#vid_ffff&pid_ffff&mi_01&col03#", 0), 0u);
    // A second mouse of the same model gets its own instance part.
    auto second = MakeMouse();
    bus->Plug(second);
    EXPECT_NE(bus->PathOf(*second, 3), bus->PathOf(*all.mouse, 3));
    // Windows paths compare without case.
    std::string upper = bus->PathOf(*all.mouse, 3);
    for (auto& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_TRUE(bus->IsPresent(upper));
}

TEST_F(EmulatorTest, HandlesReportIdentityAndCollections) {
    auto h = OpenCommand(all.mouse);
    ASSERT_TRUE(h);
    EXPECT_EQ(h->Attributes().vendorId, 0x0C45);
    EXPECT_EQ(h->Attributes().productId, 0x7643);
    EXPECT_EQ(h->CollectionIndex(), 3);
    const auto& cols = all.mouse->Interface().collections;
    ASSERT_EQ(cols.size(), 4u);
    EXPECT_EQ(cols[2].usagePage, 0x000C);
    EXPECT_EQ(cols[3].usagePage, 0xFF1C);
    EXPECT_EQ(cols[3].usage, 0x92);
    // The descriptor holds four application collections, the last one vendor 0xFF1C/0x92.
    const auto d = h->ReportDescriptor();
    int collections = 0;
    for (size_t i = 0; i + 1 < d.size(); ++i)
        if (d[i] == 0xA1 && d[i + 1] == 0x01) ++collections;
    EXPECT_EQ(collections, 4);
    auto hs = OpenCommand(all.headset);
    ASSERT_TRUE(hs);
    EXPECT_EQ(hs->CollectionIndex(), 0);
    EXPECT_EQ(all.headset->Interface().collections.size(), 1u);
}

TEST_F(EmulatorTest, ReplyEchoesTheCommandAndBadChecksumGivesStatusFF) {
    auto h = OpenCommand(all.mouse);
    auto good = Exchange(*h, Request(0x01));
    ASSERT_EQ(good.size(), 64u);
    EXPECT_EQ(good[0], 0x04);
    EXPECT_EQ(good[3], 0x01);
    EXPECT_EQ(good[7], 0x00);
    EXPECT_TRUE(all.mouse->BracketOpen());

    auto bad = Request(0x06, 2, 0, {9, 9});
    bad[1] ^= 0x01;
    auto reply = Exchange(*h, bad);
    ASSERT_EQ(reply.size(), 64u);
    EXPECT_EQ(reply[3], 0x06);
    EXPECT_EQ(reply[7], 0xFF);
    EXPECT_EQ(all.mouse->Config(0, 2), (Bytes{0, 1}));  // nothing written
}

TEST_F(EmulatorTest, DeviceInfoAndPowerStatusAreRealistic) {
    auto h = OpenCommand(all.mouse);
    auto r = Exchange(*h, Request(0x03, 33, 0));
    ASSERT_EQ(r.size(), 64u);
    EXPECT_EQ(r[8 + info::kKeyCount], 6);
    EXPECT_EQ(r[8 + info::kMacroUnits], 0x20);
    EXPECT_EQ(r[8 + info::kDpiStep], 100);
    EXPECT_EQ(r[8 + 13] | (r[8 + 14] << 8), 200);
    EXPECT_EQ(all.mouse->MacroMemory().size(), 0x20u * 128);

    auto pad = OpenCommand(all.mousePad);
    auto p = Exchange(*pad, Request(0x1A, 6, 0));
    ASSERT_EQ(p.size(), 64u);
    EXPECT_EQ(Bytes(p.begin() + 8, p.begin() + 14), (Bytes{85, 1, 0, 0, 0, 1}));

    auto probe = Exchange(*h, Request(0xAA));
    EXPECT_EQ(probe[8], 0xFF);
    all.mouse->SetOnline(false);
    EXPECT_EQ(Exchange(*h, Request(0xAA))[8], 0x00);
}

TEST_F(EmulatorTest, ChunkedBlockWriteLandsAtTheChunkOffsetsInsideTheBracket) {
    auto h = OpenCommand(all.mouse);
    Bytes block(75);
    for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<uint8_t>(0x40 + i);
    // Outside the bracket the write is refused.
    EXPECT_EQ(Exchange(*h, Request(0x06, 56, 128, Bytes(block.begin(), block.begin() + 56)))[7], 0xFE);
    EXPECT_EQ(all.mouse->BracketViolations(), 1);
    EXPECT_NE(all.mouse->Config(128, 75), block);

    ASSERT_EQ(Exchange(*h, Request(0x01))[7], 0);
    EXPECT_EQ(Exchange(*h, Request(0x06, 56, 128, Bytes(block.begin(), block.begin() + 56)))[7], 0);
    EXPECT_EQ(Exchange(*h, Request(0x06, 19, 128 + 56, Bytes(block.begin() + 56, block.end())))[7], 0);
    EXPECT_EQ(Exchange(*h, Request(0x02))[7], 0);
    EXPECT_FALSE(all.mouse->BracketOpen());
    EXPECT_EQ(all.mouse->Config(128, 75), block);

    // Read back in two chunks.
    auto a = Exchange(*h, Request(0x05, 56, 128));
    auto b = Exchange(*h, Request(0x05, 19, 128 + 56));
    Bytes back(a.begin() + 8, a.begin() + 64);
    back.insert(back.end(), b.begin() + 8, b.begin() + 8 + 19);
    EXPECT_EQ(back, block);

    // Past the end of memory, or more than 56 payload bytes: status 0xFE.
    EXPECT_EQ(Exchange(*h, Request(0x05, 8, DeviceModel::kConfigSize - 4))[7], 0xFE);
    EXPECT_EQ(Exchange(*h, Request(0x05, 57, 0))[7], 0xFE);
}

TEST_F(EmulatorTest, KeyMapBanksAndKeyLedTable) {
    auto h = OpenCommand(all.keyboard);
    // Bank 1 is addressed through the high offset byte: (512 + 0) >> 8 = 2.
    Exchange(*h, Request(0x01));
    EXPECT_EQ(Exchange(*h, Request(0x09, 3, 0x0200, {0x20, 0, 0x04}))[7], 0);
    EXPECT_EQ(Exchange(*h, Request(0x09, 3, 3, {0x70, 1, 0}))[7], 0);
    Exchange(*h, Request(0x02));
    EXPECT_EQ(all.keyboard->KeyMap(1, 3), (Bytes{0x20, 0, 0x04}));
    EXPECT_EQ(all.keyboard->KeyMap(0, 6), (Bytes{0x20, 0, 41, 0x70, 1, 0}));

    auto km = Exchange(*h, Request(0x07, 6, 0));
    EXPECT_EQ(Bytes(km.begin() + 8, km.begin() + 14), (Bytes{0x20, 0, 41, 0x70, 1, 0}));
    auto led = Exchange(*h, Request(0x1B, 4, 124));
    EXPECT_EQ(Bytes(led.begin() + 8, led.begin() + 12), (Bytes{124, 125, 0, 0}));
}

TEST_F(EmulatorTest, MacroImageAndLightFrame) {
    auto h = OpenCommand(all.mouse);
    Exchange(*h, Request(0x01));
    EXPECT_EQ(Exchange(*h, Request(0x15, 4, 0, {0xAA, 0x55, 20, 0}))[7], 0);
    EXPECT_EQ(Exchange(*h, Request(0x15, 4, 4096 - 2, {1, 2, 3, 4}))[7], 0xFE);  // beyond macro memory
    Exchange(*h, Request(0x02));
    const auto macro = all.mouse->MacroMemory();
    EXPECT_EQ(Bytes(macro.begin(), macro.begin() + 4), (Bytes{0xAA, 0x55, 20, 0}));
    // The lighting stream runs without the bracket.
    EXPECT_EQ(Exchange(*h, Request(0x12, 3, 56, {10, 20, 30}))[7], 0);
    EXPECT_EQ(all.mouse->LedFrame(59), [] { Bytes f(59, 0); f[56] = 10; f[57] = 20; f[58] = 30; return f; }());
    EXPECT_EQ(all.mouse->FrameChunks(), 1);
    // Unknown command.
    EXPECT_EQ(Exchange(*h, Request(0x42))[7], 0xFE);
}

TEST_F(EmulatorTest, WireLogRecordsBothDirections) {
    auto h = OpenCommand(all.mousePad);
    all.mousePad->ClearWireLog();
    const uint32_t before = platform::MonotonicMs();
    Exchange(*h, Request(0x05, 1, 0));
    const auto log = all.mousePad->WireLog();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].direction, Wire::Out);
    EXPECT_EQ(log[0].bytes, Request(0x05, 1, 0));
    EXPECT_EQ(log[1].direction, Wire::In);
    EXPECT_EQ(log[1].bytes[3], 0x05);
    EXPECT_EQ(log[0].collection, 3);
    EXPECT_GE(log[0].timeMs, before);
    EXPECT_EQ(all.mousePad->Requests(0x05).size(), 1u);
    EXPECT_EQ(all.mousePad->Requests(0x06).size(), 0u);
}

TEST_F(EmulatorTest, NoReplyAndLateReply) {
    auto h = OpenCommand(all.mouse);
    all.mouse->InjectNoReply();
    Exchange(*h, Request(0x01));
    EXPECT_TRUE(ReadOne(*h, 50).empty());
    EXPECT_FALSE(all.mouse->BracketOpen());  // an ignored request has no effect
    EXPECT_FALSE(Exchange(*h, Request(0x01)).empty());  // one-shot

    all.mouse->InjectLateReply(150);
    const auto t0 = std::chrono::steady_clock::now();
    size_t n = 0;
    auto req = Request(0x03, 33, 0);
    ASSERT_EQ(h->Write(req.data(), req.size(), 1000, nullptr, n), hid::IoResult::Ok);
    EXPECT_TRUE(ReadOne(*h, 60).empty());  // not yet
    auto late = ReadOne(*h, 1000);
    ASSERT_EQ(late.size(), 64u);
    EXPECT_EQ(late[3], 0x03);
    EXPECT_GE(std::chrono::steady_clock::now() - t0, std::chrono::milliseconds(140));
    // A reply to the next request does not overtake a late one.
    all.mouse->InjectLateReply(80);
    h->Write(req.data(), req.size(), 1000, nullptr, n);
    auto quick = Request(0xAA);
    h->Write(quick.data(), quick.size(), 1000, nullptr, n);
    EXPECT_EQ(ReadOne(*h, 1000)[3], 0x03);
    EXPECT_EQ(ReadOne(*h, 1000)[3], 0xAA);
}

TEST_F(EmulatorTest, WrongEchoAndStatusFaults) {
    auto h = OpenCommand(all.mouse);
    all.mouse->InjectWrongEcho();
    auto r = Exchange(*h, Request(0x03, 33, 0));
    ASSERT_EQ(r.size(), 64u);
    EXPECT_NE(r[3], 0x03);
    EXPECT_TRUE(ReadOne(*h, 50).empty());

    all.mouse->InjectWrongEcho(1, /*thenReply*/ true);
    EXPECT_NE(Exchange(*h, Request(0x03, 33, 0))[3], 0x03);
    EXPECT_EQ(ReadOne(*h)[3], 0x03);

    // Status on the second chunk of a write only; that chunk has no effect.
    Exchange(*h, Request(0x01));
    all.mouse->InjectFault({Fault::Status, 1, 0x06, 1, 0xFE});
    EXPECT_EQ(Exchange(*h, Request(0x06, 1, 300, {0x11}))[7], 0x00);
    EXPECT_EQ(Exchange(*h, Request(0x06, 1, 301, {0x22}))[7], 0xFE);
    EXPECT_EQ(Exchange(*h, Request(0x06, 1, 302, {0x33}))[7], 0x00);
    EXPECT_EQ(all.mouse->Config(300, 3), (Bytes{0x11, 0, 0x33}));

    all.mouse->InjectStatus(0xFF, -1);  // until cleared
    EXPECT_EQ(Exchange(*h, Request(0xAA))[7], 0xFF);
    EXPECT_EQ(Exchange(*h, Request(0xAA))[7], 0xFF);
    all.mouse->ClearFaults();
    EXPECT_EQ(Exchange(*h, Request(0xAA))[7], 0x00);
}

TEST_F(EmulatorTest, UnplugDuringAPendingReadFailsItAndReplugRestoresThePaths) {
    auto h = OpenCommand(all.mouse);
    const std::string path = bus->PathOf(*all.mouse, 3);
    auto pending = std::async(std::launch::async, [&] {
        uint8_t buf[64];
        size_t n = 0;
        return h->Read(buf, sizeof buf, -1, nullptr, n);
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    bus->Unplug(all.mouse);
    ASSERT_EQ(pending.wait_for(std::chrono::seconds(2)), std::future_status::ready);
    EXPECT_EQ(pending.get(), hid::IoResult::Failed);

    size_t n = 0;
    auto req = Request(0x01);
    EXPECT_EQ(h->Write(req.data(), req.size(), 1000, nullptr, n), hid::IoResult::Failed);
    EXPECT_FALSE(bus->IsPresent(path));
    EXPECT_FALSE(bus->Open(path, true, true, false));
    std::vector<std::string> paths;
    bus->Enumerate(paths);
    EXPECT_EQ(std::count(paths.begin(), paths.end(), path), 0);

    bus->Plug(all.mouse);
    EXPECT_TRUE(bus->IsPresent(path));
    EXPECT_EQ(Exchange(*h, Request(0x01)).size(), 0u);  // the old handle stays dead
    auto fresh = OpenCommand(all.mouse);
    ASSERT_TRUE(fresh);
    EXPECT_EQ(Exchange(*fresh, Request(0x01)).size(), 64u);
}

TEST_F(EmulatorTest, UnplugAfterNReportsCutsAChunkedTransfer) {
    auto h = OpenCommand(all.mouse);
    all.mouse->UnplugAfterReports(2);
    EXPECT_EQ(Exchange(*h, Request(0x01)).size(), 64u);
    EXPECT_EQ(Exchange(*h, Request(0x06, 1, 700, {1})).size(), 64u);
    size_t n = 0;
    auto third = Request(0x06, 1, 701, {2});
    EXPECT_EQ(h->Write(third.data(), third.size(), 1000, nullptr, n), hid::IoResult::Failed);
    EXPECT_FALSE(all.mouse->Present());
    EXPECT_EQ(all.mouse->Config(700, 2), (Bytes{1, 0}));
}

TEST_F(EmulatorTest, StopSignalCutsARead) {
    auto h = OpenCommand(all.mouse);
    platform::Event stop(false, false);
    auto pending = std::async(std::launch::async, [&] {
        uint8_t buf[64];
        size_t n = 0;
        return h->Read(buf, sizeof buf, -1, &stop, n);
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    stop.Set();
    ASSERT_EQ(pending.wait_for(std::chrono::seconds(2)), std::future_status::ready);
    EXPECT_EQ(pending.get(), hid::IoResult::Stopped);
    uint8_t buf[64];
    size_t n = 0;
    EXPECT_EQ(h->Read(buf, sizeof buf, 20, nullptr, n), hid::IoResult::TimedOut);
    // A stop raised before a write cuts that write; the device never sees it.
    all.mouse->ClearWireLog();
    stop.Set();
    auto req = Request(0x01);
    EXPECT_EQ(h->Write(req.data(), req.size(), 1000, &stop, n), hid::IoResult::Stopped);
    EXPECT_TRUE(all.mouse->WireLog().empty());
    EXPECT_EQ(h->Write(req.data(), req.size(), 1000, &stop, n), hid::IoResult::Ok);  // the stop was consumed
}

TEST_F(EmulatorTest, SyncReportsReachOnlyTheConsumerCollection) {
    auto cmd = OpenCommand(all.mouse);
    auto sync = bus->Open(bus->PathOf(*all.mouse, 2), true, false, false);
    auto kbd = bus->Open(bus->PathOf(*all.mouse, 0), true, false, false);
    ASSERT_TRUE(sync && kbd);
    all.mouse->InjectProfileSwitch(2);
    EXPECT_EQ(ReadOne(*sync), (Bytes{0x03, 0x01, 0x04}));
    EXPECT_EQ(all.mouse->Config(0, 1), (Bytes{2}));
    EXPECT_TRUE(ReadOne(*cmd, 30).empty());
    EXPECT_TRUE(ReadOne(*kbd, 30).empty());

    // Command replies do not reach the sync handle either.
    EXPECT_EQ(Exchange(*cmd, Request(0x05, 1, 0))[8], 2);
    EXPECT_TRUE(ReadOne(*sync, 30).empty());

    auto kb = bus->Open(bus->PathOf(*all.keyboard, 2), true, false, false);
    all.keyboard->InjectKeyPress(17);
    all.keyboard->InjectKeyRelease(17);
    EXPECT_EQ(ReadOne(*kb), (Bytes{0x03, 17, 0x05}));
    EXPECT_EQ(ReadOne(*kb), (Bytes{0x03, 17, 0x06}));
    // A read-only handle cannot write.
    size_t n = 0;
    auto req = Request(0x01);
    EXPECT_EQ(sync->Write(req.data(), req.size(), 100, nullptr, n), hid::IoResult::Failed);
}

TEST_F(EmulatorTest, HeadsetAnswersCommandsAndKeepsChipLedRegisters) {
    auto h = OpenCommand(all.headset);
    EXPECT_EQ(Exchange(*h, Request(0x05, 21, 0))[8 + 1], 1);  // effect of profile 0

    auto chip = [](uint8_t driver, uint8_t reg, Bytes values) {
        Bytes r(17, 0);
        r[0] = 0xFF;
        r[1] = driver;
        r[2] = reg;
        std::copy(values.begin(), values.end(), r.begin() + 4);
        return r;
    };
    auto r1 = chip(0x22, 0xAA, {1, 2, 3, 4, 5, 6, 7});
    auto r2 = chip(0x44, 0xAF, {21, 22, 23, 24, 25, 26, 7});
    EXPECT_TRUE(h->SetOutputReport(r1.data(), r1.size()));
    EXPECT_TRUE(h->SetOutputReport(r2.data(), r2.size()));
    EXPECT_EQ(all.headset->ChipLed(0x22, 0, 0), 1);
    EXPECT_EQ(all.headset->ChipLed(0x22, 6, 0), 7);
    EXPECT_EQ(all.headset->ChipLed(0x44, 7, 2), 21);
    EXPECT_EQ(all.headset->ChipLed(0x44, 12, 2), 26);
    EXPECT_EQ(all.headset->ChipLed(0x44, 0, 0), 0);  // the other driver is untouched
    EXPECT_EQ(all.headset->ChipReports(), 2);

    auto badDriver = chip(0x33, 0xAA, {9});
    auto badReg = chip(0x22, 0xB0, {9});
    EXPECT_FALSE(h->SetOutputReport(badDriver.data(), badDriver.size()));
    EXPECT_FALSE(h->SetOutputReport(badReg.data(), badReg.size()));
    EXPECT_FALSE(h->SetOutputReport(r1.data(), 16));  // short report
    EXPECT_EQ(all.headset->ChipReports(), 2);
    // The mouse has no chip: its interface refuses the report.
    auto m = OpenCommand(all.mouse);
    EXPECT_FALSE(m->SetOutputReport(r1.data(), r1.size()));
    ASSERT_EQ(all.headset->WireLog().back().direction, Wire::SetOutput);
}

TEST_F(EmulatorTest, ModelsPassTheSupportedTableMatch) {
    // Every emulated command and sync collection claims the slot of its family.
    auto slots = devices::MakeSlotList();
    std::vector<std::string> paths;
    bus->Enumerate(paths);
    int claimed = 0;
    for (const auto& m : {all.mouse, all.keyboard, all.mousePad, all.headset}) {
        for (int c : {m->CommandCollection(), m->SyncCollection()}) {
            if (c < 0) continue;
            const auto& id = m->Identity();
            const auto& col = m->Interface().collections[c];
            devices::DeviceSlot s;
            s.vendorId = id.vendorId;
            s.productId = id.productId;
            s.interfaceNumber = id.interfaceNumber;
            s.collectionNumber = m->Interface().collections.size() > 1 ? static_cast<uint16_t>(c + 1) : 0;
            s.usagePage = col.usagePage;
            s.usage = col.usage;
            s.path = bus->PathOf(*m, c);
            int slot = -1;
            EXPECT_TRUE(devices::MatchOpenedIdentity(s, slots, slot)) << id.family << " collection " << c;
            ++claimed;
        }
    }
    EXPECT_EQ(claimed, 7);
    EXPECT_FALSE(devices::AnySlotFree(slots));
}

TEST_F(EmulatorTest, ConcurrentTrafficEnumerationAndUnplugEndCleanly) {
    auto cmd = OpenCommand(all.mouse);
    auto sync = bus->Open(bus->PathOf(*all.mouse, 2), true, false, false);
    ASSERT_TRUE(cmd && sync);
    std::atomic<bool> wrongReply{false};
    std::atomic<int> exchanges{0}, syncReads{0};
    auto commands = std::async(std::launch::async, [&] {
        for (uint8_t i = 0;; ++i) {
            auto r = Exchange(*cmd, Request(0x05, 1, static_cast<uint16_t>(i)), 500);
            if (r.empty()) return;  // the device went away
            if (r[3] != 0x05 || r[5] != i) wrongReply = true;
            ++exchanges;
        }
    });
    auto reader = std::async(std::launch::async, [&] {
        for (;;) {
            Bytes r(3);
            size_t n = 0;
            if (sync->Read(r.data(), r.size(), -1, nullptr, n) != hid::IoResult::Ok) return;
            ++syncReads;
        }
    });
    auto injector = std::async(std::launch::async, [&] {
        std::vector<std::string> paths;
        while (all.mouse->Present()) {
            all.mouse->InjectKeyPress(1);
            bus->Enumerate(paths);
            bus->IsPresent(bus->PathOf(*all.mouse, 3));
            std::this_thread::yield();
        }
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    bus->Unplug(all.mouse);
    for (auto* f : {&commands, &reader, &injector}) ASSERT_EQ(f->wait_for(std::chrono::seconds(3)), std::future_status::ready);
    EXPECT_FALSE(wrongReply);
    EXPECT_GT(exchanges.load(), 0);
    EXPECT_GT(syncReads.load(), 0);
}
