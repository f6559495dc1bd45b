// Protocol round trips through the real channel against the emulated mouse.
#include "emulator/Models.h"
#include "emulator/VirtualHidBus.h"
#include "hid/HidChannel.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

struct Rig {
    Rig() {
        bus = std::make_shared<emu::VirtualHidBus>();
        mouse = emu::MakeMouse();
        mouse->SetWireLogLimit(1024);
        bus->Plug(mouse);
        hid::SetBackend(bus);
        ch.hid.OpenHidDevice(bus->PathOf(*mouse, mouse->CommandCollection()), true, true, true, false);
        ch.opened = true;
    }
    ~Rig() {
        ch.opened = false;
        ch.hid.CloseHidDevice();
        hid::SetBackend(nullptr);
    }
    std::shared_ptr<emu::VirtualHidBus> bus;
    std::shared_ptr<emu::DeviceModel> mouse;
    CHidChannel ch;
};

// One Transact: a 64-byte request written, the device's reply read back.
void BM_TransactRoundTrip(benchmark::State& state) {
    Rig rig;
    const auto request = hid::proto::BuildRequest(hid::proto::kReadBlock, 1, 0);
    hid::proto::Report reply{};
    for (auto _ : state) {
        size_t n = 0;
        if (rig.ch.Transact(request.data(), request.size(), reply.data(), reply.size(), n) != hid::kCmdOk)
            state.SkipWithError("transaction failed");
        benchmark::DoNotOptimize(reply);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_TransactRoundTrip);

// A chunked WriteBlock of state.range(0) bytes; items = reports exchanged.
void BM_WriteBlockReports(benchmark::State& state) {
    Rig rig;
    const size_t length = static_cast<size_t>(state.range(0));
    std::vector<uint8_t> block(length, 0x5A);
    rig.ch.OpenConfig();
    const size_t reports = (length + 55) / 56;
    for (auto _ : state) {
        if (rig.ch.WriteBlock(block.data(), block.size(), 0) != hid::kCmdOk)
            state.SkipWithError("write failed");
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * reports));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * length));
}
BENCHMARK(BM_WriteBlockReports)->Arg(75)->Arg(512)->Arg(4096);

} // namespace
