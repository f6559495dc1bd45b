// CPU use of the program while the mouse, the mouse pad and the headset animate
// for 10 s, and what reaches each emulated device per second against the
// intended rate. Run offscreen: QT_QPA_PLATFORM=offscreen ./m6_animation_bench
// The process holds the emulator as well, so the CPU figure includes it.
#include "app/CustomControls.h"
#include "app/MainWnd.h"
#include "devices/threads/LightingThread.h"
#include "emulator/Models.h"
#include "emulator/VirtualHidBus.h"
#include "platform/Folders.h"
#include "ui/UIManager.h"
#include "ui/UIResource.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <chrono>
#include <functional>
#include <memory>
#include <thread>

namespace {

double CpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

bool Spin(const std::function<bool()>& pred, int timeoutMs) {
    QElapsedTimer t;
    t.start();
    while (!pred() && t.elapsed() < timeoutMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return pred();
}

QApplication& App() {
    static int argc = 1;
    static char name[] = "m6_animation_bench";
    static char* argv[] = {name, nullptr};
    static QTemporaryDir config;
    static bool once = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
        return true;
    }();
    (void)once;
    static QApplication app(argc, argv);
    static bool init = [] {
        ui::CPaintManagerUI::SetResourcePath(platform::ResourceFolder() + "skin/");
        ui::CResourceManager::GetInstance().LoadResource("res.xml");
        app::RegisterCustomControls();
        return true;
    }();
    (void)init;
    return app;
}

void BM_AnimateMousePadHeadset10s(benchmark::State& state) {
    App();
    auto bus = std::make_shared<emu::VirtualHidBus>();
    hid::SetBackend(bus);
    auto* wnd = new app::CMainWnd;
    wnd->Create(nullptr, "Zandri Gaming Mouse");
    auto mouse = emu::MakeMouse(), pad = emu::MakeMousePad(), headset = emu::MakeHeadset();
    bus->Plug(mouse);
    bus->Plug(pad);
    bus->Plug(headset);
    Spin([&] { return !wnd->Mice().empty() && wnd->Mice()[0]->LightingRunning(); }, 5000);
    auto* device = wnd->Mice().empty() ? nullptr : wnd->Mice()[0];
    const int speed = device ? device->GetLightInfoRecord().bytes[2] : 0;

    for (auto _ : state) {
        const int padBefore = pad->FrameChunks(), hsBefore = headset->ChipReports();
        const uint64_t stepsBefore = device ? device->LightingSteps() : 0;
        const double cpu0 = CpuSeconds();
        QElapsedTimer wall;
        wall.start();
        Spin([&] { return wall.elapsed() >= 10000; }, 11000);
        const double seconds = wall.elapsed() / 1000.0;
        state.counters["cpu_percent_one_core"] = 100.0 * (CpuSeconds() - cpu0) / seconds;
        state.counters["mouse_steps_per_s"] = double((device ? device->LightingSteps() : 0) - stepsBefore) / seconds;
        // One step every StepPeriodTicks(speed) changes of the 15.625 ms clock.
        state.counters["mouse_steps_intended_per_s"] =
            1000.0 / (devices::threads::StepPeriodTicks(static_cast<uint8_t>(speed)) * 15.625);
        state.counters["mouse_reports_to_device"] = double(mouse->Requests(0x12).size());
        state.counters["pad_frame_chunks_per_s"] = (pad->FrameChunks() - padBefore) / seconds;
        state.counters["headset_led_reports_per_s"] = (headset->ChipReports() - hsBefore) / seconds;
    }
    delete wnd;
    ui::FlushDeferredDeletes();
    hid::SetBackend(nullptr);
}
BENCHMARK(BM_AnimateMousePadHeadset10s)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace
