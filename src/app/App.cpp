#include "app/App.h"

#include "app/AppMessages.h"
#include "app/CustomControls.h"
#include "app/MainWnd.h"
#include "app/Simulation.h"
#include "app/SingleInstance.h"
#include "platform/Debug.h"
#include "platform/Folders.h"
#include "platform/Tick.h"
#include "ui/UIApplication.h"
#include "ui/UIResource.h"

#include <QFile>
#include <QFontDatabase>
#include <QTimer>
#include <cstdio>
#include <memory>

namespace app {

namespace {
// One private font; removed again when the loader goes.
class FontLoader {
public:
    explicit FontLoader(const std::string& relative) {
        QFile f(QString::fromStdString(platform::ResourceFolder() + relative));
        if (!f.open(QIODevice::ReadOnly)) return;  // a missing font is skipped silently
        id_ = QFontDatabase::addApplicationFontFromData(f.readAll());
    }
    ~FontLoader() {
        if (id_ >= 0) QFontDatabase::removeApplicationFont(id_);
    }
    FontLoader(const FontLoader&) = delete;
    FontLoader& operator=(const FontLoader&) = delete;

private:
    int id_ = -1;
};

constexpr const char* kFonts[] = {"Font/Simplified_Chinese.ttf", "Font/Vantor-Regular.otf",
                                  "Font/NotoSansThai-Regular.ttf", "Font/NotoSansCJKtc-Regular.otf"};

std::vector<std::string> SplitList(const std::string& s) {
    std::vector<std::string> out;
    std::string cur;
    for (char c : s) {
        if (c == ',') {
            if (!cur.empty()) out.push_back(cur);
            cur.clear();
        } else {
            cur += c;
        }
    }
    if (!cur.empty()) out.push_back(cur);
    return out;
}

void PrintHelp() {
    std::printf(
        "zandri [options]\n"
        "  --simulate[=mouse,keyboard,pad,hd]  use the emulated devices (default: all four)\n"
        "  --script=MS:plug|unplug:FAMILY;...   plug and unplug emulated devices over time\n"
        "  --exit-after-ms=N                   leave through the tray menu's exit after N ms\n"
        "  --report-startup                    print the time to the first window\n"
        "While simulating, Ctrl+Shift+1..4 plug or unplug mouse, keyboard, mouse pad, headset.\n");
}
} // namespace

AppOptions ParseOptions(const std::vector<std::string>& args) {
    AppOptions o;
    for (const std::string& a : args) {
        auto value = [&a](const char* key) -> const char* {
            const size_t n = std::char_traits<char>::length(key);
            return a.compare(0, n, key) == 0 ? a.c_str() + n : nullptr;
        };
        if (a == "--simulate") {
            o.simulate = true;
        } else if (const char* v = value("--simulate=")) {
            o.simulate = true;
            for (const auto& f : SplitList(v)) {
                if (Simulation::FamilyOf(f).empty()) o.error = "unknown device family: " + f;
                o.simulateFamilies.push_back(f);
            }
        } else if (const char* v2 = value("--script=")) {
            o.simulateScript = v2;
        } else if (const char* v3 = value("--exit-after-ms=")) {
            o.exitAfterMs = std::atoi(v3);
        } else if (a == "--report-startup") {
            o.reportStartup = true;
        } else if (a == "--help" || a == "-h") {
            o.help = true;
        }
        // Anything else belongs to Qt (-platform, -style ...).
    }
    if (!o.simulateScript.empty() && !o.simulate) o.error = "--script needs --simulate";
    return o;
}

int RunApp(int argc, char** argv) {
    const uint32_t startMs = platform::MonotonicMs();
    std::vector<std::string> args(argv + 1, argv + argc);
    const AppOptions options = ParseOptions(args);
    if (options.help) {
        PrintHelp();
        return 0;
    }
    if (!options.error.empty()) {
        std::fprintf(stderr, "zandri: %s\n", options.error.c_str());
        return 0;
    }

    std::unique_ptr<QCoreApplication> app = ui::CreateApplication(argc, argv);
    QCoreApplication& qapp = *app;
    std::vector<std::unique_ptr<FontLoader>> fonts;
    for (const char* f : kFonts) fonts.push_back(std::make_unique<FontLoader>(f));

    const unsigned instanceMsg = InstanceMessage();
    platform::DebugOut("软件标示：" + std::to_string(instanceMsg));
    SingleInstance instance;
    if (instance.HandOverToRunning()) {
        while (!fonts.empty()) fonts.pop_back();
        return 0;
    }

    std::unique_ptr<Simulation> simulation;
    if (options.simulate) {
        simulation = std::make_unique<Simulation>(options.simulateFamilies);
        simulation->InstallShortcuts();
        if (!options.simulateScript.empty() && !simulation->Schedule(options.simulateScript))
            std::fprintf(stderr, "zandri: bad --script, ignored\n");
    }

    ui::CPaintManagerUI::SetResourcePath(platform::ResourceFolder() + "skin/");
    ui::CResourceManager::GetInstance().LoadResource("res.xml");
    RegisterCustomControls();
    RegisterWindowMessage(kForwardNoticeName);
    RegisterWindowMessage(kLightClaimName);
    RegisterWindowMessage(kLightRequestName);

    auto* wnd = new CMainWnd;
    wnd->SetQuitHandler([] { QCoreApplication::exit(0); });
    if (!wnd->Create(nullptr, "Zandri Gaming Mouse")) {
        std::fprintf(stderr, "zandri: the main window layout could not be built\n");
        delete wnd;
        return 0;
    }
    wnd->CenterWindow();
    instance.Listen([wnd] { wnd->PostMessage(InstanceMessage(), 0, 1); });
    if (options.reportStartup) {
        auto* poll = new QTimer(&qapp);
        QObject::connect(poll, &QTimer::timeout, poll, [wnd, poll, startMs] {
            if (wnd->BringToFrontCount() == 0) return;
            std::printf("startup: first window after %u ms\n", platform::MonotonicMs() - startMs);
            std::fflush(stdout);
            poll->stop();
        });
        poll->start(1);
    }
    if (options.exitAfterMs >= 0) QTimer::singleShot(options.exitAfterMs, &qapp, [wnd] { wnd->Exit(); });

    qapp.exec();

    delete wnd;
    ui::FlushDeferredDeletes();
    ui::CResourceManager::GetInstance().Release();
    simulation.reset();
    while (!fonts.empty()) fonts.pop_back();
    return 0;
}

} // namespace app
