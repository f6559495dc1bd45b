// End to end: the real CMainWnd with its layouts, the discovery thread and the
// emulated devices on the virtual bus. Every wait is a bounded event-loop spin.
#include "AppTestSupport.h"
#include "app/AppMessages.h"
#include "app/DeviceOptionUI.h"
#include "app/MainWnd.h"
#include "app/SingleInstance.h"
#include "emulator/Models.h"
#include "emulator/VirtualHidBus.h"
#include "platform/Debug.h"
#include "ui/UICommonControls.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QWidget>
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

using apptest::Pump;
using apptest::WaitFor;

namespace {

constexpr int kMouseTile = 0, kKeyboardTile = 1, kPadTile = 2, kHeadsetTile = 3;
constexpr const char* kTimeoutLine = "所有对象处于非激发状态，超时";

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        app::SetAwake(true);
        bus = std::make_shared<emu::VirtualHidBus>();
        backend = std::make_shared<apptest::CountingBackend>(bus);
        hid::SetBackend(backend);
        wnd = new app::CMainWnd;
        wnd->SetQuitHandler([this] { ++quits; });
        ASSERT_TRUE(wnd->Create(nullptr, "Zandri Gaming Mouse"));
        // Hidden until the scanner's first pass, then brought to the front.
        ASSERT_TRUE(WaitFor([&] { return wnd->IsInitialised() && wnd->BringToFrontCount() > 0; }));
    }
    void TearDown() override {
        delete wnd;
        ui::FlushDeferredDeletes();
        hid::SetBackend(nullptr);
        app::SetAwake(true);
    }

    ui::CControlUI* Find(const char* name) { return wnd->GetPaintManager().FindControl(name); }
    int Page(const char* tab) {
        auto* t = ui::ControlCast<ui::CTabLayoutUI>(Find(tab), "TabLayout");
        return t ? t->GetCurSel() : -100;
    }
    app::CDeviceOptionUI* Tile(int i) { return wnd->GetTile(i); }
    bool TileShown(int i) { return Tile(i) && Tile(i)->IsOwnVisible(); }
    bool WindowVisible() { return wnd->GetHWND() && wnd->GetHWND()->isVisible(); }
    bool NoDevicePageShown() { return Find("No_device_Link") && Find("No_device_Link")->IsOwnVisible(); }
    // The scanner has run n more enumeration passes.
    void WaitPasses(int n) {
        const int start = wnd->Scanner()->Passes();
        ASSERT_TRUE(WaitFor([&] { return wnd->Scanner()->Passes() >= start + n; }));
    }
    std::string CommandPath(const emu::DeviceModel& m) { return bus->PathOf(m, m.CommandCollection()); }

    std::shared_ptr<emu::VirtualHidBus> bus;
    std::shared_ptr<apptest::CountingBackend> backend;
    app::CMainWnd* wnd = nullptr;
    int quits = 0;
};

TEST_F(MainWindowTest, WithoutDevicesTheNoDevicePageShows) {
    EXPECT_TRUE(WindowVisible());
    EXPECT_TRUE(NoDevicePageShown());
    EXPECT_EQ(Page("device_switch"), 0);
    EXPECT_EQ(Page("device_power_switch"), 0);
    ASSERT_EQ(wnd->GetTileCount(), 4) << "one tile per family, built from the tables";
    EXPECT_EQ(wnd->CountVisibleTiles(), 0);
    EXPECT_EQ(wnd->GetSelectedDevice(), nullptr);
    ASSERT_EQ(wnd->Mice().size(), 1u);
    ASSERT_EQ(wnd->Keyboards().size(), 1u);
    ASSERT_EQ(wnd->MousePads().size(), 1u);
    ASSERT_EQ(wnd->Headsets().size(), 1u);
    EXPECT_EQ(Tile(kMouseTile)->GetDevice(), wnd->Mice()[0]);
    EXPECT_EQ(Tile(kHeadsetTile)->GetDevice(), wnd->Headsets()[0]);
    EXPECT_EQ(wnd->Keyboards()[0]->GetKeyCount(), 126);
    EXPECT_NE(wnd->Keyboards()[0]->KeyButton(125), nullptr) << "the keyboard panel binds all 126 keys";
    EXPECT_NE(wnd->Mice()[0]->LedButton(18), nullptr) << "the mouse panel binds all 19 LEDs";
    EXPECT_NE(wnd->Headsets()[0]->LedButton(12), nullptr);
    EXPECT_NE(wnd->MousePads()[0]->LedButton(14), nullptr);
}

TEST_F(MainWindowTest, MouseArrivalShowsAndSelectsItsTileAndConnects500msLater) {
    auto mouse = emu::MakeMouse();
    bus->Plug(mouse);
    ASSERT_TRUE(WaitFor([&] { return TileShown(kMouseTile); }));
    auto* device = wnd->Mice()[0];
    EXPECT_TRUE(Tile(kMouseTile)->IsSelected());
    EXPECT_EQ(wnd->GetSelectedDevice(), device);
    EXPECT_TRUE(device->IsConnected());
    EXPECT_EQ(device->CommandChannel().hid.devicePath, CommandPath(*mouse));
    EXPECT_FALSE(NoDevicePageShown());
    EXPECT_EQ(Page("device_switch"), Tile(kMouseTile)->GetBindIndex());
    EXPECT_TRUE(device->SyncChannelHasPath()) << "the consumer interface feeds the sync channel";
    EXPECT_EQ(device->ConnectCount(), 0) << "OnConnected waits for the tile's 500 ms timer";
    EXPECT_TRUE(mouse->Requests(emu::cmd::kReadDeviceInfo).empty());

    ASSERT_TRUE(WaitFor([&] { return device->ConnectCount() == 1; }, 3000));
    EXPECT_EQ(device->LastConnectResult(), 1);
    EXPECT_EQ(mouse->Requests(emu::cmd::kReadDeviceInfo).size(), 1u);
    EXPECT_EQ(device->GetDeviceInfo().bytes, mouse->DeviceInfo());
}

TEST_F(MainWindowTest, SecondDeviceKeepsSelectionOffersSyncAndRemovalSelectsTheOther) {
    auto mouse = emu::MakeMouse();
    auto pad = emu::MakeMousePad();
    bus->Plug(mouse);
    ASSERT_TRUE(WaitFor([&] { return TileShown(kMouseTile); }));
    EXPECT_FALSE(wnd->Mice()[0]->IsSyncOffered()) << "one device alone has nobody to synchronise with";
    bus->Plug(pad);
    ASSERT_TRUE(WaitFor([&] { return TileShown(kPadTile); }));
    EXPECT_TRUE(Tile(kMouseTile)->IsSelected());
    EXPECT_FALSE(Tile(kPadTile)->IsSelected());
    EXPECT_EQ(wnd->GetSelectedDevice(), wnd->Mice()[0]);
    for (auto* d : {static_cast<devices::COstrivanUSBDevice*>(wnd->Mice()[0]), static_cast<devices::COstrivanUSBDevice*>(wnd->Keyboards()[0]),
                    static_cast<devices::COstrivanUSBDevice*>(wnd->MousePads()[0]), static_cast<devices::COstrivanUSBDevice*>(wnd->Headsets()[0])})
        EXPECT_TRUE(d->IsSyncOffered()) << d->GetClass();
    EXPECT_TRUE(Tile(kMouseTile)->SynchroBox()->IsOwnVisible());
    EXPECT_TRUE(Tile(kPadTile)->SynchroBox()->IsOwnVisible());

    // One box checked alone means nothing to share: it is cleared on the next change.
    Tile(kMouseTile)->SetSynchro(true);
    bus->Unplug(mouse);
    ASSERT_TRUE(WaitFor([&] { return !TileShown(kMouseTile); }));
    EXPECT_TRUE(Tile(kPadTile)->IsSelected());
    EXPECT_EQ(wnd->GetSelectedDevice(), wnd->MousePads()[0]);
    EXPECT_EQ(Page("device_switch"), Tile(kPadTile)->GetBindIndex());
    EXPECT_FALSE(wnd->Mice()[0]->IsConnected());
    EXPECT_FALSE(Tile(kMouseTile)->IsSynchro());
    EXPECT_FALSE(wnd->MousePads()[0]->IsSyncOffered());

    bus->Unplug(pad);
    ASSERT_TRUE(WaitFor([&] { return !TileShown(kPadTile); }));
    EXPECT_TRUE(NoDevicePageShown());
    EXPECT_EQ(Page("device_switch"), 0);
    EXPECT_EQ(Page("device_power_switch"), 0);
    EXPECT_EQ(wnd->GetSelectedDevice(), nullptr);
}

TEST_F(MainWindowTest, ASecondIdenticalMouseIsIgnored) {
    auto first = emu::MakeMouse();
    auto second = emu::MakeMouse();
    bus->Plug(first);
    ASSERT_TRUE(WaitFor([&] { return TileShown(kMouseTile); }));
    bus->Plug(second);
    WaitPasses(3);
    auto* device = wnd->Mice()[0];
    EXPECT_EQ(device->CommandChannel().hid.devicePath, CommandPath(*first));
    EXPECT_EQ(wnd->CountVisibleTiles(), 1);

    bus->Unplug(second);
    WaitPasses(3);
    EXPECT_TRUE(TileShown(kMouseTile));
    EXPECT_TRUE(device->IsConnected());

    bus->Unplug(first);
    ASSERT_TRUE(WaitFor([&] { return !TileShown(kMouseTile); }));
}

TEST_F(MainWindowTest, AnInterfaceWithAnotherUsagePageIsProbedButNeverClaimed) {
    emu::InterfaceSpec spec = emu::ComboInterface();
    // The vendor collection (usage page 0xFF1C) becomes 0xFF1D; path numbers stay those of the mouse.
    auto& d = spec.descriptor;
    for (size_t i = 0; i + 2 < d.size(); ++i)
        if (d[i] == 0x06 && d[i + 1] == 0x1C && d[i + 2] == 0xFF) d[i + 1] = 0x1D;
    spec.collections[3].usagePage = 0xFF1D;
    auto model = std::make_shared<emu::DeviceModel>(emu::ModelIdentity{"mouse", 0x0C45, 0x7643, 0x0104, 1}, spec, 3,
                                                    2, false);
    bus->Plug(model);
    const std::string path = CommandPath(*model);
    ASSERT_TRUE(WaitFor([&] { return backend->Opens(path) >= 3; })) << "tried again on every pass";
    // The scanner may be inside a probe right now; a leaked probe would never let this reach 0.
    EXPECT_TRUE(WaitFor([&] { return backend->Live(path) == 0; })) << "each probe closes what it opened";
    EXPECT_FALSE(TileShown(kMouseTile));
    EXPECT_FALSE(wnd->Mice()[0]->IsConnected());
    EXPECT_TRUE(NoDevicePageShown());
}

TEST_F(MainWindowTest, ArrivalsBringTheWindowToTheFrontRemovalsDoNot) {
    wnd->ShowWindow(false);
    const int before = wnd->BringToFrontCount();
    auto mouse = emu::MakeMouse();
    bus->Plug(mouse);
    // Two arrivals: the command interface and the sync interface.
    ASSERT_TRUE(WaitFor([&] { return wnd->BringToFrontCount() == before + 2; }));
    EXPECT_TRUE(WindowVisible());

    wnd->ShowWindow(false);
    bus->Unplug(mouse);
    ASSERT_TRUE(WaitFor([&] { return !TileShown(kMouseTile); }));
    WaitPasses(1);
    EXPECT_EQ(wnd->BringToFrontCount(), before + 2);
    EXPECT_FALSE(WindowVisible());
}

TEST_F(MainWindowTest, DevicesComeAndGoWhileTheWindowIsAsleep) {
    wnd->SendMessage(app::kWmPowerBroadcast, app::kPbtSuspend, 0);
    ASSERT_FALSE(app::IsAwake());
    auto headset = emu::MakeHeadset();
    bus->Plug(headset);
    ASSERT_TRUE(WaitFor([&] { return TileShown(kHeadsetTile); }));
    EXPECT_TRUE(wnd->Headsets()[0]->IsConnected());
    bus->Unplug(headset);
    ASSERT_TRUE(WaitFor([&] { return !TileShown(kHeadsetTile); }));
    EXPECT_FALSE(wnd->Headsets()[0]->IsConnected()) << "no channel stays open on a vanished device";
    wnd->SendMessage(app::kWmPowerBroadcast, app::kPbtResume, 0);
    EXPECT_TRUE(app::IsAwake());
}

TEST_F(MainWindowTest, ShutdownEndsPromptlyWithAWorkerBlockedInIo) {
    auto mouse = emu::MakeMouse();
    bus->Plug(mouse);
    ASSERT_TRUE(WaitFor([&] { return TileShown(kMouseTile); }));
    auto hidDevice = std::make_shared<CHidDevice>();
    ASSERT_TRUE(hidDevice->OpenHidDevice(bus->PathOf(*mouse, mouse->SyncCollection()), true, false, true, false));
    ASSERT_TRUE(wnd->StartWorker(
        app::CMainWnd::kUpdateThreadSlot,
        [hidDevice](const platform::Event&) {
            uint8_t report[64];
            size_t got = 0;
            hidDevice->ReadHidReport(report, sizeof report, -1, got);  // no input ever comes
        },
        [hidDevice] { hidDevice->SignalStop(); }));
    ASSERT_TRUE(WaitFor([&] { return hidDevice->readPending.load(); }));

    platform::DebugCapture capture;
    QElapsedTimer t;
    t.start();
    wnd->StopWorkerThreads();
    const qint64 ms = t.elapsed();
    EXPECT_FALSE(capture.Contains(kTimeoutLine));
    EXPECT_EQ(capture.Count("所有对象处于激发状态"), 2u) << "the scanner and the blocked worker ended";
    EXPECT_TRUE(capture.Contains("错误19")) << "slots without a thread are reported and skipped";
    EXPECT_LT(ms, 1000) << "nobody waited out the 1000 ms grace";
    EXPECT_FALSE(wnd->IsWorkerRunning(app::CMainWnd::kUpdateThreadSlot));
}

TEST_F(MainWindowTest, StopWhileTheScannerWaitsOnAnArrivalNeverDeadlocks) {
    auto mouse = emu::MakeMouse();
    bus->Plug(mouse);
    // Keep the UI thread away from its event loop until the scanner is stuck in its send.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (wnd->Bridge().WaitingSends() == 0 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_EQ(wnd->Bridge().WaitingSends(), 1);

    platform::DebugCapture capture;
    wnd->StopWorkerThreads();
    EXPECT_TRUE(capture.Contains("抓取设备线程设定退出"));
    EXPECT_FALSE(capture.Contains(kTimeoutLine));
    EXPECT_FALSE(wnd->IsWorkerRunning(app::CMainWnd::kScanThreadSlot));
    Pump(50);
    EXPECT_EQ(wnd->CountVisibleTiles(), 0) << "the abandoned arrival is not handled afterwards";
}

TEST_F(MainWindowTest, CloseHidesToTheTrayTrayClickBringsItBackExitEnds) {
    ui::CControlUI* close = Find("closebtn");
    ASSERT_TRUE(close);
    wnd->GetPaintManager().SendNotify(close, "click");
    EXPECT_FALSE(WindowVisible());
    EXPECT_TRUE(wnd->IsWindow());
    EXPECT_TRUE(wnd->IsWorkerRunning(app::CMainWnd::kScanThreadSlot));

    wnd->PostMessage(app::kWmTrayIcon, 0, ui::kWmLButtonUp);
    ASSERT_TRUE(WaitFor([&] { return WindowVisible(); }));
    wnd->PostMessage(app::kWmTrayIcon, 0, ui::kWmLButtonUp);
    ASSERT_TRUE(WaitFor([&] { return !WindowVisible(); }));

    // A control named in capitals reaches the same route.
    wnd->ShowWindow(true);
    ui::CButtonUI shouting;
    shouting.SetName("NODEVICE_OK_BTN");
    ui::TNotifyUI msg;
    msg.sType = "click";
    msg.pSender = &shouting;
    wnd->Notify(msg);
    EXPECT_FALSE(WindowVisible());

    wnd->Exit();
    ASSERT_TRUE(WaitFor([&] { return !wnd->IsWindow(); }));
    EXPECT_EQ(quits, 1);
    EXPECT_FALSE(wnd->IsWorkerRunning(app::CMainWnd::kScanThreadSlot));
}

TEST_F(MainWindowTest, PageTabsSwitchTheSelectedDevicesPages) {
    auto mouse = emu::MakeMouse();
    bus->Plug(mouse);
    ASSERT_TRUE(WaitFor([&] { return TileShown(kMouseTile); }));
    auto* device = wnd->Mice()[0];
    auto* keysTab = ui::ControlCast<ui::COptionUI>(device->FindSubControl("key_Op_tab"), "Option");
    ASSERT_TRUE(keysTab);
    keysTab->Selected(true, true);
    EXPECT_EQ(device->GetKind(), 2);
    auto* keyPages = ui::ControlCast<ui::CTabLayoutUI>(device->FindSubControl("device_key_function_switch"), "TabLayout");
    ASSERT_TRUE(keyPages);
    EXPECT_EQ(keyPages->GetCurSel(), 1);
}

TEST_F(MainWindowTest, LightingControlFollowsRequestsAndTheLabel) {
    const unsigned request = app::RegisterWindowMessage(app::kLightRequestName);
    ui::CControlUI* label = Find("control_light_status");
    ASSERT_TRUE(label);
    wnd->SendMessage(request, 1, 0);
    EXPECT_FALSE(wnd->IsLightControl());
    EXPECT_EQ(label->GetText(), "不控制灯光");
    EXPECT_FALSE(wnd->Mice()[0]->IsLightingOn());
    EXPECT_FALSE(wnd->Keyboards()[0]->IsLightingOn());
    EXPECT_FALSE(wnd->MousePads()[0]->IsLightingOn());
    EXPECT_TRUE(wnd->Headsets()[0]->IsLightingOn()) << "headsets are not told";
    wnd->SendMessage(request, 2, 1);
    EXPECT_FALSE(wnd->IsLightControl()) << "any other wParam is ignored";
    wnd->GetPaintManager().SendNotify(label, "click");
    EXPECT_TRUE(wnd->IsLightControl());
    EXPECT_EQ(label->GetText(), "控制灯光");
    EXPECT_TRUE(wnd->Mice()[0]->IsLightingOn());
}

TEST_F(MainWindowTest, ASecondInstanceHandsOverAndExitsZero) {
    const QString name = QString("zandri-test-%1").arg(QCoreApplication::applicationPid());
    app::SingleInstance first(name);
    ASSERT_TRUE(first.Listen([this] { wnd->PostMessage(app::InstanceMessage(), 0, 1); }));
    wnd->ShowWindow(false);
    const int before = wnd->BringToFrontCount();

    QProcess second;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("ZANDRI_INSTANCE_NAME", name);
    env.insert("QT_QPA_PLATFORM", "offscreen");
    second.setProcessEnvironment(env);
    second.start(QString(ZANDRI_BIN_DIR) + "/zandri", {});
    ASSERT_TRUE(second.waitForStarted(5000));
    ASSERT_TRUE(WaitFor([&] { return second.state() == QProcess::NotRunning; }, 15000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    ASSERT_TRUE(WaitFor([&] { return wnd->BringToFrontCount() > before; }));
    EXPECT_TRUE(WindowVisible());
}

} // namespace
