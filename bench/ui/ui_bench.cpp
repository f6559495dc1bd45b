// Building the keyboard panel (126 key buttons in 6 rows) and laying it out.
#include "ui/UILib.h"

#include <QApplication>
#include <QWidget>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

namespace {

QApplication& App() {
    static int argc = 1;
    static char name[] = "ui_bench";
    static char* argv[] = {name, nullptr};
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static QApplication app(argc, argv);
    return app;
}

std::string KeyboardLayout() {
    std::string xml = "<SelectPanel name=\"device_key_light\">";
    for (int n = 0; n < 126; ++n) {
        const int row = n / 21, col = n % 21;
        const int x = 8 + col * 44, y = 8 + row * 44;
        xml += "<DeviceKeyButton name=\"key_" + std::to_string(n) + "\" userdata=\"light_" + std::to_string(n) +
               "\" float=\"true\" pos=\"" + std::to_string(x) + "," + std::to_string(y) + "," +
               std::to_string(x + 40) + "," + std::to_string(y + 40) +
               "\" normalimage=\"key/key_normal.png\" lightimage=\"key/light.png\"/>";
    }
    return xml + "</SelectPanel>";
}

void BM_BuildKeyboardPanel(benchmark::State& state) {
    App();
    ui::RegisterCustomControls();
    const std::string xml = KeyboardLayout();
    for (auto _ : state) {
        QWidget host;
        ui::CPaintManagerUI pm;
        pm.Init(&host);
        ui::CDialogBuilder builder;
        ui::CControlUI* root = builder.Create(xml, {}, nullptr, &pm);
        pm.AttachDialog(root);
        host.resize(960, 300);
        pm.DoLayout();
        benchmark::DoNotOptimize(pm.FindControl("key_125"));
        pm.DetachRoot();
        delete root;
    }
}
BENCHMARK(BM_BuildKeyboardPanel)->Unit(benchmark::kMillisecond);

void BM_FindKeyByName(benchmark::State& state) {
    App();
    ui::RegisterCustomControls();
    QWidget host;
    ui::CPaintManagerUI pm;
    pm.Init(&host);
    ui::CDialogBuilder builder;
    ui::CControlUI* root = builder.Create(KeyboardLayout(), {}, nullptr, &pm);
    pm.AttachDialog(root);
    int n = 0;
    for (auto _ : state) benchmark::DoNotOptimize(pm.FindControl("key_" + std::to_string(n++ % 126)));
    pm.DetachRoot();
    delete root;
}
BENCHMARK(BM_FindKeyByName);

} // namespace
