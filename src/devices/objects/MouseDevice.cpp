#include "devices/objects/MouseDevice.h"

#include "devices/mouse/MouseConfig.h"
#include "devices/mouse/MouseKeys.h"
#include "panels/LightControlUI.h"
#include "panels/LightModeRules.h"
#include "platform/Debug.h"
#include "platform/Folders.h"
#include "platform/Tick.h"
#include "ui/UICommonControls.h"
#include "ui/UIManager.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QMetaObject>
#include <QScreen>

#include <algorithm>
#include <cstdlib>

namespace devices {

namespace {
constexpr unsigned kSyncRequestTimer = 1002;
constexpr unsigned kSyncRequestDelayMs = 500;
constexpr int kStageEditMax = 5000;
constexpr const char* kActiveTrack = "Control/SliderBar_BK3.png";
constexpr const char* kActiveThumb = "Control/SliderBar2_Thumb.png";
constexpr const char* kOtherTrack = "Control/SliderBar_BK1.png";
constexpr const char* kOtherThumb = "Control/SliderBar1_Thumb.png";
constexpr ui::UIColor kLogoWhite = 0xFFFFFFFF;

std::mutex g_settingsMutex;
std::shared_ptr<platform::ISystemSettings> g_settingsBackend;
std::unique_ptr<platform::SystemSettingsApplier> g_applier;

uint16_t Low(uint32_t w) { return static_cast<uint16_t>(w & 0xFFFF); }
uint16_t High(uint32_t w) { return static_cast<uint16_t>(w >> 16); }
uint32_t Word(uint32_t low, uint32_t high) { return (low & 0xFFFF) | (high & 0xFFFF) << 16; }

lighting::LightRecord ToRecord(const profiles::LightSetting& s) {
    lighting::LightRecord r;
    r.mode = s.mode;
    r.brightness = s.brightness;
    r.speed = s.speed;
    r.direction = s.direction;
    r.multiColor = s.multiColor;
    r.red = s.red;
    r.green = s.green;
    r.blue = s.blue;
    r.extra0 = s.extra0;
    r.extra1 = s.extra1;
    r.present = s.valid;
    return r;
}

uint32_t FirstWord(const profiles::LightSetting& s) {
    return uint32_t(s.mode) | uint32_t(s.brightness) << 8 | uint32_t(s.speed) << 16 | uint32_t(s.direction) << 24;
}
uint32_t SecondWord(const profiles::LightSetting& s) {
    return uint32_t(s.multiColor) | uint32_t(s.red) << 8 | uint32_t(s.green) << 16 | uint32_t(s.blue) << 24;
}
uint32_t ThirdWord(const profiles::LightSetting& s) {
    return uint32_t(s.extra0) | uint32_t(s.extra1) << 8 | uint32_t(s.valid) << 16;
}

bool IsChecked(ui::CControlUI* c) {
    auto* o = ui::ControlCast<ui::COptionUI>(c, "Option");
    return o && o->IsSelected();
}
} // namespace

COstrivanMouseDevice::COstrivanMouseDevice() : lightThread(threads::MouseLightingConfig()) {
    kind = kKindMouse;
}

COstrivanMouseDevice::~COstrivanMouseDevice() {
    alive->store(false);
    StopThreads();
    {
        std::lock_guard lock(writerMutex);
        writerStop = true;
        writerJobs.clear();
    }
    writerWake.notify_all();
    commandChannel.hid.SignalStop();  // cuts a write that waits on a silent mouse
    if (writerThread.joinable()) writerThread.join();
}

void COstrivanMouseDevice::QueueConfigWrite() {
    CommandJob job;
    job.values = mouse::ConfigValuesFromProfile(profileData);
    job.screenWidth = ScreenPixelWidth();
    QueueJob(std::move(job));
}

void COstrivanMouseDevice::QueueJob(CommandJob job) {
    {
        std::lock_guard lock(writerMutex);
        if (writerStop) return;
        auto same = std::find_if(writerJobs.begin(), writerJobs.end(),
                                 [&](const CommandJob& j) { return j.read == job.read; });
        if (same == writerJobs.end()) writerJobs.push_back(std::move(job));
        else if (!job.read) *same = std::move(job);  // the newest values win
        if (!writerThread.joinable()) writerThread = std::thread([this] { ConfigWriterRun(); });
    }
    writerWake.notify_one();
}

bool COstrivanMouseDevice::ConfigWritePending() const {
    std::lock_guard lock(writerMutex);
    return writerBusy || !writerJobs.empty();
}

void COstrivanMouseDevice::ConfigWriterRun() {
    std::unique_lock lock(writerMutex);
    for (;;) {
        writerWake.wait(lock, [this] { return writerStop || !writerJobs.empty(); });
        if (writerStop) return;
        CommandJob job = std::move(writerJobs.front());
        writerJobs.pop_front();
        writerBusy = true;
        lock.unlock();
        if (job.read) {
            uint8_t active = 0;
            mouse::MouseReadBack readBack;
            bool ok = false;
            {
                std::lock_guard command(commandChannel.commandLock);
                ok = mouse::ReadConfigBlock(commandChannel, state, active, readBack);
            }
            // A failed read changes nothing; a good one is taken in on the UI thread.
            if (ok && QCoreApplication::instance()) {
                std::weak_ptr<std::atomic<bool>> token = alive;
                QMetaObject::invokeMethod(
                    QCoreApplication::instance(),
                    [this, token, readBack] {
                        const auto a = token.lock();
                        if (a && a->load()) ApplyReadBack(readBack);
                    },
                    Qt::QueuedConnection);
            }
        } else {
            std::lock_guard command(commandChannel.commandLock);
            mouse::WriteConfig(commandChannel, job.values, 0, 0, job.screenWidth);
        }
        lock.lock();
        writerBusy = false;
    }
}

void* COstrivanMouseDevice::GetInterface(std::string_view name) {
    if (ui::EqualsNoCase(name, "OstrivanMouseDevice")) return this;
    return COstrivanFamilyDevice::GetInterface(name);
}

void COstrivanMouseDevice::SetKind(int k) {
    COstrivanFamilyDevice::SetKind(k);
    if (ui::CControlUI* tip = PanelControl("device_tishi_info")) tip->SetVisible(k == 1 || k == 2 || k == 4);
}

// ------------------------------------------------------------------ system settings
void COstrivanMouseDevice::SetSystemSettings(std::shared_ptr<platform::ISystemSettings> backend) {
    std::lock_guard lock(g_settingsMutex);
    g_applier.reset();  // applies what is queued for the old back-end, then joins
    g_settingsBackend = std::move(backend);
}

platform::SystemSettingsApplier& COstrivanMouseDevice::SystemSettings() {
    std::lock_guard lock(g_settingsMutex);
    if (!g_applier) {
        if (!g_settingsBackend) g_settingsBackend = platform::CreateSystemSettings();
        g_applier = std::make_unique<platform::SystemSettingsApplier>(g_settingsBackend);
    }
    return *g_applier;
}

int COstrivanMouseDevice::ScreenPixelWidth() {
    const QScreen* s = QGuiApplication::primaryScreen();
    return s ? static_cast<int>(s->geometry().width() * s->devicePixelRatio()) : 0;
}

int COstrivanMouseDevice::ScreenPixelHeight() {
    const QScreen* s = QGuiApplication::primaryScreen();
    return s ? static_cast<int>(s->geometry().height() * s->devicePixelRatio()) : 0;
}

// ------------------------------------------------------------------ panel
ui::CControlUI* COstrivanMouseDevice::PanelControl(const std::string& name) { return FindSubControl(name); }

template <class T>
T* COstrivanMouseDevice::PanelControl(const char* prefix, int n, const char* iface) {
    return ui::ControlCast<T>(FindSubControl(std::string(prefix) + std::to_string(n)), iface);
}

panels::CLightControlUI* COstrivanMouseDevice::LightPanel() {
    if (!lightPanel) lightPanel = ui::ControlCast<panels::CLightControlUI>(FindSubControl("light_control"), "LightControl");
    if (!lightPanel) {
        if (ui::CPaintManagerUI* pm = GetManager()) {
            for (ui::CControlUI* c : pm->FindSubControlsByClass(this, "LightControl"))
                if ((lightPanel = ui::ControlCast<panels::CLightControlUI>(c, "LightControl"))) break;
        }
    }
    return lightPanel;
}

void COstrivanMouseDevice::BuildFamilyUI() {
    COstrivanFamilyDevice::BuildFamilyUI();
    // The logo button's user data "light_0_..." would also read as LED 0: give LED 0
    // back to its own button and keep the logo buttons apart.
    auto* panel = selectPanel ? static_cast<ui::CContainerUI*>(selectPanel->GetInterface("Container")) : nullptr;
    ui::CControlUI* led0 = nullptr;
    for (int i = 0; panel && i < panel->GetCount(); ++i) {
        ui::CControlUI* b = panel->GetItemAt(i);
        if (!b->GetInterface("DeviceKeyButton")) continue;
        if (b->GetUserData().rfind("light_0_", 0) == 0) {
            logoButtons.push_back(b);
            b->SetBkColor(kLogoWhite);
            logoControl = panel;
        } else if (b->GetUserData() == "light_0" && !led0) {
            led0 = b;
        }
    }
    if (!ledButtons.empty()) ledButtons[0] = led0;

    LoadMacroAndLightLists();
    if (panels::CLightControlUI* lc = LightPanel()) {
        lc->SetLightKind(panels::kKindMouse);
        std::vector<int> visible(defaultLightVisible.begin(), defaultLightVisible.end());
        lc->InitModes(defaultLightNames, visible, 4, 4);
    }
    BindProfileFiles();
    LoadProfile();
    // Only shown: the desktop's settings change once a mouse is there.
    ShowPanelValues();
}

void COstrivanMouseDevice::BindProfileFiles() {
    profileData.SetDefaultDataPath(DefaultDataFile());
    const std::string name = profileName.empty() ? std::string("Profile1") : profileName;
    profileData.SetProfilePath(DeviceDataFolder() + name + ".Json");
    profileData.SetLightConfigPath(LightConfigPath());
    profileData.SetDeviceIndex(0);
}

int COstrivanMouseDevice::LoadProfile() {
    if (profileData.GetProfilePath().empty()) BindProfileFiles();
    profileData.Load(profileData.GetProfilePath());
    keyList = profileData.GetKeyList();
    const profiles::LightSetting s = profileData.GetLightInfo();
    COstrivanUSBDevice::SetLightInfo(FirstWord(s), SecondWord(s), ThirdWord(s));
    {
        std::lock_guard lock(lightMutex);
        light = s;
    }
    PushTiming();
    if (panels::CLightControlUI* lc = LightPanel()) lc->ShowLightSetting(FirstWord(s), SecondWord(s));
    return 1;
}

void COstrivanMouseDevice::LoadDefaults() {
    // The family's default file replaces this device's part of the profile.
    profiles::CMouseProfiledata defaults;
    defaults.SetDefaultDataPath(DefaultDataFile());
    const Json::Value root = defaults.Load(std::string());
    if (root.isNull()) return;
    profileData.SaveDevice(root, profileData.GetProfilePath());
    LoadProfile();
    RefreshPanel();
}

void COstrivanMouseDevice::StoreSystemWords(const profiles::SystemWords& w) {
    profileData.SetSystemSettings(w.system1, w.system2, w.system3);
}

void COstrivanMouseDevice::ApplyPointerSettings(bool speed, bool precision, bool wheel, bool doubleClick) {
    const profiles::SystemWords w = profileData.GetSystemSettings();
    platform::SystemSettingsApplier& applier = SystemSettings();
    if (speed) applier.Post(platform::SystemSetting::PointerSpeed, platform::PointerSpeedFromSlider(High(w.system1)));
    if (precision && platform::IsPointerPrecisionValue(Low(w.system2)))
        applier.Post(platform::SystemSetting::PointerPrecision, Low(w.system2));
    if (wheel)
        applier.Post(platform::SystemSetting::WheelScrollLines,
                     platform::WheelLinesFromSlider(Low(w.system3), High(w.system2) != 0));
    if (doubleClick) {
        auto* s = ui::ControlCast<ui::CSliderUI>(PanelControl("double_click_slider"), "Slider");
        const int max = s ? s->GetMaxValue() : 10;
        applier.Post(platform::SystemSetting::DoubleClickTime, platform::DoubleClickMsFromSlider(max, Low(w.system1)));
    }
}

void COstrivanMouseDevice::ShowStage(int n, const std::vector<profiles::DpiStage>& stages, int activeStage) {
    const bool on = mouse::IsStageEnabled(stages, n);
    if (auto* check = PanelControl<ui::COptionUI>("DPI_enable_check_", n, "Option")) check->Selected(on, false);
    if (ui::CControlUI* row = PanelControl<ui::CControlUI>("DPI_layout_", n, "Control")) row->SetVisible(on);
    if (auto* slider = PanelControl<ui::CSliderUI>("DPI_slider_", n, "Slider")) {
        slider->SetValue(mouse::GetStageDpi(stages, n));
        const bool active = n == activeStage;
        slider->SetBkImage(active ? kActiveTrack : kOtherTrack);
        slider->SetAttribute("thumbimage", active ? kActiveThumb : kOtherThumb);
    }
    if (auto* edit = PanelControl<ui::CEditUI>("DPI_edit_", n, "Edit"))
        edit->SetText(std::to_string(mouse::GetStageDpiEdit(stages, n, deviceInfo.dpiStep())));
}

void COstrivanMouseDevice::UpdateStageChecks(const std::vector<profiles::DpiStage>& stages) {
    // The last enabled stage cannot be switched off: its check is disabled.
    const bool lastOne = mouse::EnabledStageCount(stages) == 1;
    for (int n = 0; n < mouse::kStageCount; ++n)
        if (auto* check = PanelControl<ui::COptionUI>("DPI_enable_check_", n, "Option"))
            check->SetEnabled(!(lastOne && mouse::IsStageEnabled(stages, n)));
}

void COstrivanMouseDevice::RefreshPanel() {
    ShowPanelValues();
    ApplyPointerSettings(false, true, true, false);
}

void COstrivanMouseDevice::ShowPanelValues() {
    const profiles::SystemWords w = profileData.GetSystemSettings();
    auto setSlider = [this](const char* name, int v) {
        if (auto* s = ui::ControlCast<ui::CSliderUI>(PanelControl(name), "Slider")) s->SetValue(v);
    };
    auto setCheck = [this](const char* name, bool on) {
        if (auto* o = ui::ControlCast<ui::COptionUI>(PanelControl(name), "Option")) o->Selected(on, false);
    };
    setSlider("pointer_speed_slider", High(w.system1));
    setSlider("double_click_slider", Low(w.system1));
    setSlider("scroll_speed_slider", Low(w.system3));
    setCheck("pointer_precision_check", Low(w.system2) != 0);
    setCheck("scrolls_page_check", High(w.system2) != 0);

    const int rate = mouse::ClampReportRate(mouse::GetReportRate(w));
    for (int n = 0; n < mouse::kReportRateOptions; ++n)
        if (auto* o = PanelControl<ui::COptionUI>("polling_rate_option_", n, "Option")) o->Selected(n == rate, false);

    const std::vector<profiles::DpiStage> stages = profileData.GetDpiStages();
    const int active = profileData.GetActiveStage();
    for (int n = 0; n < mouse::kStageCount; ++n) ShowStage(n, stages, active);
    UpdateStageChecks(stages);
}

// ------------------------------------------------------------------ DPI and report rate
void COstrivanMouseDevice::SetStageEnabled(int stage, bool on) {
    std::vector<profiles::DpiStage> stages = profileData.GetDpiStages();
    if (mouse::SetStageEnabled(stages, stage, on)) profileData.SetDpiStages(stages);
}

bool COstrivanMouseDevice::IsStageEnabled(int stage) { return mouse::IsStageEnabled(profileData.GetDpiStages(), stage); }

void COstrivanMouseDevice::SetStageDpi(int stage, int index) {
    std::vector<profiles::DpiStage> stages = profileData.GetDpiStages();
    if (mouse::SetStageDpi(stages, stage, index)) profileData.SetDpiStages(stages);
}

int COstrivanMouseDevice::GetStageDpi(int stage) { return mouse::GetStageDpi(profileData.GetDpiStages(), stage); }

int COstrivanMouseDevice::GetStageDpiEdit(int stage) {
    return mouse::GetStageDpiEdit(profileData.GetDpiStages(), stage, deviceInfo.dpiStep());
}

void COstrivanMouseDevice::SetReportRate(int index) {
    profiles::SystemWords w = profileData.GetSystemSettings();
    mouse::SetReportRate(w, index);
    StoreSystemWords(w);
}

int COstrivanMouseDevice::WriteCurrentConfig() {
    QueueConfigWrite();
    return 1;
}

void COstrivanMouseDevice::OnStageCheck(int stage) {
    if (stage < 0 || stage >= mouse::kStageCount) return;
    const bool on = IsChecked(PanelControl<ui::CControlUI>("DPI_enable_check_", stage, "Control"));
    SetStageEnabled(stage, on);
    const std::vector<profiles::DpiStage> stages = profileData.GetDpiStages();
    ShowStage(stage, stages, profileData.GetActiveStage());
    UpdateStageChecks(stages);
    SaveProfile();
    WriteCurrentConfig();
}

void COstrivanMouseDevice::OnStageSlider(int stage, bool final) {
    if (stage < 0 || stage >= mouse::kStageCount) return;
    auto* slider = PanelControl<ui::CSliderUI>("DPI_slider_", stage, "Slider");
    if (!slider) return;
    const int index = slider->GetValue();
    if (auto* edit = PanelControl<ui::CEditUI>("DPI_edit_", stage, "Edit"))
        edit->SetText(std::to_string(mouse::DpiForIndex(index, deviceInfo.dpiStep())));
    if (!final) return;
    SetStageDpi(stage, index);
    SaveProfile();
    WriteCurrentConfig();
}

void COstrivanMouseDevice::OnStageEdit(int stage) {
    if (stage < 0 || stage >= mouse::kStageCount) return;
    auto* edit = PanelControl<ui::CEditUI>("DPI_edit_", stage, "Edit");
    if (!edit) return;
    const int index = mouse::IndexForTypedDpi(std::atoi(edit->GetText().c_str()), deviceInfo.minDpi());
    SetStageDpi(stage, index);
    ShowStage(stage, profileData.GetDpiStages(), profileData.GetActiveStage());
    SaveProfile();
    WriteCurrentConfig();
}

void COstrivanMouseDevice::OnReportRateOption(int index) {
    if (index < 0 || index >= mouse::kReportRateOptions) return;
    SetReportRate(index);
    SaveProfile();
    WriteCurrentConfig();
}

void COstrivanMouseDevice::OnPointerSpeed() {
    auto* s = ui::ControlCast<ui::CSliderUI>(PanelControl("pointer_speed_slider"), "Slider");
    if (!s) return;
    profiles::SystemWords w = profileData.GetSystemSettings();
    w.system1 = Word(Low(w.system1), static_cast<uint32_t>(s->GetValue()));
    StoreSystemWords(w);
    SaveProfile();
    ApplyPointerSettings(true, false, false, false);
}

void COstrivanMouseDevice::OnPointerPrecision() {
    profiles::SystemWords w = profileData.GetSystemSettings();
    w.system2 = Word(IsChecked(PanelControl("pointer_precision_check")) ? 1u : 0u, High(w.system2));
    StoreSystemWords(w);
    SaveProfile();
    ApplyPointerSettings(false, true, false, false);
}

void COstrivanMouseDevice::OnScrollPage() {
    profiles::SystemWords w = profileData.GetSystemSettings();
    w.system2 = Word(Low(w.system2), IsChecked(PanelControl("scrolls_page_check")) ? 1u : 0u);
    StoreSystemWords(w);
    SaveProfile();
    ApplyPointerSettings(false, false, true, false);
}

void COstrivanMouseDevice::OnScrollSpeed() {
    auto* s = ui::ControlCast<ui::CSliderUI>(PanelControl("scroll_speed_slider"), "Slider");
    if (!s) return;
    profiles::SystemWords w = profileData.GetSystemSettings();
    // Choosing a line count ends one-page scrolling.
    w.system2 = Word(Low(w.system2), 0u);
    w.system3 = Word(static_cast<uint32_t>(s->GetValue()), High(w.system3));
    StoreSystemWords(w);
    if (auto* page = ui::ControlCast<ui::COptionUI>(PanelControl("scrolls_page_check"), "Option"))
        page->Selected(false, false);
    SaveProfile();
    ApplyPointerSettings(false, false, true, false);
}

void COstrivanMouseDevice::OnDoubleClick() {
    auto* s = ui::ControlCast<ui::CSliderUI>(PanelControl("double_click_slider"), "Slider");
    if (!s) return;
    profiles::SystemWords w = profileData.GetSystemSettings();
    w.system1 = Word(static_cast<uint32_t>(s->GetValue()), High(w.system1));
    StoreSystemWords(w);
    SaveProfile();
    ApplyPointerSettings(false, false, false, true);
}

// ------------------------------------------------------------------ device I/O
void COstrivanMouseDevice::OnConnected() {
    {
        std::lock_guard lock(commandChannel.commandLock);
        const int r = mouse::ReadMouseAtConnect(commandChannel, state);
        deviceInfo = state.deviceInfo;
        NoteConnect(r);
        platform::DebugOut(familyName + " OnConnected " + std::to_string(r));
    }
    keyIndexMap = state.keyIndexMap;
    for (int n = 0; n < mouse::kStageCount; ++n) {
        if (auto* s = PanelControl<ui::CSliderUI>("DPI_slider_", n, "Slider")) {
            s->SetMinValue(0);
            s->SetMaxValue(mouse::kSliderMax);
        }
        if (auto* e = PanelControl<ui::CEditUI>("DPI_edit_", n, "Edit")) e->SetMaxChar(4);
    }
    LoadProfile();
    RefreshPanel();
    StartLighting();
}

bool COstrivanMouseDevice::ReadConfigBlock(int& activeProfile) {
    syncEnrolled = 0;
    profiles::LightSetting current;
    {
        std::lock_guard lock(lightMutex);
        current = light;
    }
    bool ok = false;
    {
        std::lock_guard lock(commandChannel.commandLock);
        ok = mouse::SyncFromDevice(commandChannel, state, profileData, current, activeProfile);
    }
    if (!ok) return false;
    {
        std::lock_guard lock(lightMutex);
        light = current;
    }
    COstrivanUSBDevice::SetLightInfo(FirstWord(current), SecondWord(current), ThirdWord(current));
    PushTiming();
    if (panels::CLightControlUI* lc = LightPanel()) lc->ShowLightSetting(FirstWord(current), SecondWord(current));
    return true;
}

void COstrivanMouseDevice::OnSyncRequest() {
    // The read goes to the command worker, so a mouse that stopped answering
    // cannot hold up the window; ApplyReadBack finishes on the UI thread.
    syncEnrolled = 0;
    CommandJob job;
    job.read = true;
    QueueJob(std::move(job));
}

void COstrivanMouseDevice::ApplyReadBack(const mouse::MouseReadBack& readBack) {
    profiles::LightSetting merged;
    {
        std::lock_guard lock(lightMutex);
        light = mouse::MergeReadBack(light, readBack);
        merged = light;
    }
    mouse::StoreLightInfo(profileData, merged);
    profileData.SetActiveStage(readBack.activeStage);
    profileData.Save();
    COstrivanUSBDevice::SetLightInfo(FirstWord(merged), SecondWord(merged), ThirdWord(merged));
    PushTiming();
    if (panels::CLightControlUI* lc = LightPanel()) lc->ShowLightSetting(FirstWord(merged), SecondWord(merged));
    RefreshPanel();
}

int COstrivanMouseDevice::WriteConfig(int profile, int activeProfile, int /*flag*/, int screenWidth,
                                      int /*screenHeight*/) {
    const mouse::MouseConfigValues values = mouse::ConfigValuesFromProfile(profileData);
    std::lock_guard lock(commandChannel.commandLock);
    return mouse::WriteConfig(commandChannel, values, profile, activeProfile, screenWidth);
}

int COstrivanMouseDevice::WriteKeyAssignments(int bank, const std::vector<profiles::KeyAssignment>& keys) {
    std::lock_guard lock(commandChannel.commandLock);
    return mouse::WriteKeyAssignments(commandChannel, state, bank, keys);
}

int COstrivanMouseDevice::WriteKeyAssignments(int bank, const std::vector<uint32_t>& keys) {
    // Plain assignment values for the first keys; the rest keep the profile's entries.
    std::vector<profiles::KeyAssignment> list = keyList;
    for (size_t i = 0; i < keys.size() && i < list.size(); ++i)
        list[i].current = profiles::KeyHalf::FromValue(list[i].current.keyIndex, static_cast<int32_t>(keys[i]));
    return WriteKeyAssignments(bank, list);
}

int COstrivanMouseDevice::WriteCurrentKeyAssignments(int bank) { return WriteKeyAssignments(bank, keyList); }

int COstrivanMouseDevice::WriteMacros() {
    std::lock_guard lock(commandChannel.commandLock);
    return mouse::WriteMacros(commandChannel, state, DeviceDataFolder());
}

void COstrivanMouseDevice::ValidateMacroKeys() {
    if (mouse::ValidateMacroKeys(keyList, macroNames.size())) {
        profileData.SetKeyList(keyList);
        SaveProfile();
    }
}

// ------------------------------------------------------------------ lighting record
void COstrivanMouseDevice::SetLightInfo(uint32_t first4, uint32_t next4, uint32_t last3) {
    COstrivanUSBDevice::SetLightInfo(first4, next4, last3);
    profileData.SetLightInfo(first4, next4, last3);
}

void COstrivanMouseDevice::SaveProfile() { profileData.Save(); }

int COstrivanMouseDevice::LoadLightingFromProfile() {
    const profiles::LightSetting s = profileData.GetLightInfo();
    {
        std::lock_guard lock(lightMutex);
        light = s;
    }
    COstrivanUSBDevice::SetLightInfo(FirstWord(s), SecondWord(s), ThirdWord(s));
    PushTiming();
    return 1;
}

void COstrivanMouseDevice::PushTiming() {
    std::lock_guard lock(lightMutex);
    lightThread.SetTiming(light.mode, light.speed);
}

// ------------------------------------------------------------------ threads
void COstrivanMouseDevice::StartLighting() {
    if (lightThread.Running()) return;
    lightThread.SetLightCount(lightCount);
    PushTiming();
    threads::LightingThread::Hooks hooks;
    hooks.channelOpen = [this] { return commandChannel.opened.load(); };
    hooks.step = [this](const threads::LightPass& pass, threads::LightFrame& frame) {
        lighting::LightRecord rec;
        {
            std::lock_guard lock(lightMutex);
            rec = ToRecord(light);
        }
        if (rec.mode != engineEffect) {
            engineEffect = rec.mode;
            engine.OnEffectChanged();
        }
        if (!pass.effectStep) return false;
        return lighting::RunEffectStep(lighting::Family::Mouse, pass.effect, frame, engine.State(), rec,
                                       platform::GetTickCount());
    };
    lightThread.Start(std::move(hooks), nullptr, &keyEvents);
}

void COstrivanMouseDevice::StopThreads() {
    syncThread.Detach(syncChannel);
    lightThread.Stop();
}

bool COstrivanMouseDevice::AttachSyncChannel(const std::string& path) {
    threads::SyncThread::Hooks hooks;
    hooks.keys = &keyEvents;
    std::weak_ptr<std::atomic<bool>> token = alive;
    hooks.postSyncRequest = [this, token] {
        // Timers belong to the UI thread: hand the request over and start 1002 there.
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [this, token] {
                const auto a = token.lock();
                if (a && a->load()) StartTileTimer(kSyncRequestTimer, kSyncRequestDelayMs);
            },
            Qt::QueuedConnection);
    };
    if (!QCoreApplication::instance()) hooks.postSyncRequest = nullptr;
    const bool ok = syncThread.Attach(syncChannel, path, std::move(hooks));
    if (ok && commandChannel.opened.load()) StartLighting();
    return ok;
}

void COstrivanMouseDevice::DetachSyncChannel() {
    // Unplugging ends the preview too; the next connect starts it again.
    StopThreads();
    COstrivanUSBDevice::DetachSyncChannel();
}

void COstrivanMouseDevice::SetLedValue(int index, uint32_t value) { lightThread.SetLedValue(index, value); }

uint32_t COstrivanMouseDevice::GetLedValue(int index) const { return lightThread.GetLedValue(index); }

void COstrivanMouseDevice::PushLightFrame() {
    // Nothing goes to the mouse: the frame is only shown on the LED buttons.
    const threads::LightFrame frame = lightThread.Snapshot();
    bool changed = false;
    auto paint = [&changed](ui::CControlUI* b, const threads::LedEntry& e) {
        const ui::UIColor c = static_cast<ui::UIColor>(e[3]) << 24 | lighting::ButtonColour(e);
        if (b->GetBkColor() == c) return;
        b->SetBkColor(c);
        changed = true;
    };
    for (size_t i = 0; i < frame.size() && i < ledButtons.size(); ++i) {
        ui::CControlUI* b = ledButtons[i];
        if (b && b->IsVisible()) paint(b, frame[i]);
    }
    if (logoLight >= 0 && static_cast<size_t>(logoLight) < frame.size())
        for (ui::CControlUI* b : logoButtons) paint(b, frame[static_cast<size_t>(logoLight)]);
    // The timer runs every 5 ms; repaint the picture only when a colour moved.
    if (changed && logoControl && IsPanelVisible()) logoControl->Invalidate();
}

} // namespace devices
