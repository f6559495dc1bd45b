#include "hid/HidChannel.h"

#include "Descriptors.h"
#include "FakeHid.h"
#include "platform/Debug.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <numeric>
#include <thread>

using hidtest::Bytes;
using hidtest::FakeBus;
using namespace hid;

namespace {

const char* const kPath = "/dev/hidraw1#vid_0c45&pid_7643&mi_01&col02";

uint16_t Offset(const Bytes& r) { return static_cast<uint16_t>(r[5] | (r[6] << 8)); }

void ExpectChecksum(const Bytes& r) {
    const uint32_t sum = std::accumulate(r.begin() + 3, r.end(), 0u);
    EXPECT_EQ(r[1], sum & 0xFF);
    EXPECT_EQ(r[2], (sum >> 8) & 0xFF);
}

class ChannelTest : public ::testing::Test {
protected:
    FakeBus bus{hidtest::kMouseInterface, 1};
    CHidChannel ch;

    void SetUp() override {
        ASSERT_TRUE(ch.hid.OpenHidDevice(kPath, true, true, true, false));
        ch.opened = true;
    }
    std::vector<Bytes> Writes() {
        std::lock_guard<std::mutex> l(bus.script().mutex);
        return bus.script().writes;
    }
    size_t Reads() {
        std::lock_guard<std::mutex> l(bus.script().mutex);
        return bus.script().readTimeouts.size();
    }
    // Replies with `status` in byte 7 from the nth written report on (1-based).
    void FailFrom(size_t nth, uint8_t status) {
        auto* s = &bus.script();
        auto count = std::make_shared<size_t>(0);
        s->responder = [s, count, nth, status](const Bytes& req) {
            Bytes r = hidtest::EchoReply(*s, req);
            if (++*count >= nth) r[7] = status;
            return std::vector<Bytes>{r};
        };
    }
};

} // namespace

TEST(ReportProtocol, ChecksumAndRequestLayout) {
    proto::Report r = proto::BuildRequest(0x01, 0, 0);
    EXPECT_EQ(r[0], 0x04);
    EXPECT_EQ(r[1], 0x01);  // only byte 3 = 0x01 -> checksum 0x0001
    EXPECT_EQ(r[2], 0x00);
    const uint8_t payload[56] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    r = proto::BuildRequest(0x06, 56, 0x1234, payload, sizeof payload);
    EXPECT_EQ(r[4], 56);
    EXPECT_EQ(r[5], 0x34);
    EXPECT_EQ(r[6], 0x12);
    EXPECT_EQ(r[7], 0);
    const uint32_t sum = 0x06 + 56 + 0x34 + 0x12 + 10 * 0xFF;  // 0x0AD6: both checksum bytes in use
    EXPECT_EQ(r[1], sum & 0xFF);
    EXPECT_EQ(r[2], sum >> 8);
    EXPECT_EQ(proto::Checksum(r), sum);
}

TEST(ReportProtocol, ChunkPlans) {
    struct Case {
        size_t total;
        uint32_t base;
        uint8_t chunk;
        std::vector<std::pair<uint8_t, uint16_t>> expected;  // (length, offset)
    };
    const Case cases[] = {
        {0, 0, 56, {}},
        {33, 0, 56, {{33, 0}}},
        {56, 0, 56, {{56, 0}}},
        {57, 0, 56, {{56, 0}, {1, 56}}},
        {57, 512, 56, {{56, 512}, {1, 568}}},
        {113, 0x100, 56, {{56, 0x100}, {56, 0x138}, {1, 0x170}}},
        {60, 0xFFF0, 56, {{56, 0xFFF0}, {4, 0x0028}}},  // high byte cut to 8 bits
        {60, 0, 0, {{56, 0}, {4, 56}}},                  // nonsense chunk sizes fall back to 56
        {60, 0, 200, {{56, 0}, {4, 56}}},
        {60, 0, 32, {{32, 0}, {28, 32}}},
    };
    for (const Case& k : cases) {
        const auto plan = proto::PlanChunks(k.total, k.base, k.chunk);
        ASSERT_EQ(plan.size(), k.expected.size()) << k.total;
        for (size_t i = 0; i < plan.size(); ++i) {
            EXPECT_EQ(plan[i].position, i * (k.chunk == 32 ? 32 : 56));
            EXPECT_EQ(plan[i].length, k.expected[i].first);
            EXPECT_EQ(plan[i].offset, k.expected[i].second);
        }
    }
}

TEST_F(ChannelTest, TransactPadsTo64BytesAndDumpsCommandAndReply) {
    platform::DebugCapture capture;
    const uint8_t request[10] = {0x04, 0x01, 0x00, 0x01, 0, 0, 0, 0, 0xAB, 0xCD};
    uint8_t reply[64] = {};
    size_t n = 0;
    ASSERT_EQ(ch.Transact(request, sizeof request, reply, sizeof reply, n), kCmdOk);
    EXPECT_EQ(n, 64u);
    EXPECT_FALSE(ch.busy);
    const auto writes = Writes();
    ASSERT_EQ(writes.size(), 1u);
    ASSERT_EQ(writes[0].size(), 64u);
    EXPECT_TRUE(std::equal(request, request + 10, writes[0].begin()));
    EXPECT_TRUE(std::all_of(writes[0].begin() + 10, writes[0].end(), [](uint8_t b) { return b == 0; }));

    const std::vector<std::string> lines = capture.Lines();
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[0], "命令");
    EXPECT_EQ(lines[1], "04 01 00 01   00 00 00 00   ab cd 00 00   00 00 00 00  00 00 00 00  00 00 00 00  "
                        "00 00 00 00  00 00 00 00");
    EXPECT_EQ(lines[2], "00 00 00 00   00 00 00 00   00 00 00 00   00 00 00 00  00 00 00 00  00 00 00 00  "
                        "00 00 00 00  00 00 00 00");
    EXPECT_EQ(lines[3], "返回");
    EXPECT_EQ(lines[4].substr(0, 11), "04 00 00 01");  // the echo

    // A longer request is cut to 64 bytes.
    const Bytes longRequest(70, 0x11);
    ASSERT_EQ(ch.Transact(longRequest.data(), longRequest.size(), reply, sizeof reply, n), kCmdOk);
    EXPECT_EQ(Writes().back(), Bytes(64, 0x11));
}

TEST_F(ChannelTest, WrongEchoIsReadPastOnceOnly) {
    struct Case {
        uint8_t firstEcho, secondEcho, resultEcho;
    };
    const Case cases[] = {
        {0x05, 0x01, 0x01},  // stale reply of another command, then ours
        {0x05, 0x06, 0x06},  // both wrong: still 1, the caller's checks decide
    };
    for (const Case& k : cases) {
        auto& s = bus.script();
        s.responder = [&](const Bytes&) {
            Bytes a(64, 0), b(64, 0), c(64, 0);
            a[3] = k.firstEcho;
            b[3] = k.secondEcho;
            c[3] = 0x01;
            return std::vector<Bytes>{a, b, c};
        };
        const size_t readsBefore = Reads();
        const auto req = proto::BuildRequest(0x01, 0, 0);
        uint8_t reply[64];
        size_t n = 0;
        EXPECT_EQ(ch.Transact(req.data(), req.size(), reply, sizeof reply, n), kCmdOk);
        EXPECT_EQ(reply[3], k.resultEcho);
        EXPECT_EQ(Reads() - readsBefore, 2u);
        std::lock_guard<std::mutex> l(s.mutex);
        s.replies.clear();
    }
}

TEST_F(ChannelTest, TransactFailuresAndTimeouts) {
    const auto req = proto::BuildRequest(0x01, 0, 0);
    uint8_t reply[64];
    size_t n = 0;

    bus.script().failWrites = true;
    {
        platform::DebugCapture capture;
        EXPECT_EQ(ch.Transact(req.data(), req.size(), reply, sizeof reply, n), kCmdWriteFailed);
        EXPECT_EQ(ch.TransactQuick(req.data(), req.size(), reply, sizeof reply, n), kCmdWriteFailed);
        EXPECT_FALSE(capture.Contains("返回"));
        EXPECT_FALSE(ch.busy);
    }
    bus.script().failWrites = false;

    // No answer: the read gives up after 1000 ms.
    bus.script().answer = false;
    const auto t0 = std::chrono::steady_clock::now();
    EXPECT_EQ(ch.Transact(req.data(), req.size(), reply, sizeof reply, n), kCmdReadFailed);
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0).count();
    EXPECT_GE(ms, 950);
    EXPECT_LT(ms, 1500);
    EXPECT_EQ(n, 0u);
    bus.script().answer = true;

    // Wireless waits 5000 ms per write and read; the lighting exchange keeps 1000 ms.
    ch.wireless = true;
    {
        std::lock_guard<std::mutex> l(bus.script().mutex);
        bus.script().writeTimeouts.clear();
        bus.script().readTimeouts.clear();
    }
    EXPECT_EQ(ch.Transact(req.data(), req.size(), reply, sizeof reply, n), kCmdOk);
    EXPECT_EQ(ch.TransactQuick(req.data(), req.size(), reply, sizeof reply, n), kCmdOk);
    {
        std::lock_guard<std::mutex> l(bus.script().mutex);
        EXPECT_EQ(bus.script().writeTimeouts, (std::vector<int>{5000, 1000}));
        EXPECT_EQ(bus.script().readTimeouts, (std::vector<int>{5000, 1000}));
    }

    // Not opened: nothing is sent.
    ch.opened = false;
    const size_t before = Writes().size();
    EXPECT_EQ(ch.Transact(req.data(), req.size(), reply, sizeof reply, n), kCmdReadFailed);
    EXPECT_EQ(ch.TransactQuick(req.data(), req.size(), reply, sizeof reply, n), kCmdReadFailed);
    EXPECT_EQ(Writes().size(), before);
}

// A second exchange started while the first is between its write and its read must wait:
// otherwise it writes in between and one of the two reads the other's reply.
TEST_F(ChannelTest, IoLockSpansWriteAndReadOfOneExchange) {
    auto& s = bus.script();
    std::thread other;
    Bytes otherReply(64, 0);
    std::atomic<int> otherResult{-99};
    s.onWrite = [&](const Bytes& req) {
        if (req[3] != 0x05) return;
        other = std::thread([&] {
            const auto q = proto::BuildRequest(0x12, 0, 0);
            size_t n = 0;
            otherResult = ch.TransactQuick(q.data(), q.size(), otherReply.data(), otherReply.size(), n);
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(50));  // give it every chance to cut in
    };
    const auto req = proto::BuildRequest(0x05, 1, 0);
    uint8_t reply[64];
    size_t n = 0;
    ASSERT_EQ(ch.Transact(req.data(), req.size(), reply, sizeof reply, n), kCmdOk);
    other.join();
    EXPECT_EQ(reply[3], 0x05);
    EXPECT_EQ(otherResult, kCmdOk);
    EXPECT_EQ(otherReply[3], 0x12);
    const auto writes = Writes();
    ASSERT_EQ(writes.size(), 2u);
    EXPECT_EQ(writes[0][3], 0x05);
    EXPECT_EQ(writes[1][3], 0x12);
    EXPECT_EQ(Reads(), 2u);  // no mismatch, no extra read
}

TEST(HidChannel, SetDataSizeAcceptsUpTo512) {
    CHidChannel ch;
    EXPECT_EQ(ch.dataSize, 512);
    EXPECT_EQ(ch.chunkSize, 56);
    struct Case {
        uint16_t n;
        bool ok;
        uint16_t after;
    };
    for (const Case& k : {Case{57, true, 57}, Case{513, false, 57}, Case{512, true, 512}, Case{0xFFFF, false, 512}}) {
        EXPECT_EQ(ch.SetDataSize(k.n), k.ok) << k.n;
        EXPECT_EQ(ch.dataSize, k.after) << k.n;
    }
}

TEST_F(ChannelTest, CommandRequestsChunksAndOffsets) {
    struct Expect {
        uint8_t count;
        uint16_t offset;
    };
    struct Case {
        const char* name;
        std::function<int()> run;
        uint8_t command;
        std::vector<Expect> reports;
    };
    Bytes src(200);
    for (size_t i = 0; i < src.size(); ++i) src[i] = static_cast<uint8_t>(i + 1);
    Bytes dst(200, 0);
    proto::DeviceInfo info;
    const Case cases[] = {
        {"OpenConfig", [&] { return ch.OpenConfig(); }, 0x01, {{0, 0}}},
        {"CloseConfig", [&] { return ch.CloseConfig(); }, 0x02, {{0, 0}}},
        {"ReadDeviceInfo", [&] { return ch.ReadDeviceInfo(info); }, 0x03, {{33, 0}}},
        {"ReadBlock", [&] { return ch.ReadBlock(dst.data(), 120, 0x100); }, 0x05, {{56, 0x100}, {56, 0x138}, {8, 0x170}}},
        {"WriteBlock", [&] { return ch.WriteBlock(src.data(), 60, 0x20); }, 0x06, {{56, 0x20}, {4, 0x58}}},
        {"ReadKeyMap", [&] { return ch.ReadKeyMap(dst.data()); }, 0x07, {{56, 0}, {1, 56}}},
        {"WriteKeyMap bank 0", [&] { return ch.WriteKeyMap(src.data(), 0); }, 0x09, {{56, 0}, {1, 56}}},
        {"WriteKeyMap bank 1", [&] { return ch.WriteKeyMap(src.data(), 1); }, 0x09, {{56, 0x200}, {1, 0x238}}},
        {"StreamLightFrame", [&] { return ch.StreamLightFrame(src.data(), 57); }, 0x12, {{56, 0}, {1, 56}}},
        {"WriteMacroImage", [&] { return ch.WriteMacroImage(src.data(), 60); }, 0x15, {{56, 0}, {4, 56}}},
        {"ReadBytes", [&] { return ch.ReadBytes(dst.data(), 6, 0x0123); }, 0x1A, {{6, 0x0123}}},
        {"ReadKeyLedTable", [&] { return ch.ReadKeyLedTable(dst.data()); }, 0x1B, {{19, 0}}},
        {"ProbeOnline", [&] { return ch.ProbeOnline() ? 1 : 0; }, 0xAA, {{0, 0}}},
    };
    ASSERT_TRUE(ch.SetDataSize(19 * 3));
    for (const Case& k : cases) {
        const size_t before = Writes().size();
        EXPECT_EQ(k.run(), kCmdOk) << k.name;
        const auto writes = Writes();
        ASSERT_EQ(writes.size() - before, k.reports.size()) << k.name;
        size_t payloadPos = 0;
        for (size_t i = 0; i < k.reports.size(); ++i) {
            const Bytes& r = writes[before + i];
            ASSERT_EQ(r.size(), 64u);
            EXPECT_EQ(r[0], 0x04) << k.name;
            EXPECT_EQ(r[3], k.command) << k.name;
            EXPECT_EQ(r[4], k.reports[i].count) << k.name << " report " << i;
            EXPECT_EQ(Offset(r), k.reports[i].offset) << k.name << " report " << i;
            EXPECT_EQ(r[7], 0) << k.name;
            ExpectChecksum(r);
            const bool writesPayload = k.command == 0x06 || k.command == 0x09 || k.command == 0x12 || k.command == 0x15;
            const size_t carried = writesPayload ? k.reports[i].count : 0;
            EXPECT_TRUE(std::equal(src.begin() + static_cast<long>(payloadPos),
                                   src.begin() + static_cast<long>(payloadPos + carried), r.begin() + 8))
                << k.name;
            EXPECT_TRUE(std::all_of(r.begin() + 8 + static_cast<long>(carried), r.end(), [](uint8_t b) { return b == 0; }))
                << k.name << " report " << i;
            payloadPos += carried;
        }
    }
}

TEST_F(ChannelTest, ReadCommandsCopyReplyPayloadIntoPlace) {
    auto& mem = bus.script().memory;
    for (size_t i = 0; i < mem.size(); ++i) mem[i] = static_cast<uint8_t>(i * 7 + 3);
    mem[5] = 19;                 // keys
    mem[6] = 8;                  // macro memory units
    mem[11] = 50;                // DPI step
    mem[13] = 0x90, mem[14] = 0x01;  // minimum DPI 400

    proto::DeviceInfo info;
    ASSERT_EQ(ch.ReadDeviceInfo(info), kCmdOk);
    EXPECT_TRUE(std::equal(info.bytes.begin(), info.bytes.end(), mem.begin()));
    EXPECT_EQ(info.keyCount(), 19);
    EXPECT_EQ(info.macroMemoryUnits(), 8);
    EXPECT_EQ(info.macroMemoryBytes(), 1024u);
    EXPECT_EQ(info.dpiStep(), 50);
    EXPECT_EQ(info.minDpi(), 400);

    Bytes block(121, 0xEE);
    ASSERT_EQ(ch.ReadBlock(block.data(), 120, 0x100), kCmdOk);
    EXPECT_TRUE(std::equal(block.begin(), block.begin() + 120, mem.begin() + 0x100));
    EXPECT_EQ(block[120], 0xEE);  // nothing past the requested length

    uint8_t power[7] = {0, 0, 0, 0, 0, 0, 0xEE};
    ASSERT_EQ(ch.ReadBytes(power, 6, 0x0040), kCmdOk);
    EXPECT_TRUE(std::equal(power, power + 6, mem.begin() + 0x40));
    EXPECT_EQ(power[6], 0xEE);
    // More than one reply can carry is refused without sending.
    const size_t before = Writes().size();
    uint8_t big[64];
    EXPECT_EQ(ch.ReadBytes(big, 57, 0), kCmdReadFailed);
    EXPECT_EQ(Writes().size(), before);
}

TEST_F(ChannelTest, KeyMapBankRule) {
    ASSERT_TRUE(ch.SetDataSize(57));
    Bytes keys(57, 0x5A);
    ASSERT_EQ(ch.WriteKeyMap(keys.data(), 1), kCmdOk);
    auto writes = Writes();
    ASSERT_EQ(writes.size(), 2u);
    EXPECT_EQ(writes[0][5], 0x00);
    EXPECT_EQ(writes[0][6], 0x02);
    EXPECT_EQ(writes[1][5], 0x38);
    EXPECT_EQ(writes[1][6], 0x02);
    EXPECT_EQ(writes[1][8], 0x5A);
    EXPECT_TRUE(std::all_of(writes[1].begin() + 9, writes[1].end(), [](uint8_t b) { return b == 0; }));

    EXPECT_EQ(ch.WriteKeyMap(keys.data(), 2), kCmdBadBank);
    EXPECT_EQ(Writes().size(), 2u);
}

TEST_F(ChannelTest, DeviceStatusStopsAChunkedTransferAtThatReport) {
    struct Case {
        uint8_t status;
        int result;
    };
    for (const Case& k : {Case{0xFE, kCmdStatusFE}, Case{0xFF, kCmdStatusFF}}) {
        {
            std::lock_guard<std::mutex> l(bus.script().mutex);
            bus.script().writes.clear();
        }
        FailFrom(2, k.status);
        Bytes src(150, 1);
        EXPECT_EQ(ch.WriteBlock(src.data(), src.size(), 0), k.result);
        EXPECT_EQ(Writes().size(), 2u);  // the third chunk is never sent

        FailFrom(2, k.status);
        Bytes dst(150, 0xEE);
        EXPECT_EQ(ch.ReadBlock(dst.data(), dst.size(), 0), k.result);
        EXPECT_EQ(dst[56], 0xEE);  // the failing chunk's payload is not taken

        FailFrom(1, k.status);
        EXPECT_EQ(ch.OpenConfig(), k.result);
        proto::DeviceInfo info;
        info.bytes.fill(0xEE);
        EXPECT_EQ(ch.ReadDeviceInfo(info), k.result);
        EXPECT_EQ(info.bytes[5], 0xEE);
        EXPECT_FALSE(ch.ProbeOnline());
        EXPECT_EQ(ch.StreamLightFrame(src.data(), 57), k.result);
    }
    bus.script().responder = nullptr;
    EXPECT_TRUE(ch.ProbeOnline());
    bus.script().online = false;
    EXPECT_FALSE(ch.ProbeOnline());  // answered, but not online

    // A write that fails part-way stops the transfer with -1.
    bus.script().failWrites = true;
    Bytes src(150, 1);
    EXPECT_EQ(ch.WriteBlock(src.data(), src.size(), 0), kCmdWriteFailed);
}

TEST_F(ChannelTest, EveryCommandReturnsZeroWithoutSendingWhenNotOpen) {
    ch.opened = false;
    Bytes buf(600, 0);
    proto::DeviceInfo info;
    const std::vector<std::function<int()>> commands = {
        [&] { return ch.OpenConfig(); },
        [&] { return ch.CloseConfig(); },
        [&] { return ch.ReadDeviceInfo(info); },
        [&] { return ch.ReadBlock(buf.data(), 10, 0); },
        [&] { return ch.WriteBlock(buf.data(), 10, 0); },
        [&] { return ch.ReadKeyMap(buf.data()); },
        [&] { return ch.WriteKeyMap(buf.data(), 0); },
        [&] { return ch.StreamLightFrame(buf.data(), 57); },
        [&] { return ch.WriteMacroImage(buf.data(), 60); },
        [&] { return ch.ReadBytes(buf.data(), 6, 0); },
        [&] { return ch.ReadKeyLedTable(buf.data()); },
        [&] { return ch.ProbeOnline() ? 1 : 0; },
    };
    for (size_t i = 0; i < commands.size(); ++i) EXPECT_EQ(commands[i](), kCmdReadFailed) << i;
    EXPECT_TRUE(Writes().empty());
}

TEST_F(ChannelTest, CloseConfigWaitsTenMillisecondsFirst) {
    const auto t0 = std::chrono::steady_clock::now();
    EXPECT_EQ(ch.CloseConfig(), kCmdOk);
    EXPECT_GE(std::chrono::steady_clock::now() - t0, std::chrono::milliseconds(10));
}

TEST_F(ChannelTest, LightStreamDropsChunksWhileACommandRuns) {
    ASSERT_TRUE(ch.SetDataSize(57));
    platform::DebugCapture capture;
    const Bytes frame(57, 0x80);
    std::atomic<int> streamResult{-99};
    platform::Event streamDone(true, false);
    bool doneDuringCommand = false;
    std::thread light;
    bus.script().onWrite = [&](const Bytes& req) {
        if (req[3] != 0x09 || Offset(req) != 0) return;
        // The stream runs on the lighting thread while the key-map write is mid-exchange;
        // it must return without waiting for the command.
        light = std::thread([&] {
            streamResult = ch.StreamLightFrame(frame.data(), frame.size());
            streamDone.Set();
        });
        doneDuringCommand = streamDone.Wait(1000) == platform::WaitResult::Signalled;
    };
    Bytes keys(57, 0x11);
    ASSERT_EQ(ch.WriteKeyMap(keys.data(), 0), kCmdOk);
    light.join();
    EXPECT_TRUE(doneDuringCommand);
    EXPECT_EQ(streamResult, kCmdOk);  // dropped chunks count as sent
    EXPECT_EQ(capture.Count("放弃灯光数据"), 2u);
    for (const Bytes& w : Writes()) EXPECT_NE(w[3], 0x12);

    // With no command running the same frame goes out.
    bus.script().onWrite = nullptr;
    ASSERT_EQ(ch.StreamLightFrame(frame.data(), frame.size()), kCmdOk);
    const auto writes = Writes();
    ASSERT_EQ(writes.size(), 4u);
    EXPECT_EQ(writes[2][3], 0x12);
    EXPECT_EQ(writes[3][3], 0x12);
    EXPECT_EQ(capture.Count("放弃灯光数据"), 2u);

    // On a wireless channel nothing is streamed, and that counts as sent.
    ch.wireless = true;
    EXPECT_EQ(ch.StreamLightFrame(frame.data(), frame.size()), kCmdOk);
    EXPECT_EQ(Writes().size(), 4u);
}

TEST_F(ChannelTest, SetOutputReportGoesToTheHandleUnchanged) {
    Bytes chip(17, 0);
    chip[1] = 0x22;
    chip[2] = 0xAA;
    EXPECT_TRUE(ch.hid.SetOutputReport(chip.data(), chip.size()));
    std::lock_guard<std::mutex> l(bus.script().mutex);
    ASSERT_EQ(bus.script().outputReports.size(), 1u);
    EXPECT_EQ(bus.script().outputReports[0], chip);
}
