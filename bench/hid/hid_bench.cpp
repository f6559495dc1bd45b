// Descriptor parsing and channel round trips against an in-memory handle that
// answers at once with a valid echo: the transport's own cost, without a device.
#include "hid/HidChannel.h"
#include "hid/HidDescriptor.h"

#include "tests/hid/Descriptors.h"
#include "tests/hid/FakeHid.h"

#include <benchmark/benchmark.h>

namespace {

void ParseBench(benchmark::State& state, const std::vector<uint8_t>& bytes) {
    for (auto _ : state) {
        auto r = hid::ParseReportDescriptor(bytes);
        benchmark::DoNotOptimize(r);
        if (!r.ok) state.SkipWithError("descriptor did not parse");
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}

void BM_ParseMouseInterface(benchmark::State& s) { ParseBench(s, hidtest::kMouseInterface); }
void BM_ParseHeadset(benchmark::State& s) { ParseBench(s, hidtest::kHeadset); }
void BM_ParseKitchenSink(benchmark::State& s) { ParseBench(s, hidtest::kKitchenSink); }
BENCHMARK(BM_ParseMouseInterface);
BENCHMARK(BM_ParseHeadset);
BENCHMARK(BM_ParseKitchenSink);

void BM_UnpackConsumerReport(benchmark::State& state) {
    const auto parsed = hid::ParseReportDescriptor(hidtest::kMouseInterface);
    const hid::HidCollection& c = parsed.descriptor.collections[0];
    auto entries = hid::HidBuildEntries(c, hid::ReportType::Input);
    const uint8_t report[] = {0x03, 0x01, 0x04, 0x00, 0x00};
    for (auto _ : state) {
        bool ok = hid::HidUnpackReport(c, hid::ReportType::Input, entries, report, sizeof report);
        benchmark::DoNotOptimize(ok);
    }
}
BENCHMARK(BM_UnpackConsumerReport);

struct Rig {
    hidtest::FakeBus bus{hidtest::kMouseInterface, 1};
    CHidChannel ch;
    Rig() {
        bus.script().keepLog = false;
        ch.opened = ch.hid.OpenHidDevice("/dev/hidraw1#vid_0c45&pid_7643&mi_01&col02", true, true, true, false);
    }
};

void BM_TransactRoundTrip(benchmark::State& state) {
    Rig rig;
    if (!rig.ch.opened) state.SkipWithError("open failed");
    const auto req = hid::proto::BuildRequest(hid::proto::kOpenConfig, 0, 0);
    uint8_t reply[64];
    size_t n = 0;
    for (auto _ : state) {
        if (rig.ch.Transact(req.data(), req.size(), reply, sizeof reply, n) != hid::kCmdOk) state.SkipWithError("failed");
    }
    state.counters["reports/s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_TransactRoundTrip);

void BM_TransactQuickRoundTrip(benchmark::State& state) {
    Rig rig;
    const auto req = hid::proto::BuildRequest(hid::proto::kStreamLight, 0, 0);
    uint8_t reply[64];
    size_t n = 0;
    for (auto _ : state) {
        if (rig.ch.TransactQuick(req.data(), req.size(), reply, sizeof reply, n) != hid::kCmdOk)
            state.SkipWithError("failed");
    }
    state.counters["reports/s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_TransactQuickRoundTrip);

// A whole 512-byte block: 10 reports of up to 56 bytes.
void BM_WriteBlock512(benchmark::State& state) {
    Rig rig;
    std::vector<uint8_t> block(512, 0x5A);
    const auto reports = hid::proto::PlanChunks(block.size(), 0, rig.ch.chunkSize).size();
    for (auto _ : state) {
        if (rig.ch.WriteBlock(block.data(), block.size(), 0) != hid::kCmdOk) state.SkipWithError("failed");
    }
    state.counters["reports/s"] = benchmark::Counter(static_cast<double>(state.iterations() * reports),
                                                     benchmark::Counter::kIsRate);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * block.size()));
}
BENCHMARK(BM_WriteBlock512);

} // namespace
