// Time from plugging (unplugging) an emulated device to its tile appearing
// (disappearing) in the real main window, and from process start to the first
// window. Run offscreen: QT_QPA_PLATFORM=offscreen ./app_hotplug_bench
#include "app/CustomControls.h"
#include "app/DeviceOptionUI.h"
#include "app/MainWnd.h"
#include "emulator/Models.h"
#include "emulator/VirtualHidBus.h"
#include "platform/Folders.h"
#include "ui/UIResource.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>
#include <random>
#include <thread>

namespace {

struct Window {
    std::shared_ptr<emu::VirtualHidBus> bus = std::make_shared<emu::VirtualHidBus>();
    app::CMainWnd* wnd = nullptr;
    Window() {
        hid::SetBackend(bus);
        wnd = new app::CMainWnd;
        wnd->Create(nullptr, "Zandri Gaming Mouse");
        Spin([&] { return wnd->BringToFrontCount() > 0; });
    }
    ~Window() {
        delete wnd;
        hid::SetBackend(nullptr);
    }
    static bool Spin(const std::function<bool()>& pred, int timeoutMs = 5000) {
        QElapsedTimer t;
        t.start();
        while (!pred() && t.elapsed() < timeoutMs) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        return pred();
    }
    bool MouseTileShown() { return wnd->GetTile(0) && wnd->GetTile(0)->IsOwnVisible(); }
    // Plug and unplug land at a random point of the 100 ms scan cycle, not right after
    // the pass that saw the previous change.
    void RandomPhase() {
        QElapsedTimer t;
        t.start();
        const int ms = static_cast<int>(rng() % 100);
        Spin([&] { return t.elapsed() >= ms; }, 200);
    }
    std::minstd_rand rng{12345};
};

Window& Shared() {
    static Window w;
    return w;
}

void BM_PlugToTileVisible(benchmark::State& state) {
    Window& w = Shared();
    for (auto _ : state) {
        auto mouse = emu::MakeMouse();
        w.RandomPhase();
        const auto t0 = std::chrono::steady_clock::now();
        w.bus->Plug(mouse);
        if (!Window::Spin([&] { return w.MouseTileShown(); })) state.SkipWithError("tile never appeared");
        const auto t1 = std::chrono::steady_clock::now();
        state.SetIterationTime(std::chrono::duration<double>(t1 - t0).count());
        w.bus->Unplug(mouse);
        Window::Spin([&] { return !w.MouseTileShown(); });
    }
}
BENCHMARK(BM_PlugToTileVisible)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(30);

void BM_UnplugToTileGone(benchmark::State& state) {
    Window& w = Shared();
    for (auto _ : state) {
        auto mouse = emu::MakeMouse();
        w.bus->Plug(mouse);
        Window::Spin([&] { return w.MouseTileShown(); });
        w.RandomPhase();
        const auto t0 = std::chrono::steady_clock::now();
        w.bus->Unplug(mouse);
        if (!Window::Spin([&] { return !w.MouseTileShown(); })) state.SkipWithError("tile never went");
        const auto t1 = std::chrono::steady_clock::now();
        state.SetIterationTime(std::chrono::duration<double>(t1 - t0).count());
    }
}
BENCHMARK(BM_UnplugToTileGone)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(30);

// A fresh zandri --simulate process: fork/exec to the window shown by the first scan.
void BM_StartupToFirstWindow(benchmark::State& state) {
    int n = 0;
    for (auto _ : state) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("ZANDRI_INSTANCE_NAME", QString("zandri-bench-%1-%2").arg(QCoreApplication::applicationPid()).arg(n++));
        p.setProcessEnvironment(env);
        QElapsedTimer t;
        t.start();
        p.start(QString(ZANDRI_BIN_DIR) + "/zandri", {"--simulate", "--report-startup", "--exit-after-ms=400"});
        double ms = -1;
        while (p.waitForReadyRead(5000)) {
            const QByteArray line = p.readLine();
            if (line.startsWith("startup:")) {
                ms = double(t.elapsed());
                break;
            }
        }
        p.waitForFinished(10000);
        if (ms < 0) state.SkipWithError("no startup line");
        state.SetIterationTime(ms / 1000.0);
    }
}
BENCHMARK(BM_StartupToFirstWindow)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    QApplication qapp(argc, argv);
    ui::CPaintManagerUI::SetResourcePath(platform::ResourceFolder() + "skin/");
    ui::CResourceManager::GetInstance().LoadResource("res.xml");
    app::RegisterCustomControls();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
