// Lighting stream costs on the emulated mouse: one frame push end to end, the
// producer's cost of a push, and the frame rate the device actually receives
// against the rate it is fed at (a UI timer, or the lighting thread's pacing).
#include "devices/threads/LightingThread.h"
#include "devices/threads/StreamWorker.h"
#include "emulator/Models.h"
#include "emulator/VirtualHidBus.h"
#include "hid/HidBackend.h"
#include "hid/HidChannel.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

using namespace devices::threads;

namespace {

struct Rig {
    std::shared_ptr<emu::VirtualHidBus> bus = std::make_shared<emu::VirtualHidBus>();
    std::shared_ptr<emu::DeviceModel> mouse = emu::MakeMouse();
    CHidChannel channel;

    Rig() {
        mouse->SetWireLogLimit(256);  // benches stream far more than a test
        bus->Plug(mouse);
        hid::SetBackend(bus);
        channel.hid.OpenHidDevice(bus->PathOf(*mouse, mouse->CommandCollection()), true, true, true, false);
        channel.opened = true;
    }
    ~Rig() { hid::SetBackend(nullptr); }
};

std::vector<uint8_t> Frame(size_t leds, uint8_t v) { return std::vector<uint8_t>(leds * 3, v); }

} // namespace

// Producer side only: what the lighting thread or a UI timer pays per frame.
static void BM_SubmitFrame(benchmark::State& state) {
    Rig rig;
    StreamWorker worker(rig.channel);
    worker.Start();
    const auto frame = Frame(19, 0x40);
    for (auto _ : state) worker.SubmitFrame(frame);
    worker.Stop();
    const StreamStats s = worker.Stats();
    state.counters["streamed"] = static_cast<double>(s.streamed);
    state.counters["superseded"] = static_cast<double>(s.superseded);
}
BENCHMARK(BM_SubmitFrame);

// SubmitFrame until the emulated device has taken every chunk (19 LEDs: 2 chunks, 126: 7).
static void BM_FramePushToDevice(benchmark::State& state) {
    Rig rig;
    StreamWorker worker(rig.channel);
    std::mutex m;
    std::condition_variable cv;
    uint64_t done = 0;
    worker.SetOnStreamed([&](int, const std::vector<uint8_t>&) {
        std::lock_guard lock(m);
        ++done;
        cv.notify_all();
    });
    worker.Start();
    const auto frame = Frame(static_cast<size_t>(state.range(0)), 0x40);
    uint64_t expected = 0;
    for (auto _ : state) {
        worker.SubmitFrame(frame);
        ++expected;
        std::unique_lock lock(m);
        cv.wait(lock, [&] { return done >= expected; });
    }
    worker.Stop();
    state.counters["failed"] = static_cast<double>(worker.Stats().failed);
}
BENCHMARK(BM_FramePushToDevice)->Arg(19)->Arg(126)->UseRealTime();

// A producer at a fixed rate (200 Hz = the tile's 5 ms timer) for two seconds.
static void BM_DeliveredFpsAtFixedRate(benchmark::State& state) {
    Rig rig;
    const double intended = static_cast<double>(state.range(0));
    const auto period = std::chrono::microseconds(static_cast<int64_t>(1e6 / intended));
    for (auto _ : state) {
        StreamWorker worker(rig.channel);
        worker.Start();
        const auto start = std::chrono::steady_clock::now();
        auto next = start;
        uint8_t v = 0;
        while (next - start < std::chrono::seconds(2)) {
            worker.SubmitFrame(Frame(19, v++));
            next += period;
            std::this_thread::sleep_until(next);
        }
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        worker.Stop();
        const StreamStats s = worker.Stats();
        state.counters["intended_fps"] = intended;
        state.counters["submitted_fps"] = static_cast<double>(s.submitted) / seconds;
        state.counters["delivered_fps"] = static_cast<double>(s.streamed) / seconds;
        state.counters["superseded"] = static_cast<double>(s.superseded);
    }
}
BENCHMARK(BM_DeliveredFpsAtFixedRate)->Arg(200)->Arg(1000)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);

// The lighting thread paced by speed: 4 and 0 step every 7 and 28 coarse ticks
// (64 ticks/s), 5 on every pass. Every step changes the frame. Four seconds each.
static void BM_LightingThreadDelivery(benchmark::State& state) {
    Rig rig;
    const auto speed = static_cast<uint8_t>(state.range(0));
    const int period = StepPeriodTicks(speed);
    for (auto _ : state) {
        StreamWorker worker(rig.channel);
        worker.Start();
        LightingThread light(MouseLightingConfig());
        light.SetTiming(1, speed);
        LightingThread::Hooks hooks;
        hooks.step = [](const LightPass& p, LightFrame& f) {
            if (!p.effectStep) return false;
            for (auto& e : f) e = {static_cast<uint8_t>(e[0] + 1), 0x20, 0x40, 255};
            return true;
        };
        light.Start(hooks, &worker);
        const auto start = std::chrono::steady_clock::now();
        std::this_thread::sleep_for(std::chrono::seconds(4));
        light.Stop();
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        worker.Stop();
        const StreamStats s = worker.Stats();
        // Period 0 steps on every pass of the 1 ms loop.
        state.counters["intended_steps_per_s"] = period > 0 ? 64.0 / period : 1000.0;
        state.counters["steps_per_s"] = static_cast<double>(light.EffectSteps()) / seconds;
        state.counters["passes_per_s"] = static_cast<double>(light.Passes()) / seconds;
        state.counters["delivered_fps"] = static_cast<double>(s.streamed) / seconds;
        state.counters["superseded"] = static_cast<double>(s.superseded);
    }
}
BENCHMARK(BM_LightingThreadDelivery)->Arg(4)->Arg(0)->Arg(5)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);
