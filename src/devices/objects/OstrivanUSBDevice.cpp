#include "devices/objects/OstrivanUSBDevice.h"

#include "platform/Folders.h"
#include "profiles/JsonFile.h"
#include "ui/UIManager.h"

#include <cstdlib>

namespace devices {

namespace {
constexpr ui::UIColor kLedOffColour = 0xFF2A2E37;

// Classes are compared the way the skin names them: with or without the "UI" suffix.
bool IsClass(ui::CControlUI* c, std::string_view cls) {
    if (!c) return false;
    if (c->GetInterface(cls)) return true;
    const std::string own = ui::ToLower(c->GetClass());
    const std::string want = ui::ToLower(cls);
    return own == want || own == want + "ui";
}

// "key_12" -> ("key_", 12); no "_" -> ("", -1). The number is read as decimal.
std::pair<std::string, int> SplitIndexed(const std::string& name) {
    const auto pos = name.rfind('_');
    if (pos == std::string::npos) return {std::string(), -1};
    return {name.substr(0, pos + 1), std::atoi(name.c_str() + pos + 1)};
}
} // namespace

COstrivanUSBDevice::COstrivanUSBDevice() = default;

COstrivanUSBDevice::~COstrivanUSBDevice() {
    DetachSyncChannel();
    CloseCommandChannel();
    macroNames.clear();
    defaultLightNames.clear();
    areaLightNames.clear();
    userLightNames.clear();
}

void* COstrivanUSBDevice::GetInterface(std::string_view name) {
    if (ui::EqualsNoCase(name, "OstrivanUSBDevice")) return this;
    return ui::CHorizontalLayoutUI::GetInterface(name);
}

void COstrivanUSBDevice::SetKeyCount(int n) {
    keyCount = n < 0 ? 0 : n;
    keyButtons.assign(static_cast<size_t>(keyCount), nullptr);
}

void COstrivanUSBDevice::SetLightCount(int n) {
    lightCount = n < 0 ? 0 : n;
    ledButtons.assign(static_cast<size_t>(lightCount), nullptr);
    ledFrame.assign(static_cast<size_t>(lightCount), std::array<uint8_t, 4>{});
    std::lock_guard lock(recordLock);
    ledRecords.assign(static_cast<size_t>(lightCount), std::array<uint8_t, 11>{});
}

void COstrivanUSBDevice::SetPowerTile(ui::CControlUI* tile) {
    powerTile = tile;
    auto* box = tile ? static_cast<ui::CContainerUI*>(tile->GetInterface("Container")) : nullptr;
    if (auto* part = box ? box->FindSubControl("device_power_Layout") : nullptr) part->SetVisible(powerDisplay != 0);
}

void COstrivanUSBDevice::SetSlot(const DeviceSlot& s) {
    slot = s;
    kind = s.kind;
    channelTag = s.channel;
}

void COstrivanUSBDevice::BuildDeviceUI() {
    if (layoutFile.empty()) {
        keyCount = lightCount = 0;
        ledFrame.clear();
        ledButtons.clear();
        keyButtons.clear();
        return;
    }
    ui::CControlUI* found = nullptr;
    for (int i = 0; i < GetCount() && !found; ++i)
        if (IsClass(GetItemAt(i), "SelectPanel")) found = GetItemAt(i);
    BindSelectPanel(found);
}

ui::CControlUI* COstrivanUSBDevice::FindSelectPanel(ui::CControlUI* under) {
    auto* box = under ? static_cast<ui::CContainerUI*>(under->GetInterface("Container")) : nullptr;
    if (!box) return nullptr;
    for (int i = 0; i < box->GetCount(); ++i) {
        ui::CControlUI* c = box->GetItemAt(i);
        if (IsClass(c, "SelectPanel")) return c;
        if (ui::CControlUI* deeper = FindSelectPanel(c)) return deeper;
    }
    return nullptr;
}

void COstrivanUSBDevice::BindSelectPanel(ui::CControlUI* found) {
    selectPanel = found;
    auto* panel = selectPanel ? static_cast<ui::CContainerUI*>(selectPanel->GetInterface("Container")) : nullptr;
    if (!panel) return;
    for (int i = 0; i < panel->GetCount(); ++i) {
        ui::CControlUI* button = panel->GetItemAt(i);
        if (!IsClass(button, "DeviceKeyButton")) continue;
        auto [keyPrefix, key] = SplitIndexed(button->GetName());
        if (ui::EqualsNoCase(keyPrefix, "key_") && key >= 0 && key < static_cast<int>(keyButtons.size()))
            keyButtons[static_cast<size_t>(key)] = button;
        auto [ledPrefix, led] = SplitIndexed(button->GetUserData());
        if (ui::EqualsNoCase(ledPrefix, "light_") && led >= 0 && led < static_cast<int>(ledButtons.size())) {
            ledButtons[static_cast<size_t>(led)] = button;
            button->SetBkColor(kLedOffColour);  // dark until the first frame arrives
        }
    }
}

bool COstrivanUSBDevice::OpenCommandChannel(const std::string& path) {
    if (!commandChannel.hid.OpenHidDevice(path, true, true, true, false)) return false;
    commandChannel.opened = true;
    return true;
}

void COstrivanUSBDevice::CloseCommandChannel() {
    commandChannel.opened = false;
    commandChannel.hid.SignalStop();
    std::lock_guard lock(commandChannel.ioLock);
    commandChannel.hid.CloseHidDevice();
}

bool COstrivanUSBDevice::AttachSyncChannel(const std::string& path) {
    std::lock_guard lock(syncChannel.ioLock);
    if (!syncChannel.hid.OpenHidDevice(path, true, false, true, false)) return false;
    syncChannel.opened = true;
    return true;
}

void COstrivanUSBDevice::DetachSyncChannel() {
    syncChannel.opened = false;
    syncChannel.hid.SignalStop();
    std::lock_guard lock(syncChannel.ioLock);
    syncChannel.hid.CloseHidDevice();
}

std::string COstrivanUSBDevice::DeviceDataFolder() const { return platform::DeviceDataFolder(familyName); }
std::string COstrivanUSBDevice::DefaultDataFolder() { return platform::DefaultDataFolder(); }
std::string COstrivanUSBDevice::DefaultDataFile() const { return DefaultDataFolder() + familyName + ".Json"; }
std::string COstrivanUSBDevice::ProfileFilePath() const { return DeviceDataFolder() + profileName + ".Json"; }
std::string COstrivanUSBDevice::LightConfigPath() const { return DeviceDataFolder() + lightConfigName + ".config"; }

void COstrivanUSBDevice::SetLedValue(int index, uint32_t value) {
    if (index < 0 || index >= static_cast<int>(ledFrame.size())) return;
    auto& e = ledFrame[static_cast<size_t>(index)];
    for (int b = 0; b < 4; ++b) e[static_cast<size_t>(b)] = static_cast<uint8_t>(value >> (8 * b));
}

uint32_t COstrivanUSBDevice::GetLedValue(int index) const {
    if (index < 0 || index >= static_cast<int>(ledFrame.size())) return 0;
    const auto& e = ledFrame[static_cast<size_t>(index)];
    return uint32_t(e[0]) | uint32_t(e[1]) << 8 | uint32_t(e[2]) << 16 | uint32_t(e[3]) << 24;
}

void COstrivanUSBDevice::EffectOff() {
    for (auto& e : ledFrame) e.fill(0);
}

void COstrivanUSBDevice::SetKind(int k) {
    shownKind = k;
    ui::CPaintManagerUI* pm = GetManager();
    if (pm) {
        if (!functionSwitch) functionSwitch = pm->FindSubControlByName(this, "device_function_switch");
        if (!keyFunctionSwitch) keyFunctionSwitch = pm->FindSubControlByName(this, "device_key_function_switch");
    } else {
        if (!functionSwitch) functionSwitch = FindSubControl("device_function_switch");
        if (!keyFunctionSwitch) keyFunctionSwitch = FindSubControl("device_key_function_switch");
    }
    auto* fn = functionSwitch ? static_cast<ui::CTabLayoutUI*>(functionSwitch->GetInterface("TabLayout")) : nullptr;
    auto* key =
        keyFunctionSwitch ? static_cast<ui::CTabLayoutUI*>(keyFunctionSwitch->GetInterface("TabLayout")) : nullptr;
    auto select = [](ui::CTabLayoutUI* tab, int page) {
        if (tab) tab->SelectItem(page);
    };
    switch (k) {
    case 2:
    case 6:
        select(fn, 0);
        select(key, 1);
        break;
    case 3:
    case 7:
        select(fn, 1);
        break;
    case 4:
        select(fn, 0);
        select(key, 2);
        break;
    case 5:
        select(fn, 2);
        break;
    default:
        select(fn, 0);
        select(key, 0);
        break;
    }
}

void COstrivanUSBDevice::SetLightInfo(uint32_t first4, uint32_t next4, uint32_t last3) {
    for (int b = 0; b < 4; ++b) lightInfo.bytes[static_cast<size_t>(b)] = static_cast<uint8_t>(first4 >> (8 * b));
    for (int b = 0; b < 4; ++b) lightInfo.bytes[static_cast<size_t>(4 + b)] = static_cast<uint8_t>(next4 >> (8 * b));
    for (int b = 0; b < 3; ++b) lightInfo.bytes[static_cast<size_t>(8 + b)] = static_cast<uint8_t>(last3 >> (8 * b));
}

ui::CControlUI* COstrivanUSBDevice::KeyButton(int i) const {
    return i >= 0 && i < static_cast<int>(keyButtons.size()) ? keyButtons[static_cast<size_t>(i)] : nullptr;
}

ui::CControlUI* COstrivanUSBDevice::LedButton(int i) const {
    return i >= 0 && i < static_cast<int>(ledButtons.size()) ? ledButtons[static_cast<size_t>(i)] : nullptr;
}

void COstrivanUSBDevice::StartTileTimer(unsigned id, unsigned elapseMs) {
    if (optionTile && optionTile->GetManager()) optionTile->GetManager()->SetTimer(optionTile, id, elapseMs);
}

void COstrivanUSBDevice::PollPowerStatus() {
    if (!commandChannel.opened) return;
    std::array<uint8_t, 6> status{};
    if (commandChannel.ReadBytes(status.data(), static_cast<uint8_t>(status.size()), 0) != hid::kCmdOk) return;
    status[3] = commandChannel.wireless ? 1 : 0;
    if (auto* view = dynamic_cast<IPowerStatusView*>(powerTile)) view->ShowPowerStatus(status);
    if (ownerWindow) ownerWindow->SendOwnerMessage(kWmPowerStatusMsg, status[4], 0);
}

int COstrivanUSBDevice::ReadDeviceInformation() {
    if (!commandChannel.opened) return hid::kCmdReadFailed;
    return commandChannel.ReadDeviceInfo(deviceInfo);
}

void COstrivanUSBDevice::FillNameLists(const std::string& macroFile) {
    const std::string deviceFolder = DeviceDataFolder();
    {
        Json::Value doc = profiles::ReadJson(deviceFolder + macroFile);
        const Json::Value& info = profiles::Get(doc, "MacroInfo");
        if (info.isArray()) {
            macroNames.clear();
            for (const auto& e : info) macroNames.push_back(profiles::JsonString(profiles::Get(e, "MacroName")));
        }
    }
    {
        Json::Value doc = profiles::ReadJson(DefaultDataFolder() + "default_light.json");
        const Json::Value& names = profiles::GetAt(profiles::Get(doc, "DefaultLightName"), familyIndex);
        if (names.isArray()) {
            defaultLightNames.clear();
            defaultLightVisible.clear();
            for (const auto& e : names) {
                defaultLightNames.push_back(profiles::JsonString(profiles::Get(e, "LightName")));
                defaultLightVisible.push_back(profiles::JsonBool(profiles::Get(e, "visible")) ? 1 : 0);
            }
        }
        const Json::Value& areas = profiles::GetAt(profiles::Get(doc, "AreaLightName"), familyIndex);
        if (areas.isArray()) {
            areaLightNames.clear();
            for (const auto& e : areas) areaLightNames.push_back(profiles::JsonString(profiles::Get(e, "LightName")));
        }
    }
    {
        Json::Value doc = profiles::ReadJson(deviceFolder + "kelto_light.config");
        const Json::Value& user = profiles::GetAt(profiles::Get(doc, "LightInfo"), familyIndex);
        if (user.isArray()) {
            userLightNames.clear();
            for (const auto& e : user) userLightNames.push_back(profiles::JsonString(profiles::Get(e, "LightName")));
        }
    }
}

} // namespace devices
