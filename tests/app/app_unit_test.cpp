// Pieces of the shell that need no main window: name routing, the message
// bridge, the scanner cycle, the device base class, the tile and the options.
#include "AppTestSupport.h"
#include "app/App.h"
#include "app/AppMessages.h"
#include "app/CustomControls.h"
#include "app/DeviceOptionUI.h"
#include "app/DeviceScanner.h"
#include "app/MessageBridge.h"
#include "app/NotifyRoutes.h"
#include "app/Simulation.h"
#include "devices/objects/OstrivanFamilies.h"
#include "emulator/Models.h"
#include "emulator/VirtualHidBus.h"
#include "platform/Folders.h"
#include "profiles/JsonFile.h"
#include "ui/UIBuilder.h"
#include "ui/UIControl.h"

#include <QKeyEvent>
#include <QObject>
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <thread>

using apptest::WaitFor;

namespace {

TEST(IndexedNames, SplitAtLastUnderscore) {
    struct Case {
        const char* name;
        bool indexed;
        const char* prefix;
        int index;
    } cases[] = {
        {"DPI_slider_3", true, "DPI_slider_", 3},   {"DPI_slider_x3", true, "DPI_slider_", 0},
        {"key_125", true, "key_", 125},             {"closebtn", false, "", 0},
        {"polling_rate_option_", true, "polling_rate_option_", 0},
    };
    for (const auto& c : cases) {
        const app::IndexedName n = app::SplitIndexedName(c.name);
        EXPECT_EQ(n.indexed, c.indexed) << c.name;
        EXPECT_EQ(n.prefix, c.prefix) << c.name;
        EXPECT_EQ(n.index, c.index) << c.name;
    }
}

TEST(IndexedNames, CaseRulesAndTheFiveExactNames) {
    EXPECT_TRUE(app::NameMatches("closebtn", "CLOSEBTN"));
    EXPECT_TRUE(app::NameMatches("device_select", "Device_Select"));
    for (const char* exact : {"profile_fun_spread_btn", "macro_inset_moveleftkey_btn", "macro_inset_moverightkey_btn",
                              "macro_inset_moveupkey_btn", "macro_inset_movedownkey_btn"}) {
        std::string upper(exact);
        for (char& ch : upper) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
        EXPECT_TRUE(app::NameMatches(exact, exact));
        EXPECT_FALSE(app::NameMatches(exact, upper)) << exact;
    }
}

TEST(RouteTable, IndexedRowsFirstThenNamesThenMatchers) {
    app::RouteTable table;
    std::string ran;
    int index = -2;
    table.Add("dpi_slider_3", [&](ui::TNotifyUI&, int) { ran = "named"; });
    table.AddIndexed("DPI_slider_", [&](ui::TNotifyUI&, int n) {
        ran = "indexed";
        index = n;
    });
    ui::CControlUI other;
    table.AddMatcher([&](const ui::TNotifyUI& m) { return m.pSender == &other; },
                     [&](ui::TNotifyUI&, int) { ran = "matcher"; });

    ui::CControlUI slider;
    slider.SetName("DPI_SLIDER_3");
    ui::TNotifyUI msg;
    msg.pSender = &slider;
    ASSERT_TRUE(table.Dispatch(msg));
    EXPECT_EQ(ran, "indexed");
    EXPECT_EQ(index, 3);

    other.SetName("anything");
    msg.pSender = &other;
    ASSERT_TRUE(table.Dispatch(msg));
    EXPECT_EQ(ran, "matcher");

    ui::CControlUI stray;
    stray.SetName("nothing_here");
    msg.pSender = &stray;
    EXPECT_FALSE(table.Dispatch(msg));
}

// --------------------------------------------------------------- message bridge
TEST(MessageBridge, SendFromWorkerWaitsForTheUiThread) {
    std::atomic<int> handled{0};
    app::MessageBridge bridge([&](unsigned msg, uintptr_t w, intptr_t) -> intptr_t {
        ++handled;
        return static_cast<intptr_t>(msg + w);
    });
    std::atomic<bool> done{false};
    intptr_t result = 0;
    app::MessageBridge::SendResult outcome = app::MessageBridge::SendResult::Aborted;
    std::thread worker([&] {
        outcome = bridge.Send(3090, 4, 0, nullptr, &result);
        done = true;
    });
    // Spin without serving events: serving them here would run the handler and could
    // finish the send before the waiting count is seen.
    while (bridge.WaitingSends() == 0) std::this_thread::yield();
    EXPECT_FALSE(done.load());  // nothing ran the handler yet: the sender is still waiting
    EXPECT_TRUE(WaitFor([&] { return done.load(); }));
    worker.join();
    EXPECT_EQ(outcome, app::MessageBridge::SendResult::Handled);
    EXPECT_EQ(result, 3094);
    EXPECT_EQ(handled.load(), 1);
}

TEST(MessageBridge, ExitEventCutsASendTheUiThreadNeverServed) {
    std::atomic<int> handled{0};
    app::MessageBridge bridge([&](unsigned, uintptr_t, intptr_t) -> intptr_t { return ++handled; });
    platform::Event exit(true, false);
    app::MessageBridge::SendResult outcome = app::MessageBridge::SendResult::Handled;
    std::thread worker([&] { outcome = bridge.Send(3091, 1, 0, &exit); });
    while (bridge.WaitingSends() == 0) std::this_thread::yield();  // the UI thread serves nothing meanwhile
    exit.Set();
    worker.join();
    EXPECT_EQ(outcome, app::MessageBridge::SendResult::Aborted);
    apptest::Pump(50);
    EXPECT_EQ(handled.load(), 0) << "an abandoned message must not be handled later";
}

// --------------------------------------------------------------- scanner cycle
class RecordingTarget : public app::IScanTarget {
public:
    bool SendToWindow(unsigned msg, uintptr_t w, const platform::Event&) override {
        sends.emplace_back(msg, w);
        return true;
    }
    void PostToWindow(unsigned msg, uintptr_t, intptr_t) override { posts.push_back(msg); }
    std::vector<std::pair<unsigned, uintptr_t>> sends;
    std::vector<unsigned> posts;
};

class ScannerTest : public ::testing::Test {
protected:
    void SetUp() override {
        bus = std::make_shared<emu::VirtualHidBus>();
        backend = std::make_shared<apptest::CountingBackend>(bus);
        hid::SetBackend(backend);
        slotList = devices::MakeSlotList();
    }
    void TearDown() override { hid::SetBackend(nullptr); }
    std::shared_ptr<emu::VirtualHidBus> bus;
    std::shared_ptr<apptest::CountingBackend> backend;
    std::vector<devices::DeviceSlot> slotList;
    RecordingTarget target;
    platform::Event exit{true, false};
};

TEST_F(ScannerTest, FailedEnumerationSkipsOnePassAndHotPlugGoesOn) {
    auto mouse = emu::MakeMouse();
    bus->Plug(mouse);
    app::DeviceScanner scanner(slotList, target);
    backend->failNext = 1;
    ASSERT_TRUE(scanner.Cycle(exit));
    EXPECT_EQ(scanner.FailedEnumerations(), 1);
    EXPECT_TRUE(target.sends.empty());
    ASSERT_EQ(target.posts.size(), 1u) << "the first-pass notice still shows the window";
    EXPECT_EQ(target.posts[0], app::InstanceMessage());

    ASSERT_TRUE(scanner.Cycle(exit));
    // Command (slot 2) and sync (slot 3) interfaces of the mouse arrive on the next pass.
    ASSERT_EQ(target.sends.size(), 2u);
    EXPECT_EQ(target.sends[0], std::make_pair(app::kWmDeviceArrival, uintptr_t(3)));
    EXPECT_EQ(target.sends[1], std::make_pair(app::kWmDeviceArrival, uintptr_t(2)));
    EXPECT_EQ(target.posts.size(), 1u) << "the notice is posted once";
    EXPECT_TRUE(slotList[2].connected && !slotList[2].path.empty());

    bus->Unplug(mouse);
    ASSERT_TRUE(scanner.Cycle(exit));
    ASSERT_EQ(target.sends.size(), 4u);
    EXPECT_EQ(target.sends[2], std::make_pair(app::kWmDeviceRemoval, uintptr_t(2)));
    EXPECT_EQ(target.sends[3], std::make_pair(app::kWmDeviceRemoval, uintptr_t(3)));
    EXPECT_FALSE(slotList[2].connected);
    EXPECT_TRUE(slotList[2].path.empty());
}

TEST_F(ScannerTest, ExitEventEndsTheThreadAtTheTopOfACycle) {
    app::DeviceScanner scanner(slotList, target);
    exit.Set();
    EXPECT_FALSE(scanner.Cycle(exit));
    EXPECT_EQ(scanner.Passes(), 0);
}

// --------------------------------------------------------------- device base class
constexpr const char* kPanelXml = R"(<OstrivanMouseDevice name="dev">
  <SelectPanel name="panel">
    <DeviceKeyButton name="key_0" userdata="light_0"/>
    <DeviceKeyButton name="key_5" userdata="light_18"/>
    <DeviceKeyButton name="key_7" userdata="light_3"/>
    <DeviceKeyButton name="logo" userdata="light_0_logo"/>
    <DeviceKeyButton name="KEY_2" userdata="light_19"/>
    <Button name="key_1" userdata="light_1"/>
  </SelectPanel>
  <TabLayout name="device_function_switch"><Control/><Control/><Control/></TabLayout>
  <TabLayout name="device_key_function_switch"><Control/><Control/><Control/></TabLayout>
  <Label name="device_tishi_info"/>
</OstrivanMouseDevice>)";

struct Factory : ui::IDialogBuilderCallback {
    ui::CControlUI* CreateControl(std::string_view tag) override { return app::CreateMainWindowControl(tag, nullptr); }
};

std::unique_ptr<devices::COstrivanMouseDevice> BuildMouse(const char* xml = kPanelXml) {
    Factory f;
    ui::CDialogBuilder b;
    ui::CControlUI* root = b.Create(xml, {}, &f);
    auto* dev = ui::ControlCast<devices::COstrivanMouseDevice>(root, "OstrivanMouseDevice");
    if (!dev) {
        delete root;
        return nullptr;
    }
    dev->SetLayoutFile("XML\\DeviceXml\\mousedevice.xml");
    dev->SetKeyCount(6);
    dev->SetLightCount(19);
    dev->BuildDeviceUI();
    return std::unique_ptr<devices::COstrivanMouseDevice>(dev);
}

TEST(DeviceBase, BindsKeyAndLedButtonsByIndexedNameAndUserData) {
    auto dev = BuildMouse();
    ASSERT_TRUE(dev);
    EXPECT_EQ(dev->KeyButton(0)->GetName(), "key_0");
    EXPECT_EQ(dev->KeyButton(5)->GetName(), "key_5");
    EXPECT_EQ(dev->KeyButton(2)->GetName(), "KEY_2") << "the prefix compares without case";
    EXPECT_EQ(dev->KeyButton(1), nullptr) << "only DeviceKeyButton children bind";
    EXPECT_EQ(dev->KeyButton(7), nullptr) << "key_7 lies beyond keyCount 6";
    EXPECT_EQ(dev->LedButton(3)->GetName(), "key_7") << "its light_ user data still binds the LED";
    EXPECT_EQ(dev->LedButton(18)->GetName(), "key_5");
    EXPECT_EQ(dev->LedButton(0)->GetName(), "key_0") << "light_0_logo is not an LED binding";
    EXPECT_EQ(dev->GetPreviewControl()->GetName(), "panel");
}

TEST(DeviceBase, EmptyLayoutFileClearsTheCounts) {
    devices::COstrivanMousePadDevice pad;
    pad.SetKeyCount(4);
    pad.SetLightCount(15);
    pad.BuildDeviceUI();
    EXPECT_EQ(pad.GetKeyCount(), 0);
    EXPECT_EQ(pad.GetLightCount(), 0);
    EXPECT_EQ(pad.LedButton(0), nullptr);
}

TEST(DeviceBase, LedValuesOutsideTheFrameAreIgnored) {
    devices::COstrivanMousePadDevice pad;
    pad.SetLightCount(15);
    pad.SetLedValue(14, 0x80112233);
    EXPECT_EQ(pad.GetLedValue(14), 0x80112233u);
    pad.SetLedValue(-1, 7);
    pad.SetLedValue(15, 7);
    EXPECT_EQ(pad.GetLedValue(-1), 0u);
    EXPECT_EQ(pad.GetLedValue(15), 0u);
    pad.EffectOff();
    EXPECT_EQ(pad.GetLedValue(14), 0u);
}

TEST(DeviceBase, SetKindSelectsTheFunctionPages) {
    auto dev = BuildMouse();
    ASSERT_TRUE(dev);
    auto* fn = ui::ControlCast<ui::CTabLayoutUI>(dev->FindSubControl("device_function_switch"), "TabLayout");
    auto* key = ui::ControlCast<ui::CTabLayoutUI>(dev->FindSubControl("device_key_function_switch"), "TabLayout");
    ui::CControlUI* tip = dev->FindSubControl("device_tishi_info");
    struct Case {
        int kind, fnPage, keyPage;
        bool tip;
    } cases[] = {{2, 0, 1, true}, {6, 0, 1, false}, {5, 2, 1, false}, {4, 0, 2, true},
                 {3, 1, 2, false}, {7, 1, 2, false}, {1, 0, 0, true},  {9, 0, 0, false}};
    for (const auto& c : cases) {
        dev->SetKind(c.kind);
        EXPECT_EQ(dev->GetKind(), c.kind);
        EXPECT_EQ(fn->GetCurSel(), c.fnPage) << "kind " << c.kind;
        EXPECT_EQ(key->GetCurSel(), c.keyPage) << "kind " << c.kind;
        EXPECT_EQ(tip->IsOwnVisible(), c.tip) << "kind " << c.kind;
    }
}

TEST(DeviceBase, LoadMacroAndLightListsReadsTheFamilyFiles) {
    devices::COstrivanMousePadDevice pad;
    pad.SetFamilyName("MousePad");
    pad.SetFamilyIndex(2);
    const std::string folder = pad.DeviceDataFolder();
    Json::Value macros;
    macros["MacroInfo"][0]["MacroName"] = "burst";
    macros["MacroInfo"][1]["MacroName"] = "宏二";
    ASSERT_EQ(profiles::wirtejsonFile(folder + "kelto_macro.config", macros), 0);
    Json::Value lights;
    lights["LightInfo"][0][0]["LightName"] = "keyboard list";
    lights["LightInfo"][2][0]["LightName"] = "sunset";
    ASSERT_EQ(profiles::wirtejsonFile(folder + "kelto_light.config", lights), 0);

    pad.LoadMacroAndLightLists();
    EXPECT_EQ(pad.MacroNames(), (std::vector<std::string>{"burst", "宏二"}));
    EXPECT_EQ(pad.UserLightNames(), (std::vector<std::string>{"sunset"}));
    const Json::Value def = profiles::ReadJson(platform::DefaultDataFolder() + "default_light.json");
    ASSERT_TRUE(def.isObject()) << "DefaultData/default_light.json is part of the resources";
    EXPECT_EQ(pad.DefaultLightNames().size(), def["DefaultLightName"][2].size());
    EXPECT_EQ(pad.DefaultLightVisible().size(), pad.DefaultLightNames().size());
    EXPECT_EQ(pad.AreaLightNames().size(), def["AreaLightName"][2].size());

    // A file that cannot be read leaves its list as it was.
    std::remove((folder + "kelto_macro.config").c_str());
    pad.LoadMacroAndLightLists();
    EXPECT_EQ(pad.MacroNames().size(), 2u);
}

// --------------------------------------------------------------- factory and registry
TEST(ControlFactory, TagsMatchWithoutCaseAndUnknownTagsYieldNothing) {
    struct Case {
        const char* tag;
        const char* cls;
    } cases[] = {{"selectpanel", "SelectPanel"},
                 {"DEVICEKEYBUTTON", "DeviceKeyButton"},
                 {"OstrivanMouseDevice", "OstrivanMouseDevice"},
                 {"ostrivankeyboarddevice", "OstrivanKeyboardDevice"},
                 {"OstrivanMousePadDevice", "OstrivanMousePadDevice"},
                 {"ostrivanri6533device", "OstrivanRI6533Device"}};
    for (const auto& c : cases) {
        std::unique_ptr<ui::CControlUI> ctl(app::CreateMainWindowControl(c.tag, nullptr));
        ASSERT_TRUE(ctl) << c.tag;
        EXPECT_EQ(ctl->GetClass(), c.cls);
    }
    EXPECT_EQ(app::CreateMainWindowControl("NoSuchControl", nullptr), nullptr);
}

TEST(ControlFactory, RegistryHoldsTheCustomClassesInOrder) {
    const auto names = app::RegisterCustomControls();
    ASSERT_EQ(names.size(), 23u);
    EXPECT_EQ(names.front(), "CCircleProgressUI");
    EXPECT_EQ(names[7], "CDeviceOptionUI");
    EXPECT_EQ(names.back(), "COstrivanRI6533Device");
    std::unique_ptr<ui::CControlUI> tile(ui::CControlFactory::GetInstance().CreateControl("cdeviceoptionui"));
    ASSERT_TRUE(tile);
    EXPECT_EQ(tile->GetClass(), "DeviceOption");
}

// --------------------------------------------------------------- tile
TEST(DeviceTile, IconsFollowTypeAndSynchroniseBox) {
    ui::CDialogBuilder b;
    std::unique_ptr<ui::CControlUI> root(b.Create("XML\\CustomControlXML\\DeviceOption.xml"));
    auto* tile = ui::ControlCast<app::CDeviceOptionUI>(root.get(), "DeviceOption");
    ASSERT_TRUE(tile) << "DeviceOption.xml builds a CDeviceOptionUI";
    ASSERT_TRUE(tile->SelectOption() && tile->SynchroBox() && tile->NameLabel());
    EXPECT_EQ(tile->NormalIcon(), "common/device_ico/unknow_device_normal.png") << "a new tile starts unknown";

    struct Case {
        int type, sub;
        const char* normal;
    } cases[] = {{1, 0, "kb"}, {2, 0, "ms"}, {3, 0, "hard_mp"}, {3, 1, "soft_mp"}, {3, 2, "soft_mp"} /* keeps its icons */,
                 {7, 0, "hd"}, {4, 0, "hd"}, {5, 0, "hub"},     {9, 0, "unknow"}};
    for (const auto& c : cases) {
        tile->SetType(c.type, c.sub);
        EXPECT_EQ(tile->SelectOption()->GetNormalImage(),
                  std::string("common/device_ico/") + c.normal + "_device_normal.png")
            << c.type << "/" << c.sub;
    }
    tile->SetType(2, 0);
    tile->SetSynchro(true);
    EXPECT_TRUE(tile->IsSynchro());
    EXPECT_EQ(tile->SelectOption()->GetNormalImage(), "common/device_ico/ms_device_synchro_normal.png");
    tile->SetSynchro(false);
    EXPECT_EQ(tile->SelectOption()->GetNormalImage(), "common/device_ico/ms_device_normal.png");
    tile->SetPowerPage("device_power_switch", -1);
    EXPECT_EQ(tile->GetPowerIndex(), -1) << "a negative power page is not stored";
}

// --------------------------------------------------------------- options
TEST(AppOptions, SimulateFamiliesScriptAndErrors) {
    auto o = app::ParseOptions({"--simulate=mouse,pad", "--script=500:unplug:mouse", "--exit-after-ms=100"});
    EXPECT_TRUE(o.simulate);
    EXPECT_EQ(o.simulateFamilies, (std::vector<std::string>{"mouse", "pad"}));
    EXPECT_EQ(o.simulateScript, "500:unplug:mouse");
    EXPECT_EQ(o.exitAfterMs, 100);
    EXPECT_TRUE(o.error.empty());
    EXPECT_FALSE(app::ParseOptions({"--simulate=toaster"}).error.empty());
    EXPECT_FALSE(app::ParseOptions({"--script=1:plug:mouse"}).error.empty()) << "a script needs --simulate";
    EXPECT_FALSE(app::ParseOptions({"-platform", "offscreen"}).simulate) << "without --simulate: hidraw";
}

// --------------------------------------------------------------- --simulate controls
TEST(Simulation, ScriptAndShortcutsPlugAndUnplug) {
    app::Simulation sim({"mouse", "hd"});
    EXPECT_TRUE(sim.IsPlugged("mouse"));
    EXPECT_TRUE(sim.IsPlugged("HD"));
    EXPECT_FALSE(sim.IsPlugged("keyboard"));
    EXPECT_EQ(hid::GetBackend().get(), &sim.Bus());

    EXPECT_FALSE(sim.Schedule("10:unplug:toaster"));
    EXPECT_FALSE(sim.Schedule("soon:unplug:mouse"));
    EXPECT_FALSE(sim.Schedule("10:drop:mouse"));
    ASSERT_TRUE(sim.Schedule("10:unplug:ms;20:plug:kb"));
    ASSERT_TRUE(WaitFor([&] { return !sim.IsPlugged("mouse") && sim.IsPlugged("keyboard"); }));
    std::vector<std::string> paths;
    sim.Bus().Enumerate(paths);
    EXPECT_TRUE(std::none_of(paths.begin(), paths.end(),
                             [](const std::string& p) { return p.find("pid_7643") != std::string::npos; }))
        << "the unplugged mouse left the bus";

    sim.InstallShortcuts();
    QObject target;
    QKeyEvent press(QEvent::KeyPress, Qt::Key_3, Qt::ControlModifier | Qt::ShiftModifier);
    QCoreApplication::sendEvent(&target, &press);
    EXPECT_TRUE(sim.IsPlugged("MousePad")) << "Ctrl+Shift+3 toggles the mouse pad";
    QKeyEvent again(QEvent::KeyPress, Qt::Key_NumberSign, Qt::ControlModifier | Qt::ShiftModifier);
    QCoreApplication::sendEvent(&target, &again);
    EXPECT_FALSE(sim.IsPlugged("MousePad"));
    hid::SetBackend(nullptr);
}

} // namespace
