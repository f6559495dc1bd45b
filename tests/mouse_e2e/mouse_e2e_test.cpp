// End to end on the emulated mouse: the real main window, its routes and the
// mouse device object, asserted on the mouse's memory, its wire log, the
// profile file and the desktop settings that were applied.
#include "app/AppTestSupport.h"
#include "app/DeviceOptionUI.h"
#include "app/MainWnd.h"
#include "devices/mouse/MouseConfig.h"
#include "devices/objects/MouseDevice.h"
#include "emulator/Models.h"
#include "emulator/VirtualHidBus.h"
#include "panels/LightControlUI.h"
#include "platform/system_settings/RecordingSystemSettings.h"
#include "ui/UICommonControls.h"
#include "ui/UIManager.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTimer>
#include <gtest/gtest.h>
#include <json/json.h>

#include <fstream>
#include <memory>

extern std::shared_ptr<platform::RecordingSystemSettings> g_recordedSettings;

using apptest::Pump;
using apptest::WaitFor;
using devices::COstrivanMouseDevice;
namespace mc = devices::mouse;

namespace {

constexpr size_t kBlockLength = 75;

class MouseE2E : public ::testing::Test {
protected:
    void SetUp() override {
        // Every test starts from the default profile.
        QDir config(QString::fromLocal8Bit(qgetenv("XDG_CONFIG_HOME")));
        ASSERT_FALSE(config.path().isEmpty());
        config.removeRecursively();
        config.mkpath(".");
        app::SetAwake(true);
        bus = std::make_shared<emu::VirtualHidBus>();
        hid::SetBackend(bus);
        ASSERT_TRUE(COstrivanMouseDevice::SystemSettings().WaitIdle(2000));
        settingsBeforeWindow = g_recordedSettings->Calls().size();
        wnd = new app::CMainWnd;
        ASSERT_TRUE(wnd->Create(nullptr, "Zandri Gaming Mouse"));
        ASSERT_TRUE(WaitFor([&] { return wnd->IsInitialised(); }));
        model = emu::MakeMouse();
        bus->Plug(model);
        ASSERT_TRUE(WaitFor([&] { return !wnd->Mice().empty() && wnd->Mice()[0]->ConnectCount() == 1; }, 4000));
        mouse = wnd->Mice()[0];
        ASSERT_EQ(wnd->GetSelectedDevice(), mouse);
        ASSERT_TRUE(WaitFor([&] { return mouse->LightingRunning() && mouse->SyncRunning(); }));
        light = mouse->LightPanel();
        ASSERT_NE(light, nullptr);
    }
    void TearDown() override {
        delete wnd;
        ui::FlushDeferredDeletes();
        hid::SetBackend(nullptr);
    }

    ui::CControlUI* Ctl(const std::string& name) { return mouse->FindSubControl(name); }
    template <class T>
    T* Ctl(const std::string& name, const char* iface) {
        return ui::ControlCast<T>(Ctl(name), iface);
    }
    void Raise(const std::string& name, const char* type) {
        ui::CControlUI* c = Ctl(name);
        ASSERT_NE(c, nullptr) << name;
        wnd->GetPaintManager().SendNotify(c, type);
    }
    // Waits until the queued config write has gone out.
    bool Written() {
        return WaitFor([&] { return !mouse->ConfigWritePending(); }, 4000);
    }
    std::vector<uint8_t> Block() { return model->Config(0, kBlockLength); }
    Json::Value ProfileOnDisk() {
        std::ifstream in(mouse->GetProfilePath());
        Json::Value v;
        in >> v;
        return v["Device"][0];
    }
    size_t ConfigWrites() { return model->Requests(emu::cmd::kWriteBlock).size(); }

    std::shared_ptr<emu::VirtualHidBus> bus;
    std::shared_ptr<emu::DeviceModel> model;
    app::CMainWnd* wnd = nullptr;
    COstrivanMouseDevice* mouse = nullptr;
    panels::CLightControlUI* light = nullptr;
    size_t settingsBeforeWindow = 0;
};

TEST_F(MouseE2E, DpiSliderReleaseWritesTheBlockAndDragOnlyShows) {
    auto* slider = Ctl<ui::CSliderUI>("DPI_slider_2", "Slider");
    ASSERT_NE(slider, nullptr);
    EXPECT_EQ(slider->GetMaxValue(), 48);
    const uint8_t step = mouse->GetDeviceInfo().dpiStep();

    // Dragging shows the DPI in the edit and writes nothing.
    const size_t before = ConfigWrites();
    slider->SetValue(40);
    Raise("DPI_slider_2", "movevaluechanged");
    Pump(100);
    EXPECT_EQ(ConfigWrites(), before);
    EXPECT_EQ(Ctl("DPI_edit_2")->GetText(), std::to_string(mc::DpiForIndex(40, step)));
    EXPECT_NE(mouse->GetStageDpi(2), 40);

    slider->SetValue(30);
    Raise("DPI_slider_2", "valuechanged");
    ASSERT_TRUE(Written());
    ASSERT_GT(ConfigWrites(), before);
    const std::vector<uint8_t> b = Block();
    EXPECT_EQ(b[17], 30) << "stage 2 sits at byte 17";
    const size_t stageBytes[6] = {15, 16, 17, 18, 20, 21};
    for (int n = 0; n < 6; ++n) EXPECT_EQ(b[stageBytes[n]], mouse->GetStageDpi(n)) << "stage " << n;
    EXPECT_EQ(b[19], mouse->ProfileData().GetActiveStage());
    EXPECT_EQ(b[22], (COstrivanMouseDevice::ScreenPixelWidth() >> 8) & 0xFF);
    EXPECT_EQ(Ctl("DPI_edit_2")->GetText(), std::to_string(mc::DpiForIndex(30, step)));
    EXPECT_EQ(ProfileOnDisk()["DPIStages"]["StageDPIs"][2]["StageDPIX"].asInt() & 0xFF, 30);
}

TEST_F(MouseE2E, StageNumbersOutsideTheMouseAreIgnored) {
    const size_t stages = mouse->ProfileData().GetDpiStages().size();
    const size_t before = ConfigWrites();
    for (const char* name : {"DPI_slider_7", "DPI_slider_-1", "DPI_edit_6", "DPI_enable_check_9"}) {
        ui::CSliderUI stray;
        stray.SetName(name);
        stray.SetValue(20);
        wnd->GetPaintManager().SendNotify(&stray, "valuechanged");
        wnd->GetPaintManager().SendNotify(&stray, "killfocus");
        wnd->GetPaintManager().SendNotify(&stray, "selectchanged");
    }
    Pump(100);
    EXPECT_EQ(ConfigWrites(), before);
    EXPECT_EQ(mouse->ProfileData().GetDpiStages().size(), stages);
}

TEST_F(MouseE2E, TypedDpisBecomeStageIndexes) {
    const uint16_t minDpi = mouse->GetDeviceInfo().minDpi();
    ASSERT_LE(minDpi, 200) << "the emulated mouse must not raise 150 above 200 for this case";
    const std::pair<const char*, int> kCases[] = {{"150", 0}, {"5000", 48}, {"5400", 50}, {"1000", 8}};
    for (const auto& [typed, index] : kCases) {
        Ctl("DPI_edit_1")->SetText(typed);
        Raise("DPI_edit_1", "killfocus");
        ASSERT_TRUE(Written());
        EXPECT_EQ(Block()[16], index) << typed;
        EXPECT_EQ(mouse->GetStageDpi(1), index) << typed;
    }
}

TEST_F(MouseE2E, EffectColourAndLevelsReachTheMouseAndTheProfile) {
    // Multi-colour on with effect 1, then effect 5: the block carries multi-colour 0.
    light->SelectMode(1);
    Raise("light_combo_modeSelect", "itemselect");
    Ctl<ui::CCheckBoxUI>("deng_7color_check", "CheckBox")->SetCheck(true);
    Raise("deng_7color_check", "selectchanged");
    ASSERT_TRUE(Written());
    EXPECT_EQ(Block()[1], 1);
    EXPECT_EQ(Block()[5], 1);

    light->SelectMode(5);
    Raise("light_combo_modeSelect", "itemselect");
    ASSERT_TRUE(Written());
    EXPECT_EQ(Block()[1], 5);
    EXPECT_EQ(Block()[5], 0) << "effect 5 never goes out with multi-colour";
    EXPECT_EQ(ProfileOnDisk()["LightInfo"]["SelectItem"].asInt(), 5);

    light->SetBrightness(2);
    Raise("deng_light_slider", "valuechanged");
    light->SetSpeed(1);
    Raise("deng_speed_slider", "valuechanged");
    ASSERT_TRUE(Written());
    EXPECT_EQ(Block()[2], 2);
    EXPECT_EQ(Block()[3], 4 - 1) << "a wired mouse takes 4 - speed";
    EXPECT_EQ(ProfileOnDisk()["LightInfo"]["Light"].asInt(), 2);
    EXPECT_EQ(ProfileOnDisk()["LightInfo"]["Speed"].asInt(), 1);

    // A colour typed as -1 and 300 is held to 0 and 255 and shown that way.
    Ctl("deng_edit_R")->SetText("-1");
    Raise("deng_edit_R", "killfocus");
    Ctl("deng_edit_G")->SetText("300");
    Raise("deng_edit_G", "killfocus");
    Ctl("deng_edit_B")->SetText("77");
    Raise("deng_edit_B", "killfocus");
    ASSERT_TRUE(Written());
    EXPECT_EQ(light->GetRedText(), "0");
    EXPECT_EQ(light->GetGreenText(), "255");
    EXPECT_EQ((std::vector<uint8_t>{Block()[6], Block()[7], Block()[8]}), (std::vector<uint8_t>{0, 255, 77}));
    EXPECT_EQ(light->GetPaletteColor(), 0xFF00FF4Du);
    EXPECT_EQ(ProfileOnDisk()["LightInfo"]["Green"].asInt(), 255);

    // A preset colour leaves the device's part in a shared effect as it is; the palette clears it.
    mouse->SetSyncEnrolled(true);
    const uint32_t preset = light->GetOptionColor(3);
    Raise("color_option_3", "click");
    ASSERT_TRUE(Written());
    EXPECT_TRUE(mouse->IsSyncEnrolled());
    EXPECT_EQ(Block()[6], (preset >> 16) & 0xFF);
    EXPECT_EQ(Block()[7], (preset >> 8) & 0xFF);
    EXPECT_EQ(Block()[8], preset & 0xFF);
    EXPECT_EQ(light->GetPaletteColor(), preset);
    Raise("deng_Color_Pallet", "colorchanged");
    ASSERT_TRUE(Written());
    EXPECT_FALSE(mouse->IsSyncEnrolled());

    // An effect number the mouse does not have goes out as 0.
    mouse->SetLightInfo(9 | 4 << 8, 0, 0);
    mouse->SaveProfile();
    mouse->QueueConfigWrite();
    ASSERT_TRUE(Written());
    EXPECT_EQ(Block()[1], 0);
}

TEST_F(MouseE2E, ReportRateAndPointerSettingsAreStoredAndApplied) {
    auto* option = Ctl<ui::COptionUI>("polling_rate_option_3", "Option");
    ASSERT_NE(option, nullptr);
    option->Selected(true, true);  // raises selectchanged for the option that lost it, too
    ASSERT_TRUE(Written());
    EXPECT_EQ(Block()[14], 3);
    EXPECT_EQ(ProfileOnDisk()["ReportStages"]["StageActive"].asInt(), 3);

    const size_t before = g_recordedSettings->Calls().size();
    Ctl<ui::CSliderUI>("pointer_speed_slider", "Slider")->SetValue(7);
    Raise("pointer_speed_slider", "valuechanged");
    Ctl<ui::CSliderUI>("scroll_speed_slider", "Slider")->SetValue(4);
    Raise("scroll_speed_slider", "valuechanged");
    auto* dbl = Ctl<ui::CSliderUI>("double_click_slider", "Slider");
    dbl->SetValue(3);
    Raise("double_click_slider", "valuechanged");
    ASSERT_TRUE(COstrivanMouseDevice::SystemSettings().WaitIdle(2000));
    const auto calls = g_recordedSettings->Calls();
    using platform::RecordingSystemSettings;
    using platform::SystemSetting;
    const std::vector<RecordingSystemSettings::Call> expected = {
        RecordingSystemSettings::Expect(SystemSetting::PointerSpeed, 16),
        RecordingSystemSettings::Expect(SystemSetting::WheelScrollLines, 5),
        RecordingSystemSettings::Expect(SystemSetting::DoubleClickTime, (dbl->GetMaxValue() - 3 + 1) * 100),
    };
    ASSERT_EQ(calls.size(), before + expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(calls[before + i], expected[i]) << i;
        EXPECT_NE(calls[before + i].thread, std::this_thread::get_id()) << "applied off the UI thread";
    }
    const Json::Value sys = ProfileOnDisk()["SystemStages"];
    EXPECT_EQ(sys["MouseSpeed"].asInt(), 7);
    EXPECT_EQ(sys["WheelScorlllinse"].asInt(), 4);
    EXPECT_EQ(sys["DoubleClickTime"].asInt(), 3);

    Ctl<ui::CCheckBoxUI>("scrolls_page_check", "CheckBox")->SetCheck(true);
    Raise("scrolls_page_check", "selectchanged");
    ASSERT_TRUE(COstrivanMouseDevice::SystemSettings().WaitIdle(2000));
    EXPECT_EQ(g_recordedSettings->Calls().back(),
              RecordingSystemSettings::Expect(SystemSetting::WheelScrollLines, platform::kWheelPageScroll));
    EXPECT_EQ(ProfileOnDisk()["SystemStages"]["ScorllPage"].asInt(), 1);
}

TEST_F(MouseE2E, TheLastEnabledStageCannotBeSwitchedOff) {
    for (int n = 0; n < 6; ++n) {
        auto* check = Ctl<ui::CCheckBoxUI>("DPI_enable_check_" + std::to_string(n), "CheckBox");
        ASSERT_NE(check, nullptr);
        check->SetCheck(n == 0);
        Raise("DPI_enable_check_" + std::to_string(n), "selectchanged");
    }
    ASSERT_TRUE(Written());
    EXPECT_TRUE(mouse->IsStageEnabled(0));
    for (int n = 1; n < 6; ++n) {
        EXPECT_FALSE(mouse->IsStageEnabled(n)) << n;
        EXPECT_FALSE(Ctl("DPI_layout_" + std::to_string(n))->IsOwnVisible()) << n;
    }
    EXPECT_FALSE(Ctl("DPI_enable_check_0")->IsEnabled()) << "the one stage left is locked on";
    Ctl<ui::CCheckBoxUI>("DPI_enable_check_3", "CheckBox")->SetCheck(true);
    Raise("DPI_enable_check_3", "selectchanged");
    EXPECT_TRUE(Ctl("DPI_enable_check_0")->IsEnabled());
    EXPECT_TRUE(Ctl("DPI_layout_3")->IsOwnVisible());
}

TEST_F(MouseE2E, AProfileSwitchedOnTheMouseShowsUpInTheProgram) {
    std::vector<uint8_t> block(47, 0);
    block[1] = 3;      // effect
    block[2] = 2;      // brightness
    block[3] = 4 - 1;  // speed 1
    block[5] = 0;
    block[6] = 10, block[7] = 20, block[8] = 30;
    block[19] = 4;     // active DPI stage
    model->SetConfig(2 * 128, block);
    mouse->SetSyncEnrolled(true);
    const size_t reads = model->Requests(emu::cmd::kReadBlock).size();

    model->InjectProfileSwitch(2);
    ASSERT_TRUE(WaitFor([&] { return light->GetMode() == 3; }, 3000)) << "the panel shows the mouse's profile";
    EXPECT_FALSE(mouse->IsSyncEnrolled());
    EXPECT_GE(model->Requests(emu::cmd::kReadBlock).size(), reads + 2) << "active profile, then its block";
    EXPECT_EQ(light->GetBrightness(), 2);
    EXPECT_EQ(light->GetSpeed(), 1);
    EXPECT_EQ(light->GetRedText(), "10");
    EXPECT_EQ(light->GetBlueText(), "30");
    EXPECT_EQ(mouse->ProfileData().GetActiveStage(), 4);
    const Json::Value disk = ProfileOnDisk();
    EXPECT_EQ(disk["LightInfo"]["SelectItem"].asInt(), 3);
    EXPECT_EQ(disk["LightInfo"]["Green"].asInt(), 20);
    EXPECT_EQ(disk["DPIStages"]["StageActive"].asInt(), 4);
    // The active stage's slider is drawn as the active one.
    EXPECT_EQ(Ctl("DPI_slider_4")->GetBkImage(), "Control/SliderBar_BK3.png");
    EXPECT_EQ(Ctl("DPI_slider_0")->GetBkImage(), "Control/SliderBar_BK1.png");
}

TEST_F(MouseE2E, TheLedButtonsShowTheRunningEffect) {
    light->SelectMode(0);
    Raise("light_combo_modeSelect", "itemselect");
    ui::CControlUI* led = mouse->LedButton(7);
    ASSERT_NE(led, nullptr);
    EXPECT_EQ(mouse->LedButton(0)->GetUserData(), "light_0") << "the logo does not take LED 0's place";
    ASSERT_FALSE(mouse->LogoButtons().empty());
    const uint32_t first = led->GetBkColor();
    ASSERT_TRUE(WaitFor([&] { return led->GetBkColor() != first && (led->GetBkColor() & 0xFFFFFFu) != 0; }, 3000))
        << "the tile's frame timer paints the preview";
}

TEST_F(MouseE2E, UnplugWhileAnimatingEndsBothThreadsWithinASecond) {
    light->SelectMode(0);
    Raise("light_combo_modeSelect", "itemselect");
    Pump(200);
    QElapsedTimer t;
    t.start();
    bus->Unplug(model);
    ASSERT_TRUE(WaitFor([&] { return !mouse->LightingRunning() && !mouse->SyncRunning(); }, 3000));
    EXPECT_LT(t.elapsed(), 1000);
    // The window goes on: the tile goes and routes still run without a device.
    ASSERT_TRUE(WaitFor([&] { return !wnd->GetTile(0)->IsOwnVisible(); }, 3000));
    Raise("DPI_slider_1", "valuechanged");
    Pump(50);

    bus->Plug(model);
    ASSERT_TRUE(WaitFor([&] { return mouse->ConnectCount() == 2 && mouse->LightingRunning(); }, 4000));
}

TEST_F(MouseE2E, ASilentMouseDoesNotHoldUpTheWindow) {
    model->InjectNoReply(1000);
    QElapsedTimer t;
    t.start();
    Ctl<ui::CSliderUI>("DPI_slider_0", "Slider")->SetValue(12);
    Raise("DPI_slider_0", "valuechanged");
    light->SetBrightness(1);
    Raise("deng_light_slider", "valuechanged");
    EXPECT_LT(t.elapsed(), 300) << "the writes wait off the UI thread";
    // The UI keeps running its timers while the write times out.
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(10);
    Pump(500);
    EXPECT_GT(ticks, 20);
    EXPECT_TRUE(mouse->ConfigWritePending());
    // The mouse answers again: the newest values go out.
    model->ClearFaults();
    ASSERT_TRUE(WaitFor([&] { return !mouse->ConfigWritePending(); }, 15000));
    mouse->QueueConfigWrite();
    ASSERT_TRUE(Written());
    EXPECT_EQ(Block()[15], 12);
    EXPECT_EQ(Block()[2], 1);
}

TEST_F(MouseE2E, ChangesSurviveARestart) {
    light->SelectMode(6);
    Raise("light_combo_modeSelect", "itemselect");
    Ctl<ui::CSliderUI>("DPI_slider_3", "Slider")->SetValue(21);
    Raise("DPI_slider_3", "valuechanged");
    ASSERT_TRUE(Written());

    // A new window on a new bus: the panel comes back from the profile file.
    delete wnd;
    ui::FlushDeferredDeletes();
    bus = std::make_shared<emu::VirtualHidBus>();
    hid::SetBackend(bus);
    wnd = new app::CMainWnd;
    ASSERT_TRUE(wnd->Create(nullptr, "Zandri Gaming Mouse"));
    ASSERT_TRUE(WaitFor([&] { return wnd->IsInitialised() && !wnd->Mice().empty(); }));
    mouse = wnd->Mice()[0];
    light = mouse->LightPanel();
    ASSERT_NE(light, nullptr);
    EXPECT_EQ(light->GetMode(), 6);
    EXPECT_EQ(Ctl<ui::CSliderUI>("DPI_slider_3", "Slider")->GetValue(), 21);
    EXPECT_EQ(mouse->GetStageDpi(3), 21);
}

TEST_F(MouseE2E, TheDesktopSettingsChangeOnlyOnceTheMouseIsThere) {
    // SetUp counted the calls before the window was built; building it applies nothing.
    ASSERT_TRUE(COstrivanMouseDevice::SystemSettings().WaitIdle(2000));
    const auto calls = g_recordedSettings->Calls();
    ASSERT_GE(calls.size(), settingsBeforeWindow);
    using platform::RecordingSystemSettings;
    using platform::SystemSetting;
    const profiles::SystemWords w = mouse->ProfileData().GetSystemSettings();
    const std::vector<RecordingSystemSettings::Call> connect(calls.begin() + static_cast<long>(settingsBeforeWindow),
                                                             calls.end());
    const std::vector<RecordingSystemSettings::Call> expected = {
        RecordingSystemSettings::Expect(SystemSetting::PointerPrecision, w.system2 & 0xFFFF),
        RecordingSystemSettings::Expect(SystemSetting::WheelScrollLines, (w.system3 & 0xFFFF) + 1),
    };
    EXPECT_EQ(connect, expected) << "the connect applies precision and wheel from the profile";
}

TEST_F(MouseE2E, ASyncRequestToASilentMouseChangesNothingAndBlocksNothing) {
    const Json::Value before = ProfileOnDisk()["LightInfo"];
    const int mode = light->GetMode();
    const size_t reads = model->Requests(emu::cmd::kReadBlock).size();
    model->InjectNoReply(1000);
    model->InjectProfileSwitch(2);
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(10);
    Pump(1500);  // the 500 ms timer fires and the read waits on the mouse
    EXPECT_GT(ticks, 80) << "the window kept running";
    EXPECT_GT(model->Requests(emu::cmd::kReadBlock).size(), reads) << "the read went out";
    model->ClearFaults();
    ASSERT_TRUE(WaitFor([&] { return !mouse->ConfigWritePending(); }, 15000));
    Pump(50);
    EXPECT_EQ(light->GetMode(), mode);
    EXPECT_EQ(ProfileOnDisk()["LightInfo"], before) << "a failed read leaves the profile alone";
}

} // namespace
